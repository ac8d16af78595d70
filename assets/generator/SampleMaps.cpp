// The two sample maps: the small valley of the first game and the large
// kingdom of three rivers. Each is a landscape laid out by hand (rivers,
// lakes, forests, hills, rocky and sandy ground) with camps of the player's
// units and buildings on open ground. Units walk in straight lines and stop
// where the ground is not plain, so open ways lead from every camp to a
// crossroads in the middle of the map, and from there to every other camp
// and to the fight the large map stages at a ford: straight out of a camp
// to the crossroads, then straight on to the destination.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "assets/generator/Landscape.h"
#include "assets/generator/Raster.h"
#include "assets/generator/WorldData.h"
#include "platform/rtl/Cp1250.h"
#include "world/Arith.h"
#include "world/ObjectNames.h"

namespace {

TWorldPoint Snapped(TWorldPoint P) { return {Snap3(P.X), Snap3(P.Y)}; }

// How wide the open ways are. A group of four starts within 17 pixels of
// its middle; once the first of it stands level with the point it is sent
// to, the game stops the others on that axis, so on the leg after the
// crossroads each member keeps the offset across it had there, some 35
// pixels at most. Every member walks within this distance of the way.
constexpr double WayRadius = 36;

// Puts the objects of a map in its slots, keeps the ground under and around
// them open, and records the places and the ways between them.
class TSite {
 public:
  TSite(TSampleMap& Out, TLandscape& Land, TWorldPoint Crossroads, double Meadow, double Ragged)
      : FOut(Out), FLand(Land), FCrossroads(Crossroads), FRagged(Ragged) {
    FLand.OpenDisc(Crossroads, Meadow, Meadow / 2);
  }

