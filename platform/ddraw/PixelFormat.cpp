#include "platform/ddraw/PixelFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/win/PixelRow.h"

TDDrawPixelFormat TDDrawPixelFormat::IndexedFormat(int bitCount) {
  TDDrawPixelFormat f;
  f.BitCount = bitCount;
  f.Indexed = true;
  f.RMask = f.GMask = f.BMask = 0;
  return f;
}

TDDrawPixelFormat TDDrawPixelFormat::Rgb565() {
  TDDrawPixelFormat f;
  f.BitCount = 16;
  f.RMask = 0xF800;
  f.GMask = 0x07E0;
  f.BMask = 0x001F;
  return f;
}

TDDrawPixelFormat TDDrawPixelFormat::Rgb555() {
  TDDrawPixelFormat f;
  f.BitCount = 16;
  f.RMask = 0x7C00;
  f.GMask = 0x03E0;
  f.BMask = 0x001F;
  return f;
}

TDDrawPixelFormat TDDrawPixelFormat::Rgb24() {
  TDDrawPixelFormat f;
  f.BitCount = 24;
  return f;
}

TDDrawPixelFormat TDDrawPixelFormat::Xrgb32() { return TDDrawPixelFormat{}; }

DWORD TDDrawPixelFormat::ValueMask() const { return BitCount >= 32 ? 0xFFFFFFFFu : ((DWORD{1} << BitCount) - 1); }

DWORD TDDrawPixelFormat::KeyMask() const { return Indexed ? ValueMask() : (RMask | GMask | BMask); }

LONG TDDrawPixelFormat::PitchFor(LONG width) const {
  std::int64_t bits = static_cast<std::int64_t>(width) * BitCount;
  std::int64_t pitch = (bits + 31) / 32 * 4;
  return pitch > 0x7FFFFFFF ? -1 : static_cast<LONG>(pitch);
}

void TDDrawPixelFormat::Describe(DDPIXELFORMAT& pf) const {
  pf.dwFourCC = 0;
  pf.dwRGBBitCount = static_cast<DWORD>(BitCount);
  pf.dwRGBAlphaBitMask = 0;
  if (Indexed) {
    pf.dwFlags = DDPF_RGB | (BitCount == 1   ? DDPF_PALETTEINDEXED1
                             : BitCount == 2 ? DDPF_PALETTEINDEXED2
                             : BitCount == 4 ? DDPF_PALETTEINDEXED4
                                             : DDPF_PALETTEINDEXED8);
    pf.dwRBitMask = pf.dwGBitMask = pf.dwBBitMask = 0;
  } else {
    pf.dwFlags = DDPF_RGB;
    pf.dwRBitMask = RMask;
    pf.dwGBitMask = GMask;
    pf.dwBBitMask = BMask;
  }
}

bool TDDrawPixelFormat::FromDescription(const DDPIXELFORMAT& pf, TDDrawPixelFormat& format) {
  const DWORD indexedFlags = DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 | DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8;
  if (pf.dwFlags & (DDPF_ALPHAPIXELS | DDPF_ZBUFFER)) return false;
  DWORD indexed = pf.dwFlags & indexedFlags;
  if (indexed) {
    int bits = indexed == DDPF_PALETTEINDEXED1   ? 1
               : indexed == DDPF_PALETTEINDEXED2 ? 2
               : indexed == DDPF_PALETTEINDEXED4 ? 4
               : indexed == DDPF_PALETTEINDEXED8 ? 8
                                                 : 0;
    if (bits == 0) return false;  // more than one index size asked for
    if (pf.dwRGBBitCount != 0 && pf.dwRGBBitCount != static_cast<DWORD>(bits)) return false;
    format = IndexedFormat(bits);
    return true;
  }
  if (!(pf.dwFlags & DDPF_RGB)) return false;
  bool noMasks = pf.dwRBitMask == 0 && pf.dwGBitMask == 0 && pf.dwBBitMask == 0;
  switch (pf.dwRGBBitCount) {
    case 16:
      if (pf.dwRBitMask == 0xF800 && pf.dwGBitMask == 0x07E0 && pf.dwBBitMask == 0x001F) {
        format = Rgb565();
        return true;
      }
      if (pf.dwRBitMask == 0x7C00 && pf.dwGBitMask == 0x03E0 && pf.dwBBitMask == 0x001F) {
        format = Rgb555();
        return true;
      }
      return false;
    case 24:
    case 32:
      if (noMasks || (pf.dwRBitMask == 0xFF0000 && pf.dwGBitMask == 0xFF00 && pf.dwBBitMask == 0xFF)) {
        format = pf.dwRGBBitCount == 24 ? Rgb24() : Xrgb32();
        return true;
      }
      return false;
    default: return false;
  }
}

