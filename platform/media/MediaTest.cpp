#include "platform/media/MediaTest.h"

#include "platform/media/MidiPlayback.h"

namespace MediaTest {

TMidiPlayback& PlaybackOf(TMediaPlayer& Player) { return *Player.FPlayback; }

void SetSoundFontSearch(std::vector<std::string> Paths) { ::SetSoundFontSearch(std::move(Paths)); }
void ResetSoundFontSearch() { ::SetSoundFontSearch(DefaultSoundFontSearch()); }

std::string SoundFont(TMediaPlayer& Player) { return PlaybackOf(Player).SoundFont(); }
bool MixerDriven(TMediaPlayer& Player) { return PlaybackOf(Player).MixerDriven(); }
std::int64_t PositionSamples(TMediaPlayer& Player) { return PlaybackOf(Player).PositionSamples(); }
std::int64_t LengthSamples(TMediaPlayer& Player) { return PlaybackOf(Player).LengthSamples(); }

}  // namespace MediaTest
