// Little-endian fields appended to a byte buffer, as the wave files and the
// stored component data lay them out.
#pragma once

#include <cstdint>
#include <vector>

inline void PutLe16(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  Out.push_back(static_cast<std::uint8_t>(V));
  Out.push_back(static_cast<std::uint8_t>(V >> 8));
}

inline void PutLe32(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  PutLe16(Out, V & 0xFFFF);
  PutLe16(Out, V >> 16);
}