DWORD GetPixelValue(const TDDrawPixels& p, LONG x, LONG y) {
  return ReadRowPixel(p.Bits + static_cast<std::ptrdiff_t>(y) * p.Pitch, x, p.Format.BitCount);
}

void PutPixelValue(const TDDrawPixels& p, LONG x, LONG y, DWORD v) {
  WriteRowPixel(p.Bits + static_cast<std::ptrdiff_t>(y) * p.Pitch, x, p.Format.BitCount, v);
}

namespace {

bool ByteAligned(const TDDrawPixelFormat& f) { return f.BitCount >= 8; }

// Fills one row of whole-byte pixels with a repeated pixel value.
void FillRowBytes(BYTE* row, LONG count, int bytes, DWORD value) {
  if (bytes == 1) {
    std::memset(row, static_cast<int>(value & 0xFF), static_cast<size_t>(count));
    return;
  }
  BYTE pattern[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                     static_cast<BYTE>(value >> 24)};
  for (LONG i = 0; i < count; ++i) std::memcpy(row + static_cast<std::ptrdiff_t>(i) * bytes, pattern, bytes);
}

}  // namespace

void FillPixels(const TDDrawPixels& p, const RECT& r, DWORD value) {
  value &= p.Format.ValueMask();
  if (ByteAligned(p.Format)) {
    const int bytes = p.Format.BitCount / 8;
    const size_t rowBytes = static_cast<size_t>(r.right - r.left) * bytes;
    BYTE* first = p.Bits + static_cast<std::ptrdiff_t>(r.top) * p.Pitch + static_cast<std::ptrdiff_t>(r.left) * bytes;
    const DWORD low = value & 0xFF;
    if (value == low * (bytes == 1 ? 1u : bytes == 2 ? 0x101u : bytes == 3 ? 0x10101u : 0x1010101u)) {
      // Every byte the same (a clear to 0, for one): the rows are byte fills,
      // one fill when they are whole rows following each other.
      if (rowBytes == static_cast<size_t>(p.Pitch)) {
        std::memset(first, static_cast<int>(low), rowBytes * static_cast<size_t>(r.bottom - r.top));
        return;
      }
      for (LONG y = r.top; y < r.bottom; ++y)
        std::memset(first + std::ptrdiff_t{y - r.top} * p.Pitch, static_cast<int>(low), rowBytes);
      return;
    }
    // The first row is filled pixel by pixel, the others copy it.
    FillRowBytes(first, r.right - r.left, bytes, value);
    for (LONG y = r.top + 1; y < r.bottom; ++y)
      std::memcpy(first + std::ptrdiff_t{y - r.top} * p.Pitch, first, rowBytes);
    return;
  }
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x) PutPixelValue(p, x, y, value);
}

namespace {

// A source colour key as the row loops test it: a pixel is skipped when its
// key bits, Value & Mask, lie in Low..High (both already masked).
struct TKeyTest {
  DWORD Mask, Low, High;
  bool Matches(DWORD v) const {
    v &= Mask;
    return v >= Low && v <= High;
  }
};

template <int Bytes>
DWORD LoadRowPixel(const BYTE* p) {
  if constexpr (Bytes == 3) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16);
  } else {
    std::conditional_t<Bytes == 1, std::uint8_t, std::conditional_t<Bytes == 2, std::uint16_t, std::uint32_t>> v;
    std::memcpy(&v, p, Bytes);
    return v;
  }
}

template <int Bytes>
void StoreRowPixel(BYTE* p, DWORD v) {
  if constexpr (Bytes == 3) {
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
  } else {
    std::conditional_t<Bytes == 1, std::uint8_t, std::conditional_t<Bytes == 2, std::uint16_t, std::uint32_t>> w =
        static_cast<decltype(w)>(v);
    std::memcpy(p, &w, Bytes);
  }
}

