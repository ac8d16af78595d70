// Builders of stored bitmap data for the bitmap tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// A BITMAPINFOHEADER with the fields the reader looks at.
inline Bytes InfoHeader(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t compression = 0,
                        std::uint32_t imageSize = 0, std::uint32_t colorsUsed = 0) {
  Bytes b;
  Put32(b, 40);
  Put32(b, static_cast<std::uint32_t>(width));
  Put32(b, static_cast<std::uint32_t>(height));
  Put16(b, 1);
  Put16(b, bitCount);
  Put32(b, compression);
  Put32(b, imageSize);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, colorsUsed);
  Put32(b, 0);
  return b;
}

inline Bytes CoreHeader(std::uint16_t width, std::uint16_t height, std::uint16_t bitCount) {
  Bytes b;
  Put32(b, 12);
  Put16(b, width);
  Put16(b, height);
  Put16(b, 1);
  Put16(b, bitCount);
  return b;
}

inline Bytes Masks(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  Bytes out;
  Put32(out, r);
  Put32(out, g);
  Put32(out, b);
  return out;
}

// Count entries (blue, green, red, 0) with entry i = (i, 2i, 3i) mod 256.
inline Bytes QuadTable(int count) {
  Bytes b;
  for (int i = 0; i < count; ++i) {
    b.push_back(static_cast<std::uint8_t>(i));
    b.push_back(static_cast<std::uint8_t>(2 * i));
    b.push_back(static_cast<std::uint8_t>(3 * i));
    b.push_back(0);
  }
  return b;
}

// A 14-byte file header.
inline Bytes FileHeader(std::uint32_t fileSize, std::uint32_t pixelOffset, std::uint16_t type = 0x4D42) {
  Bytes b;
  Put16(b, type);
  Put32(b, fileSize);
  Put16(b, 0);
  Put16(b, 0);
  Put32(b, pixelOffset);
  return b;
}

inline Bytes Seq(std::size_t n, std::uint8_t start = 1) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(start + i * 7);
  return b;
}
