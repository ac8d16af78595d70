#include "tools/assetgen/WorldData.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Cp1250.h"
#include "tools/assetgen/Raster.h"

namespace {

TUnitType Unit(const char* Name, int Class, int HP, int Attack, int Defense, int Mana, int Range, int Interval,
               int TrainTime, int Gold, int Wood, std::vector<const char*> Spells, std::vector<const char*> Buildings) {
  TUnitType t;
  t.Name.Assign(Cp(Name));
  t.Class = static_cast<std::uint8_t>(Class);
  t.MaxHP = HP;
  t.Attack = Attack;
  t.Defense = Defense;
  t.MaxMana = Mana;
  t.Range = Range;
  t.AttackInterval = Interval;
  t.TrainTime = TrainTime;
  t.GoldCost = Gold;
  t.WoodCost = Wood;
  for (std::size_t i = 0; i < Spells.size(); ++i) t.Spells[i + 1].Assign(Cp(Spells[i]));
  for (std::size_t i = 0; i < Buildings.size(); ++i) t.Buildings[i + 1].Assign(Cp(Buildings[i]));
  return t;
}

TBuildingType Building(const char* Name, int HP, int Attack, int Defense, int Range, int Interval, int BuildTime,
                       int Gold, int Wood, std::vector<const char*> Units) {
  TBuildingType t;
  t.Name.Assign(Cp(Name));
  t.MaxHP = HP;
  t.Attack = Attack;
  t.Defense = Defense;
  t.Range = Range;
  t.AttackInterval = Interval;
  t.BuildTime = BuildTime;
  t.GoldCost = Gold;
  t.WoodCost = Wood;
  for (std::size_t i = 0; i < Units.size(); ++i) t.Units[i + 1].Assign(Cp(Units[i]));
  return t;
}

}  // namespace

// Times are in ticks (the game runs about 60 a second); strikes come on ticks
// whose number leaves 1 by the interval, so the intervals divide 1000.
std::vector<TUnitTypeFile> UnitTypes() {
  return {
      {"chlop.unt", Unit("Chłop", 3, 60, 6, 1, 0, 22, 50, 300, 50, 0, {}, {"Zamek", "Wieża"}), true},
      {"lucznik.unt", Unit("Łucznik", 1, 80, 13, 2, 0, 150, 50, 450, 70, 40, {}, {}), true},
      {"mag.unt",
       Unit("Mag", 2, 70, 11, 2, 120, 120, 50, 800, 180, 30, {"Kula Ognia", "Błyskawica", "Teleportacja"}, {}), true},
      {"mnich.unt", Unit("Mnich", 2, 75, 6, 3, 100, 60, 50, 600, 120, 20, {"Uzdrowienie"}, {}), true},
      {"piechur.unt", Unit("Piechur", 0, 120, 15, 4, 0, 24, 40, 400, 60, 20, {}, {}), true},
      {"rycerz.unt", Unit("Rycerz", 4, 200, 22, 8, 0, 28, 50, 700, 150, 40, {}, {}), true},
      // A scout who slips through forests, water and hills: the game only.
      {"zwiadowca.unt", Unit("Zwiadowca", 5, 70, 8, 2, 0, 24, 40, 350, 50, 20, {}, {}), false},
  };
}

std::vector<TBuildingTypeFile> BuildingTypes() {
  return {
      {"wieza.bld", Building("Wieża", 800, 16, 8, 180, 40, 1200, 300, 250, {"Łucznik", "Mag", "Mnich", "Zwiadowca"})},
      {"zamek.bld", Building("Zamek", 1500, 12, 10, 120, 50, 1800, 600, 400, {"Chłop", "Piechur", "Rycerz"})},
  };
}

std::int32_t CellCentreX(int Row, int Col) { return 16 * (Col - Row) - 4; }
std::int32_t CellCentreY(int Row, int Col) { return 8 * (Row + Col) - 11; }
std::int32_t BuildingY(int Row, int Col) { return CellCentreY(Row, Col) - 38; }

double CellRowAt(double X, double Y) { return ((Y + 11) / 8 - (X + 4) / 16) / 2; }
double CellColAt(double X, double Y) { return ((Y + 11) / 8 + (X + 4) / 16) / 2; }

