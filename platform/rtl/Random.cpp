#include "platform/rtl/Random.h"

#include <chrono>

namespace {

// A 32-bit linear congruential generator (full period 2^32). Its upper bits
// are the well-mixed ones, so a draw scales the whole 32-bit state onto the
// range by a multiply and a shift instead of taking a remainder of the low bits.
std::uint32_t gSeed = 0;
TRandomizeSource gSource = nullptr;

std::uint32_t ClockSeed() {
  auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  auto t = static_cast<std::uint64_t>(ticks);
  return static_cast<std::uint32_t>(t ^ (t >> 32));
}

}  // namespace

std::int32_t Random(std::int32_t Range) {
  gSeed = gSeed * 134775813u + 1u;
  if (Range <= 0) return 0;
  return static_cast<std::int32_t>((static_cast<std::uint64_t>(gSeed) * static_cast<std::uint32_t>(Range)) >> 32);
}

void Randomize() { gSeed = gSource ? gSource() : ClockSeed(); }

void SetRandSeed(std::uint32_t Seed) { gSeed = Seed; }

std::uint32_t RandSeed() { return gSeed; }

void SetRandomizeSource(TRandomizeSource Source) { gSource = Source; }
