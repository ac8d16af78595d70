#include "render/RenderSurface.h"

#include <gtest/gtest.h>

TEST(RenderSurface, Smoke) { EXPECT_EQ(HighestSetBit(100), 6u); }
