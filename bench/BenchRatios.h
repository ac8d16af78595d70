// A console reporter that also keeps every benchmark's figure, so that a
// program can print, after its run, chosen figures side by side as ratios
// against their peers measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  // What a ratio compares: items per second (higher is better) or seconds
  // per iteration (lower is better).
  enum TMeasure { ItemsPerSecond, SecondsPerIteration };

  struct TRatio {
    std::string Label;
    std::string Ours;
    std::string Peer;  // empty: the figure stands alone against Goal
    TMeasure Measure = ItemsPerSecond;
    // Ours/Peer must reach it (items per second), or with no peer Ours in
    // seconds must stay at or below it; 0: no goal, for information.
    double Goal = 0;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred || r.iterations == 0) continue;
      // Single runs are kept one by one; of the aggregates only the median,
      // which stands for all of its repetitions.
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if (r.run_type != Run::RT_Iteration && !median) continue;
      const std::string name = r.run_name.str();
      if (median) {
        FRates[name].clear();
        FSeconds[name].clear();
        FMedianSeen[name] = true;
      } else if (FMedianSeen[name]) {
        continue;
      }
      auto items = r.counters.find("items_per_second");
      if (items != r.counters.end()) FRates[name].push_back(items->second.value);
      FSeconds[name].push_back(r.real_accumulated_time / static_cast<double>(r.iterations));
    }
  }

  // Prints one line a ratio: both figures, the ratio and whether its goal
  // is met. Figures are medians over repetitions.
  void PrintRatios(const char* title, const std::vector<TRatio>& ratios) const {
    std::printf("\n%s\n", title);
    std::printf("%-58s %14s %14s %8s  %s\n", "", "ours", "peer", "ratio", "goal");
    for (const TRatio& q : ratios) {
      const bool time = q.Measure == SecondsPerIteration;
      double ours = 0, peer = 0;
      if (!Median(time ? FSeconds : FRates, q.Ours, ours) ||
          (!q.Peer.empty() && !Median(time ? FSeconds : FRates, q.Peer, peer))) {
        std::printf("%-58s (not run)\n", q.Label.c_str());
        continue;
      }
      auto shown = [time](double v) {
        char buf[32];
        if (time)
          std::snprintf(buf, sizeof buf, "%.3f us", v * 1e6);
        else
          std::snprintf(buf, sizeof buf, "%.1f M/s", v / 1e6);
        return std::string(buf);
      };
      if (q.Peer.empty()) {
        char goal[48] = "";
        if (q.Goal > 0)
          std::snprintf(goal, sizeof goal, "<= %.3g us %s", q.Goal * 1e6, ours <= q.Goal ? "met" : "NOT MET");
        std::printf("%-58s %14s %14s %8s  %s\n", q.Label.c_str(), shown(ours).c_str(), "", "", goal);
        continue;
      }
      // For times the ratio is turned so that above 1 always means faster.
      const double ratio = time ? peer / ours : ours / peer;
      char goal[48] = "";
      if (q.Goal > 0) std::snprintf(goal, sizeof goal, ">= %.2fx %s", q.Goal, ratio >= q.Goal ? "met" : "NOT MET");
      std::printf("%-58s %14s %14s %7.2fx  %s\n", q.Label.c_str(), shown(ours).c_str(), shown(peer).c_str(), ratio,
                  goal);
    }
    std::fflush(stdout);
  }

 private:
  static bool Median(const std::map<std::string, std::vector<double>>& from, const std::string& name, double& out) {
    auto it = from.find(name);
    if (it == from.end() || it->second.empty()) return false;
    std::vector<double> v = it->second;
    std::sort(v.begin(), v.end());
    out = v[v.size() / 2];
    return true;
  }

  std::map<std::string, std::vector<double>> FRates, FSeconds;
  std::map<std::string, bool> FMedianSeen;
};
