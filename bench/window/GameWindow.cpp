// The game as a player runs it, in a real window on the display in DISPLAY:
// its own message loop and vertical-blank pacing, the map opened through the
// open-map dialog. Prints the frames the drawing control presents a second,
// the frames missed and the CPU time of the whole process a frame, measured
// over a stretch after a warm-up.
//
//   bench_game_window MAP [seconds] [--maximized] [--shot FILE]
//
// MAP is a sample map of the play folder ("dolina.map", "krolestwo.map") or
// "limits": a map made here at the world's limits (250 x 250 cells, 150
// units of every type in turn, 150 buildings, all selected and all in view).
// --maximized gives the main window the whole screen once the map is open,
// as maximising it does. --shot FILE measures nothing: it lets the game run
// 60 ticks after the map opened, stops it there and saves the window as the
// X server shows it (PNG), so that two builds can be compared pixel for
// pixel.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/window/FrameMeter.h"
#include "display/DXTimer.h"
#include "game/Form1.h"
#include "game/Form6.h"
#include "game/ProgramMain.h"
#include "platform/toolkit/FileCtrl.h"
#include "platform/win/Window.h"
#include "world/WorldFiles.h"

using namespace korvel;

namespace fs = std::filesystem;

namespace {

template <class T, class Read>
std::vector<T> ReadTypes(const fs::path& Folder, const char* Extension, Read ReadFile) {
  std::vector<T> types;
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(Folder))
    if (e.path().extension() == Extension) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) {
    T t;
    ReadFile(f.string(), t);
    types.push_back(t);
  }
  return types;
}

