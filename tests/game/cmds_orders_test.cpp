// Training and construction orders with gold and wood.
#include <gtest/gtest.h>

#include "cmds_fixture.h"
#include "game/TrainBuildOrders.h"

using namespace korvel;

namespace {

const std::string Busy = Cp("Budynek jest zajęty!");
const std::string Short = Cp("Za mało surowców!");
const std::string WorkerBusy = Cp("Robotnik jest zajęty!");

class Training : public ::testing::Test {
 protected:
  Training() {
    W.UnitType("Piechur", {}, 0, {}, 100, 20);
    W.UnitType("Rycerz", {}, 0, {}, 300, 0);
    W.BuildingType("Koszary", {"Piechur", "Rycerz"});
    W.BuildingType("Wieża", {});
    W.BuildingType("Stajnia", {"Rycerz"});
    W.S.Player.Gold = 150;
    W.S.Player.Wood = 100;
  }
  TCmdWorld W;
  TMessages M;
};

TEST_F(Training, CandidatesAreSelectedBuildingsWhoseTypeTrains) {
  W.Building("Koszary", 0, 0, 1);
  W.Building(Cp("Wieża"), 0, 0, 1);
  W.Building("Stajnia", 0, 0, 0);
  W.Building("Koszary", 0, 0, 1);
  EXPECT_EQ(TrainerCandidates(W.S), (std::vector<std::string>{"Koszary", "Koszary"}));
}

TEST_F(Training, EachBuildingPaysForItselfUntilTheGoldRunsOut) {
  W.Building("Koszary", 0, 0, 1);
  W.Building("Koszary", 0, 0, 1);
  const TOrderResult r = StartTraining(W.S, "Koszary", "Piechur", M.Sink());
  EXPECT_EQ(r.Started, 1);
  EXPECT_EQ(W.S.Buildings[1].TrainUnit.Text(), "Piechur");
  EXPECT_EQ(W.S.Buildings[1].TrainProgress, 1);
  EXPECT_TRUE(W.S.Buildings[2].TrainUnit.Empty());
  EXPECT_EQ(W.S.Player.Gold, 50);
  EXPECT_EQ(W.S.Player.Wood, 80);
  EXPECT_EQ(M.Texts, std::vector<std::string>{Short});
  EXPECT_EQ(W.SelectedBuildings(), (std::vector<int>{1, 2}));
}

TEST_F(Training, RefusalsPayNothing) {
  struct Case {
    const char* What;
    std::int32_t Gold, Wood;
    const char* TrainUnit;
    std::int32_t Progress;
    std::string Message;
  };
  for (const Case& c : {Case{"training already", 1000, 1000, "Rycerz", 0, Busy},
                        Case{"progress without a unit", 1000, 1000, "", 5, Busy},
                        Case{"wood short", 1000, 19, "", 0, Short}, Case{"gold short", 99, 1000, "", 0, Short}}) {
    TCmdWorld w = W;
    TMessages m;
    w.S.Player.Gold = c.Gold;
    w.S.Player.Wood = c.Wood;
    TBuilding& b = w.Building("Koszary", 0, 0, 1);
    b.TrainUnit.Assign(c.TrainUnit);
    b.TrainProgress = c.Progress;
    EXPECT_EQ(StartTraining(w.S, "Koszary", "Piechur", m.Sink()).Started, 0) << c.What;
    EXPECT_EQ(w.S.Player.Gold, c.Gold) << c.What;
    EXPECT_EQ(w.S.Player.Wood, c.Wood) << c.What;
    EXPECT_EQ(m.Texts, std::vector<std::string>{c.Message}) << c.What;
    EXPECT_EQ(w.S.Buildings[1].TrainProgress, c.Progress) << c.What;
  }
}

TEST_F(Training, EqualStockIsEnoughAndLeavesZero) {
  W.S.Player.Gold = 100;
  W.S.Player.Wood = 20;
  W.Building("Koszary", 0, 0, 1);
  EXPECT_EQ(StartTraining(W.S, "Koszary", "Piechur", M.Sink()).Started, 1);
  EXPECT_EQ(W.S.Player.Gold, 0);
  EXPECT_EQ(W.S.Player.Wood, 0);
}

TEST_F(Training, OtherTypesAreDeselectedAndUnitsUntouched) {
  W.Building("Stajnia", 0, 0, 1);
  W.Building("Koszary", 0, 0, 1);
  W.Unit("Piechur", 0, 0, 1);
  W.S.CommandMode = cmAttack;
  StartTraining(W.S, "Koszary", "Piechur", M.Sink());
  EXPECT_EQ(W.SelectedBuildings(), (std::vector<int>{2}));
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{1}));
  EXPECT_EQ(W.S.CommandMode, cmAttack);
}