bool TOpenArea::Holds(double X, double Y, double Margin) const {
  const double r = CellRowAt(X, Y), c = CellColAt(X, Y);
  const double dr = Row2 - Row1, dc = Col2 - Col1, len2 = dr * dr + dc * dc;
  double t = len2 > 0 ? ((r - Row1) * dr + (c - Col1) * dc) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double er = r - (Row1 + t * dr), ec = c - (Col1 + t * dc);
  return er * er + ec * ec <= (Radius + Margin) * (Radius + Margin);
}

namespace {

// The values one side of the game's test takes for a unit at Pos over every
// scroll: the screen position Scroll + Pos + Half cut down to a multiple of
// Big, less the scroll cut down to a multiple of Small plus Half - Constant
// (cuts toward zero, as the game's mod does). The result depends only on the
// scroll modulo Period and on the signs of the scroll and of the screen
// position, so a round of Period on each side of both zero points gives
// every value.
std::vector<std::int64_t> TestOffsets(std::int64_t Pos, std::int64_t Half, std::int64_t Big, std::int64_t Small,
                                      std::int64_t Constant, std::int64_t Period) {
  std::vector<std::int64_t> out;
  for (std::int64_t d = 0; d < Period; ++d)
    for (std::int64_t scroll : {d, d - Period, -(Pos + Half) + d, -(Pos + Half) - Period + d}) {
      const std::int64_t screen = scroll + Pos + Half;
      const std::int64_t v = (screen - screen % Big) - (scroll - scroll % Small + Half - Constant);
      if (std::find(out.begin(), out.end(), v) == out.end()) out.push_back(v);
    }
  return out;
}

// The game's test compares P = 4j - 8i with the X side and Q = 4i + 4j with
// the Y side (on its 792 x 478 surface), so every pair of values with Q - P
// a multiple of 12 names the test position i = (Q - P) / 12, j = Q / 4 - i.
// P always lies strictly between X - 12 and X + 36 and Q strictly between
// Y + 3 and Y + 27: the position (i, j) is read only for world positions
// strictly inside the 48 x 24 box X in (P - 36, P + 12), Y in (Q - 27, Q - 3).
std::vector<std::int64_t> TestSideX(std::int32_t X) { return TestOffsets(X, 396, 16, 8, 12, 16); }
std::vector<std::int64_t> TestSideY(std::int32_t Y) { return TestOffsets(Y, 239, 4, 8, 15, 8); }

template <typename F>
void ForTestedPositions(const TMapBlock& Map, const std::vector<std::int64_t>& SideX,
                        const std::vector<std::int64_t>& SideY, F Visit) {
  const std::int64_t rows = 2 * static_cast<std::int64_t>(Map.UsedRows()), cols = 2 * static_cast<std::int64_t>(Map.UsedCols());
  for (std::int64_t p : SideX)
    for (std::int64_t q : SideY) {
      if ((q - p) % 12 != 0) continue;
      const std::int64_t i = (q - p) / 12, j = q / 4 - i;
      if (i < 1 || i > rows || j < 1 || j > cols) continue;
      const std::int64_t flat = (i - 1) * MapSize + (j - 1);
      if (flat < static_cast<std::int64_t>(MapCells)) Visit(static_cast<std::size_t>(flat));
    }
}

}  // namespace

std::vector<std::size_t> TestedTerrain(const TMapBlock& Map, std::int32_t X, std::int32_t Y) {
  std::vector<std::size_t> out;
  ForTestedPositions(Map, TestSideX(X), TestSideY(Y), [&](std::size_t Flat) { out.push_back(Flat); });
  return out;
}

bool TerrainBlocks(const TMapBlock& Map, std::int32_t X, std::int32_t Y) {
  bool blocked = false;
  ForTestedPositions(Map, TestSideX(X), TestSideY(Y),
                     [&](std::size_t Flat) { blocked = blocked || Map.Terrain[Flat] != tkPlain; });
  return blocked;
}

