// The game's nine sound effects, synthesised: each as a whole RIFF/WAVE file
// of 8-bit PCM with the channel count, rate and data length the wave list
// stores for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TStoredWave {
  const char* Name;
  int Channels;
  int SamplesPerSec;
  int DataBytes;
  bool ExtraSize;  // an 18-byte format block with a zero extra size field
};

// In the order the game plays them by index.
const std::vector<TStoredWave>& StoredWaves();

// The RIFF/WAVE file of the wave at that index.
std::vector<std::uint8_t> SynthesizeWave(std::size_t Index);
