// The runtime's random numbers: one uniform generator for the whole program.
// Tests seed it with SetRandSeed so that a run repeats exactly.
#pragma once

#include <cstdint>

// A number drawn uniformly from 0 to Range - 1; 0 when Range is 0 or less.
std::int32_t Random(std::int32_t Range);
// Seeds the generator from the high-resolution clock (or from the source a
// test installed with SetRandomizeSource).
void Randomize();
void SetRandSeed(std::uint32_t Seed);
std::uint32_t RandSeed();

// Where Randomize takes its seed from; null is the high-resolution clock.
using TRandomizeSource = std::uint32_t (*)();
void SetRandomizeSource(TRandomizeSource Source);
