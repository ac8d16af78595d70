// 32-bit game arithmetic. Sums and products wrap around; divisions by values
// that come from type or map files go through SafeDiv/SafeMod, which give a
// defined result for every divisor.
#pragma once

#include <cstdint>

inline std::int32_t WrapAdd(std::int32_t A, std::int32_t B) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(A) + static_cast<std::uint32_t>(B));
}
inline std::int32_t WrapSub(std::int32_t A, std::int32_t B) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(A) - static_cast<std::uint32_t>(B));
}
inline std::int32_t WrapMul(std::int32_t A, std::int32_t B) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(A) * static_cast<std::uint32_t>(B));
}

// A div B, truncating toward zero. A zero divisor gives 0; the one quotient
// that does not fit (the smallest value divided by -1) wraps to itself.
inline std::int32_t SafeDiv(std::int32_t A, std::int32_t B) {
  if (B == 0) return 0;
  if (B == -1) return WrapSub(0, A);
  return A / B;
}

// A mod B, with the sign of A. A zero divisor gives 0.
inline std::int32_t SafeMod(std::int32_t A, std::int32_t B) {
  if (B == 0 || B == -1) return 0;
  return A % B;
}

// V snapped to a multiple of 3 toward zero: V - V mod 3. Units stand and
// aim at such positions, as they step 3 pixels at a time.
inline std::int32_t Snap3(std::int32_t V) { return WrapSub(V, SafeMod(V, 3)); }
