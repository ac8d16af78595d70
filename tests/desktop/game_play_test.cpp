// A player's session of the game on a real X display, every step through
// the X server and every step checked on the game's world: a sample map
// opened from the dialog, a unit selected by a click and a company by a
// rubber band, a move, an attack on a unit, training in the castle, a tower
// built, a spell cast, a map file cut short refused with its box closed by
// Return, another sample map opened, the game closed.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "game/Form3.h"
#include "game/Form4.h"
#include "game/Form5.h"
#include "game/Movement.h"
#include "game/Scene.h"
#include "platform/rtl/Cp1250.h"
#include "tests/desktop/GameSession.h"
#include "world/MapGeometry.h"
#include "world/ObjectNames.h"
#include "world/WorldFiles.h"

using namespace game_desktop;

namespace {

TUnit UnitAt(TLiveRun& R, int Slot) { return R.OnMain([Slot] { return Form1->State.Units[Slot]; }); }
TBuilding BuildingAt(TLiveRun& R, int Slot) { return R.OnMain([Slot] { return Form1->State.Buildings[Slot]; }); }

// Where a world point is drawn, on the screen.
QPoint ScreenOfWorld(TLiveRun& R, std::int32_t X, std::int32_t Y) {
  return R.OnMain([=] {
    const TPoint p = WorldToScreen(Form1->State, X, Y);
    const POINT s = Form1->DXDraw1->ClientToScreen(POINT{p.x, p.y});
    return QPoint(s.x, s.y);
  });
}

void ClickWorld(TLiveRun& R, std::int32_t X, std::int32_t Y, int Button = 1) {
  const QPoint p = ScreenOfWorld(R, X, Y);
  R.X().Click(p.x(), p.y(), Button);
}

int SlotNamed(TLiveRun& R, const char* Utf8Name) {
  return R.OnMain([&] {
    for (int u = 1; u <= LiveUnits(Form1->State); ++u)
      if (Form1->State.Units[u].Name.Text() == Cp(Utf8Name)) return u;
    return 0;
  });
}

std::vector<int> SelectedUnits(TLiveRun& R) {
  return R.OnMain([] {
    std::vector<int> s;
    for (int u = 1; u <= LiveUnits(Form1->State); ++u)
      if (Form1->State.Units[u].Selected) s.push_back(u);
    return s;
  });
}

// Whether Slot is the one unit selected (on the message thread).
bool OnlySelected(int Slot) {
  for (int u = 1; u <= LiveUnits(Form1->State); ++u)
    if ((Form1->State.Units[u].Selected != 0) != (u == Slot)) return false;
  return true;
}

// Whether a unit walks from where it stands to (X, Y) over plain ground only,
// the way it steps (3 pixels per axis each tick).
bool ClearWay(const TGameState& S, TUnit U, std::int32_t X, std::int32_t Y) {
  const std::int32_t tx = Snap3(X), ty = Snap3(Y);
  for (int n = 0; n < 2000 && (U.X != tx || U.Y != ty); ++n) {
    U.X += std::clamp(tx - U.X, -3, 3);
    U.Y += std::clamp(ty - U.Y, -3, 3);
    if (TerrainUnder(S.Map, U.X, U.Y) != tkPlain) return false;
  }
  return true;
}

// Open ground Away to Away + 80 pixels from (Cx, Cy) that every unit of
// Walkers can walk to, on the view, clear of every building by Clearance and
// of every unit.
QPoint OpenGround(TLiveRun& R, const std::vector<int>& Walkers, std::int32_t Cx, std::int32_t Cy, int Away,
                  int Clearance) {
  const QPoint found = R.OnMain([&] {
    const TGameState& S = Form1->State;
    const int w = Form1->DXDraw1->Width(), h = Form1->DXDraw1->Height();
    for (int ring = Away; ring <= Away + 80; ring += 12)
      for (int k = 0; k < 24; ++k) {
        const double a = k * 2 * M_PI / 24;
        const std::int32_t x = Snap3(Cx + static_cast<int>(ring * std::cos(a)));
        const std::int32_t y = Snap3(Cy + static_cast<int>(ring * std::sin(a)));
        const TPoint p = WorldToScreen(S, x, y);
        if (p.x < 60 || p.y < 60 || p.x > w - 130 || p.y > h - 60) continue;
        bool clear = true;
        for (int b = 1; b <= LiveBuildings(S) && clear; ++b)
          clear = Distance(x, y, S.Buildings[b].X, S.Buildings[b].Y) >= Clearance;
        // Nobody stands there (a click on a unit is an order to attack it).
        for (int u = 1; u <= LiveUnits(S) && clear; ++u) clear = Distance(x, y, S.Units[u].X, S.Units[u].Y) >= 40;
        for (int u : Walkers)
          if (clear) clear = ClearWay(S, S.Units[u], x, y);
        if (clear) return QPoint(x, y);
      }
    return QPoint(INT32_MIN, INT32_MIN);
  });
  R.Check(found.x() != INT32_MIN, "there is open ground to go to");
  return found;
}

void OkOf(TLiveRun& R, TCustomForm* Dialog, TSpeedButton* Ok, const std::string& What) {
  R.WaitSteady(What + " shows", [Dialog] { return FormUp(Dialog); });
  ClickControl(R, Ok);
  R.WaitFor(What + " closes on OK", [Dialog] { return !Dialog->Visible(); }, 5);
}

}  // namespace