TEST_F(Training, AUnitTheTypeDoesNotTrainOrThatHasNoTypeIsNotPaidFor) {
  W.BuildingType("Kuźnia", {"Kowal"});  // no unit type "Kowal"
  W.S.Player.Gold = 1000;
  W.Building("Stajnia", 0, 0, 1);
  W.Building(Cp("Kuźnia"), 0, 0, 1);
  EXPECT_EQ(StartTraining(W.S, "Stajnia", "Piechur", M.Sink()).Started, 0);
  W.S.Buildings[2].Selected = 1;
  EXPECT_EQ(StartTraining(W.S, Cp("Kuźnia"), "Kowal", M.Sink()).Started, 0);
  EXPECT_EQ(W.S.Player.Gold, 1000);
  EXPECT_TRUE(W.S.Buildings[1].TrainUnit.Empty());
  EXPECT_TRUE(W.S.Buildings[2].TrainUnit.Empty());
  EXPECT_TRUE(M.Texts.empty());
}

TEST_F(Training, AFullUnitTableTakesNoOrderAndSaysSoOnce) {
  W.Building("Koszary", 0, 0, 1);
  W.Building("Koszary", 0, 0, 1);
  W.S.UnitCount = MaxUnits;
  const TOrderResult full = StartTraining(W.S, "Koszary", "Piechur", M.Sink());
  EXPECT_EQ(full.Started, 0);
  EXPECT_TRUE(full.Full);
  EXPECT_EQ(M.Texts, std::vector<std::string>{Cp("Za dużo jednostek!")});
  EXPECT_EQ(W.S.Player.Gold, 150);
  EXPECT_TRUE(W.S.Buildings[1].TrainUnit.Empty());
  EXPECT_EQ(W.S.Buildings[1].TrainProgress, 0);
  // One free slot: the first building trains, the second is short of gold.
  M.Texts.clear();
  W.S.UnitCount = MaxUnits - 1;
  EXPECT_EQ(StartTraining(W.S, "Koszary", "Piechur", M.Sink()).Started, 1);
  EXPECT_EQ(M.Texts, std::vector<std::string>{Cp("Za mało surowców!")});
}

class Building : public ::testing::Test {
 protected:
  Building() {
    W.UnitType("Robotnik", {}, 3, {"Zamek", "Farma"});
    W.UnitType("Piechur", {}, 0, {"Zamek"});
    W.BuildingType("Zamek", {}, 200, 100);
    W.BuildingType("Farma", {}, 50, 50);
    W.BuildingType("Port", {}, 10, 10);
    W.S.Player.Gold = 1000;
    W.S.Player.Wood = 1000;
  }
  TCmdWorld W;
  TMessages M;
};

TEST_F(Building, CandidatesAreSelectedUnitsOfTheBuilderClass) {
  W.Unit("Robotnik", 0, 0, 1);
  W.Unit("Piechur", 0, 0, 1);
  W.Unit("Robotnik", 0, 0, 0);
  EXPECT_EQ(BuilderCandidates(W.S), std::vector<std::string>{"Robotnik"});
  W.S.Units[1].Selected = 0;
  EXPECT_TRUE(BuilderCandidates(W.S).empty());
}

