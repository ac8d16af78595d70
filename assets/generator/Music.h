// The game's background music: a Standard MIDI File composed here, a
// loopable piece in D dorian for recorder, lute, strings, cello, oboe and
// hand drums.
#pragma once

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> ComposeMusic();

// Length of the composed piece in seconds.
double MusicSeconds();