namespace {

// Terrain from noise: water in the lows, forests in patches, the four kinds
// of raised ground on the heights (meadow, then rock, snow on the peaks, and
// dunes in the dry south), and elevations that change by at most one step
// between neighbouring cells, so that no cell ever shows a gap below it.
void MakeTerrain(TMapBlock& Map, int Rows, int Cols, std::uint32_t Seed, double Scale) {
  Map.MapRows = Rows;
  Map.MapCols = Cols;
  std::vector<int> level(static_cast<std::size_t>(Rows * Cols));
  for (int r = 1; r <= Rows; ++r)
    for (int c = 1; c <= Cols; ++c) {
      double h = Fractal(r, c, 14 * Scale, 4, Seed);
      double forest = Fractal(r, c, 6 * Scale, 3, Seed + 50);
      double dry = Fractal(r, c, 30 * Scale, 2, Seed + 90);
      std::uint8_t kind = tkPlain;
      int e = 0;
      if (h < 0.38) {
        kind = tkWater;
      } else if (h > 0.68) {
        double up = (h - 0.68) / 0.32;
        e = 1 + static_cast<int>(up * 8);
        if (dry > 0.68) kind = 5;
        else if (up > 0.55) kind = 6;
        else if (up > 0.28) kind = 3;
        else kind = 4;
      } else {
        if (forest > 0.6 && h > 0.38) kind = tkTree;
        e = h > 0.55 ? 1 : 0;
      }
      Map.SetTerrainAt(r, c, kind);
      level[static_cast<std::size_t>((r - 1) * Cols + (c - 1))] = e;
    }
  for (int r = 1; r <= Rows; ++r)
    for (int c = 1; c <= Cols; ++c)
      Map.SetHeightAt(r, c, static_cast<std::uint8_t>(std::min(9, level[static_cast<std::size_t>((r - 1) * Cols + (c - 1))])));
}

// Lowers every cell to at most one step above each of its neighbours, and
// water to the ground.
void SmoothHeights(TMapBlock& Map) {
  const int rows = Map.MapRows, cols = Map.MapCols;
  // Lone raised cells and one-cell ledges wear away: a raised cell needs two
  // raised neighbours, a higher cell two neighbours as high.
  for (int pass = 0; pass < 2; ++pass)
    for (int r = 1; r <= rows; ++r)
      for (int c = 1; c <= cols; ++c) {
        const int dr[4] = {-1, 1, 0, 0}, dc[4] = {0, 0, -1, 1};
        int raised = 0, high = 0;
        for (int k = 0; k < 4; ++k) {
          raised += Map.TerrainAt(r + dr[k], c + dc[k]) > tkWater;
          high += Map.HeightAt(r + dr[k], c + dc[k]) >= Map.HeightAt(r, c);
        }
        if (Map.TerrainAt(r, c) > tkWater && raised < 2) Map.SetTerrainAt(r, c, tkPlain);
        if (Map.HeightAt(r, c) > 0 && high < 2) Map.SetHeightAt(r, c, static_cast<std::uint8_t>(Map.HeightAt(r, c) - 1));
      }
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= cols; ++c)
      if (Map.TerrainAt(r, c) == tkWater) Map.SetHeightAt(r, c, 0);
  bool changed = true;
  while (changed) {
    changed = false;
    for (int r = 1; r <= rows; ++r)
      for (int c = 1; c <= cols; ++c) {
        int e = Map.HeightAt(r, c);
        const int dr[4] = {-1, 1, 0, 0}, dc[4] = {0, 0, -1, 1};
        for (int k = 0; k < 4; ++k) {
          int nr = r + dr[k], nc = c + dc[k];
          if (nr < 1 || nc < 1 || nr > rows || nc > cols) continue;
          int n = Map.HeightAt(nr, nc);
          if (e > n + 1) {
            e = n + 1;
            changed = true;
          }
        }
        Map.SetHeightAt(r, c, static_cast<std::uint8_t>(e));
      }
  }
}

// Clears a round patch of plain ground at elevation 0 around (Row, Col).
void Clearing(TMapBlock& Map, int Row, int Col, int Radius) {
  for (int r = Row - Radius - 2; r <= Row + Radius + 2; ++r)
    for (int c = Col - Radius - 2; c <= Col + Radius + 2; ++c) {
      if (r < 1 || c < 1 || r > Map.MapRows || c > Map.MapCols) continue;
      int d2 = (r - Row) * (r - Row) + (c - Col) * (c - Col);
      if (d2 <= Radius * Radius) {
        Map.SetTerrainAt(r, c, tkPlain);
        Map.SetHeightAt(r, c, 0);
      }
    }
}