// One keyed row of Count pixels, a pixel at a time.
template <int Bytes>
void KeyedRowScalar(BYTE* d, const BYTE* s, LONG count, const TKeyTest& key) {
  for (LONG i = 0; i < count; ++i, d += Bytes, s += Bytes) {
    const DWORD v = LoadRowPixel<Bytes>(s);
    if (!key.Matches(v)) StoreRowPixel<Bytes>(d, v);
  }
}

#if defined(__SSE2__)

// Packed compares for 16-byte groups of pixels of one lane width. The signed
// compares of SSE2 order unsigned values once their top bits are flipped.
template <int Bytes>
struct TLanes;
template <>
struct TLanes<1> {
  static __m128i Set(DWORD v) { return _mm_set1_epi8(static_cast<char>(v)); }
  static __m128i Eq(__m128i a, __m128i b) { return _mm_cmpeq_epi8(a, b); }
  static __m128i Gt(__m128i a, __m128i b) { return _mm_cmpgt_epi8(a, b); }
  static constexpr DWORD Sign = 0x80;
};
template <>
struct TLanes<2> {
  static __m128i Set(DWORD v) { return _mm_set1_epi16(static_cast<short>(v)); }
  static __m128i Eq(__m128i a, __m128i b) { return _mm_cmpeq_epi16(a, b); }
  static __m128i Gt(__m128i a, __m128i b) { return _mm_cmpgt_epi16(a, b); }
  static constexpr DWORD Sign = 0x8000;
};
template <>
struct TLanes<4> {
  static __m128i Set(DWORD v) { return _mm_set1_epi32(static_cast<int>(v)); }
  static __m128i Eq(__m128i a, __m128i b) { return _mm_cmpeq_epi32(a, b); }
  static __m128i Gt(__m128i a, __m128i b) { return _mm_cmpgt_epi32(a, b); }
  static constexpr DWORD Sign = 0x80000000u;
};

// Writes the group's source pixels where Take is set and keeps the
// destination's elsewhere. Always a read and a write: sprite edges make
// branching on the group's mix mispredict more than the memory costs.
inline void StoreGroup(BYTE* d, __m128i v, __m128i take) {
  const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
  v = _mm_or_si128(_mm_and_si128(take, v), _mm_andnot_si128(take, old));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), v);
}

// The last group of the row first, then whole groups from the start, the
// final one overlapping it: a keyed copy between separate memories gives
// the same bytes when repeated, so the end of the row needs no pixel loop.
// (The last group goes first so that its read of the destination does not
// wait on the stores just made to the same bytes.) Rows shorter than a
// group go pixel by pixel.
template <int Bytes>
void KeyedRow(BYTE* d, const BYTE* s, LONG count, const TKeyTest& key) {
  using L = TLanes<Bytes>;
  constexpr LONG Group = 16 / Bytes;
  if (count < Group) {
    KeyedRowScalar<Bytes>(d, s, count, key);
    return;
  }
  const __m128i mask = L::Set(key.Mask);
  const LONG last = count - Group;
  if (key.Low == key.High) {
    const __m128i k = L::Set(key.Low);
    auto group = [&](LONG i) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i * Bytes));
      const __m128i keyed = L::Eq(_mm_and_si128(v, mask), k);
      StoreGroup(d + i * Bytes, v, _mm_xor_si128(keyed, _mm_set1_epi32(-1)));
    };
    group(last);
    for (LONG i = 0; i < last; i += Group) group(i);
  } else {
    const __m128i sign = L::Set(L::Sign);
    const __m128i low = L::Set(key.Low ^ L::Sign), high = L::Set(key.High ^ L::Sign);
    auto group = [&](LONG i) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i * Bytes));
      const __m128i x = _mm_xor_si128(_mm_and_si128(v, mask), sign);
      StoreGroup(d + i * Bytes, v, _mm_or_si128(L::Gt(low, x), L::Gt(x, high)));
    };
    group(last);
    for (LONG i = 0; i < last; i += Group) group(i);
  }
}

template <>
void KeyedRow<3>(BYTE* d, const BYTE* s, LONG count, const TKeyTest& key) {
  KeyedRowScalar<3>(d, s, count, key);
}

#else

template <int Bytes>
void KeyedRow(BYTE* d, const BYTE* s, LONG count, const TKeyTest& key) {
  KeyedRowScalar<Bytes>(d, s, count, key);
}

