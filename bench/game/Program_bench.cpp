// The game headless (Qt offscreen, SDL dummy audio) in its start folder as the
// build lays it out (BRASK_PLAY_DIR: the data folder and the sample maps):
// frames per second of the running game on the large sample map
// ("krolestwo.map", 240 x 240 cells) with the presentation's vertical-blank
// wait turned off, the time from creating the windows to the open-map
// dialog, and the main window's object lists made again for a world whose
// every slot is taken and selected (and, beside it, a bare list box filled
// the same way).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/BenchRatios.h"
#include "game/Form1.h"
#include "game/Form6.h"
#include "game/ObjectLists.h"
#include "game/ProgramMain.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"
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

// Every unit and building slot taken by copies of the loaded map's own
// objects (numbered by their slots), each selected.
void FillAndSelectEverySlot(TGameState& S) {
  const int units = S.UnitCount, buildings = S.BuildingCount;
  for (int u = 1; u <= MaxUnits; ++u) {
    S.Units[u] = S.Units[1 + (u - 1) % units];
    S.Units[u].Number = u;
    S.Units[u].Selected = 1;
  }
  for (int b = 1; b <= MaxBuildings; ++b) {
    S.Buildings[b] = S.Buildings[1 + (b - 1) % buildings];
    S.Buildings[b].Number = b;
    S.Buildings[b].Selected = 1;
  }
  S.UnitCount = MaxUnits;
  S.BuildingCount = MaxBuildings;
}

// The game's own refresh of its object lists (Form1's RefreshLists, as an open, a band or a
// command makes it) with 150 units and 150 buildings, all selected: the rows
// and their selection written into both lists, then one pass of the event
// loop, in which the list widgets take them. The frame timer is stopped, so
// that no tick of the game runs in the pass.
void BM_GameObjectListRefreshFull(benchmark::State& State) {
  TRunningGame game;
  if (Form1->State.GameRunning != 1 || Form1->State.UnitCount < 1 || Form1->State.BuildingCount < 1) {
    State.SkipWithError("the game did not start with a map");
    return;
  }
  Form1->DXTimer1->SetEnabled(false);
  FillAndSelectEverySlot(Form1->State);
  for (auto _ : State) {
    RefreshUnitLists(Form1->State, Form1->ListBox1, Form1->ListBox2);
    game.Driver->Pump(1);
  }
  State.counters["rows"] = Form1->ListBox1->Items()->Count();
  State.counters["selected"] = Form1->ListBox1->SelCount();
  State.counters["shown"] = Form1->ListBox2->Items()->Count();
}
BENCHMARK(BM_GameObjectListRefreshFull)->Unit(benchmark::kMillisecond);

// A bare multi-select list box on a form, filled with 300 rows one by one,
// each selected as it comes, then one pass of the event loop.
void BM_ObjectListRefresh300(benchmark::State& State) {
  auto app = std::make_unique<TApplication>();
  auto driver = std::make_unique<TTestDriver>();
  TForm* form = nullptr;
  app->CreateForm(form);
  form->SetBounds(40, 30, 300, 400);
  auto* list = new TListBox(form);
  list->SetParent(form);
  list->SetBounds(8, 8, 150, 360);
  list->SetMultiSelect(true);
  form->Show();
  driver->Pump(2);
  for (auto _ : State) {
    list->Clear();
    for (int r = 0; r < 300; ++r) list->SetSelected(list->Items()->Add("piechur " + std::to_string(r + 1)), true);
    driver->Pump(1);
  }
  driver.reset();
  app.reset();
}
BENCHMARK(BM_ObjectListRefresh300)->Unit(benchmark::kMillisecond);

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
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // An open, a rubber band and a command each make the lists again, and the
  // player expects the result within 100 ms with the game's frames around
  // it: one refresh of a full world stays a small part of a frame.
  reporter.PrintRatios(
      "The object lists of a full world, every object selected",
      {
          TRatioReporter::TRatio{"the game's refresh, 150 units and 150 buildings", "BM_GameObjectListRefreshFull", "",
                                 TRatioReporter::SecondsPerIteration, 0.005},
          TRatioReporter::TRatio{"a bare list box of 300 rows", "BM_ObjectListRefresh300", "",
                                 TRatioReporter::SecondsPerIteration, 0.005},
      });
  benchmark::Shutdown();
  return 0;
}
