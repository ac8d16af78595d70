// RIFF/WAVE files built chunk by chunk for the wave tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace WaveTestFiles {

using Bytes = std::vector<std::uint8_t>;

inline void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline Bytes Chunk(const std::string& Id, const Bytes& Body, bool Pad = false) {
  Bytes b(Id.begin(), Id.end());
  Put32(b, static_cast<std::uint32_t>(Body.size()));
  b.insert(b.end(), Body.begin(), Body.end());
  if (Pad && Body.size() % 2) b.push_back(0);
  return b;
}

// A chunk header with a stated size and no body.
inline Bytes Header(const std::string& Id, std::uint32_t Size) {
  Bytes b(Id.begin(), Id.end());
  Put32(b, Size);
  return b;
}

// "RIFF", the length of what follows, "WAVE", the chunks.
inline Bytes Riff(const std::vector<Bytes>& Chunks) {
  Bytes body{'W', 'A', 'V', 'E'};
  for (const Bytes& c : Chunks) body.insert(body.end(), c.begin(), c.end());
  Bytes b{'R', 'I', 'F', 'F'};
  Put32(b, static_cast<std::uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

// A PCM format block: 16 bytes, or 18 with an extra-size field of 0.
inline Bytes PcmFormat(std::uint16_t Channels, std::uint32_t Rate, std::uint16_t Bits, bool Extended) {
  Bytes b{1, 0, static_cast<std::uint8_t>(Channels), 0};
  Put32(b, Rate);
  const std::uint16_t align = static_cast<std::uint16_t>(Channels * Bits / 8);
  Put32(b, Rate * align);
  b.push_back(static_cast<std::uint8_t>(align));
  b.push_back(0);
  b.push_back(static_cast<std::uint8_t>(Bits));
  b.push_back(0);
  if (Extended) {
    b.push_back(0);
    b.push_back(0);
  }
  return b;
}

inline Bytes Samples(std::size_t Count, std::uint32_t Seed = 1) {
  Bytes b(Count);
  for (std::size_t i = 0; i < Count; ++i) {
    Seed = Seed * 1103515245u + 12345u;
    b[i] = static_cast<std::uint8_t>(Seed >> 16);
  }
  return b;
}

}  // namespace WaveTestFiles