  int Unit(const char* Name, TWorldPoint P) {
    if (FUnits >= MaxUnits) throw std::logic_error("sample map: too many units");
    const TUnitType& t = UnitType(Name);
    TUnit u;
    u.Name = t.Name;
    P = Snapped(P);
    u.X = u.TargetX = P.X;
    u.Y = u.TargetY = P.Y;
    u.HP = t.MaxHP;
    u.Attack = t.Attack;
    u.Defense = t.Defense;
    u.Mana = t.MaxMana;
    u.Number = NextObjectNumber(FOut.Map.Units, FUnits, 0, u.Name, 1);
    FOut.Map.Units[static_cast<std::size_t>(++FUnits)] = u;
    FLand.OpenDisc(P, 18, FRagged);
    return FUnits;
  }
  // Units in ranks of PerRow about Middle, 27 pixels apart across and 21 down.
  std::vector<int> Ranks(TWorldPoint Middle, const std::vector<const char*>& Names, int PerRow, int Group = 0) {
    std::vector<int> slots;
    const int rows = (static_cast<int>(Names.size()) + PerRow - 1) / PerRow;
    for (std::size_t k = 0; k < Names.size(); ++k) {
      const int row = static_cast<int>(k) / PerRow, col = static_cast<int>(k) % PerRow;
      const int inRow = std::min(PerRow, static_cast<int>(Names.size()) - row * PerRow);
      const TWorldPoint p{Middle.X + 27 * col - 27 * (inRow - 1) / 2 + (row % 2) * 6,
                          Middle.Y + 21 * row - 21 * (rows - 1) / 2};
      slots.push_back(Unit(Names[k], p));
      FOut.Map.Units[static_cast<std::size_t>(slots.back())].Group = Group;
    }
    return slots;
  }
  // A group of four ready to set out: two ranks of two, 24 pixels apart
  // across and 18 down.
  std::vector<int> Group(TWorldPoint Middle, const std::vector<const char*>& Names, int Number) {
    std::vector<int> slots;
    for (std::size_t k = 0; k < Names.size(); ++k) {
      const TWorldPoint p{Middle.X - 12 + 24 * static_cast<int>(k % 2), Middle.Y - 9 + 18 * static_cast<int>(k / 2)};
      slots.push_back(Unit(Names[k], p));
      FOut.Map.Units[static_cast<std::size_t>(slots.back())].Group = Number;
    }
    return slots;
  }
  int Building(const char* Name, int Row, int Col, int Group = 0) {
    if (FBuildings >= MaxBuildings) throw std::logic_error("sample map: too many buildings");
    const TBuildingType& t = BuildingType(Name);
    TBuilding b;
    b.Name = t.Name;
    b.X = CellCentreX(Row, Col);
    b.Y = BuildingY(Row, Col);
    b.HP = t.MaxHP;
    b.Attack = t.Attack;
    b.Defense = t.Defense;
    b.Group = Group;
    b.Number = NextObjectNumber(FOut.Map.Buildings, FBuildings, 0, b.Name, 1);
    FOut.Map.Buildings[static_cast<std::size_t>(++FBuildings)] = b;
    // The footprint of 3 x 3 cells and a little yard.
    FLand.OpenDisc({CellCentreX(Row, Col), CellCentreY(Row, Col)}, 36, FRagged);
    return FBuildings;
  }
  // A camp whose Group sets out through Vanguard, the middle of the group,
  // towards the crossroads; groups sent here come to Rally.
  int Camp(const char* Name, TWorldPoint Rally, TWorldPoint Vanguard, const std::vector<int>& Group) {
    FOut.Places.push_back({Name, false, Snapped(Rally), Group});
    FStarts.push_back(Snapped(Vanguard));
    FLand.OpenDisc(Rally, 32, FRagged);
    FLand.OpenWay(Vanguard, FCrossroads, WayRadius, FRagged);
    FLand.OpenWay(FCrossroads, Rally, WayRadius, FRagged);
    return static_cast<int>(FOut.Places.size()) - 1;
  }
  // A staged fight, whose units are given their targets by Attacks; groups
  // sent there come to Rally.
  int Fight(const char* Name, TWorldPoint Rally) {
    FOut.Places.push_back({Name, true, Snapped(Rally), {}});
    FStarts.push_back(Snapped(Rally));
    FLand.OpenDisc(Rally, 32, FRagged);
    FLand.OpenWay(FCrossroads, Rally, WayRadius, FRagged);
    return static_cast<int>(FOut.Places.size()) - 1;
  }
  // Attacker attacks Victim from the start. A group sent to the fight can
  // walk from the rally point to a Reachable fighter (one on the ford, not
  // one across the water).
  void Attacks(int Place, int Attacker, int Victim, bool Reachable) {
    TUnit& a = FOut.Map.Units[static_cast<std::size_t>(Attacker)];
    a.AttackTarget = StoredIdentifier(FOut.Map.Units[static_cast<std::size_t>(Victim)]);
    std::vector<int>& fighters = FOut.Places[static_cast<std::size_t>(Place)].Units;
    if (std::find(fighters.begin(), fighters.end(), Attacker) == fighters.end()) fighters.push_back(Attacker);
    if (Reachable) FLand.OpenWay(FOut.Places[static_cast<std::size_t>(Place)].Rally, {a.X, a.Y}, WayRadius, 0);
  }
  // A way from a camp straight to another place, without the crossroads.
  void Direct(int From, int To) {
    FDirect.push_back({From, To});
    FLand.OpenWay(FStarts[static_cast<std::size_t>(From)], FOut.Places[static_cast<std::size_t>(To)].Rally, WayRadius,
                  FRagged);
  }

  // The routes from every camp to every other place.
  void Finish() {
    for (std::size_t a = 0; a < FOut.Places.size(); ++a) {
      if (FOut.Places[a].Fight) continue;
      for (std::size_t b = 0; b < FOut.Places.size(); ++b) {
        if (a == b) continue;
        TSampleRoute route{static_cast<int>(a), static_cast<int>(b), {}};
        const bool direct =
            std::find(FDirect.begin(), FDirect.end(), std::pair<int, int>(route.From, route.To)) != FDirect.end();
        if (!direct) route.Via.push_back(Snapped(FCrossroads));
        FOut.Routes.push_back(route);
      }
    }
  }

