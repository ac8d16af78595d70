// A fight heard as a player hears it: twenty warriors in ten pairs strike on
// the same ticks through the real game tick while the game's own music plays,
// and the mixed output, rendered a frame's worth after every tick, never
// clips: no runs of full-scale samples, from the blows or from the deaths
// that end the fight on one tick.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "assets/generator/Music.h"
#include "platform/dsound/DSoundTest.h"
#include "platform/media/MediaTest.h"
#include "tests/game/prog_fixture.h"
#include "world/ObjectNames.h"

using namespace korvel;

namespace {

// What a stretch of output shows of clipping: samples at full scale (either
// sign), and runs of two or more of them in a row on one channel.
struct TClipCount {
  long FullScale = 0;
  long Runs = 0;
  int LongestRun = 0;
  int Peak = 0;
};

class FightSoundTest : public GameProgramTest {
 protected:
  void SetUp() override {
    GameProgramTest::SetUp();
    DSoundTest::Reset();
    DSoundTest::SetManualClock(true);
    AddUnitType("a_warrior.unt", MakeUnitType("Wojownik"));
    AddBuildingType("a_barracks.bld", MakeBuildingType("Koszary"));
    WriteBytes("data/music/music1.MID", ComposeMusic());
    AddMap("pole.map", *MakeMap("Pole", 60, 60));
    Start("pole.map");
  }
  void TearDown() override {
    GameProgramTest::TearDown();
    DSoundTest::Reset();
  }

  // Counts clipping in interleaved stereo, keeping a run open across calls.
  void Count(const std::vector<std::int16_t>& Mix) {
    for (std::size_t i = 0; i < Mix.size(); ++i) {
      const int v = Mix[i];
      Clips.Peak = std::max(Clips.Peak, v < 0 ? -v : v);
      int& run = RunLength[i % 2];
      if (v >= 32767 || v <= -32767) {
        ++Clips.FullScale;
        if (++run == 2) ++Clips.Runs;
        Clips.LongestRun = std::max(Clips.LongestRun, run);
      } else {
        run = 0;
      }
    }
  }

  static std::vector<std::int16_t> Render(int Frames) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(Frames) * 2);
    DSoundTest::Render(out.data(), Frames);
    return out;
  }

  TClipCount Clips;
  int RunLength[2] = {0, 0};
};

TEST_F(FightSoundTest, TwentyWarriorsStrikingTogetherWithMusicNeverClip) {
  TGameState& g = Form1->State;
  ASSERT_EQ(g.GameRunning, 1);
  // Ten pairs, each pair within reach and attacking each other, the pairs
  // far enough apart that no collision or stop rule moves them.
  for (int k = 0; k < 10; ++k) {
    TUnit& a = g.Units[static_cast<std::size_t>(2 * k + 1)];
    TUnit& b = g.Units[static_cast<std::size_t>(2 * k + 2)];
    a = MakeUnit("Wojownik", 300, 200 + 40 * k, 2 * k);
    b = MakeUnit("Wojownik", 320, 200 + 40 * k, 2 * k + 1);
    for (TUnit* u : {&a, &b}) {
      u->Attack = 10;
      u->Defense = 2;
    }
    a.AttackTarget = StoredIdentifier(b);
    b.AttackTarget = StoredIdentifier(a);
  }
  g.UnitCount = 20;
  g.Tick = 0;
  Form1->MediaPlayer1->Play();
  const bool music = !MediaTest::SoundFont(*Form1->MediaPlayer1).empty();

  // One tick a frame of a 60 Hz display: 800 output frames a tick.
  TWaveCollectionItem* blows = Form1->DXWaveList1->Items()->Items(sndWarrior);
  TWaveCollectionItem* deaths = Form1->DXWaveList1->Items()->Items(sndDeath);
  int mostBlows = 0;
  for (int tick = 0; tick < 420 && g.UnitCount > 0; ++tick) {
    Ticks(1);
    mostBlows = std::max(mostBlows, blows->DuplicateCount());
    Count(Render(800));
  }
  // The fight took place: all twenty struck on one tick, and most fell on one.
  EXPECT_GE(mostBlows, 20);
  EXPECT_LE(g.UnitCount, 10);
  EXPECT_GE(deaths->DuplicateCount(), 10);
  for (int i = 0; i < 60; ++i) Count(Render(800));  // the last cries die away

  std::printf("fight%s: %ld full-scale samples, %ld runs (longest %d), peak %d\n", music ? " with music" : "",
              Clips.FullScale, Clips.Runs, Clips.LongestRun, Clips.Peak);
  EXPECT_EQ(Clips.Runs, 0);
  EXPECT_EQ(Clips.FullScale, 0);
  // Loud all the same: the limiter brings the pile-up down, not to silence.
  EXPECT_GT(Clips.Peak, 32767 / 2);
  EXPECT_TRUE(ErrorTexts().empty());
}

}  // namespace
