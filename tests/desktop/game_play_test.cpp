// A player's session of the game on a real X display, every step through
// the X server and every step checked on the game's world: a sample map
// opened from the dialog, the knight selected by a click and his company by
// a rubber band, a move, an attack on a unit and one on a tower, training
// in the castle, a tower built, a spell cast, a map file cut short refused
// with its box closed by Return, another sample map opened, the game closed.
//
// The units and buildings are picked by what they are and where they stand
// on the map as loaded (the knight, his neighbours, a footman and the
// archer nearest him, the castle, a peasant, the mage, a monk), and every
// place a unit is sent to is open ground the unit can walk to by the game's
// terrain rule. The game takes the objects a right click aims at from the
// pointer as its last frame saw it, so before every right click the script
// waits until a frame has seen the pointer where it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
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

using namespace korvel;
using namespace game_desktop;

namespace {

// Waits for what the game does at once after an input (a selection, a
// dialog, a mode); generous, for the sanitizer build on a busy machine.
constexpr double kReacts = 15;
// Waits for what takes the world some ticks (a walk, a strike, training).
constexpr double kTakesTicks = 60;

TGameState& Game() { return Form1->State; }

// The live unit or building with the identifier Id (slots move when units
// die or come), or nullptr. On the message thread.
const TUnit* UnitNamed(const std::string& Id) {
  for (int u = 1; u <= LiveUnits(Game()); ++u)
    if (ObjectIdentifier(Game().Units[u]) == Id) return &Game().Units[u];
  return nullptr;
}
const TBuilding* BuildingNamed(const std::string& Id) {
  for (int b = 1; b <= LiveBuildings(Game()); ++b)
    if (ObjectIdentifier(Game().Buildings[b]) == Id) return &Game().Buildings[b];
  return nullptr;
}
TUnit UnitNow(TLiveRun& R, const std::string& Id) {
  return R.OnMain([&] {
    const TUnit* u = UnitNamed(Id);
    return u ? *u : TUnit{};
  });
}

// The identifiers of the selected units, in slot order. On the message thread.
std::vector<std::string> Selection() {
  std::vector<std::string> s;
  for (int u = 1; u <= LiveUnits(Game()); ++u)
    if (Game().Units[u].Selected) s.push_back(ObjectIdentifier(Game().Units[u]));
  return s;
}
std::vector<std::string> SelectedBuildings() {
  std::vector<std::string> s;
  for (int b = 1; b <= LiveBuildings(Game()); ++b)
    if (Game().Buildings[b].Selected) s.push_back(ObjectIdentifier(Game().Buildings[b]));
  return s;
}
// Whether exactly these units and buildings are selected.
bool SelectionIs(std::vector<std::string> Units, std::vector<std::string> Buildings = {}) {
  std::vector<std::string> u = Selection(), b = SelectedBuildings();
  std::sort(u.begin(), u.end());
  std::sort(Units.begin(), Units.end());
  std::sort(b.begin(), b.end());
  std::sort(Buildings.begin(), Buildings.end());
  return u == Units && b == Buildings;
}

std::string Quoted(const std::string& Id) { return "\"" + Cp1250ToUtf8(Id) + "\""; }
std::string At(std::int32_t X, std::int32_t Y) { return "(" + std::to_string(X) + ", " + std::to_string(Y) + ")"; }

// Whether a world point is drawn inside the view, clear of its edges and of
// the panel on its right. On the message thread.
bool OnView(std::int32_t X, std::int32_t Y) {
  const TPoint p = WorldToScreen(Game(), X, Y);
  const int w = Form1->DXDraw1->Width(), h = Form1->DXDraw1->Height();
  return p.x >= 30 && p.y >= 30 && p.x <= w - 120 && p.y <= h - 30;
}

// Where a world point is drawn, on the screen.
QPoint ScreenOfWorld(TLiveRun& R, std::int32_t X, std::int32_t Y) {
  return R.OnMain([=] {
    const TPoint p = WorldToScreen(Game(), X, Y);
    const POINT s = Form1->DXDraw1->ClientToScreen(POINT{p.x, p.y});
    return QPoint(s.x, s.y);
  });
}

// The pointer put over a world point, and a frame of the game run since the
// game saw it there: the frame's cursor position is what a right click aims at.
void PointAt(TLiveRun& R, std::int32_t X, std::int32_t Y) {
  const QPoint s = ScreenOfWorld(R, X, Y);
  // By way of a neighbouring pixel, so that the pointer moves even when it
  // was there already.
  R.X().MoveTo(s.x() + 1, s.y());
  R.X().MoveTo(s.x(), s.y());
  std::optional<std::int32_t> seenOnTick;
  R.WaitFor(
      "the game sees the pointer at " + At(X, Y),
      [&] {
        const TPoint p = WorldToScreen(Game(), X, Y);
        if (Game().MouseX != p.x || Game().MouseY != p.y) return false;
        if (!seenOnTick) seenOnTick = Game().Tick;
        return Game().Tick != *seenOnTick;
      },
      kReacts);
}

void ClickWorld(TLiveRun& R, std::int32_t X, std::int32_t Y) {
  const QPoint p = ScreenOfWorld(R, X, Y);
  R.X().Click(p.x(), p.y());
}

void RightClickWorld(TLiveRun& R, std::int32_t X, std::int32_t Y) {
  PointAt(R, X, Y);
  const QPoint p = ScreenOfWorld(R, X, Y);
  R.X().Click(p.x(), p.y(), 3);
}

// How near a click must come to a unit to take it, and how far it must stay
// from every other unit to take it alone: a left click selects the units
// within 12 pixels of it, a right click aims at those within 16 across and
// 20 down, and a spell hits those. The game rounds the pointer to its grid
// of 3, so the reach is kept a few pixels inside and outside those.
struct TReach {
  int InX, InY;    // the point lies this near the unit
  int OutX, OutY;  // and at least this far from every other one on one axis
};
constexpr TReach kSelectReach{8, 8, 15, 15};
constexpr TReach kAimReach{12, 16, 19, 23};
constexpr TReach kSpellReach{12, 16, 0, 0};

// The point nearest the unit at which a click of Reach takes it alone, if
// there is one. On the message thread.
std::optional<QPoint> AimPoint(const TUnit& U, TReach Reach) {
  std::optional<QPoint> best;
  int bestOff = INT32_MAX;
  for (int dy = -Reach.InY; dy <= Reach.InY; ++dy)
    for (int dx = -Reach.InX; dx <= Reach.InX; ++dx) {
      if (std::abs(dx) + std::abs(dy) >= bestOff) continue;
      const std::int32_t x = U.X + dx, y = U.Y + dy;
      bool alone = true;
      for (int v = 1; v <= LiveUnits(Game()) && alone; ++v) {
        const TUnit& o = Game().Units[v];
        alone = &o == &U || std::abs(o.X - x) >= Reach.OutX || std::abs(o.Y - y) >= Reach.OutY;
      }
      if (alone) best = QPoint(x, y), bestOff = std::abs(dx) + std::abs(dy);
    }
  return best;
}
bool CanTake(const TUnit& U, TReach Reach) { return AimPoint(U, Reach).has_value(); }

// A click on the unit where a click of Reach takes it alone (a right click
// once the game has seen the pointer there).
void ClickUnit(TLiveRun& R, const std::string& Id, TReach Reach, int Button, const std::string& What) {
  const std::optional<QPoint> aim = R.OnMain([&]() -> std::optional<QPoint> {
    const TUnit* u = UnitNamed(Id);
    return u && OnView(u->X, u->Y) ? AimPoint(*u, Reach) : std::nullopt;
  });
  R.Check(aim.has_value(), What + " " + Quoted(Id) + " stands on the view where a click can take it alone");
  R.Step(std::string(Button == 3 ? "a right click on " : "a click on ") + What + " " + Quoted(Id));
  if (Button == 3) {
    RightClickWorld(R, aim->x(), aim->y());
  } else {
    ClickWorld(R, aim->x(), aim->y());
  }
}

// A left click on the unit: it alone is selected.
void SelectAlone(TLiveRun& R, const std::string& Id, const std::string& What) {
  ClickUnit(R, Id, kSelectReach, 1, What);
  R.WaitFor(
      "the click selects " + What + " alone",
      [&] { return SelectionIs({Id}) && Form1->ListBox2->Items()->Count() == 1; }, kReacts);
}

// Whether a unit walks from (X1, Y1) to (X2, Y2) on plain ground of the map whichever
// way the game's stops turn it (the box the two points span, widened by the
// pushes units give each other), no other unit standing in the way. On the
// message thread.
bool OpenWay(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2,
             const std::vector<std::string>& Walkers) {
  const std::int32_t pad = 9;
  const std::int32_t left = std::min(X1, X2) - pad, right = std::max(X1, X2) + pad;
  const std::int32_t top = std::min(Y1, Y2) - pad, bottom = std::max(Y1, Y2) + pad;
  for (std::int32_t y = top; y <= bottom; ++y)
    for (std::int32_t x = left; x <= right; ++x)
      if (!OnMap(GroundCellAt(x, y), Game().Map.UsedRows(), Game().Map.UsedCols()) ||
          TerrainUnder(Game().Map, x, y) != tkPlain)
        return false;
  for (int v = 1; v <= LiveUnits(Game()); ++v) {
    const TUnit& o = Game().Units[v];
    if (std::find(Walkers.begin(), Walkers.end(), ObjectIdentifier(o)) != Walkers.end()) continue;
    if (o.X > left - 12 && o.X < right + 12 && o.Y > top - 12 && o.Y < bottom + 12) return false;
  }
  return true;
}

// Whether a right click or a placement at (X, Y) aims at open ground: no
// building and no unit within reach of it. On the message thread.
bool NothingAt(std::int32_t X, std::int32_t Y, int BuildingClearance) {
  for (int b = 1; b <= LiveBuildings(Game()); ++b)
    if (Distance(X, Y, Game().Buildings[b].X, Game().Buildings[b].Y) < BuildingClearance) return false;
  for (int u = 1; u <= LiveUnits(Game()); ++u)
    if (Distance(X, Y, Game().Units[u].X, Game().Units[u].Y) < 40) return false;
  return true;
}

// Open ground on the view, Near to Far pixels from (Cx, Cy), that every one
// of Walkers reaches on an open way, far enough from every unit and
// building that a click there aims at none of them.
QPoint OpenGround(TLiveRun& R, const std::vector<std::string>& Walkers, std::int32_t Cx, std::int32_t Cy, int Near,
                  int Far, int BuildingClearance) {
  const std::optional<QPoint> found = R.OnMain([&]() -> std::optional<QPoint> {
    for (int ring = Near; ring <= Far; ring += 12)
      for (int k = 0; k < 32; ++k) {
        const double a = k * 2 * M_PI / 32;
        const std::int32_t x = Snap3(Cx + static_cast<int>(ring * std::cos(a)));
        const std::int32_t y = Snap3(Cy + static_cast<int>(ring * std::sin(a)));
        if (!OnView(x, y) || !NothingAt(x, y, BuildingClearance)) continue;
        bool open = true;
        for (const std::string& id : Walkers) {
          const TUnit* u = UnitNamed(id);
          open = open && u && Distance(u->X, u->Y, x, y) >= Near && OpenWay(u->X, u->Y, x, y, Walkers);
        }
        if (open) return QPoint(x, y);
      }
    return std::nullopt;
  });
  R.Check(found.has_value(), "there is open ground on the view " + std::to_string(Near) + " to " + std::to_string(Far) +
                                 " pixels from " + At(Cx, Cy) + " to go to");
  return *found;
}

// The unit named Type (its type name, UTF-8) on the view nearest to (X, Y)
// that a click of Reach takes alone and for which Fits holds; "" when there
// is none. On the message thread.
std::string NearestUnit(const char* Type, std::int32_t X, std::int32_t Y, TReach Reach = kSelectReach,
                        const std::function<bool(const TUnit&)>& Fits = nullptr) {
  std::string best;
  std::int32_t bestDistance = INT32_MAX;
  for (int u = 1; u <= LiveUnits(Game()); ++u) {
    const TUnit& c = Game().Units[u];
    if (c.Name.Text() != Cp(Type) || !OnView(c.X, c.Y) || !CanTake(c, Reach) || (Fits && !Fits(c))) continue;
    const std::int32_t d = Distance(c.X, c.Y, X, Y);
    if (d < bestDistance) bestDistance = d, best = ObjectIdentifier(c);
  }
  return best;
}

// The building named Type (UTF-8) on the view nearest to (X, Y); "" when
// there is none. On the message thread.
std::string NearestBuilding(const char* Type, std::int32_t X, std::int32_t Y) {
  std::string best;
  std::int32_t bestDistance = INT32_MAX;
  for (int b = 1; b <= LiveBuildings(Game()); ++b) {
    const TBuilding& c = Game().Buildings[b];
    if (c.Name.Text() != Cp(Type) || !OnView(c.X, c.Y)) continue;
    const std::int32_t d = Distance(c.X, c.Y, X, Y);
    if (d < bestDistance) bestDistance = d, best = ObjectIdentifier(c);
  }
  return best;
}

// A rubber band round a unit and its nearest neighbours: the world box it
// spans, 4 pixels round the units it takes, and what it selects. The game
// selects the units within 12 pixels of the band and the buildings within
// 30 (the click at the band's end adds those the pointer, rounded to the
// game's grid of 3, lies on), so every unit left out stands more than 20
// pixels beyond the band, and no building lies near the edge of its reach:
// what the band selects does not hang on a pixel. On the message thread.
struct TBand {
  std::vector<std::string> Units, Buildings;
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Sharp = true;  // no building near the edge of the band's reach
};
TBand BandRound(const std::string& Id, std::size_t Wanted) {
  const TGameState& S = Game();
  const TUnit* first = UnitNamed(Id);
  std::vector<int> in, others;
  for (int u = 1; u <= LiveUnits(S); ++u) (&S.Units[u] == first ? in : others).push_back(u);
  std::sort(others.begin(), others.end(), [&](int a, int b) {
    return Distance(S.Units[a].X, S.Units[a].Y, first->X, first->Y) <
           Distance(S.Units[b].X, S.Units[b].Y, first->X, first->Y);
  });
  // The nearest units, then whoever stands too near the band to be left out.
  for (std::size_t k = 0; k + 1 < Wanted && k < others.size(); ++k) in.push_back(others[k]);
  TBand band;
  for (bool grown = true; grown;) {
    band.Left = band.Top = INT32_MAX;
    band.Right = band.Bottom = INT32_MIN;
    for (int u : in) {
      band.Left = std::min(band.Left, S.Units[u].X - 4), band.Right = std::max(band.Right, S.Units[u].X + 4);
      band.Top = std::min(band.Top, S.Units[u].Y - 4), band.Bottom = std::max(band.Bottom, S.Units[u].Y + 4);
    }
    grown = false;
    for (int u : others) {
      const TUnit& o = S.Units[u];
      const bool near = o.X > band.Left - 20 && o.X < band.Right + 20 && o.Y > band.Top - 20 && o.Y < band.Bottom + 20;
      if (near && std::find(in.begin(), in.end(), u) == in.end()) in.push_back(u), grown = true;
    }
  }
  for (int u : in) band.Units.push_back(ObjectIdentifier(S.Units[u]));
  for (int b = 1; b <= LiveBuildings(S); ++b) {
    const TBuilding& w = S.Buildings[b];
    auto within = [&](int Margin) {
      return w.X > band.Left - Margin && w.X < band.Right + Margin && w.Y > band.Top - Margin &&
             w.Y < band.Bottom + Margin;
    };
    if (within(30)) band.Buildings.push_back(ObjectIdentifier(w));
    if (within(36) && !within(24)) band.Sharp = false;
  }
  return band;
}

void OkOf(TLiveRun& R, TCustomForm* Dialog, TSpeedButton* Ok, const std::string& What) {
  R.WaitSteady(What + " shows", [Dialog] { return FormUp(Dialog); });
  ClickControl(R, Ok);
  R.WaitFor(
      What + " closes on OK", [Dialog] { return !Dialog->Visible(); }, kReacts);
}

void Stop(TLiveRun& R, const std::string& Id) {
  R.Step("\"Zatrzymaj\"");
  ClickControl(R, Form1->MenuButton3);
  R.WaitFor(
      "\"Zatrzymaj\" ends the attack of " + Quoted(Id),
      [&] {
        const TUnit* u = UnitNamed(Id);
        return u && u->AttackTarget.Empty();
      },
      kReacts);
}

}  // namespace

