// The game headless (Qt offscreen, SDL dummy audio): frames per second of the
// running game on a large map with the presentation's vertical-blank wait
// turned off, and the time from creating the windows to the open-map dialog.
//
// The start folder is made in a temporary folder: eight unit types, four
// building types, their pictures, the music and a 250 x 250 map with mixed
// terrain, 150 units (half of them ordered across the map, a quarter with
// attack targets) and 30 buildings.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "game/Form1.h"
#include "game/Form6.h"
#include "game/ProgramMain.h"
#include "platform/toolkit/BmpCodec.h"
#include "platform/toolkit/TestDriver.h"
#include "world/ObjectNames.h"
#include "world/WorldFiles.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bmp(int W, int H, std::uint32_t Rgb) {
  TBmpImage img;
  img.Width = W;
  img.Height = H;
  img.BitCount = 24;
  img.WidthBytes = ((W * 3) + 3) / 4 * 4;
  img.Pixels.assign(static_cast<size_t>(img.WidthBytes * H), 0);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      BYTE* p = &img.Pixels[static_cast<size_t>(y * img.WidthBytes + x * 3)];
      const bool key = (x + y) % 7 == 0;  // some transparent pixels
      p[0] = key ? 0xFF : (Rgb & 0xFF);
      p[1] = key ? 0x00 : ((Rgb >> 8) & 0xFF);
      p[2] = key ? 0xFF : ((Rgb >> 16) & 0xFF);
    }
  return EncodeBmp(img);
}

void WriteFile(const fs::path& Path, const std::vector<std::uint8_t>& Bytes) {
  std::ofstream f(Path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

// The start folder, made once for the whole run.
class TStartFolder {
 public:
  TStartFolder() {
    Root = fs::temp_directory_path() / ("bench_game_" + std::to_string(::getpid()));
    fs::remove_all(Root);
    for (const char* d : {"data/units", "data/buildings", "data/images", "data/music"}) fs::create_directories(Root / d);
    const char* units[] = {"Wojownik", "Lucznik", "Mag", "Rycerz", "Robotnik", "Kaplan", "Zwiadowca", "Olbrzym"};
    for (int i = 0; i < 8; ++i) {
      TUnitType t;
      t.Name = TShortString::From(units[i]);
      t.MaxHP = 100 + 10 * i;
      t.Attack = 8 + i;
      t.Defense = 2;
      t.MaxMana = i == 2 ? 60 : 0;
      t.Range = i == 1 ? 120 : 30;
      t.AttackInterval = 15 + i;
      t.TrainTime = 200;
      t.Class = static_cast<std::uint8_t>(i % 5);
      WriteUnitTypeFile((Root / "data/units" / (std::to_string(i) + ".unt")).string(), t);
      WriteFile(Root / "data/images" / (std::string(units[i]) + ".bmp"), Bmp(24, 32, 0x203040u * (i + 1)));
    }
    const char* buildings[] = {"Koszary", "Wieza", "Ratusz", "Tartak"};
    for (int i = 0; i < 4; ++i) {
      TBuildingType t;
      t.Name = TShortString::From(buildings[i]);
      t.MaxHP = 800;
      t.Attack = i == 1 ? 12 : 0;
      t.Defense = 6;
      t.Range = i == 1 ? 150 : 0;
      t.AttackInterval = 25;
      t.BuildTime = 400;
      WriteBuildingTypeFile((Root / "data/buildings" / (std::to_string(i) + ".bld")).string(), t);
      WriteFile(Root / "data/images" / (std::string(buildings[i]) + ".bmp"), Bmp(64, 56, 0x405060u * (i + 1)));
    }
    WriteFile(Root / "data/music/music1.MID", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0,
                                               0, 0, 12, 0, 0x90, 60, 100, 96, 0x80, 60, 0, 0, 0xFF, 0x2F, 0});

    auto map = std::make_unique<TMapFile>();
    map->Map.MapName = TShortString::From("Wielka");
    map->Map.MapRows = 250;
    map->Map.MapCols = 250;
    for (int r = 1; r <= 250; ++r)
      for (int c = 1; c <= 250; ++c) {
        const int v = (r * 7 + c * 13) % 29;
        map->Map.SetTerrainAt(r, c, static_cast<std::uint8_t>(v < 20 ? 0 : v % 7));
        map->Map.SetHeightAt(r, c, static_cast<std::uint8_t>((r / 25 + c / 25) % 4));
      }
    map->Players[1].Gold = 5000;
    map->Players[1].Wood = 5000;
    for (int i = 1; i <= MaxUnits; ++i) {
      TUnit& u = map->Units[static_cast<size_t>(i)];
      u.Name = TShortString::From(units[i % 8]);
      u.HP = 100;
      u.Attack = 10;
      u.Defense = 2;
      u.X = 3 * ((i * 37) % 400) - 600;
      u.Y = 3 * ((i * 53) % 400) + 30;
      u.TargetX = i % 2 ? u.X + 900 : u.X;
      u.TargetY = i % 2 ? u.Y + 300 : u.Y;
      u.Number = i / 8;
      u.Selected = i % 10 == 0;
      if (i % 4 == 0) u.AttackTarget = TShortString::From(std::string(units[(i + 1) % 8]) + " " + std::to_string((i + 1) / 8));
    }
    for (int i = 1; i <= 30; ++i) {
      TBuilding& b = map->Buildings[static_cast<size_t>(i)];
      b.Name = TShortString::From(buildings[i % 4]);
      b.HP = 800;
      b.X = 150 * (i % 6) - 400;
      b.Y = 120 * (i / 6) + 60;
      b.Number = i / 4;
    }
    WriteMapFile((Root / "large.map").string(), *map);
  }
  ~TStartFolder() { fs::remove_all(Root); }
  fs::path Root;
};

TStartFolder& Folder() {
  static TStartFolder folder;
  return folder;
}

// The game from its windows to its first running tick; the presentation
// does not wait for the vertical blank.
class TRunningGame {
 public:
  TRunningGame() {
    fs::current_path(Folder().Root);
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    CreateGameForms();
    TDXDrawOptions options = Form1->DXDraw1->Options();
    options.Exclude(doWaitVBlank);
    Form1->DXDraw1->SetOptions(options);
    Driver->AnswerNext([](TDialogEvent&) {
      Form6->FileListBox1->SetFileName("large.map");
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
  fs::current_path(Folder().Root);
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
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
