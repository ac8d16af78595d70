// A map with every unit and building slot taken and every object selected,
// as the map file stores the selection, opened from the open-map dialog: the
// main window's lists hold all rows with the selection shown, the first
// command is answered, and a rubber band over the whole map selects them all
// again, each within the time a user takes for "at once".
//
// The times are taken on the message thread: the script notes the moment it
// lets the mouse button up (the clock is the process's own), and a
// zero-interval timer there checks, on every turn of whichever loop runs,
// whether the program shows the result yet.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/Form1.h"
#include "game/Form6.h"
#include "game/Movement.h"
#include "tests/desktop/GameSession.h"
#include "world/MapGeometry.h"
#include "world/WorldFiles.h"

using namespace korvel;
using namespace game_desktop;

namespace {

using Clock = std::chrono::steady_clock;

// The most a user waits for the lists and a command after an open, a
// command or a band. The sanitizer build runs the same steps some ten times
// slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kSlowdown = 10;
#else
constexpr double kSlowdown = 1;
#endif
constexpr double kAtOnce = 0.100 * kSlowdown;

constexpr double kReacts = 30;
constexpr int kRows = MaxUnits + MaxBuildings;

TGameState& Game() { return Form1->State; }

// Points of open plain ground of the map inside the first view, on a grid
// of StepX by StepY pixels (multiples of the game's step of 3), from Left to
// Right: inside the map's top edges (|x| <= 2 y), which would move a unit
// standing past them. The first view shows the world round (0, 0), the
// map's top corner, in its middle, 396 pixels to either side and 239 up and
// down at its designed size (more in a window made larger).
std::vector<QPoint> OpenGround(const TMapBlock& Map, std::int32_t Left, std::int32_t Right, std::int32_t StepX,
                               std::int32_t StepY) {
  auto plain = [&](std::int32_t X, std::int32_t Y) {
    return OnMap(GroundCellAt(X, Y), Map.UsedRows(), Map.UsedCols()) && TerrainUnder(Map, X, Y) == tkPlain;
  };
  std::vector<QPoint> points;
  for (std::int32_t y = 12; y <= 222; y += StepY)
    for (std::int32_t x = Left; x <= Right; x += StepX)
      if (std::abs(x) + 6 <= 2 * y && plain(x - 3, y - 3) && plain(x + 3, y - 3) && plain(x - 3, y + 3) &&
          plain(x + 3, y + 3))
        points.emplace_back(x, y);
  return points;
}

// The sample map with every unit and building slot filled with copies of
// its own objects (each type as the map has it, numbered by its slot), all
// selected and standing still on open ground inside the first view: the
// buildings to the left, close together, the units to the right, 9 pixels
// apart or more (nearer units push each other) and more than 40 from every
// building (which pushes nearer units away).
TMapFile FullySelectedMap() {
  auto file = std::make_unique<TMapFile>();
  ReadMapFile(std::string(BRASK_PLAY_DIR) + "/dolina.map", *file);
  std::vector<TUnit> units;
  std::vector<TBuilding> buildings;
  for (int u = 1; u <= MaxUnits; ++u)
    if (!file->Units[u].Free()) units.push_back(file->Units[u]);
  for (int b = 1; b <= MaxBuildings; ++b)
    if (!file->Buildings[b].Free()) buildings.push_back(file->Buildings[b]);
  EXPECT_FALSE(units.empty() || buildings.empty()) << "the sample map has units and buildings";
  // The border between the two: as far left as leaves room for the buildings.
  std::vector<QPoint> unitGround, buildingGround;
  for (std::int32_t border = -300; border <= 240; border += 3) {
    buildingGround = OpenGround(file->Map, -372, border - 45, 6, 6);
    if (buildingGround.size() < MaxBuildings) continue;
    unitGround = OpenGround(file->Map, border, 258, 12, 9);
    break;
  }
  EXPECT_TRUE(buildingGround.size() >= MaxBuildings && unitGround.size() >= MaxUnits)
      << "the first view has open ground for every object: " << buildingGround.size() << " places for buildings, "
      << unitGround.size() << " for units";
  if (units.empty() || buildings.empty() || buildingGround.size() < MaxBuildings || unitGround.size() < MaxUnits)
    return *file;
  for (int u = 1; u <= MaxUnits; ++u) {
    TUnit unit = units[static_cast<std::size_t>(u - 1) % units.size()];
    const QPoint at = unitGround[static_cast<std::size_t>(u - 1)];
    unit.Number = u;
    unit.X = unit.TargetX = at.x();
    unit.Y = unit.TargetY = at.y();
    unit.Selected = 1;
    unit.Group = 0;
    unit.BuildProgress = 0;
    unit.AttackTarget.Clear();
    unit.BuildName.Clear();
    file->Units[u] = unit;
  }
  for (int b = 1; b <= MaxBuildings; ++b) {
    TBuilding building = buildings[static_cast<std::size_t>(b - 1) % buildings.size()];
    const QPoint at = buildingGround[static_cast<std::size_t>(b - 1)];
    building.Number = b;
    building.X = at.x();
    building.Y = at.y();
    building.Selected = 1;
    building.Group = 0;
    building.TrainProgress = 0;
    building.AttackTarget.Clear();
    building.TrainUnit.Clear();
    file->Buildings[b] = building;
  }
  return *file;
}

// Whether the main window is up with the game running and both lists show
// every object selected: the hidden list holds a row per object, each
// selected in the list and in its widget, and the visible list holds every
// name. Read from the widgets as they are, without bringing them up to date.
// On the message thread.
bool ListsShowEverythingSelected() {
  auto* hidden = qobject_cast<QListWidget*>(Form1->ListBox1->Widget());
  auto* shown = qobject_cast<QListWidget*>(Form1->ListBox2->Widget());
  return Game().GameRunning == 1 && !Form6->Visible() && hidden && shown &&
         Form1->ListBox1->Items()->Count() == kRows && Form1->ListBox1->SelCount() == kRows &&
         hidden->count() == kRows && hidden->selectionModel()->selectedRows().size() == kRows &&
         Form1->ListBox2->Items()->Count() == kRows && shown->count() == kRows;
}

// When Condition first holds on the message thread from the moment it is
// armed: a zero-interval timer checks it on every turn of the loop that runs
// there, and goes once it held, or with the watch.
class TFirstHolds {
 public:
  TFirstHolds(TLiveRun& R, std::function<bool()> Condition) : FRun(R), FShared(std::make_shared<TShared>()) {
    FShared->Condition = std::move(Condition);
    R.OnMain([shared = FShared] {
      shared->Timer = new QTimer(QCoreApplication::instance());
      shared->Timer->setInterval(0);
      QObject::connect(shared->Timer, &QTimer::timeout, shared->Timer, [shared] {
        if (!shared->Condition()) return;
        shared->At = Clock::now();
        shared->Held = true;
        shared->Timer->deleteLater();
        shared->Timer = nullptr;
      });
      shared->Timer->start();
    });
  }
  ~TFirstHolds() {
    FRun.OnMain([shared = FShared] { delete shared->Timer; });
  }
  TFirstHolds(const TFirstHolds&) = delete;
  TFirstHolds& operator=(const TFirstHolds&) = delete;