TEST_F(Building, OnlyTheFirstBuilderGetsTheOrderAndPlacementBegins) {
  W.Unit("Piechur", 10, 10, 1);
  TUnit& first = W.Unit("Robotnik", 30, 33, 1);
  first.TargetX = 300;
  first.TargetY = 303;
  W.Unit("Robotnik", 60, 60, 1);
  const TOrderResult r = StartBuilding(W.S, "Robotnik", "Zamek", M.Sink());
  EXPECT_EQ(r.Started, 1);
  EXPECT_EQ(W.S.Units[2].BuildName.Text(), "Zamek");
  EXPECT_EQ(W.S.Units[2].BuildProgress, 1);
  EXPECT_EQ(W.S.Units[2].TargetX, 30);
  EXPECT_EQ(W.S.Units[2].TargetY, 33);
  EXPECT_TRUE(W.S.Units[3].BuildName.Empty());
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{2, 3}));
  EXPECT_EQ(W.S.CommandMode, cmPlace);
  EXPECT_EQ(W.S.Player.Gold, 800);
  EXPECT_EQ(W.S.Player.Wood, 900);
}

TEST_F(Building, RefusalsKeepTheModeAndTheStock) {
  struct Case {
    const char* What;
    std::int32_t Gold, Wood;
    const char* BuildName;
    std::int32_t Progress;
    std::string Message;
  };
  for (const Case& c : {Case{"building already", 1000, 1000, "Farma", 3, WorkerBusy},
                        Case{"progress without a name", 1000, 1000, "", 1, WorkerBusy},
                        Case{"gold short", 199, 1000, "", 0, Short}, Case{"wood short", 1000, 99, "", 0, Short}}) {
    TCmdWorld w = W;
    TMessages m;
    w.S.Player.Gold = c.Gold;
    w.S.Player.Wood = c.Wood;
    TUnit& u = w.Unit("Robotnik", 0, 0, 1);
    u.BuildName.Assign(c.BuildName);
    u.BuildProgress = c.Progress;
    EXPECT_EQ(StartBuilding(w.S, "Robotnik", "Zamek", m.Sink()).Started, 0) << c.What;
    EXPECT_EQ(w.S.CommandMode, cmNormal) << c.What;
    EXPECT_EQ(w.S.Player.Gold, c.Gold) << c.What;
    EXPECT_EQ(w.S.Player.Wood, c.Wood) << c.What;
    EXPECT_EQ(m.Texts, std::vector<std::string>{c.Message}) << c.What;
  }
}

TEST_F(Building, ABuildingTheBuilderDoesNotListIsNotOrdered) {
  W.Unit("Robotnik", 0, 0, 1);
  EXPECT_EQ(StartBuilding(W.S, "Robotnik", "Port", M.Sink()).Started, 0);
  EXPECT_EQ(StartBuilding(W.S, "Robotnik", "Wiatrak", M.Sink()).Started, 0);
  // Nor is one it does not list when the table is full: nothing to say.
  W.S.BuildingCount = MaxBuildings;
  EXPECT_FALSE(StartBuilding(W.S, "Robotnik", "Port", M.Sink()).Full);
  EXPECT_TRUE(W.S.Units[1].BuildName.Empty());
  EXPECT_EQ(W.S.Player.Gold, 1000);
  EXPECT_EQ(W.S.CommandMode, cmNormal);
  EXPECT_TRUE(M.Texts.empty());
}

TEST_F(Building, AFullBuildingTableTakesNoOrderAndSaysSo) {
  W.Unit("Robotnik", 0, 0, 1);
  W.Unit("Robotnik", 0, 0, 1);
  W.S.BuildingCount = MaxBuildings;
  const TOrderResult full = StartBuilding(W.S, "Robotnik", "Zamek", M.Sink());
  EXPECT_TRUE(full.Full);
  EXPECT_EQ(full.Started, 0);
  EXPECT_EQ(M.Texts, std::vector<std::string>{Cp("Za dużo budynków!")});
  EXPECT_TRUE(W.S.Units[1].BuildName.Empty());
  EXPECT_EQ(W.S.Units[1].BuildProgress, 0);
  EXPECT_EQ(W.S.Player.Gold, 1000);
  EXPECT_EQ(W.S.CommandMode, cmNormal);
  M.Texts.clear();
  W.S.BuildingCount = MaxBuildings - 1;
  EXPECT_EQ(StartBuilding(W.S, "Robotnik", "Zamek", M.Sink()).Started, 1);
  EXPECT_TRUE(M.Texts.empty());
  EXPECT_EQ(W.S.CommandMode, cmPlace);
}

}  // namespace
