// Small worlds for the command tests: types and objects added in one line
// each, and an application for the tests that need windows.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "game/GameState.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/KeyState.h"

namespace korvel {

struct TCmdWorld {
  TGameState S;

  TCmdWorld() { InitSpells(S.Spells); }

  TUnitType& UnitType(const std::string& Name, std::initializer_list<const char*> Spells = {}, std::uint8_t Class = 0,
                      std::initializer_list<const char*> Buildings = {}, std::int32_t Gold = 0, std::int32_t Wood = 0) {
    TUnitType t;
    t.Name.Assign(Name);
    int s = 1;
    for (const char* sp : Spells) t.Spells[s++].Assign(Cp(sp));
    int b = 1;
    for (const char* bl : Buildings) t.Buildings[b++].Assign(Cp(bl));
    t.Class = Class;
    t.GoldCost = Gold;
    t.WoodCost = Wood;
    t.MaxHP = 100;
    S.UnitTypes[++S.UnitTypeCount] = t;
    return S.UnitTypes[S.UnitTypeCount];
  }
  TBuildingType& BuildingType(const std::string& Name, std::initializer_list<const char*> Units = {},
                              std::int32_t Gold = 0, std::int32_t Wood = 0) {
    TBuildingType t;
    t.Name.Assign(Name);
    int u = 1;
    for (const char* un : Units) t.Units[u++].Assign(Cp(un));
    t.GoldCost = Gold;
    t.WoodCost = Wood;
    S.BuildingTypes[++S.BuildingTypeCount] = t;
    return S.BuildingTypes[S.BuildingTypeCount];
  }
  TUnit& Unit(const std::string& Name, std::int32_t X, std::int32_t Y, std::uint8_t Selected = 0,
              std::int32_t Number = -1) {
    TUnit u;
    u.Name.Assign(Name);
    u.X = u.TargetX = X;
    u.Y = u.TargetY = Y;
    u.Selected = Selected;
    u.HP = 100;
    u.Number = Number >= 0 ? Number : S.UnitCount + 1;
    S.Units[++S.UnitCount] = u;
    return S.Units[S.UnitCount];
  }
  TBuilding& Building(const std::string& Name, std::int32_t X, std::int32_t Y, std::uint8_t Selected = 0,
                      std::int32_t Number = -1) {
    TBuilding b;
    b.Name.Assign(Name);
    b.X = X;
    b.Y = Y;
    b.Selected = Selected;
    b.HP = 500;
    b.Number = Number >= 0 ? Number : S.BuildingCount + 1;
    S.Buildings[++S.BuildingCount] = b;
    return S.Buildings[S.BuildingCount];
  }
  std::vector<int> SelectedUnits() const {
    std::vector<int> v;
    for (int u = 1; u <= S.UnitCount; ++u)
      if (S.Units[u].Selected) v.push_back(u);
    return v;
  }
  std::vector<int> SelectedBuildings() const {
    std::vector<int> v;
    for (int b = 1; b <= S.BuildingCount; ++b)
      if (S.Buildings[b].Selected) v.push_back(b);
    return v;
  }
};

// A driven application for tests that make windows or lists.
class TCmdAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App = std::make_unique<TApplication>();
    App->SetTitle("Brask Engine");
    Driver = std::make_unique<TTestDriver>();
  }
  void TearDown() override {
    Driver.reset();
    App.reset();
    KeyStateReleaseAll();
  }
  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
};

// Collects the texts the rules would show.
struct TMessages {
  std::vector<std::string> Texts;
  auto Sink() {
    return [this](const std::string& T) { Texts.push_back(T); };
  }
};

}  // namespace korvel