#endif

#if defined(__x86_64__)

// The keyed row of 32-bit pixels in 32-byte groups, on processors with AVX2
// (the same pixels as KeyedRow<4>, twice as many a step).
__attribute__((target("avx2"))) void KeyedRow32Wide(BYTE* d, const BYTE* s, LONG count, const TKeyTest& key) {
  constexpr LONG Group = 8;
  const __m256i mask = _mm256_set1_epi32(static_cast<int>(key.Mask));
  const bool single = key.Low == key.High;
  const __m256i k = _mm256_set1_epi32(static_cast<int>(key.Low));
  const __m256i sign = _mm256_set1_epi32(static_cast<int>(0x80000000u));
  const __m256i low = _mm256_set1_epi32(static_cast<int>(key.Low ^ 0x80000000u));
  const __m256i high = _mm256_set1_epi32(static_cast<int>(key.High ^ 0x80000000u));
  const __m256i all = _mm256_set1_epi32(-1);
  // The last group first, then whole groups from the start (see KeyedRow).
  const LONG last = count - Group;
  for (LONG n = -1; n < last; n += (n < 0 ? 1 : Group)) {
    const LONG i = n < 0 ? last : n;
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i * 4));
    const __m256i bits = _mm256_and_si256(v, mask);
    __m256i take;
    if (single) {
      take = _mm256_xor_si256(_mm256_cmpeq_epi32(bits, k), all);
    } else {
      const __m256i x = _mm256_xor_si256(bits, sign);
      take = _mm256_or_si256(_mm256_cmpgt_epi32(low, x), _mm256_cmpgt_epi32(x, high));
    }
    const __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i * 4));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i * 4), _mm256_blendv_epi8(old, v, take));
  }
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

#endif

// Unscaled copy of whole-byte pixels: Area (inside the destination) takes
// the source rectangle starting at (SourceX, SourceY).
template <int Bytes>
void CopyRect(const TDDrawPixels& dest, const TDDrawPixels& source, const RECT& area, LONG sourceX, LONG sourceY,
              const TKeyTest* key) {
  const LONG count = area.right - area.left;
  BYTE* d =
      dest.Bits + static_cast<std::ptrdiff_t>(area.top) * dest.Pitch + static_cast<std::ptrdiff_t>(area.left) * Bytes;
  const BYTE* s =
      source.Bits + static_cast<std::ptrdiff_t>(sourceY) * source.Pitch + static_cast<std::ptrdiff_t>(sourceX) * Bytes;
#if defined(__x86_64__)
  if constexpr (Bytes == 4) {
    if (key && count >= 8 && HasAvx2()) {
      for (LONG y = area.top; y < area.bottom; ++y, d += dest.Pitch, s += source.Pitch)
        KeyedRow32Wide(d, s, count, *key);
      return;
    }
  }
#endif
  for (LONG y = area.top; y < area.bottom; ++y, d += dest.Pitch, s += source.Pitch) {
    if (key)
      KeyedRow<Bytes>(d, s, count, *key);
    else
      std::memcpy(d, s, static_cast<size_t>(count) * Bytes);
  }
}

// Scaled or mirrored copy of whole-byte pixels: the source column of each
// destination column is worked out once, the source row once a row.
template <int Bytes>
void ScaleRect(const TDDrawPixels& dest, const TDDrawPixels& source, const TDDrawBlit& b, const RECT& area,
               const TKeyTest* key) {
  const std::int64_t destLeft = b.Dest.left, destTop = b.Dest.top;
  const std::int64_t dw = std::int64_t{b.Dest.right} - destLeft, dh = std::int64_t{b.Dest.bottom} - destTop;
  const std::int64_t sw = b.Source.right - b.Source.left, sh = b.Source.bottom - b.Source.top;
  std::vector<std::ptrdiff_t> columns(static_cast<size_t>(area.right - area.left));
  for (LONG x = area.left; x < area.right; ++x) {
    std::int64_t i = x - destLeft;
    if (b.MirrorLeftRight) i = dw - 1 - i;
    columns[static_cast<size_t>(x - area.left)] =
        (b.Source.left + static_cast<LONG>(i * sw / dw)) * std::ptrdiff_t{Bytes};
  }
  for (LONG y = area.top; y < area.bottom; ++y) {
    std::int64_t j = y - destTop;
    if (b.MirrorUpDown) j = dh - 1 - j;
    const BYTE* s =
        source.Bits + static_cast<std::ptrdiff_t>(b.Source.top + static_cast<LONG>(j * sh / dh)) * source.Pitch;
    BYTE* d = dest.Bits + static_cast<std::ptrdiff_t>(y) * dest.Pitch + static_cast<std::ptrdiff_t>(area.left) * Bytes;
    for (std::ptrdiff_t column : columns) {
      const DWORD v = LoadRowPixel<Bytes>(s + column);
      if (!key || !key->Matches(v)) StoreRowPixel<Bytes>(d, v);
      d += Bytes;
    }
  }
}

