// Test access to the media player: where it looks for its sound font, and
// what it holds. The rendered music is read through DSoundTest::Render, with
// the sound effects, under DSoundTest's manual clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/media/MediaPlayer.h"

namespace MediaTest {

// Sound font files (host names) to try in place of the installed ones, for
// players opened from then on; ResetSoundFontSearch goes back to those.
void SetSoundFontSearch(std::vector<std::string> Paths);
void ResetSoundFontSearch();

// The sound font the player's synthesizer uses ("" when it has none).
std::string SoundFont(TMediaPlayer& Player);
// Whether the open song goes through the mixer (an audio output or the manual
// clock) rather than running on the steady clock alone.
bool MixerDriven(TMediaPlayer& Player);
// The position and the length in samples at DSoundTest::OutputRate.
std::int64_t PositionSamples(TMediaPlayer& Player);
std::int64_t LengthSamples(TMediaPlayer& Player);

}  // namespace MediaTest
