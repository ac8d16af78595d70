// What reaches the output: a wave played through the wave list is rendered by
// the mixer with its item's volume and pan, overlapping plays add up, and the
// sound ends with its samples.
#include <cmath>

#include "tests/input_sound/sound_fixture.h"

namespace {

class SoundMixTest : public SoundFixture {};

TEST_F(SoundMixTest, PlayedWaveReachesTheOutputWithItsVolumeAndPan) {
  auto* sound = MakeSound(Main);
  auto* list = MakeList(Main, sound, {"tone"});
  // 0.1 s of a constant 8-bit level of +64 (16384 as 16-bit) at the output's
  // own rate, so that every output frame carries it unchanged.
  TWaveCollection scratch(nullptr);
  auto* tuned = new TTunedWaveItem(&scratch);
  tuned->SetName("tone");
  FillWave(*tuned->Wave(), 1, 48000, 8, 4800, 0xC0);
  tuned->Tune(0, 1000, -600);  // 10 dB towards the right, 6 dB down
  TWaveCollectionItem* item = list->Items()->Items(0);
  item->Assign(tuned);

  EXPECT_EQ(Render(100), std::vector<std::int16_t>(200, 0));
  item->Play(false);
  const std::vector<std::int16_t> mix = Render(4800 + 200);
  const double level = 16384.0;
  const double left = level * std::pow(10.0, -1600 / 2000.0);  // volume and the pan's cut
  const double right = level * std::pow(10.0, -600 / 2000.0);
  for (int frame : {0, 1, 2000, 4799}) {
    SCOPED_TRACE(frame);
    EXPECT_NEAR(mix[2 * frame], left, left * 0.01);
    EXPECT_NEAR(mix[2 * frame + 1], right, right * 0.01);
  }
  // Then silence: a one-shot ends with its samples.
  for (int frame = 4800; frame < 5000; ++frame) {
    ASSERT_EQ(mix[2 * frame], 0) << frame;
    ASSERT_EQ(mix[2 * frame + 1], 0) << frame;
  }
  EXPECT_FALSE(item->Duplicates(0)->Playing());

  // Two overlapping plays add up (two duplicates sharing the samples).
  item->Play(false);
  Render(1000);
  item->Play(false);
  ASSERT_EQ(item->DuplicateCount(), 2);
  const std::vector<std::int16_t> both = Render(10);
  EXPECT_NEAR(both[1], 2 * right, 2 * right * 0.01);
  EXPECT_NEAR(both[0], 2 * left, 2 * left * 0.01);

  // Stopping everything silences the output.
  item->StopAll();
  EXPECT_EQ(Render(10), std::vector<std::int16_t>(20, 0));
}

TEST_F(SoundMixTest, StereoSixteenBitWaveAtAnotherRateIsResampled) {
  auto* sound = MakeSound(Main);
  auto* list = MakeList(Main, sound, {"build"});
  TWaveCollectionItem* item = list->Items()->Items(0);
  // 16-bit stereo at 24 kHz: left +8000, right -8000, 0.05 s.
  TWave& wave = *item->Wave();
  FillWave(wave, 2, 24000, 16, 1200 * 4);
  for (int f = 0; f < 1200; ++f) {
    const std::int16_t l = 8000, r = -8000;
    wave.Data()[4 * f] = static_cast<std::uint8_t>(l & 0xFF);
    wave.Data()[4 * f + 1] = static_cast<std::uint8_t>((l >> 8) & 0xFF);
    wave.Data()[4 * f + 2] = static_cast<std::uint8_t>(r & 0xFF);
    wave.Data()[4 * f + 3] = static_cast<std::uint8_t>((r >> 8) & 0xFF);
  }
  item->Restore();
  item->Play(false);
  // Twice as many output frames as samples.
  const std::vector<std::int16_t> mix = Render(2400 + 100);
  EXPECT_EQ(mix[2 * 10], 8000);
  EXPECT_EQ(mix[2 * 10 + 1], -8000);
  EXPECT_EQ(mix[2 * 2300], 8000);
  EXPECT_EQ(mix[2 * 2450], 0);
}

}  // namespace
