// The game headless (Qt offscreen, SDL dummy audio) in its start folder as the
// build lays it out (BRASK_PLAY_DIR: the data folder and the sample maps):
// frames per second of the running game on the large sample map
// ("krolestwo.map", 240 x 240 cells) with the presentation's vertical-blank
// wait turned off, and the time from creating the windows to the open-map
// dialog.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "game/Form1.h"
#include "game/Form6.h"
#include "game/ProgramMain.h"
#include "platform/toolkit/TestDriver.h"

using namespace korvel;

namespace fs = std::filesystem;

namespace {

const char* const LargeMap = "krolestwo.map";

// The game from its windows to its first running tick; the presentation
// does not wait for the vertical blank.
class TRunningGame {
 public:
  TRunningGame() {
    fs::current_path(BRASK_PLAY_DIR);
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    CreateGameForms();
    TDXDrawOptions options = Form1->DXDraw1->Options();
    options.Exclude(doWaitVBlank);
    Form1->DXDraw1->SetOptions(options);
    Driver->AnswerNext([](TDialogEvent&) {
      Form6->FileListBox1->SetFileName(LargeMap);
      Form6->SpeedButton1->Click();
    });
    Form1->Show();
    Driver->Pump(2);
  }
  ~TRunningGame() {
    Driver.reset();
    App.reset();
  }
  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
};

void BM_GameFrame(benchmark::State& State) {
  TRunningGame game;
  if (Form1->State.GameRunning != 1 || !Form1->DXDraw1->CanDraw()) {
    State.SkipWithError("the game did not start");
    return;
  }
  for (auto _ : State) {
    Form1->DXTimer1Timer(Form1->DXTimer1, 1);
    game.Driver->Pump(0);
  }
  State.counters["frames/s"] = benchmark::Counter(static_cast<double>(State.iterations()), benchmark::Counter::kIsRate);
  State.counters["units"] = Form1->State.UnitCount;
}
BENCHMARK(BM_GameFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_StartToOpenMapDialog(benchmark::State& State) {
  fs::current_path(BRASK_PLAY_DIR);
  for (auto _ : State) {
    const auto start = std::chrono::steady_clock::now();
    auto app = std::make_unique<TApplication>();
    auto driver = std::make_unique<TTestDriver>();
    double seconds = 0;
    driver->AnswerNext([&](TDialogEvent&) {
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      Form6->SpeedButton2->Click();  // no map: the program ends
    });
    CreateGameForms();
    Form1->Show();
    State.SetIterationTime(seconds);
    driver.reset();
    app.reset();
  }
}
BENCHMARK(BM_StartToOpenMapDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  RegisterGameModules();
  if (!fs::exists(fs::path(BRASK_PLAY_DIR) / LargeMap)) {
    std::fprintf(stderr, "No %s in %s: build the target brask_assets first.\n", LargeMap, BRASK_PLAY_DIR);
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
