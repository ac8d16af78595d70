// Choosing a spell (paying mana) and casting it at the cursor.
#include <gtest/gtest.h>

#include "cmds_fixture.h"
#include "game/SpellCasting.h"

using namespace korvel;

namespace {

const std::string Fire = Cp("Kula Ognia");        // damage 45, cost 45
const std::string Bolt = Cp("Błyskawica");        // damage 90, cost 60
const std::string Heal = Cp("Uzdrowienie");       // heals 50, cost 20
const std::string Teleport = Cp("Teleportacja");  // cost 35

class SpellChoice : public ::testing::Test {
 protected:
  SpellChoice() {
    W.UnitType("Mag", {"Kula Ognia", "Uzdrowienie", "Teleportacja"});
    W.UnitType("Piechur");
  }
  TCmdWorld W;
  TMessages M;
};

TEST_F(SpellChoice, CandidatesAreTheSelectedUnitsWhoseTypeListsASpell) {
  W.Unit("Mag", 0, 0, 1);
  W.Unit("Piechur", 0, 0, 1);
  W.Unit("Mag", 0, 0, 0);
  W.Unit("Mag", 0, 0, 1);
  W.Unit("Nieznany", 0, 0, 1);
  EXPECT_EQ(CasterCandidates(W.S), (std::vector<std::string>{"Mag", "Mag"}));
}

TEST_F(SpellChoice, EveryCasterPaysWhenEachHasMoreManaThanTheCost) {
  W.Unit("Mag", 0, 0, 1).Mana = 50;
  W.Unit("Mag", 0, 0, 1).Mana = 46;
  const TSpellChoice c = ChooseSpell(W.S, "Mag", Fire, M.Sink());
  EXPECT_TRUE(c.Paid);
  EXPECT_EQ(W.S.Units[1].Mana, 5);
  EXPECT_EQ(W.S.Units[2].Mana, 1);
  EXPECT_EQ(W.S.CommandMode, cmSpell);
  EXPECT_EQ(W.S.SpellName, Fire);
  EXPECT_TRUE(M.Texts.empty());
}

TEST_F(SpellChoice, OneCasterShortOfManaMeansNobodyPaysAndNoSpellMode) {
  W.Unit("Mag", 0, 0, 1).Mana = 50;
  W.Unit("Mag", 0, 0, 1).Mana = 45;  // not more than the cost
  W.Unit("Mag", 0, 0, 1).Mana = 10;
  W.S.SpellName = Heal;
  const TSpellChoice c = ChooseSpell(W.S, "Mag", Fire, M.Sink());
  EXPECT_FALSE(c.Paid);
  EXPECT_EQ(c.Refused, 2);
  EXPECT_EQ(M.Texts, (std::vector<std::string>{Cp("Za mało many!"), Cp("Za mało many!")}));
  EXPECT_EQ(W.S.Units[1].Mana, 50);
  EXPECT_EQ(W.S.Units[2].Mana, 45);
  EXPECT_EQ(W.S.CommandMode, cmNormal);
  EXPECT_EQ(W.S.SpellName, Heal);
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{1, 2, 3}));
}

TEST_F(SpellChoice, OtherTypesAndEveryBuildingAreDeselected) {
  W.Unit("Mag", 0, 0, 1).Mana = 100;
  W.Unit("Piechur", 0, 0, 1);
  W.Unit("Mag", 0, 0, 0).Mana = 100;
  W.Building("Zamek", 0, 0, 1);
  ChooseSpell(W.S, "Mag", Fire, M.Sink());
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{1}));
  EXPECT_TRUE(W.SelectedBuildings().empty());
  EXPECT_EQ(W.S.Units[3].Mana, 100);  // not selected: does not pay
}

TEST_F(SpellChoice, ASpellTheTypeDoesNotListOrTheTableDoesNotHoldIsNotCast) {
  for (auto [type, spell] :
       {std::pair{std::string("Mag"), Bolt}, std::pair{std::string("Druid"), std::string("Deszcz")}}) {
    TCmdWorld w;
    w.UnitType("Mag", {"Kula Ognia"});
    w.UnitType("Druid", {"Deszcz"});
    w.Unit(type, 0, 0, 1).Mana = 100;
    w.S.SpellName = Fire;
    const TSpellChoice c = ChooseSpell(w.S, type, spell, M.Sink());
    EXPECT_FALSE(c.Known) << spell;
    EXPECT_EQ(w.S.Units[1].Mana, 100) << spell;
    EXPECT_EQ(w.S.CommandMode, cmNormal) << spell;
    EXPECT_EQ(w.S.SpellName, Fire) << spell;
  }
  EXPECT_TRUE(M.Texts.empty());
}

TEST_F(SpellChoice, NoSelectedCasterOfTheTypeLeavesTheModeAlone) {
  W.Unit("Piechur", 0, 0, 1);
  W.S.CommandMode = cmAttack;
  EXPECT_FALSE(ChooseSpell(W.S, "Mag", Fire, M.Sink()).Paid);
  EXPECT_EQ(W.S.CommandMode, cmAttack);
}