// A river of water cells from one edge to the other, with a ford.
void River(TMapBlock& Map, int Col0, int Rows, std::uint32_t Seed, int FordRow) {
  for (int r = 1; r <= Rows; ++r) {
    double wander = (ValueNoise(r, 0, 9, Seed) - 0.5) * 8;
    int c = Col0 + static_cast<int>(std::lround(wander));
    for (int w = 0; w < 2; ++w) {
      if (std::abs(r - FordRow) <= 1) {
        Map.SetTerrainAt(r, c + w, tkPlain);
      } else {
        Map.SetTerrainAt(r, c + w, tkWater);
      }
      Map.SetHeightAt(r, c + w, 0);
    }
  }
}

// A mountain: meadow on its feet, rock higher up, snow on the top, its
// elevation rising towards the middle.
void Mountain(TMapBlock& Map, int Row, int Col, int Radius, std::uint32_t Seed) {
  for (int r = Row - Radius - 1; r <= Row + Radius + 1; ++r)
    for (int c = Col - Radius - 1; c <= Col + Radius + 1; ++c) {
      if (r < 1 || c < 1 || r > Map.MapRows || c > Map.MapCols) continue;
      double d = std::sqrt(double((r - Row) * (r - Row) + (c - Col) * (c - Col))) / Radius;
      d += (ValueNoise(r, c, 2.5, Seed) - 0.5) * 0.5;
      if (d > 1) continue;
      std::uint8_t kind = d < 0.3 ? 6 : (d < 0.65 ? 3 : 4);
      Map.SetTerrainAt(r, c, kind);
      Map.SetHeightAt(r, c, static_cast<std::uint8_t>(1 + static_cast<int>((1 - d) * 4)));
    }
}

// Sand dunes of the fourth raised kind.
void Dunes(TMapBlock& Map, int Row, int Col, int Radius, std::uint32_t Seed) {
  for (int r = Row - Radius; r <= Row + Radius; ++r)
    for (int c = Col - Radius; c <= Col + Radius; ++c) {
      if (r < 1 || c < 1 || r > Map.MapRows || c > Map.MapCols) continue;
      double d = std::sqrt(double((r - Row) * (r - Row) + (c - Col) * (c - Col))) / Radius;
      if (d + (ValueNoise(r, c, 2, Seed) - 0.5) * 0.6 > 1) continue;
      Map.SetTerrainAt(r, c, 5);
      Map.SetHeightAt(r, c, d < 0.5 ? 2 : 1);
    }
}

// Makes the open areas walkable: every terrain position the game's test
// reads for a position inside them becomes plain ground. Those positions are
// found from the test's side: position (i, j) is read inside its 48 x 24
// box around (4j - 8i - 12, 4i + 4j - 15), which reaches 1.5 cells from its
// middle. A cell between two opened cells of its row is opened too, so that
// the opened ground shows as meadow rather than as stripes (the test never
// reads odd columns, so that costs no blocking). Elevations stay.
std::vector<bool> OpenTheAreas(TMapBlock& Map, const std::vector<TOpenArea>& Areas) {
  const int rows = Map.UsedRows(), cols = Map.UsedCols();
  std::vector<bool> open(MapCells, false);
  for (int i = 1; i <= 2 * rows; ++i)
    for (int j = 2; j <= 2 * cols; j += 2) {
      const std::size_t flat = static_cast<std::size_t>(i - 1) * MapSize + static_cast<std::size_t>(j - 1);
      if (flat >= MapCells) continue;
      const double x = 4.0 * j - 8.0 * i - 12, y = 4.0 * i + 4.0 * j - 15;
      for (const TOpenArea& a : Areas)
        if (a.Holds(x, y, 1.5)) {
          open[flat] = true;
          break;
        }
    }
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= cols; ++c) {
      const std::size_t at = TMapBlock::CellIndex(r, c);
      const bool between = c > 1 && c < cols && open[at - 1] && open[at + 1];
      if (open[at] || between) Map.SetTerrainAt(r, c, tkPlain);
    }
  return open;
}