TEST(GamePlayThrough, ASessionOfTheGame) {
  TPlayFolder folder;
  folder.AddCutMap("zla.map");
  TLiveRun::Run(ProgramMain, [&](TLiveRun& R) {
    WaitForOpenMapDialog(R);
    OpenMapFromDialog(R, "dolina.map");
    R.Check(R.OnMain([] { return Form1->Caption() == "Korvel - " + Game().Map.MapName.Text(); }),
            "the caption names the map");

    // The map's top corner lies in the middle of the first view, the camps
    // below it: the Down arrow held scrolls the map up, and the view stays
    // where it is once the key is let go.
    const std::int32_t firstScroll = R.OnMain([] { return Game().ScrollY; });
    R.Step("the Down arrow held");
    R.X().KeyDown("Down");
    R.WaitFor(
        "the view scrolls while the Down arrow is held", [&] { return Game().ScrollY <= firstScroll - 100; }, kReacts);
    R.X().KeyUp("Down");
    std::int32_t lastScroll = INT32_MIN;
    R.WaitSteady(
        "the view stops when the key is let go",
        [&] {
          const bool still = Game().ScrollY == lastScroll;
          lastScroll = Game().ScrollY;
          return still;
        },
        0.5, kReacts);

    // A click on the knight nearest the castle selects him alone.
    const std::string knight = R.OnMain([] {
      const TBuilding* castle = BuildingNamed(NearestBuilding("Zamek", 0, 0));
      return castle ? NearestUnit("Rycerz", castle->X, castle->Y) : std::string();
    });
    R.Check(!knight.empty(), "a knight stands apart by a castle on the view");
    SelectAlone(R, knight, "the knight");

    // A rubber band round the knight and the men nearest him selects them
    // and no one else.
    const TBand band = R.OnMain([&] { return BandRound(knight, 3); });
    R.Check(band.Units.size() >= 2 && band.Sharp &&
                R.OnMain([&] { return static_cast<int>(band.Units.size()) < LiveUnits(Game()); }),
            "a band round the knight takes a few units, leaves the others and lies clear of the buildings");
    const QPoint from = ScreenOfWorld(R, band.Left, band.Top), to = ScreenOfWorld(R, band.Right, band.Bottom);
    R.Step("a rubber band round the knight and his neighbours, " + std::to_string(band.Units.size()) + " units");
    R.X().Drag(from.x(), from.y(), to.x(), to.y());
    R.WaitFor(
        "the band selects the knight and his neighbours and no one else",
        [&] { return SelectionIs(band.Units, band.Buildings); }, kReacts);

    // A right click on open ground: they walk there. A group stops as soon
    // as one of them arrives, so the others end up short of it, each at
    // about the distance it stood from him.
    const TUnit lead = UnitNow(R, knight);
    const QPoint goal = OpenGround(R, band.Units, lead.X, lead.Y, 90, 200, 90);
    std::vector<std::int32_t> before;
    for (const std::string& id : band.Units) {
      const TUnit u = UnitNow(R, id);
      before.push_back(Distance(u.X, u.Y, goal.x(), goal.y()));
    }
    RightClickWorld(R, goal.x(), goal.y());
    R.WaitFor(
        "the right click sends them to " + At(goal.x(), goal.y()),
        [&] {
          if (Game().ClickX != goal.x() || Game().ClickY != goal.y()) return false;
          for (const std::string& id : band.Units) {
            const TUnit* u = UnitNamed(id);
            if (!u || !u->AttackTarget.Empty()) return false;
          }
          return true;
        },
        kReacts);
    R.WaitFor(
        "the selected units walk to the point and one arrives",
        [&] {
          bool arrived = false;
          for (std::size_t i = 0; i < band.Units.size(); ++i) {
            const TUnit* u = UnitNamed(band.Units[i]);
            if (!u) return false;
            const std::int32_t d = Distance(u->X, u->Y, goal.x(), goal.y());
            if (d > before[i] - 40 && d > 40) return false;
            arrived = arrived || d <= 9;  // on the point, give or take a push
          }
          return arrived;
        },
        kTakesTicks);

    // An attack on a unit: a footman selected, a right click on the archer
    // nearest him, to whom he has an open way.
    const auto [footman, archer] = R.OnMain([] {
      std::pair<std::string, std::string> best;
      std::int32_t bestDistance = INT32_MAX;
      for (int f = 1; f <= LiveUnits(Game()); ++f) {
        const TUnit& F = Game().Units[f];
        if (F.Name.Text() != Cp("Piechur") || !OnView(F.X, F.Y) || !CanTake(F, kSelectReach)) continue;
        const std::string a = NearestUnit("Łucznik", F.X, F.Y, kAimReach, [&](const TUnit& A) {
          return OpenWay(F.X, F.Y, A.X, A.Y, {ObjectIdentifier(F), ObjectIdentifier(A)});
        });
        const TUnit* A = UnitNamed(a);
        if (A && Distance(F.X, F.Y, A->X, A->Y) < bestDistance)
          bestDistance = Distance(F.X, F.Y, A->X, A->Y), best = {ObjectIdentifier(F), a};
      }
      return best;
    });
    R.Check(!footman.empty() && !archer.empty(), "a footman and an archer he can reach stand on the view");
    SelectAlone(R, footman, "the footman");
    const TUnit victim = UnitNow(R, archer);
    ClickUnit(R, archer, kAimReach, 3, "the archer");
    R.WaitFor(
        "the right click on the archer makes it the footman's target",
        [&] { return UnitNamed(footman) && UnitNamed(footman)->AttackTarget.Text() == archer; }, kReacts);
    R.WaitFor(
        "the footman wounds the archer",
        [&] {
          const TUnit* a = UnitNamed(archer);
          return !a || a->HP < victim.HP;  // wounded or fallen
        },
        kTakesTicks);
    Stop(R, footman);

    // An attack on a building from afar: an archer selected, a right click
    // on the tower nearest him; he strikes it from where he stands.
    const auto [bowman, tower] = R.OnMain([] {
      std::pair<std::string, std::string> best;
      std::int32_t bestDistance = INT32_MAX;
      for (int a = 1; a <= LiveUnits(Game()); ++a) {
        const TUnit& A = Game().Units[a];
        if (A.Name.Text() != Cp("Łucznik") || !OnView(A.X, A.Y) || !CanTake(A, kSelectReach)) continue;
        const TBuilding* T = BuildingNamed(NearestBuilding("Wieża", A.X, A.Y));
        if (!T) continue;
        // No other building where the right click aims (60 pixels about the
        // tower): the last one there would be the target.
        bool alone = true;
        for (int b = 1; b <= LiveBuildings(Game()); ++b) {
          const TBuilding& o = Game().Buildings[b];
          if (&o != T && std::abs(o.X - T->X) < 64 && std::abs(o.Y - T->Y) < 64) alone = false;
        }
        if (!alone) continue;
        const std::int32_t d = Distance(A.X, A.Y, T->X, T->Y);
        // Farther than a unit may stand by a building, within an archer's reach.
        if (d > 60 && d < 180 && d < bestDistance) bestDistance = d, best = {ObjectIdentifier(A), ObjectIdentifier(*T)};
      }
      return best;
    });
    R.Check(!bowman.empty() && !tower.empty(), "an archer stands on the view within reach of a tower");
    SelectAlone(R, bowman, "the archer");
    const TBuilding aimed = R.OnMain([&] { return *BuildingNamed(tower); });
    const TUnit shooter = UnitNow(R, bowman);
    R.Step("a right click on the tower " + Quoted(tower));
    RightClickWorld(R, aimed.X, aimed.Y);
    R.WaitFor(
        "the right click on the tower makes it the archer's target",
        [&] { return UnitNamed(bowman) && UnitNamed(bowman)->AttackTarget.Text() == tower; }, kReacts);
    R.WaitFor(
        "the archer's arrows wound the tower from afar",
        [&] {
          const TBuilding* t = BuildingNamed(tower);
          const TUnit* a = UnitNamed(bowman);
          return t && a && t->HP < aimed.HP && Distance(a->X, a->Y, shooter.X, shooter.Y) <= 12;
        },
        kTakesTicks);
    Stop(R, bowman);

    // Training: the castle selected, "Wyszkol", OK: the new unit comes out.
    const std::string castleId = R.OnMain([] { return NearestBuilding("Zamek", 0, 0); });
    R.Check(!castleId.empty(), "a castle stands on the view");
    const TBuilding castle = R.OnMain([&] { return *BuildingNamed(castleId); });
    const int units = R.OnMain([] { return Game().UnitCount; });
    const std::int32_t gold = R.OnMain([] { return Game().Player.Gold; });
    R.Step("a click on the castle");
    ClickWorld(R, castle.X, castle.Y);
    R.WaitFor(
        "the castle is selected",
        [&] {
          const TBuilding* b = BuildingNamed(castleId);
          return b && b->Selected == 1 && Selection().empty();
        },
        kReacts);
    ClickControl(R, Form1->MenuButton8);  // "Wyszkol"
    OkOf(R, Form4, Form4->SpeedButton1, "the train dialog");
    std::string trained;
    R.WaitFor(
        "the castle trains and the gold is paid",
        [&] {
          const TBuilding* b = BuildingNamed(castleId);
          if (!b || b->TrainUnit.Empty() || Game().Player.Gold >= gold) return false;
          trained = b->TrainUnit.Text();
          return true;
        },
        kReacts);
    R.WaitFor(
        "the new " + Cp1250ToUtf8(trained) + " comes out",
        [&] { return Game().UnitCount == units + 1 && Game().Units[Game().UnitCount].Name.Text() == trained; },
        kTakesTicks);

    // Construction: a peasant selected, "Zbuduj", the tower, OK, a site on
    // open ground: he walks there and builds.
    const std::string peasant = R.OnMain([&] { return NearestUnit("Chłop", castle.X, castle.Y); });
    R.Check(!peasant.empty(), "a peasant stands apart on the view");
    SelectAlone(R, peasant, "the peasant");
    ClickControl(R, Form1->MenuButton9);  // "Zbuduj"
    R.WaitSteady("the build dialog shows", [] { return FormUp(Form5); });
    const int towerRow = R.OnMain([] { return Form5->ListBox2->Items()->IndexOf(Cp("Wieża")); });
    R.Check(towerRow >= 0, "the build dialog offers the tower");
    const QPoint row = ListRowPoint(R, Form5->ListBox2, towerRow);
    R.X().Click(row.x(), row.y());
    R.WaitFor(
        "the tower is chosen", [&] { return Form5->ListBox2->ItemIndex() == towerRow; }, kReacts);
    OkOf(R, Form5, Form5->SpeedButton1, "the build dialog");
    R.WaitFor(
        "the order is taken: placement mode", [] { return Game().CommandMode == cmPlace; }, kReacts);
    const TUnit builder = UnitNow(R, peasant);
    const QPoint site = OpenGround(R, {peasant}, builder.X, builder.Y, 50, 200, 80);
    R.Step("the site at " + At(site.x(), site.y()));
    ClickWorld(R, site.x(), site.y());
    R.WaitFor(
        "the site is the peasant's target",
        [&] {
          const TUnit* u = UnitNamed(peasant);
          return u && Game().CommandMode == cmNormal && u->TargetX == site.x() && u->TargetY == site.y() &&
                 u->BuildName.Text() == Cp("Wieża");
        },
        kReacts);
    R.WaitFor(
        "the peasant walks there and builds",
        [&] {
          const TUnit* u = UnitNamed(peasant);
          return u && u->BuildProgress > 2 && u->X == site.x() && u->Y == site.y();
        },
        kTakesTicks);

    // A spell: the mage selected, "Czaruj", OK (the first spell, fire), a
    // click on the monk nearest him.
    const std::string mage = R.OnMain([&] { return NearestUnit("Mag", castle.X, castle.Y); });
    R.Check(!mage.empty(), "a mage stands apart on the view");
    const TUnit caster = UnitNow(R, mage);
    const std::string monk = R.OnMain([&] { return NearestUnit("Mnich", caster.X, caster.Y, kSpellReach); });
    R.Check(!monk.empty(), "a monk stands apart on the view");
    SelectAlone(R, mage, "the mage");
    ClickControl(R, Form1->MenuButton7);  // "Czaruj"
    OkOf(R, Form3, Form3->SpeedButton1, "the spell dialog");
    R.WaitFor(
        "the mage paid: spell mode",
        [&] { return Game().CommandMode == cmSpell && UnitNamed(mage) && UnitNamed(mage)->Mana < caster.Mana; },
        kReacts);
    const TUnit target = UnitNow(R, monk);
    ClickUnit(R, monk, kSpellReach, 1, "the monk");
    R.WaitFor(
        "the fire hurts the monk and the spell mode ends",
        [&] {
          const TUnit* m = UnitNamed(monk);
          return Game().CommandMode == cmNormal && (!m || m->HP < target.HP);
        },
        kReacts);

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
    R.WaitFor(
        "the other map replaces the first",
        [&] {
          return Game().Map.MapName == other->Map.MapName && Game().UnitCount == otherUnits &&
                 Form1->Caption() == "Korvel - " + other->Map.MapName.Text();
        },
        kReacts);
    CloseGame(R);
  });
}
