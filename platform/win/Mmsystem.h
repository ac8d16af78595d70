// The multimedia wave format: WAVEFORMATEX as the sound buffers and the
// RIFF/WAVE "fmt " chunk hold it. The record is 18 bytes in its stored form
// (16 for the older PCM form without cbSize); in memory it is read and written
// through the little-endian helpers below, never by casting a byte block.
#pragma once

#include <cstddef>

#include "platform/win/Types.h"

constexpr WORD WAVE_FORMAT_PCM = 1;

struct WAVEFORMATEX {
  WORD wFormatTag = 0;
  WORD nChannels = 0;
  DWORD nSamplesPerSec = 0;
  DWORD nAvgBytesPerSec = 0;
  WORD nBlockAlign = 0;
  WORD wBitsPerSample = 0;
  WORD cbSize = 0;
};
using LPWAVEFORMATEX = WAVEFORMATEX*;
using LPCWAVEFORMATEX = const WAVEFORMATEX*;

// Bytes of the stored forms: the PCM form (no cbSize) and the full record.
constexpr std::size_t PcmWaveFormatBytes = 16;
constexpr std::size_t WaveFormatExBytes = 18;

// Reads the first 16 bytes of a stored format block (cbSize is set to 0: the
// PCM formats carry no extra bytes, and the block may end after 16 bytes).
inline WAVEFORMATEX ReadPcmWaveFormat(const void* Bytes) {
  const auto* b = static_cast<const BYTE*>(Bytes);
  auto w = [b](std::size_t o) { return static_cast<WORD>(b[o] | (b[o + 1] << 8)); };
  auto d = [b](std::size_t o) {
    return static_cast<DWORD>(b[o]) | (static_cast<DWORD>(b[o + 1]) << 8) | (static_cast<DWORD>(b[o + 2]) << 16) |
           (static_cast<DWORD>(b[o + 3]) << 24);
  };
  WAVEFORMATEX f;
  f.wFormatTag = w(0);
  f.nChannels = w(2);
  f.nSamplesPerSec = d(4);
  f.nAvgBytesPerSec = d(8);
  f.nBlockAlign = w(12);
  f.wBitsPerSample = w(14);
  f.cbSize = 0;
  return f;
}

// Writes the full 18-byte stored form.
inline void WriteWaveFormatEx(const WAVEFORMATEX& f, void* Bytes) {
  auto* b = static_cast<BYTE*>(Bytes);
  auto w = [b](std::size_t o, WORD v) {
    b[o] = static_cast<BYTE>(v);
    b[o + 1] = static_cast<BYTE>(v >> 8);
  };
  auto d = [b](std::size_t o, DWORD v) {
    for (int i = 0; i < 4; ++i) b[o + static_cast<std::size_t>(i)] = static_cast<BYTE>(v >> (8 * i));
  };
  w(0, f.wFormatTag);
  w(2, f.nChannels);
  d(4, f.nSamplesPerSec);
  d(8, f.nAvgBytesPerSec);
  w(12, f.nBlockAlign);
  w(14, f.wBitsPerSample);
  w(16, f.cbSize);
}