// Outside the open areas the game's test reads, for the positions near the
// map's west corner, a shrunken and sheared copy of the ground of the whole
// map. Where that holds units back on most of a cell drawn as plain ground,
// the cell shows the ground that holds them back (forest, or the raised
// ground or water read), so that what stops a unit is what the player sees.
// Cells read for the open areas (Kept) and cells inside them stay as they
// are. Drawing a cell changes what is read for positions nearer the corner,
// so the cells are done from the far end in, and again until nothing changes.
void ShowWhatBlocks(TMapBlock& Map, const std::vector<TOpenArea>& Areas, const std::vector<bool>& Kept) {
  const int rows = Map.UsedRows(), cols = Map.UsedCols();
  for (int pass = 0; pass < 4; ++pass) {
    bool changed = false;
    for (int sum = rows + cols; sum >= 2; --sum)
      for (int r = std::max(1, sum - cols); r <= std::min(rows, sum - 1); ++r) {
        const int c = sum - r;
        const std::size_t at = TMapBlock::CellIndex(r, c);
        if (Kept[at] || Map.Terrain[at] != tkPlain) continue;
        const double cx = CellCentreX(r, c), cy = CellCentreY(r, c);
        if (std::any_of(Areas.begin(), Areas.end(), [&](const TOpenArea& a) { return a.Holds(cx, cy); })) continue;
        if (TestedTerrain(Map, static_cast<std::int32_t>(cx), static_cast<std::int32_t>(cy)).empty()) continue;
        // Sixteen points spread over the cell.
        std::vector<std::int64_t> sideX[4], sideY[4];
        for (int k = 0; k < 4; ++k) {
          sideX[k] = TestSideX(static_cast<std::int32_t>(cx) - 12 + 8 * k);
          sideY[k] = TestSideY(static_cast<std::int32_t>(cy) - 6 + 4 * k);
        }
        int blocked = 0, kinds[7] = {};
        for (int ky = 0; ky < 4; ++ky)
          for (int kx = 0; kx < 4; ++kx) {
            bool held = false;
            ForTestedPositions(Map, sideX[kx], sideY[ky], [&](std::size_t f) {
              if (Map.Terrain[f] == tkPlain || Map.Terrain[f] >= 7) return;
              held = true;
              ++kinds[Map.Terrain[f]];
            });
            blocked += held;
          }
        if (blocked <= 8) continue;
        int kind = tkTree;
        for (int k = 2; k < 7; ++k)
          if (kinds[k] > kinds[kind]) kind = k;
        if (kind == tkWater && Map.HeightAt(r, c) != 0) kind = tkTree;
        Map.SetTerrainAt(r, c, static_cast<std::uint8_t>(kind));
        changed = true;
      }
    if (!changed) break;
  }
}

// The two ways a unit walks between the cells (Row1, Col1) and (Row2,
// Col2), one from each end: diagonally until one axis is done, then
// straight along the other.
void AddWay(std::vector<TOpenArea>& Areas, int Row1, int Col1, int Row2, int Col2, double Radius) {
  const double ax = CellCentreX(Row1, Col1), ay = CellCentreY(Row1, Col1);
  const double bx = CellCentreX(Row2, Col2), by = CellCentreY(Row2, Col2);
  const double dx = bx - ax, dy = by - ay, m = std::min(std::abs(dx), std::abs(dy));
  const double sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  auto leg = [&](double x1, double y1, double x2, double y2) {
    Areas.push_back({CellRowAt(x1, y1), CellColAt(x1, y1), CellRowAt(x2, y2), CellColAt(x2, y2), Radius});
  };
  leg(ax, ay, ax + sx * m, ay + sy * m);
  leg(ax + sx * m, ay + sy * m, bx, by);
  leg(bx, by, bx - sx * m, by - sy * m);
  leg(bx - sx * m, by - sy * m, ax, ay);
}

struct TPlacer {
  TMapFile& File;
  int Units = 0;
  int Buildings = 0;
  std::vector<TUnitTypeFile> UnitTypeList = UnitTypes();
  std::vector<TBuildingTypeFile> BuildingTypeList = BuildingTypes();