// 250 x 250 cells of every terrain kind and elevation, plain ground where the
// objects stand; 150 units and 150 buildings of the data folder's types in
// turn, in rows within the view of a 792 x 478 surface at the start's scroll
// position, every one selected, standing on its own target.
void WriteLimitsMap(const fs::path& File) {
  const auto units = ReadTypes<TUnitType>("data/units", ".unt", ReadUnitTypeFile);
  const auto buildings = ReadTypes<TBuildingType>("data/buildings", ".bld", ReadBuildingTypeFile);
  if (units.empty() || buildings.empty()) throw std::runtime_error("no types in data/units or data/buildings");
  auto map = std::make_unique<TMapFile>();
  map->Map.MapName.Assign("Granica");
  map->Map.MapRows = map->Map.MapCols = MapSize;
  unsigned seed = 5;
  for (int i = 1; i <= MapSize; ++i)
    for (int j = 1; j <= MapSize; ++j) {
      seed = seed * 1103515245u + 12345u;
      const bool camp = i + j < 60;
      map->Map.SetTerrainAt(i, j, camp ? tkPlain : static_cast<std::uint8_t>((seed >> 16) % 7));
      map->Map.SetHeightAt(i, j, camp ? 0 : static_cast<std::uint8_t>((seed >> 20) % (MaxElevation + 1)));
    }
  map->Players[1].Gold = map->Players[1].Wood = 100000;
  std::vector<int> numbers(units.size() + buildings.size(), 0);
  for (int u = 1; u <= MaxUnits; ++u) {
    TUnit& U = map->Units[u];
    const size_t t = static_cast<size_t>(u - 1) % units.size();
    U.Name = units[t].Name;
    U.Number = ++numbers[t];
    U.HP = units[t].MaxHP;
    U.Mana = units[t].MaxMana / 2;
    U.X = U.TargetX = -360 + ((u - 1) % 15) * 51;
    U.Y = U.TargetY = 30 + ((u - 1) / 15) * 18;
    U.Selected = 1;
  }
  for (int b = 1; b <= MaxBuildings; ++b) {
    TBuilding& B = map->Buildings[b];
    const size_t t = static_cast<size_t>(b - 1) % buildings.size();
    B.Name = buildings[t].Name;
    B.Number = ++numbers[units.size() + t];
    B.HP = buildings[t].MaxHP;
    B.X = -380 + ((b - 1) % 15) * 50;
    B.Y = 20 + ((b - 1) / 15) * 19;
    B.Selected = 1;
  }
  WriteMapFile(File.string(), *map);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s MAP|limits [seconds] [--maximized]\n", argv[0]);
    return 2;
  }
  std::string map = argv[1];
  double seconds = 30;
  bool maximized = false;
  std::string shot;
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == "--maximized")
      maximized = true;
    else if (std::string(argv[i]) == "--shot" && i + 1 < argc)
      shot = argv[++i];
    else
      seconds = std::stod(argv[i]);
  }

  // A start folder of its own: the play folder's data and sample maps, and
  // the map at the limits.
  const fs::path play = BRASK_PLAY_DIR;
  char pattern[] = "/tmp/brask-window-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const fs::path start = pattern;
  fs::create_directory_symlink(play / "data", start / "data");
  for (const auto& e : fs::directory_iterator(play))
    if (e.path().extension() == ".map") fs::create_symlink(e.path(), start / e.path().filename());
  fs::current_path(start);
  std::string label = map;
  if (map == "limits") {
    map = "granica.map";
    label = "limits 250x250, 150+150 selected";
    WriteLimitsMap(start / map);
  }
  if (!fs::exists(map)) {
    std::fprintf(stderr, "no map %s in %s\n", map.c_str(), play.c_str());
    fs::remove_all(start);
    return 1;
  }

  RegisterGameModules();
  auto application = std::make_unique<TApplication>();
  std::unique_ptr<TFrameMeter> meter;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    // The open-map dialog is up: pick the map and press "Otwórz".
    if (!Form6 || !Form6->Visible()) return;
    answer.stop();
    if (!shot.empty()) {
      // Sixty ticks of the running game, then it stands still.
      auto ticks = std::make_shared<int>(0);
      TDXTimerEvent game = Form1->DXTimer1->OnTimer;
      Form1->DXTimer1->OnTimer = TDXTimerEvent([game, ticks](TObject* Sender, std::int32_t Lag) {
        if (Form1->State.GameRunning != 1 || ++*ticks <= 60) game(Sender, Lag);
      });
    }
    Form6->FileListBox1->SetFileName(map);
    Form6->SpeedButton1->Click();
    QTimer::singleShot(500, [&] {
      // Maximised, the main window takes the screen (moved first, then
      // sized: the toolkit keeps the old size when both change at once).
      if (maximized) {
        Form1->SetBounds(0, 0, Form1->Width(), Form1->Height());
        Form1->SetWidth(GetSystemMetrics(SM_CXSCREEN));
        Form1->SetHeight(GetSystemMetrics(SM_CYSCREEN));
      }
      if (!shot.empty()) {
        QTimer::singleShot(3000, [&] {
          QWidget* top = Form1->Widget();
          const QImage image = QGuiApplication::primaryScreen()->grabWindow(top->winId()).toImage();
          if (!image.save(QString::fromStdString(shot), "PNG")) std::fprintf(stderr, "cannot write %s\n", shot.c_str());
          Application->Terminate();
        });
        return;
      }
      meter = std::make_unique<TFrameMeter>(Form1->DXDraw1->Widget());
      QTimer::singleShot(3000, [&] { meter->Start(); });
      QTimer::singleShot(static_cast<int>(3000 + seconds * 1000), [&, label] {
        const QSize size = Form1->DXDraw1->Widget()->size();
        meter->Report(label + " " + std::to_string(Form1->ClientWidth()) + "x" + std::to_string(Form1->ClientHeight()) +
                      " (surface " + std::to_string(size.width()) + "x" + std::to_string(size.height()) + ")");
        if (Form1->State.UnitCount == 0) std::printf("  (no units: the map did not open)\n");
        Application->Terminate();
      });
    });
  });
  answer.start(50);
  const int result = RunGame();
  fs::current_path("/");
  fs::remove_all(start);
  return result;
}