template <int Bytes>
void BlitWholeBytes(const TDDrawPixels& dest, const TDDrawPixels& source, const TDDrawBlit& b, const RECT& area,
                    bool plain, const TKeyTest* key) {
  if (plain)
    CopyRect<Bytes>(dest, source, area, static_cast<LONG>(b.Source.left + (area.left - std::int64_t{b.Dest.left})),
                    static_cast<LONG>(b.Source.top + (area.top - std::int64_t{b.Dest.top})), key);
  else
    ScaleRect<Bytes>(dest, source, b, area, key);
}

}  // namespace

void BlitPixels(const TDDrawPixels& dest, const TDDrawPixels& source, const TDDrawBlit& b) {
  RECT area = IntersectRects(b.Dest, b.Clip);
  if (RectIsEmpty(area)) return;
  // A destination seen through a clipper may span any LONG range: offsets
  // and sizes are taken in 64 bits.
  const std::int64_t destLeft = b.Dest.left, destTop = b.Dest.top;
  const std::int64_t dw = std::int64_t{b.Dest.right} - destLeft, dh = std::int64_t{b.Dest.bottom} - destTop;
  const std::int64_t sw = b.Source.right - b.Source.left, sh = b.Source.bottom - b.Source.top;
  const DWORD keyMask = source.Format.KeyMask();
  const TKeyTest keyTest{keyMask, b.KeyLow & keyMask, b.KeyHigh & keyMask};
  const TKeyTest* key = b.Keyed ? &keyTest : nullptr;
  const bool plain = dw == sw && dh == sh && !b.MirrorLeftRight && !b.MirrorUpDown;

  switch (ByteAligned(dest.Format) ? dest.Format.BitCount : 0) {
    case 8: return BlitWholeBytes<1>(dest, source, b, area, plain, key);
    case 16: return BlitWholeBytes<2>(dest, source, b, area, plain, key);
    case 24: return BlitWholeBytes<3>(dest, source, b, area, plain, key);
    case 32: return BlitWholeBytes<4>(dest, source, b, area, plain, key);
    default: break;
  }

  // Sub-byte pixels: every destination pixel takes its nearest source pixel.
  for (LONG y = area.top; y < area.bottom; ++y) {
    std::int64_t j = y - destTop;
    if (b.MirrorUpDown) j = dh - 1 - j;
    const LONG sy = b.Source.top + static_cast<LONG>(j * sh / dh);
    for (LONG x = area.left; x < area.right; ++x) {
      std::int64_t i = x - destLeft;
      if (b.MirrorLeftRight) i = dw - 1 - i;
      const LONG sx = b.Source.left + static_cast<LONG>(i * sw / dw);
      DWORD v = GetPixelValue(source, sx, sy);
      if (key && key->Matches(v)) continue;
      PutPixelValue(dest, x, y, v);
    }
  }
}

namespace {

// Widens a colour channel to 8 bits, repeating its high bits in the low ones
// so that full intensity stays 255.
BYTE ExpandChannel(DWORD value, DWORD mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  int bits = 0;
  while ((mask >> (shift + bits)) & 1) ++bits;
  DWORD c = (value & mask) >> shift;
  if (bits >= 8) return static_cast<BYTE>(c >> (bits - 8));
  DWORD out = c << (8 - bits);
  for (int filled = bits; filled < 8; filled += bits) out |= (c << (8 - bits)) >> filled;
  return static_cast<BYTE>(out);
}

}  // namespace