  const TUnitType& UnitType(const char* Name) {
    for (auto& t : UnitTypeList)
      if (t.Type.Name.Equals(Cp(Name))) return t.Type;
    return UnitTypeList.front().Type;
  }
  const TBuildingType& BuildingType(const char* Name) {
    for (auto& t : BuildingTypeList)
      if (t.Type.Name.Equals(Cp(Name))) return t.Type;
    return BuildingTypeList.front().Type;
  }
  std::int32_t NextNumber(const TShortString& Name, bool Unit) {
    std::int32_t n = 1;
    if (Unit) {
      for (int i = 1; i <= Units; ++i)
        if (File.Units[static_cast<std::size_t>(i)].Name == Name) n = std::max(n, File.Units[static_cast<std::size_t>(i)].Number + 1);
    } else {
      for (int i = 1; i <= Buildings; ++i)
        if (File.Buildings[static_cast<std::size_t>(i)].Name == Name)
          n = std::max(n, File.Buildings[static_cast<std::size_t>(i)].Number + 1);
    }
    return n;
  }
  bool Free(int Row, int Col) {
    const TMapBlock& map = File.Map;
    if (Row < 2 || Col < 2 || Row >= map.MapRows || Col >= map.MapCols || map.TerrainAt(Row, Col) != tkPlain)
      return false;
    std::int32_t x = CellCentreX(Row, Col), y = CellCentreY(Row, Col);
    x -= x % 3;
    y -= y % 3;
    for (int i = 1; i <= Units; ++i) {
      const TUnit& o = File.Units[static_cast<std::size_t>(i)];
      if (std::abs(o.X - x) < 12 && std::abs(o.Y - y) < 12) return false;
    }
    for (int i = 1; i <= Buildings; ++i) {
      const TBuilding& b = File.Buildings[static_cast<std::size_t>(i)];
      if (std::abs(b.X - x) < 50 && std::abs(b.Y - y) < 50) return false;
    }
    return true;
  }
  void PlaceUnit(const char* Name, int Row, int Col, int Group = 0) {
    if (Units >= MaxUnits) return;
    const TUnitType& t = UnitType(Name);
    // The nearest cell of plain ground where no other unit stands yet and
    // no building pushes it (the open areas make it walkable afterwards).
    for (int ring = 0; ring < 6; ++ring) {
      bool found = false;
      for (int dr = -ring; dr <= ring && !found; ++dr)
        for (int dc = -ring; dc <= ring && !found; ++dc) {
          if (std::max(std::abs(dr), std::abs(dc)) != ring) continue;
          if (Free(Row + dr, Col + dc)) {
            Row += dr;
            Col += dc;
            found = true;
          }
        }
      if (found) break;
    }
    TUnit u;
    u.Name = t.Name;
    std::int32_t x = CellCentreX(Row, Col), y = CellCentreY(Row, Col);
    u.X = x - x % 3;
    u.Y = y - y % 3;
    u.TargetX = u.X;
    u.TargetY = u.Y;
    u.HP = t.MaxHP;
    u.Attack = t.Attack;
    u.Defense = t.Defense;
    u.Mana = t.MaxMana;
    u.Group = Group;
    u.Number = NextNumber(u.Name, true);
    File.Units[static_cast<std::size_t>(++Units)] = u;
  }
  void PlaceBuilding(const char* Name, int Row, int Col, int Group = 0) {
    if (Buildings >= MaxBuildings) return;
    const TBuildingType& t = BuildingType(Name);
    TBuilding b;
    b.Name = t.Name;
    b.X = CellCentreX(Row, Col);
    b.Y = BuildingY(Row, Col);
    b.HP = t.MaxHP;
    b.Attack = t.Attack;
    b.Defense = t.Defense;
    b.Group = Group;
    b.Number = NextNumber(b.Name, false);
    File.Buildings[static_cast<std::size_t>(++Buildings)] = b;
  }
};

