// Counts the frames a widget presents (its paint events; those that follow
// each other within 2 ms are the parts of one frame) and the process's
// CPU time (every thread, user and system) over a measured stretch, and
// prints one line of figures: frames presented a second, frames missed (a
// gap between two presented frames longer than one and a half refresh
// periods of 60 Hz), the longest gap, and CPU milliseconds a frame.
#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <string>

class TFrameMeter : public QObject {
 public:
  explicit TFrameMeter(QWidget* Watched) : FWatched(Watched) { Watched->installEventFilter(this); }

  // Starts the measured stretch (after a warm-up).
  void Start() {
    FFrames = 0;
    FMissed = 0;
    FLongestGap = 0;
    FLastFrame = -1;
    FCpuStart = CpuSeconds();
    FClock.start();
    FRunning = true;
  }

  // Ends the stretch and prints its figures under Label.
  void Report(const std::string& Label) {
    FRunning = false;
    const double seconds = FClock.nsecsElapsed() / 1e9;
    const double cpu = CpuSeconds() - FCpuStart;
    const double fps = FFrames / seconds;
    std::printf("%-34s %6.1f fps presented  %4d missed  longest gap %5.1f ms  CPU %5.1f%%  %6.3f ms a frame\n",
                Label.c_str(), fps, FMissed, FLongestGap / 1e6, 100.0 * cpu / seconds,
                FFrames ? 1000.0 * cpu / FFrames : 0.0);
    std::fflush(stdout);
  }

  long Frames() const { return FFrames; }

 protected:
  bool eventFilter(QObject* Object, QEvent* Event) override {
    if (FRunning && Object == FWatched && Event->type() == QEvent::Paint) {
      const qint64 now = FClock.nsecsElapsed();
      // The rectangles of one frame are painted one after another at once.
      if (FLastFrame >= 0 && now - FLastPaint < 2'000'000) {
        FLastPaint = now;
        return false;
      }
      FLastPaint = now;
      if (FLastFrame >= 0) {
        const qint64 gap = now - FLastFrame;
        FLongestGap = std::max(FLongestGap, gap);
        if (gap > 25'000'000) ++FMissed;
      }
      FLastFrame = now;
      ++FFrames;
    }
    return false;
  }

 private:
  static double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  }

  QWidget* FWatched;
  QElapsedTimer FClock;
  bool FRunning = false;
  long FFrames = 0;
  int FMissed = 0;
  qint64 FLongestGap = 0, FLastFrame = -1, FLastPaint = -1;
  double FCpuStart = 0;
};