DWORD PixelToXrgb(DWORD value, const TDDrawPixelFormat& f, const PALETTEENTRY* palette, int count) {
  if (f.Indexed) {
    if (!palette || value >= static_cast<DWORD>(count)) return 0;
    const PALETTEENTRY& e = palette[value];
    return (static_cast<DWORD>(e.peRed) << 16) | (static_cast<DWORD>(e.peGreen) << 8) | e.peBlue;
  }
  if (f.BitCount >= 24) return value & 0xFFFFFF;
  return (static_cast<DWORD>(ExpandChannel(value, f.RMask)) << 16) |
         (static_cast<DWORD>(ExpandChannel(value, f.GMask)) << 8) | ExpandChannel(value, f.BMask);
}

namespace {

// The colours of all 65536 values of a 16-bit format, made at first use.
const std::vector<DWORD>& SixteenBitColours(const TDDrawPixelFormat& f) {
  static std::vector<DWORD> rgb565, rgb555;
  std::vector<DWORD>& table = f.GMask == 0x07E0 ? rgb565 : rgb555;
  if (table.empty()) {
    table.resize(65536);
    for (DWORD v = 0; v < 65536; ++v) table[v] = PixelToXrgb(v, f, nullptr, 0);
  }
  return table;
}

// One row of 32-bit pixels: the colour bits kept, the top byte replaced; in
// 16-byte groups, the last group overlapping the one before it.
void XrgbRow(DWORD* out, const BYTE* in, LONG count, DWORD topByte) {
#if defined(__SSE2__)
  if (count >= 4) {
    const __m128i keep = _mm_set1_epi32(0x00FFFFFF), top = _mm_set1_epi32(static_cast<int>(topByte));
    auto group = [&](LONG i) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(_mm_and_si128(v, keep), top));
    };
    for (LONG i = 0; i + 4 <= count; i += 4) group(i);
    if (count % 4) group(count - 4);
    return;
  }
#endif
  for (LONG i = 0; i < count; ++i) out[i] = (LoadRowPixel<4>(in + 4 * i) & 0xFFFFFF) | topByte;
}

}  // namespace

void PixelsToXrgb(const TDDrawPixels& p, const RECT& r, const PALETTEENTRY* palette, int count, BYTE* out,
                  LONG outPitch, DWORD topByte) {
  if (RectIsEmpty(r)) return;
  const LONG w = r.right - r.left;
  const int bits = p.Format.BitCount;
  // Indexed values through a table of their colours, made once a call.
  DWORD indexed[256];
  if (p.Format.Indexed)
    for (DWORD v = 0; v < 256; ++v) indexed[v] = PixelToXrgb(v, p.Format, palette, count) | topByte;
  const std::vector<DWORD>* sixteen = bits == 16 && !p.Format.Indexed ? &SixteenBitColours(p.Format) : nullptr;
  for (LONG y = r.top; y < r.bottom; ++y, out += outPitch) {
    const BYTE* row = p.Bits + static_cast<std::ptrdiff_t>(y) * p.Pitch;
    auto* o = reinterpret_cast<DWORD*>(out);
    if (bits == 32) {
      XrgbRow(o, row + static_cast<std::ptrdiff_t>(r.left) * 4, w, topByte);
    } else if (sixteen) {
      const BYTE* in = row + static_cast<std::ptrdiff_t>(r.left) * 2;
      for (LONG i = 0; i < w; ++i) o[i] = (*sixteen)[LoadRowPixel<2>(in + 2 * i)] | topByte;
    } else if (bits == 24) {
      const BYTE* in = row + static_cast<std::ptrdiff_t>(r.left) * 3;
      for (LONG i = 0; i < w; ++i) o[i] = LoadRowPixel<3>(in + 3 * i) | topByte;
    } else if (bits == 8) {
      const BYTE* in = row + r.left;
      for (LONG i = 0; i < w; ++i) o[i] = indexed[in[i]];
    } else {
      for (LONG x = r.left; x < r.right; ++x)
        o[x - r.left] = p.Format.Indexed ? indexed[GetPixelValue(p, x, y) & 0xFF]
                                         : PixelToXrgb(GetPixelValue(p, x, y), p.Format, palette, count) | topByte;
    }
  }
}

bool RectIsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT IntersectRects(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (RectIsEmpty(r)) r = RECT{};
  return r;
}

bool RectInside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}
