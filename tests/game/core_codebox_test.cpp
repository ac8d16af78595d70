#include "game/CodeBox.h"

#include <gtest/gtest.h>

#include "platform/rtl/Cp1250.h"
#include "tests/game/core_fixtures.h"

using namespace korvel;

namespace {

TEST(CodeBox, EntriesChangeTheCodeResourcesAndSpeedUpInSequence) {
  TCoreWorld w;
  w.S.Player.Gold = 5;
  w.S.Player.Wood = 7;
  const struct {
    const char* Text;
    bool Help;
    std::int32_t Gold, Wood;
    bool SpeedUp;
  } steps[] = {
      {"Bring copper to the Mill", false, 1005, 1007, false},
      {"Bring copper to the Mill", false, 2005, 2007, false},  // once per entry
      {"Harvest of the Old Moon", false, 2005, 2007, true},
      {"Lumina", true, 2005, 2007, false},  // another text ends the speed-up
      {"Harvest of the Old Moon", false, 2005, 2007, true},
      {"", false, 2005, 2007, false},                         // an empty one too
      {"harvest of the old moon", false, 2005, 2007, false},  // case counts
      {"lumina", false, 2005, 2007, false},
      {"Bring copper to the Mill ", false, 2005, 2007, false},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(EnterCode(w.S, s.Text), s.Help) << s.Text;
    EXPECT_EQ(w.S.EnteredCode, s.Text);
    EXPECT_EQ(w.S.Player.Gold, s.Gold) << s.Text;
    EXPECT_EQ(w.S.Player.Wood, s.Wood) << s.Text;
    EXPECT_EQ(SpeedUpActive(w.S), s.SpeedUp) << s.Text;
  }
}

TEST(CodeBox, HelpTextAndBoxSettings) {
  EXPECT_EQ(CodeHelpTitle(), "Kody");
  EXPECT_EQ(CodeHelpText(),
            Cp("Harvest of the Old Moon - przyspiesza pracę\nBring copper to the Mill - dodatkowe surowce"));
  EXPECT_EQ(CodeBoxInitialText(), Cp("Wprowadź kod."));
  EXPECT_TRUE(OpensCodeBox(13));
  EXPECT_FALSE(OpensCodeBox(27));
  EXPECT_EQ(CodeBoxMaxLength, 50);
}

}  // namespace