  // Waits until it has held; the seconds from Since to then.
  double SecondsSince(Clock::time_point Since, const std::string& What) {
    FRun.WaitFor(
        What, [shared = FShared] { return shared->Held.load(); }, kReacts);
    return std::chrono::duration<double>(FShared->At - Since).count();
  }

 private:
  struct TShared {
    std::function<bool()> Condition;
    QTimer* Timer = nullptr;  // on the message thread
    std::atomic<bool> Held{false};
    Clock::time_point At;
  };
  TLiveRun& FRun;
  std::shared_ptr<TShared> FShared;
};

// Counts the calls of an event handler that have returned: the handler
// wrapped, on the message thread.
template <class TEvent>
std::shared_ptr<std::atomic<int>> CountReturns(TLiveRun& R, TEvent& Event) {
  auto returned = std::make_shared<std::atomic<int>>(0);
  R.OnMain([&] {
    const TEvent handler = Event;
    Event = TEvent([handler, returned](auto... Args) {
      handler(Args...);
      ++*returned;
    });
  });
  return returned;
}

// A click of the left button at P, the time taken as the button comes up,
// when the click is complete (the pointer's move and the press before it
// each take the script's own pause).
Clock::time_point ClickAt(TLiveRun& R, QPoint P) {
  R.X().MoveTo(P.x(), P.y());
  R.X().ButtonDown();
  const Clock::time_point released = Clock::now();
  R.X().ButtonUp();
  return released;
}

void CheckAtOnce(TLiveRun& R, double Seconds, const std::string& What) {
  std::printf("  %s: %.1f ms (at most %.0f ms)\n", What.c_str(), Seconds * 1000, kAtOnce * 1000);
  R.Check(Seconds <= kAtOnce, What + " takes " + std::to_string(static_cast<int>(Seconds * 1000)) + " ms, more than " +
                                  std::to_string(static_cast<int>(kAtOnce * 1000)) + " ms");
}

}  // namespace

