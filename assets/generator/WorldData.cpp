#include "assets/generator/WorldData.h"

#include <algorithm>
#include <cmath>

#include "assets/generator/Raster.h"
#include "platform/rtl/Cp1250.h"
#include "world/MapGeometry.h"

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

std::int32_t CellCentreX(int Row, int Col) { return static_cast<std::int32_t>(GroundCentreX(Row, Col)); }
std::int32_t CellCentreY(int Row, int Col) { return static_cast<std::int32_t>(GroundCentreY(Row, Col)); }
std::int32_t BuildingY(int Row, int Col) { return CellCentreY(Row, Col) - 38; }

// Measured from the ground centre of cell (0, 0), which lies at (-4, -11).
double CellRowAt(double X, double Y) { return ((Y - GroundCentreY(0, 0)) / 8 - (X - GroundCentreX(0, 0)) / 16) / 2; }
double CellColAt(double X, double Y) { return ((Y - GroundCentreY(0, 0)) / 8 + (X - GroundCentreX(0, 0)) / 16) / 2; }

bool BlockingAt(const TMapBlock& Map, std::int32_t X, std::int32_t Y) { return TerrainUnder(Map, X, Y) != tkPlain; }
