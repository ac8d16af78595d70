#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/rtl/Random.h"

TEST(Random, ASeedRepeatsItsSequence) {
  SetRandSeed(1234);
  std::vector<std::int32_t> first;
  for (int i = 0; i < 100; ++i) first.push_back(Random(1000));
  SetRandSeed(1234);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Random(1000), first[static_cast<size_t>(i)]) << i;
  SetRandSeed(1235);
  int same = 0;
  for (int i = 0; i < 100; ++i) same += Random(1000) == first[static_cast<size_t>(i)];
  EXPECT_LT(same, 10);
}

TEST(Random, StaysInRangeAndGivesZeroForEmptyRanges) {
  SetRandSeed(7);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(Random(1), 0);
  for (int i = 0; i < 10000; ++i) {
    std::int32_t v = Random(INT32_MAX);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, INT32_MAX);
  }
}

// The programs draw small ranges: a chance of 1 in (L + 2) per cell for L from
// 1 to 50, and a few outcomes of a fight. Each outcome of a range must come up
// with its share, within a chi-square bound far past chance.
TEST(Random, SmallRangesAreUniform) {
  SetRandSeed(99);
  for (int range : {2, 3, 4, 7, 10, 52, 100}) {
    SCOPED_TRACE(range);
    const int draws = 2000 * range;
    std::vector<int> counts(static_cast<size_t>(range));
    for (int i = 0; i < draws; ++i) ++counts[static_cast<size_t>(Random(range))];
    const double expected = static_cast<double>(draws) / range;
    double chi2 = 0;
    for (int c : counts) chi2 += (c - expected) * (c - expected) / expected;
    // Mean range - 1, deviation sqrt(2 (range - 1)); six deviations is never reached by chance.
    EXPECT_LT(chi2, (range - 1) + 6 * std::sqrt(2.0 * (range - 1)));
  }
}

TEST(Random, SuccessiveDrawsAreNotCorrelated) {
  // Pairs of draws of 0..9 fill all 100 cells evenly.
  SetRandSeed(5);
  std::vector<int> cells(100);
  const int pairs = 100000;
  for (int i = 0; i < pairs; ++i) {
    int a = Random(10);
    int b = Random(10);
    ++cells[static_cast<size_t>(a * 10 + b)];
  }
  double chi2 = 0;
  for (int c : cells) chi2 += (c - 1000.0) * (c - 1000.0) / 1000.0;
  EXPECT_LT(chi2, 99 + 6 * std::sqrt(198.0));
}

namespace {
std::uint32_t FixedSource() { return 4242; }
}  // namespace

TEST(Random, RandomizeTakesItsSeedFromTheSource) {
  SetRandomizeSource(FixedSource);
  Randomize();
  EXPECT_EQ(RandSeed(), 4242u);
  SetRandomizeSource(nullptr);
  Randomize();
  EXPECT_NE(RandSeed(), 4242u);
}