// A settlement: a clearing with a castle, optionally a tower, and a company
// of every kind in loose ranks in front of the gate, a cell apart. The
// clearing and the field around it become an open area.
void Settlement(TPlacer& P, std::vector<TOpenArea>& Areas, int Row, int Col, bool Tower, int Scale, int Group) {
  Clearing(P.File.Map, Row + 2, Col, 7 + Scale);
  Areas.push_back({double(Row + 2), double(Col), double(Row + 2), double(Col), 8.0 + Scale});
  P.PlaceBuilding("Zamek", Row, Col, Group);
  if (Tower) P.PlaceBuilding("Wieża", Row - 1, Col + 5, Group);
  const char* company[] = {"Chłop", "Chłop", "Piechur", "Piechur", "Rycerz", "Łucznik", "Łucznik", "Mag", "Mnich",
                           "Piechur", "Chłop", "Rycerz"};
  int count = 6 + Scale * 3;
  for (int k = 0; k < count && k < 12; ++k) {
    int row = Row + 3 + (k % 3) * 2, col = Col - 3 + (k / 3) * 2 + (k % 3 == 1);
    P.PlaceUnit(company[k], row, col, Group);
  }
}

// The small map: a valley with a river. The game's terrain test reads the
// ground of a position near the map's west corner from cells all over the
// map, so the settlements keep east of it (where the test reads nothing)
// and the corner holds a mountain.
TSampleMap SmallMap() {
  TSampleMap m{"dolina.map", {}, {}};
  TMapBlock& map = m.Map.Map;
  MakeTerrain(map, 30, 30, 1234, 0.6);
  River(map, 19, 30, 77, 14);
  Mountain(map, 11, 5, 5, 5);
  Dunes(map, 4, 27, 3, 6);
  map.MapName.Assign(Cp("Dolina nad Wartką"));
  m.Map.Players[1].Gold = 2500;
  m.Map.Players[1].Wood = 1800;
  TPlacer p{m.Map};
  // The player's seat in the north, in the first view, and a watch post
  // across the ford.
  Settlement(p, m.OpenAreas, 4, 16, true, 1, 1);
  Clearing(map, 17, 25, 4);
  m.OpenAreas.push_back({17, 25, 17, 25, 5});
  p.PlaceBuilding("Wieża", 15, 25, 2);
  p.PlaceUnit("Piechur", 18, 24, 2);
  p.PlaceUnit("Piechur", 18, 26, 2);
  p.PlaceUnit("Łucznik", 19, 25, 2);
  AddWay(m.OpenAreas, 8, 16, 17, 25, 2.5);
  SmoothHeights(map);
  ShowWhatBlocks(map, m.OpenAreas, OpenTheAreas(map, m.OpenAreas));
  return m;
}

// The large map: six settlements on three rivers. The player's seat lies in
// the first view; ways lead from it to the others.
TSampleMap LargeMap() {
  TSampleMap m{"krolestwo.map", {}, {}};
  TMapBlock& map = m.Map.Map;
  MakeTerrain(map, 240, 240, 98765, 2.2);
  River(map, 120, 240, 31, 60);
  River(map, 170, 240, 32, 150);
  map.MapName.Assign(Cp("Królestwo Trzech Rzek"));
  m.Map.Players[1].Gold = 5000;
  m.Map.Players[1].Wood = 4000;
  TPlacer p{m.Map};
  std::vector<TOpenArea>& areas = m.OpenAreas;
  Settlement(p, areas, 9, 13, true, 2, 1);
  Settlement(p, areas, 60, 95, false, 1, 2);
  Settlement(p, areas, 130, 60, true, 1, 3);
  Settlement(p, areas, 200, 200, true, 2, 4);
  Settlement(p, areas, 150, 145, false, 1, 5);
  Settlement(p, areas, 40, 200, true, 1, 6);
  // The fields of the first view.
  areas.push_back({5, 5, 12, 12, 7});
  AddWay(areas, 11, 13, 62, 95, 2.5);
  AddWay(areas, 62, 95, 42, 200, 2.5);
  AddWay(areas, 11, 13, 132, 60, 2.5);
  AddWay(areas, 132, 60, 152, 145, 2.5);
  AddWay(areas, 152, 145, 202, 200, 2.5);
  SmoothHeights(map);
  ShowWhatBlocks(map, areas, OpenTheAreas(map, areas));
  return m;
}

}  // namespace

std::vector<TSampleMap> SampleMaps() { return {SmallMap(), LargeMap()}; }