TEST(GameSelection, AFullySelectedMapOpensAndAnswersAtOnce) {
  TPlayFolder folder;
  folder.AddMap("pelna.map", FullySelectedMap());
  TLiveRun::Run(ProgramMain, [](TLiveRun& R) {
    WaitForOpenMapDialog(R);
    ChooseMap(R, "pelna.map");

    // The open: from the click on "Otwórz" until the game runs with the
    // lists showing the 300 selected objects.
    const QPoint open = ScreenPoint(R, Form6->SpeedButton1);
    TFirstHolds shown(R, ListsShowEverythingSelected);
    R.Step("\"Otwórz\" on the fully selected map");
    const Clock::time_point opened = ClickAt(R, open);
    CheckAtOnce(R, shown.SecondsSince(opened, "the lists show every object selected"),
                "the open until the lists show every object selected");
    R.Check(R.OnMain([] { return Game().UnitCount == MaxUnits && Game().BuildingCount == MaxBuildings; }),
            "the map has every slot taken");
    R.WaitSteady("the map is shown", [] { return FormUp(Form1); });
    R.Screenshot("opened");

    // The first command, "Zaznacz": the marked rows stay selected and the
    // lists are made again.
    const auto zaznacz = CountReturns(R, Form1->MenuButton1->OnClick);
    const QPoint button = ScreenPoint(R, Form1->MenuButton1);
    TFirstHolds answered(R, [zaznacz] { return *zaznacz > 0 && ListsShowEverythingSelected(); });
    R.Step("\"Zaznacz\", the first command");
    const Clock::time_point commanded = ClickAt(R, button);
    CheckAtOnce(R, answered.SecondsSince(commanded, "\"Zaznacz\" is handled and the lists show it"),
                "the first command until handled and shown");

    // A click on bare ground selects nothing; a rubber band over the whole
    // view selects every object again.
    const auto released = CountReturns(R, Form1->DXDraw1->OnMouseUp);
    ClickControl(R, Form1->DXDraw1, 10, 10);
    R.WaitFor(
        "a click on bare ground leaves nothing selected",
        [released] { return *released == 1 && Form1->ListBox2->Items()->Count() == 0; }, kReacts);
    // From corner to corner of the view, whatever size the window manager
    // gave the window: the far corner lies below the panel at the right.
    const QPoint from = ScreenPoint(R, Form1->DXDraw1, 10, 10);
    const QPoint view = R.OnMain([] { return QPoint(Form1->DXDraw1->Width(), Form1->DXDraw1->Height()); });
    const QPoint to = ScreenPoint(R, Form1->DXDraw1, view.x() - 10, view.y() - 10);
    R.Step("a rubber band over the whole map");
    R.X().MoveTo(from.x(), from.y());
    R.X().ButtonDown();
    for (int step = 1; step <= 8; ++step)
      R.X().MoveTo(from.x() + (to.x() - from.x()) * step / 8, from.y() + (to.y() - from.y()) * step / 8);
    TFirstHolds banded(R, [released] { return *released == 2 && ListsShowEverythingSelected(); });
    const Clock::time_point let = Clock::now();
    R.X().ButtonUp();
    CheckAtOnce(R, banded.SecondsSince(let, "the band selects every object and the lists show it"),
                "the band over the whole map until the lists show it");
    R.Screenshot("banded");
    CloseGame(R);
  });
}
