// Little-endian fields of the stored records.
#pragma once

#include <cstdint>

inline void PutInt32(std::uint8_t* P, std::int32_t V) {
  auto u = static_cast<std::uint32_t>(V);
  P[0] = static_cast<std::uint8_t>(u);
  P[1] = static_cast<std::uint8_t>(u >> 8);
  P[2] = static_cast<std::uint8_t>(u >> 16);
  P[3] = static_cast<std::uint8_t>(u >> 24);
}

inline std::int32_t GetInt32(const std::uint8_t* P) {
  std::uint32_t u = static_cast<std::uint32_t>(P[0]) | (static_cast<std::uint32_t>(P[1]) << 8) |
                    (static_cast<std::uint32_t>(P[2]) << 16) | (static_cast<std::uint32_t>(P[3]) << 24);
  return static_cast<std::int32_t>(u);
}