class SpellCast : public ::testing::Test {
 protected:
  void Cast(std::int32_t X, std::int32_t Y) {
    W.S.CursorWorldX = X;
    W.S.CursorWorldY = Y;
    CastSpell(W.S, [this](int I) { Sounds.push_back(I); });
  }
  TCmdWorld W;
  std::vector<int> Sounds;
};

TEST_F(SpellCast, BoltHitsEveryUnitAndBuildingUnderTheCursorCasterIncluded) {
  W.Unit("Mag", 100, 100, 1);       // the caster, under the cursor
  W.Unit("Piechur", 110, 115, 0);   // overlapping
  W.Unit("Piechur", 116, 100, 0);   // 16 across: outside
  W.Unit("Piechur", 100, 120, 0);   // 20 down: outside
  W.Building("Zamek", 159, 40, 0);  // 59 and 60 away: outside on y
  W.Building("Zamek", 159, 41, 0);  // inside
  W.S.SpellName = Cp("Błyskawica");
  W.S.CommandMode = cmSpell;
  Cast(100, 100);
  EXPECT_EQ(W.S.Units[1].HP, 10);
  EXPECT_EQ(W.S.Units[2].HP, 10);
  EXPECT_EQ(W.S.Units[3].HP, 100);
  EXPECT_EQ(W.S.Units[4].HP, 100);
  EXPECT_EQ(W.S.Buildings[1].HP, 500);
  EXPECT_EQ(W.S.Buildings[2].HP, 410);
  EXPECT_EQ(W.S.CommandMode, cmNormal);
  EXPECT_EQ(Sounds, (std::vector<int>{sndMagic}));
  EXPECT_EQ(W.S.SpellName, Cp("Błyskawica"));  // a cast keeps the name
}

TEST_F(SpellCast, HealRaisesHitPointsAndSparesBuildings) {
  W.Unit("Piechur", 0, 0).HP = 30;
  W.Building("Zamek", 0, 0);
  W.S.SpellName = Cp("Uzdrowienie");
  W.S.CommandMode = cmSpell;
  Cast(1, -1);
  EXPECT_EQ(W.S.Units[1].HP, 80);  // the tick caps it later
  EXPECT_EQ(W.S.Buildings[1].HP, 500);
}

TEST_F(SpellCast, ACastOnEmptyGroundStillEndsTheModeWithTheMagicSound) {
  W.Unit("Piechur", 0, 0);
  W.S.SpellName = Cp("Kula Ognia");
  W.S.CommandMode = cmSpell;
  Cast(1000, 1000);
  EXPECT_EQ(W.S.Units[1].HP, 100);
  EXPECT_EQ(W.S.CommandMode, cmNormal);
  EXPECT_EQ(Sounds.size(), 1u);
}

TEST_F(SpellCast, AnUnknownSpellNameDoesNothing) {
  W.Unit("Piechur", 0, 0);
  W.S.SpellName = "Deszcz";
  W.S.CommandMode = cmSpell;
  Cast(0, 0);
  EXPECT_EQ(W.S.Units[1].HP, 100);
  EXPECT_EQ(W.S.CommandMode, cmSpell);
  EXPECT_TRUE(Sounds.empty());
}

TEST_F(SpellCast, TeleportTakesTwoClicks) {
  W.Unit("Mag", 500, 500, 1);
  W.Unit("Piechur", 100, 100, 0);
  W.Unit("Piechur", 105, 105, 1);
  W.Building("Zamek", 100, 100, 1);
  W.S.SpellName = Cp("Teleportacja");
  W.S.CommandMode = cmSpell;

  Cast(101, 101);
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{3}));  // the higher slot under the cursor
  EXPECT_EQ(W.SelectedBuildings(), (std::vector<int>{1}));
  EXPECT_EQ(W.S.SpellName, TeleportSecondStep);
  EXPECT_EQ(W.S.CommandMode, cmSpell);
  EXPECT_EQ(W.S.Buildings[1].HP, 500);

  Cast(-385, 302);
  EXPECT_EQ(W.S.Units[3].X, -384);
  EXPECT_EQ(W.S.Units[3].TargetX, -384);
  EXPECT_EQ(W.S.Units[3].Y, 300);
  EXPECT_EQ(W.S.Units[3].TargetY, 300);
  EXPECT_EQ(W.S.Units[2].X, 100);
  EXPECT_EQ(W.S.SpellName, "");
  EXPECT_EQ(W.S.CommandMode, cmNormal);
  EXPECT_EQ(Sounds, (std::vector<int>{sndMagic, sndMagic}));
}

TEST_F(SpellCast, TeleportFirstClickOnEmptyGroundWaitsForAUnit) {
  W.Unit("Mag", 500, 500, 1);
  W.S.SpellName = Cp("Teleportacja");
  W.S.CommandMode = cmSpell;
  Cast(0, 0);
  EXPECT_EQ(W.S.SpellName, Cp("Teleportacja"));
  EXPECT_EQ(W.S.CommandMode, cmSpell);
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{1}));
}

}  // namespace