 private:
  const TUnitType& UnitType(const char* Name) {
    for (const TUnitTypeFile& t : FUnitTypes)
      if (t.Type.Name.Equals(Cp(Name))) return t.Type;
    throw std::logic_error(std::string("sample map: no unit type ") + Name);
  }
  const TBuildingType& BuildingType(const char* Name) {
    for (const TBuildingTypeFile& t : FBuildingTypes)
      if (t.Type.Name.Equals(Cp(Name))) return t.Type;
    throw std::logic_error(std::string("sample map: no building type ") + Name);
  }

  TSampleMap& FOut;
  TLandscape& FLand;
  TWorldPoint FCrossroads;
  double FRagged;
  std::vector<TWorldPoint> FStarts;
  std::vector<std::pair<int, int>> FDirect;
  int FUnits = 0, FBuildings = 0;
  std::vector<TUnitTypeFile> FUnitTypes = UnitTypes();
  std::vector<TBuildingTypeFile> FBuildingTypes = BuildingTypes();
};

// What the finished map must hold: every unit and every building's
// footprint on plain ground, units clear of the buildings' push, and the
// rally points free.
void CheckPlacement(const TSampleMap& M) {
  const TMapFile& f = M.Map;
  std::string faults;
  auto fail = [&](const std::string& What) { faults += "\n  " + What; };
  for (int u = 1; u <= MaxUnits && !f.Units[static_cast<std::size_t>(u)].Free(); ++u) {
    const TUnit& unit = f.Units[static_cast<std::size_t>(u)];
    for (int dy : {-6, 0, 6})
      for (int dx : {-12, 0, 12})
        if (BlockingAt(f.Map, unit.X + dx, unit.Y + dy))
          fail(ObjectIdentifier(unit) + " stands by blocking ground at " + std::to_string(unit.X) + "," +
               std::to_string(unit.Y));
    for (int b = 1; b <= MaxBuildings && !f.Buildings[static_cast<std::size_t>(b)].Free(); ++b) {
      const TBuilding& w = f.Buildings[static_cast<std::size_t>(b)];
      const double dx = w.X - unit.X, dy = w.Y - unit.Y;
      if (dx * dx + dy * dy < 48.0 * 48.0) fail(ObjectIdentifier(unit) + " stands too near " + ObjectIdentifier(w));
    }
  }
  for (int b = 1; b <= MaxBuildings && !f.Buildings[static_cast<std::size_t>(b)].Free(); ++b) {
    const TBuilding& w = f.Buildings[static_cast<std::size_t>(b)];
    for (int dr = -1; dr <= 1; ++dr)
      for (int dc = -1; dc <= 1; ++dc)
        if (BlockingAt(f.Map, w.X + 16 * (dc - dr), w.Y + 38 + 8 * (dr + dc)))
          fail(ObjectIdentifier(w) + " stands on blocking ground");
  }
  for (const TSamplePlace& p : M.Places) {
    for (int b = 1; b <= MaxBuildings && !f.Buildings[static_cast<std::size_t>(b)].Free(); ++b) {
      const TBuilding& w = f.Buildings[static_cast<std::size_t>(b)];
      const double dx = w.X - p.Rally.X, dy = w.Y - p.Rally.Y;
      if (dx * dx + dy * dy < 50.0 * 50.0) fail(p.Name + ": the rally point is too near " + ObjectIdentifier(w));
    }
    for (int u = 1; u <= MaxUnits && !f.Units[static_cast<std::size_t>(u)].Free(); ++u) {
      const TUnit& unit = f.Units[static_cast<std::size_t>(u)];
      const double dx = unit.X - p.Rally.X, dy = unit.Y - p.Rally.Y;
      if (dx * dx + dy * dy < 40.0 * 40.0) fail(p.Name + ": the rally point is taken by " + ObjectIdentifier(unit));
    }
  }
  if (!faults.empty()) throw std::logic_error(M.FileName + ":" + faults);
}

// ---- The small map: the valley of the Wartka ----
//
// The Wartka comes in at the north-west edge, fills a lake below the
// mountain there and runs east across the valley to leave at the
// north-east edge. North of it stands the seat, in the first view; the way
// south crosses it by a ford to the crossroads, from which ways run east to
// the watch post and west to the fishing hamlet by the lake.
TSampleMap SmallMap() {
  TSampleMap m{"dolina.map", {}, {}, {}};
  m.Map.Map.MapName.Assign(Cp("Dolina nad Wartką"));
  m.Map.Players[1].Gold = 2500;
  m.Map.Players[1].Wood = 1800;
  TLandscape land(30, 30, 1234);

  // The mountain west of the seat, crags in the west corner, rocks and
  // dunes in the south.
  land.Hill({10, 2}, 6.5, 6, THillStyle::Mountain);
  land.Hill({13, 2}, 2.4, 2, THillStyle::Highland);
  land.Hill({27, 2}, 2.2, 2, THillStyle::Crags);
  land.Hill({25, 19}, 2.0, 2, THillStyle::Crags);
  land.Hill({20, 28}, 2.4, 2, THillStyle::Dunes);
  // Forests: by the river in the north east, in the south.
  land.Forest({2.5, 15}, 2.4);
  land.Forest({5, 22.5}, 3.4);
  land.Forest({11, 27.5}, 2.6);
  land.Forest({27.5, 27.5}, 4.0);
  land.Forest({29.5, 19}, 3.0);
  land.Forest({29, 10.5}, 3.0);
  land.Forest({20.5, 13.5}, 2.2);
  // A pond in the south.
  land.Lake({25, 24}, 1.8, 2.0, false);
  // The Wartka and its lake.
  land.Lake({16, 4}, 2.6, 2.8, true);
  land.River({{22, -2}, {19.5, 1}, {17, 3}}, 2.4, 2.6);
  land.River({{16, 6}, {16, 9}, {14.5, 12}, {13.5, 14.5}, {11, 17}, {7, 18}, {3.5, 19.5}, {0, 20.5}, {-3, 21}}, 2.8,
             3.2, 0, {{13.5, 14.5}});

  TSite site(m, land, {0, 282}, 40, 16);
  // The seat: castle and tower in the north, the company beside them.
  site.Building("Zamek", 4, 6, 1);
  site.Building("Wieża", 2, 10, 1);
  site.Ranks({66, 138}, {"Chłop", "Chłop", "Mag", "Mnich", "Łucznik"}, 3, 1);
  const std::vector<int> seat = site.Group({0, 90}, {"Piechur", "Piechur", "Rycerz", "Łucznik"}, 1);
  site.Camp("Gród", {0, 150}, {0, 90}, seat);
  // The watch post in the east.
  site.Building("Wieża", 5, 27, 2);
  const std::vector<int> post = site.Group({300, 282}, {"Piechur", "Piechur", "Łucznik", "Piechur"}, 2);
  site.Camp("Strażnica", {234, 282}, {300, 282}, post);
  // The fishing hamlet by the lake.
  site.Building("Wieża", 22, 7, 3);
  site.Ranks({-180, 231}, {"Chłop", "Mnich"}, 2, 3);
  const std::vector<int> hamlet = site.Group({-300, 282}, {"Chłop", "Chłop", "Łucznik", "Mnich"}, 3);
  site.Camp("Rybaki", {-234, 282}, {-300, 282}, hamlet);
  site.Finish();
  land.Finish(m.Map.Map);
  CheckPlacement(m);
  return m;
}

// ---- The large map: the kingdom of three rivers ----
//
// The Great River crosses the north of the kingdom from the north-east edge
// to the north-west one; the seat lies north of it in the first view, and
// its ford on the way south is where the fight is. A stream from the eastern
// mountains joins it. The Southern River comes in at the south-east edge,
// crosses the south and fills the lake in the west, by which the fishing
// village stands; the lake drains over the south-west edge. The crossroads
// meadow lies in the middle; from it the ways run straight to the seat in
// the north, to the castle on its hill in the east, to the lake village in
// the west, to the southern castle among the dunes, to the settlement north
// east of it and to the mill south west of it.
TSampleMap LargeMap() {
  TSampleMap m{"krolestwo.map", {}, {}, {}};
  m.Map.Map.MapName.Assign(Cp("Królestwo Trzech Rzek"));
  m.Map.Players[1].Gold = 5000;
  m.Map.Players[1].Wood = 4000;
  TLandscape land(240, 240, 98765);

  // Where a cell lies: North 0 at the top corner to 1 at the bottom one,
  // East -1 at the west corner to 1 at the east one.
  auto north = [](double R, double C) { return (R + C) / 480; };
  auto east = [](double R, double C) { return (C - R) / 240; };
  auto fromMiddle = [](double R, double C) { return std::sqrt((R - 120) * (R - 120) + (C - 120) * (C - 120)); };
  // Hills all over: mountains in the east and on the north-west edge,
  // dunes in the dry south, highland and crags elsewhere.
  land.Hills(
      18,
      [&](double R, double C) {
        if (fromMiddle(R, C) < 30 || R + C < 50) return 0.0;
        // The southern castle stands at the edge of the dunes.
        if ((R - 198) * (R - 198) + (C - 197) * (C - 197) < 14 * 14) return 0.0;
        if (east(R, C) > 0.45) return 0.26;
        if (north(R, C) > 0.8) return 0.36;
        if (C < 30) return 0.24;
        return 0.14;
      },
      5,
      [&](double R, double C) {
        if (east(R, C) > 0.45 || C < 30) return THillStyle::Mountain;
        if (north(R, C) > 0.8) return THillStyle::Dunes;
        return Fractal(R, C, 40, 2, 77) > 0.6 ? THillStyle::Crags : THillStyle::Highland;
      });
  // The castle's mountain in the east, the mountains over the lake in the
  // west, the great dune of the south.
  land.Hill({52, 188}, 17, 6, THillStyle::Mountain);
  land.Hill({128, 16}, 11, 5, THillStyle::Mountain);
  land.Hill({214, 172}, 9, 3, THillStyle::Dunes);
  // Woods all over, thick in the west and south east, thin in the dry south
  // and about the crossroads.
  land.Woods(7, [&](double R, double C) {
    if (north(R, C) > 0.8) return 0.12;
    if (fromMiddle(R, C) < 35) return 0.24;
    if (east(R, C) < -0.4) return 0.45;
    if (east(R, C) > 0.2 && north(R, C) > 0.5) return 0.45;
    return 0.32;
  });
  // Ponds, two of them by the crossroads, and a knoll there.
  land.Lake({123.7, 137.7}, 2.6, 3.0, false);
  land.Lake({117.7, 103.6}, 2.4, 2.8, true);
  land.Hill({100.5, 119.6}, 4, 2, THillStyle::Highland);
  land.Lake({95, 20}, 3, 3.5, false);
  land.Lake({30, 62}, 2.6, 3, true);
  land.Lake({138, 172}, 3, 3.4, false);
  land.Lake({222, 150}, 2.6, 3, true);
  land.Lake({100, 205}, 2.8, 3, false);

  // The rivers and the lake.
  land.River({{-4, 156}, {1, 150}, {20, 126}, {47, 91}, {66, 66}, {100, 35}, {120, 14}, {134, -4}}, 3.6, 5.0, 4,
             {{66, 66}});
  land.River({{44, 172}, {40, 152}, {33, 128}, {29, 116}}, 2.0, 2.6, 2);
  land.River({{150, 244}, {150, 236}, {153, 200}, {156, 160}, {162, 135}, {175, 108}, {184, 72}, {186, 56}}, 3.4, 4.0,
             4);
  land.Lake({182, 50}, 6, 7, true);
  land.River({{188, 44}, {200, 38}, {215, 36}, {230, 40}, {244, 42}}, 2.6, 3.0, 2);

  TSite site(m, land, {0, 1920}, 110, 64);
  // The seat in the north.
  site.Building("Zamek", 9, 13, 1);
  site.Building("Wieża", 6, 19, 1);
  site.Ranks({-132, 222}, {"Chłop", "Chłop", "Piechur", "Mag", "Mnich", "Łucznik"}, 3, 1);
  site.Ranks({150, 246}, {"Rycerz", "Piechur", "Łucznik"}, 3, 1);
  const std::vector<int> seat = site.Group({0, 198}, {"Piechur", "Rycerz", "Łucznik", "Piechur"}, 1);
  site.Camp("Gród", {0, 264}, {0, 198}, seat);

  // The fight at the ford of the Great River on the way south: footmen
  // and knights meet on the ford, archers shoot at each other across the
  // river.
  const int fight = site.Fight("Bród", {0, 1086});
  const int a1 = site.Unit("Piechur", {36, 1032});
  const int b1 = site.Unit("Piechur", {51, 1050});
  const int a2 = site.Unit("Rycerz", {69, 1029});
  const int b2 = site.Unit("Rycerz", {84, 1050});
  const int a3 = site.Unit("Łucznik", {126, 990});
  const int b3 = site.Unit("Łucznik", {141, 1110});
  const int a4 = site.Unit("Łucznik", {171, 993});
  const int b4 = site.Unit("Łucznik", {186, 1113});
  site.Attacks(fight, a1, b1, true);
  site.Attacks(fight, b1, a1, true);
  site.Attacks(fight, a2, b2, true);
  site.Attacks(fight, b2, a2, true);
  site.Attacks(fight, a3, b3, false);
  site.Attacks(fight, b3, a3, false);
  site.Attacks(fight, a4, b4, false);
  site.Attacks(fight, b4, a4, false);

  // The castle on its hill in the east.
  land.Plateau({60, 179}, 6.5, 1);
  site.Building("Zamek", 60, 178, 2);
  site.Building("Wieża", 56, 183, 2);
  site.Ranks({1842, 1965}, {"Piechur", "Rycerz", "Łucznik", "Piechur", "Mnich", "Łucznik"}, 3, 2);
  const std::vector<int> hill = site.Group({1740, 1920}, {"Rycerz", "Rycerz", "Piechur", "Łucznik"}, 2);
  site.Camp("Zamek na Skale", {1650, 1920}, {1740, 1920}, hill);

  // The fishing village by the lake in the west.
  site.Building("Zamek", 166, 64, 3);
  site.Building("Wieża", 176, 60, 3);
  site.Ranks({-1830, 1980}, {"Chłop", "Chłop", "Mnich", "Chłop"}, 2, 3);
  const std::vector<int> village = site.Group({-1590, 1920}, {"Chłop", "Łucznik", "Piechur", "Mnich"}, 3);
  site.Camp("Wieś nad Jeziorem", {-1500, 1920}, {-1590, 1920}, village);

  // The southern castle among the dunes.
  site.Building("Zamek", 200, 194, 4);
  site.Building("Wieża", 192, 201, 4);
  site.Ranks({-96, 3180}, {"Piechur", "Łucznik", "Rycerz", "Mag", "Chłop", "Piechur"}, 3, 4);
  const std::vector<int> south = site.Group({0, 3060}, {"Piechur", "Piechur", "Rycerz", "Łucznik"}, 4);
  site.Camp("Zamek Południowy", {0, 2970}, {0, 3060}, south);

  // The settlement north east of the crossroads.
  site.Building("Zamek", 56, 104, 5);
  site.Ranks({780, 1338}, {"Chłop", "Mnich", "Piechur"}, 3, 5);
  const std::vector<int> settlement = site.Group({660, 1260}, {"Piechur", "Łucznik", "Chłop", "Rycerz"}, 5);
  site.Camp("Osada", {600, 1320}, {660, 1260}, settlement);

  // The mill south west of it.
  site.Building("Zamek", 194, 150, 6);
  site.Building("Wieża", 184, 138, 6);
  site.Ranks({-600, 2700}, {"Chłop", "Chłop", "Mag"}, 3, 6);
  const std::vector<int> mill = site.Group({-720, 2640}, {"Piechur", "Łucznik", "Piechur", "Mnich"}, 6);
  site.Camp("Młyn", {-660, 2580}, {-720, 2640}, mill);

  site.Direct(0, fight);
  site.Finish();
  land.Finish(m.Map.Map);
  CheckPlacement(m);
  return m;
}

}  // namespace

std::vector<TSampleMap> SampleMaps() { return {SmallMap(), LargeMap()}; }
