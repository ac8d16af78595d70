// Reading and writing one pixel value in a row of packed pixels of 1, 2, 4, 8,
// 16, 24 or 32 bits (sub-byte pixels most significant first, wider ones
// little-endian). Every surface and bitmap of the platform stores its pixels so.
#pragma once

#include <cstddef>

#include "platform/win/Types.h"

inline DWORD ReadRowPixel(const BYTE* row, LONG x, int bitCount) {
  const std::ptrdiff_t i = x;
  switch (bitCount) {
    case 1: return (row[i >> 3] >> (7 - (i & 7))) & 1;
    case 2: return (row[i >> 2] >> (6 - 2 * (i & 3))) & 3;
    case 4: return (row[i >> 1] >> ((i & 1) ? 0 : 4)) & 15;
    case 8: return row[i];
    case 16: return static_cast<DWORD>(row[2 * i]) | (static_cast<DWORD>(row[2 * i + 1]) << 8);
    case 24:
      return static_cast<DWORD>(row[3 * i]) | (static_cast<DWORD>(row[3 * i + 1]) << 8) |
             (static_cast<DWORD>(row[3 * i + 2]) << 16);
    case 32:
      return static_cast<DWORD>(row[4 * i]) | (static_cast<DWORD>(row[4 * i + 1]) << 8) |
             (static_cast<DWORD>(row[4 * i + 2]) << 16) | (static_cast<DWORD>(row[4 * i + 3]) << 24);
    default: return 0;
  }
}

inline void WriteRowPixel(BYTE* row, LONG x, int bitCount, DWORD v) {
  const std::ptrdiff_t i = x;
  switch (bitCount) {
    case 1: {
      int shift = 7 - static_cast<int>(i & 7);
      row[i >> 3] = static_cast<BYTE>((row[i >> 3] & ~(1 << shift)) | ((v & 1) << shift));
      break;
    }
    case 2: {
      int shift = 6 - 2 * static_cast<int>(i & 3);
      row[i >> 2] = static_cast<BYTE>((row[i >> 2] & ~(3 << shift)) | ((v & 3) << shift));
      break;
    }
    case 4: {
      int shift = (i & 1) ? 0 : 4;
      row[i >> 1] = static_cast<BYTE>((row[i >> 1] & ~(15 << shift)) | ((v & 15) << shift));
      break;
    }
    case 8: row[i] = static_cast<BYTE>(v); break;
    case 16:
      row[2 * i] = static_cast<BYTE>(v);
      row[2 * i + 1] = static_cast<BYTE>(v >> 8);
      break;
    case 24:
      row[3 * i] = static_cast<BYTE>(v);
      row[3 * i + 1] = static_cast<BYTE>(v >> 8);
      row[3 * i + 2] = static_cast<BYTE>(v >> 16);
      break;
    case 32:
      row[4 * i] = static_cast<BYTE>(v);
      row[4 * i + 1] = static_cast<BYTE>(v >> 8);
      row[4 * i + 2] = static_cast<BYTE>(v >> 16);
      row[4 * i + 3] = static_cast<BYTE>(v >> 24);
      break;
    default: break;
  }
}