TEST(GamePlayThrough, ASessionOfTheGame) {
  TPlayFolder folder;
  folder.AddCutMap("zla.map");
  TLiveRun::Run(ProgramMain, [&](TLiveRun& R) {
    WaitForOpenMapDialog(R);
    OpenMapFromDialog(R, "dolina.map");
    R.Check(R.OnMain([] { return Form1->Caption() == "Korvel - " + Form1->State.Map.MapName.Text(); }),
            "the caption names the map");

    // A click on the knight selects him alone.
    const int knight = SlotNamed(R, "Rycerz");
    R.Check(knight > 0, "the map has a knight");
    const TUnit k = UnitAt(R, knight);
    ClickWorld(R, k.X, k.Y);
    R.WaitFor("a click selects the knight alone",
              [&] { return OnlySelected(knight) && Form1->ListBox2->Items()->Count() == 1; }, 5);

    // A rubber band round the two westernmost units of the company selects
    // them and no one else.
    std::vector<int> company;
    for (int u = 1; u <= 9; ++u) company.push_back(u);
    std::sort(company.begin(), company.end(), [&](int a, int b) { return UnitAt(R, a).X < UnitAt(R, b).X; });
    const std::vector<int> band(company.begin(), company.begin() + 2);
    std::int32_t left = INT32_MAX, right = INT32_MIN, top = INT32_MAX, bottom = INT32_MIN;
    for (int u : band) {
      const TUnit x = UnitAt(R, u);
      left = std::min(left, x.X - 4), right = std::max(right, x.X + 4);
      top = std::min(top, x.Y - 4), bottom = std::max(bottom, x.Y + 4);
    }
    const QPoint from = ScreenOfWorld(R, left, top), to = ScreenOfWorld(R, right, bottom);
    R.Step("a rubber band round the two westernmost units");
    R.X().Drag(from.x(), from.y(), to.x(), to.y());
    R.WaitFor("the band selects the two units", [&] {
      const TGameState& S = Form1->State;
      for (int u = 1; u <= LiveUnits(S); ++u) {
        const bool inBand = std::find(band.begin(), band.end(), u) != band.end();
        const bool farOut = S.Units[u].X < left - 40 || S.Units[u].X > right + 40 || S.Units[u].Y < top - 40 ||
                            S.Units[u].Y > bottom + 40;
        if (inBand && !S.Units[u].Selected) return false;
        if (farOut && S.Units[u].Selected) return false;
      }
      return true;
    }, 5);

    // A right click on open ground: they walk there (a group stops as soon
    // as one of them arrives; units that touch push each other apart).
    const std::vector<int> walkers = SelectedUnits(R);
    const TUnit lead = UnitAt(R, band[0]);
    const QPoint goal = OpenGround(R, walkers, lead.X, lead.Y, 60, 90);
    std::vector<int> before;
    for (int u : walkers) before.push_back(R.OnMain([&] {
      return Distance(Form1->State.Units[u].X, Form1->State.Units[u].Y, goal.x(), goal.y());
    }));
    ClickWorld(R, goal.x(), goal.y(), 3);
    R.WaitFor("the right click is taken at (" + std::to_string(goal.x()) + ", " + std::to_string(goal.y()) + ")",
              [&] { return Form1->State.ClickX == goal.x() && Form1->State.ClickY == goal.y(); }, 5);
    R.WaitFor("the selected units walk to the point and one arrives", [&] {
      bool arrived = false;
      for (std::size_t i = 0; i < walkers.size(); ++i) {
        const TUnit& u = Form1->State.Units[walkers[i]];
        const int d = Distance(u.X, u.Y, goal.x(), goal.y());
        if (d > before[i] - 20 && d > 30) return false;
        arrived = arrived || d <= 15;
      }
      return arrived;
    }, 20);

    // An attack: a footman selected, a right click on an archer.
    const int footman = SlotNamed(R, "Piechur");
    int archer = 0;
    R.OnMain([&] {
      int best = INT32_MAX;
      for (int u = 1; u <= LiveUnits(Form1->State); ++u) {
        const TUnit& x = Form1->State.Units[u];
        const int d = Distance(x.X, x.Y, Form1->State.Units[footman].X, Form1->State.Units[footman].Y);
        if (x.Name.Text() == Cp("Łucznik") && d < best) best = d, archer = u;
      }
    });
    R.Check(footman > 0 && archer > 0, "the map has a footman and an archer");
    const TUnit f = UnitAt(R, footman);
    ClickWorld(R, f.X, f.Y);
    R.WaitFor("the footman is selected", [&] { return OnlySelected(footman); }, 5);
    const TUnit a = UnitAt(R, archer);
    const std::string target = ObjectIdentifier(a);
    ClickWorld(R, a.X, a.Y, 3);
    R.WaitFor("the right click on the archer makes it the footman's target",
              [&] { return Form1->State.Units[footman].AttackTarget.Text() == target; }, 5);
    R.WaitFor("the footman wounds the archer", [&] {
      for (int u = 1; u <= LiveUnits(Form1->State); ++u)
        if (ObjectIdentifier(Form1->State.Units[u]) == target) return Form1->State.Units[u].HP < a.HP;
      return true;  // fallen
    }, 30);
    ClickControl(R, Form1->MenuButton3);  // "Zatrzymaj"
    R.WaitFor("\"Zatrzymaj\" ends the attack", [&] { return Form1->State.Units[footman].AttackTarget.Empty(); }, 5);

    // Training: the castle selected, "Wyszkol", OK: a peasant comes out.
    const int castleSlot = R.OnMain([] {
      for (int b = 1; b <= LiveBuildings(Form1->State); ++b)
        if (Form1->State.Buildings[b].Name.Text() == "Zamek") return b;
      return 0;
    });
    R.Check(castleSlot > 0, "the map has a castle");
    const TBuilding castle = BuildingAt(R, castleSlot);
    const int units = R.OnMain([] { return Form1->State.UnitCount; });
    const std::int32_t gold = R.OnMain([] { return Form1->State.Player.Gold; });
    ClickWorld(R, castle.X, castle.Y);
    R.WaitFor("the castle is selected", [&] { return Form1->State.Buildings[castleSlot].Selected == 1; }, 5);
    ClickControl(R, Form1->MenuButton8);  // "Wyszkol"
    OkOf(R, Form4, Form4->SpeedButton1, "the train dialog");
    R.WaitFor("the castle trains and the gold is paid", [&] {
      return !Form1->State.Buildings[castleSlot].TrainUnit.Empty() && Form1->State.Player.Gold < gold;
    }, 5);
    R.WaitFor("the new unit comes out", [&] { return Form1->State.UnitCount == units + 1; }, 40);

    // Construction: a peasant selected, "Zbuduj", the tower, OK, a site.
    const int peasant = SlotNamed(R, "Chłop");
    const TUnit p = UnitAt(R, peasant);
    ClickWorld(R, p.X, p.Y);
    R.WaitFor("the peasant is selected", [&] { return OnlySelected(peasant); }, 5);
    ClickControl(R, Form1->MenuButton9);  // "Zbuduj"
    R.WaitSteady("the build dialog shows", [] { return FormUp(Form5); });
    const int towerRow = R.OnMain([] { return Form5->ListBox2->Items()->IndexOf(Cp("Wieża")); });
    R.Check(towerRow >= 0, "the build dialog offers the tower");
    const QPoint row = ListRowPoint(R, Form5->ListBox2, towerRow);
    R.X().Click(row.x(), row.y());
    R.WaitFor("the tower is chosen", [&] { return Form5->ListBox2->ItemIndex() == towerRow; }, 5);
    OkOf(R, Form5, Form5->SpeedButton1, "the build dialog");
    R.WaitFor("the order is taken: placement mode", [] { return Form1->State.CommandMode == cmPlace; }, 5);
    const QPoint site = OpenGround(R, {peasant}, p.X, p.Y, 40, 100);
    ClickWorld(R, site.x(), site.y());
    R.WaitFor("the site is the peasant's target", [&] {
      const TUnit& u = Form1->State.Units[peasant];
      return Form1->State.CommandMode == cmNormal && u.TargetX == site.x() && u.TargetY == site.y() &&
             u.BuildName.Text() == Cp("Wieża");
    }, 5);
    R.WaitFor("the peasant walks there and builds", [&] { return Form1->State.Units[peasant].BuildProgress > 2; }, 30);

    // A spell: the mage selected, "Czaruj", OK (fire), a click on the monk.
    const int mage = SlotNamed(R, "Mag"), monk = SlotNamed(R, "Mnich");
    const TUnit m = UnitAt(R, mage);
    ClickWorld(R, m.X, m.Y);
    R.WaitFor("the mage is selected", [&] { return OnlySelected(mage); }, 5);
    ClickControl(R, Form1->MenuButton7);  // "Czaruj"
    OkOf(R, Form3, Form3->SpeedButton1, "the spell dialog");
    R.WaitFor("the mage paid: spell mode", [] { return Form1->State.CommandMode == cmSpell; }, 5);
    const TUnit mk = UnitAt(R, monk);
    ClickWorld(R, mk.X, mk.Y);
    R.WaitFor("the fire hurts the monk", [&] {
      return Form1->State.CommandMode == cmNormal && Form1->State.Units[monk].HP < mk.HP &&
             Form1->State.Units[mage].Mana < m.Mana;
    }, 5);

    // A map cut short from the panel's "Otwórz": the box, Return, the dialog
    // stays; then the other sample map.
    ClickControl(R, Form1->SpeedButton6);
    WaitForOpenMapDialog(R);
    ChooseMap(R, "zla.map");
    ClickControl(R, Form6->SpeedButton1);
    const TSystemDialog box = WaitForPaintedBox(R, "the box over the open-map dialog");
    R.Check(box.Text == "Zła nazwa pliku!", "the box says \"Zła nazwa pliku!\"");
    R.X().Key("Return");
    WaitForNoSystemDialog(R, "Return closes the box");
    R.WaitSteady("the open-map dialog stays open", [] { return FormUp(Form6); });
    OpenMapFromDialog(R, "krolestwo.map");
    auto other = std::make_unique<TMapFile>();
    ReadMapFile(folder.PathOf("krolestwo.map"), *other);
    int otherUnits = 0;
    for (int u = 1; u <= MaxUnits; ++u) otherUnits += other->Units[u].Name.Empty() ? 0 : 1;
    R.WaitFor("the other map replaces the first", [&] {
      return Form1->State.Map.MapName == other->Map.MapName && Form1->State.UnitCount == otherUnits &&
             Form1->Caption() == "Korvel - " + other->Map.MapName.Text();
    }, 5);
    CloseGame(R);
  });
}
