// Whether an object lies under a world point: the point lies strictly inside
// a box of half-width HalfX and half-height HalfY around the object's
// position. Each use has its own box sizes (press and spell: units 16 x 20,
// buildings 60 x 60; click selection: units 12 x 12, buildings 30 x 30).
// Computed in 64 bits, so positions near the ends of the range never wrap.
#pragma once

#include <cstdint>

namespace korvel {

inline bool InBox(std::int32_t X, std::int32_t Y, std::int32_t HalfX, std::int32_t HalfY, std::int32_t Cx,
                  std::int32_t Cy) {
  const std::int64_t x = X, y = Y, cx = Cx, cy = Cy;
  return x - HalfX < cx && cx < x + HalfX && y - HalfY < cy && cy < y + HalfY;
}

// The box sizes.
constexpr std::int32_t PressUnitHalfX = 16, PressUnitHalfY = 20;
constexpr std::int32_t PressBuildingHalf = 60;
constexpr std::int32_t ClickUnitHalf = 12;
constexpr std::int32_t ClickBuildingHalf = 30;

}  // namespace korvel
