// Locking stand-in surfaces into render surface descriptions: the formats,
// the indexed palette, failures, descriptions that cannot be addressed
// safely, and the guard that unlocks.
#include "render/RenderLock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "tests/render/RenderLockFixtures.h"

namespace {

struct TLockCase {
  const char* Name;
  TDDrawPixelFormat Format;
  BYTE Kind;
  TRenderChannel Red, Green, Blue;  // the index channel in Red for indexed formats
  TRenderChannelSet Channels;
};

TEST_F(RenderLockTest, LockDescribesEveryFormat) {
  const TLockCase cases[] = {
      {"565", TDDrawPixelFormat::Rgb565(), rkRGB, {0xF800, 5, 8, 0}, {0x07E0, 6, 3, 0}, {0x001F, 5, 0, 3}, rcRGB},
      {"555", TDDrawPixelFormat::Rgb555(), rkRGB, {0x7C00, 5, 7, 0}, {0x03E0, 5, 2, 0}, {0x001F, 5, 0, 3}, rcRGB},
      {"24", TDDrawPixelFormat::Rgb24(), rkRGB, {0xFF0000, 8, 16, 0}, {0xFF00, 8, 8, 0}, {0xFF, 8, 0, 0}, rcRGB},
      {"32", TDDrawPixelFormat::Xrgb32(), rkRGB, {0xFF0000, 8, 16, 0}, {0xFF00, 8, 8, 0}, {0xFF, 8, 0, 0}, rcRGB},
      {"i8", TDDrawPixelFormat::IndexedFormat(8), rkIndexed, {0xFF, 8, 0, 0}, {0, 0, 23, 0}, {}, rcRGB},
      {"i4", TDDrawPixelFormat::IndexedFormat(4), rkIndexed, {0x0F, 4, 0, 0}, {0, 0, 23, 0}, {}, rcRGB},
      {"i1", TDDrawPixelFormat::IndexedFormat(1), rkIndexed, {0x01, 1, 0, 0}, {0, 0, 23, 0}, {}, rcRGB},
  };
  for (const TLockCase& c : cases) {
    SCOPED_TRACE(c.Name);
    IDirectDrawSurface* s = MakeFormatSurface(DD, 100, 3, c.Format);
    ASSERT_NE(s, nullptr);
    DDCOLORKEY key{0x1F, 0x1F};
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    DDSURFACEDESC desc;
    TRenderSurface r;
    ASSERT_TRUE(LockDescribeRenderSurface(s, desc, r));
    EXPECT_EQ(desc.dwSize, 108u);
    EXPECT_EQ(desc.ddckCKSrcBlt.dwColorSpaceLowValue, 0x1Fu);
    EXPECT_FALSE(Lockable(s));  // held until the unlock
    EXPECT_EQ(r.Kind, c.Kind);
    EXPECT_EQ(r.Width, 100);
    EXPECT_EQ(r.Height, 3);
    EXPECT_EQ(r.WidthBits, 6u);
    EXPECT_EQ(r.WidthMask, 63u);
    EXPECT_EQ(r.HeightBits, 1u);
    EXPECT_EQ(r.BitCount, static_cast<DWORD>(c.Format.BitCount));
    EXPECT_EQ(r.Bits, desc.lpSurface);
    EXPECT_EQ(r.Pitch, desc.lPitch);
    EXPECT_EQ(r.PitchBits, HighestSetBit(static_cast<DWORD>(desc.lPitch)));
    EXPECT_EQ(r.Red, c.Red);
    EXPECT_EQ(r.Green, c.Green);
    if (c.Kind == rkRGB) {
      EXPECT_EQ(r.Blue, c.Blue);
      EXPECT_EQ(r.Alpha.Mask, 0u);
    }
    EXPECT_EQ(SurfaceChannelMask(r), c.Channels);
    UnlockRenderSurface(s, r);
    EXPECT_TRUE(Lockable(s));
    s->Release();
  }
}

TEST_F(RenderLockTest, AlphaOfTheFormatIsNeverDelivered) {
  // A 32-bit surface whose lock reports an alpha mask still describes none.
  IDirectDrawSurface* real = MakeFormatSurface(DD, 4, 4, TDDrawPixelFormat::Xrgb32());
  auto* s = new TLoggingSurface(real, "s", nullptr);
  real->Release();
  s->Tamper = [](DDSURFACEDESC& d) {
    d.ddpfPixelFormat.dwFlags |= DDPF_ALPHAPIXELS;
    d.ddpfPixelFormat.dwRGBAlphaBitMask = 0xFF000000;
  };
  TRenderSurface r;
  ASSERT_TRUE(LockRenderSurface(s, r));
  EXPECT_EQ(r.Alpha.Mask, 0u);
  EXPECT_EQ(SurfaceChannelMask(r), rcRGB);
  UnlockRenderSurface(s, r);
  s->Release();
}

TEST_F(RenderLockTest, IndexedRecordTakesTheSurfacePalette) {
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i)
    entries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
  struct TCase {
    int BitCount;
    DWORD PaletteCaps;
    int Expected;  // entries copied
  } cases[] = {{8, DDPCAPS_8BIT, 256}, {4, DDPCAPS_4BIT, 16}, {1, DDPCAPS_1BIT, 2}, {8, 0, 0}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.BitCount);
    SCOPED_TRACE(c.PaletteCaps);
    IDirectDrawSurface* s = MakeFormatSurface(DD, 8, 2, TDDrawPixelFormat::IndexedFormat(c.BitCount));
    IDirectDrawPalette* pal = nullptr;
    if (c.PaletteCaps) {
      ASSERT_EQ(DD->CreatePalette(c.PaletteCaps, entries, &pal, nullptr), DD_OK);
      ASSERT_EQ(s->SetPalette(pal), DD_OK);
    }
    TRenderSurface r;
    ASSERT_TRUE(LockRenderSurface(s, r));
    for (int i = 0; i < 256; ++i) {
      const PALETTEENTRY want = i < c.Expected ? entries[i] : PALETTEENTRY{};
      ASSERT_EQ(r.Palette[i].peRed, want.peRed) << i;
      ASSERT_EQ(r.Palette[i].peGreen, want.peGreen) << i;
      ASSERT_EQ(r.Palette[i].peBlue, want.peBlue) << i;
    }
    // The palette stays apart from the channel descriptions.
    EXPECT_EQ(r.Index().Mask, (DWORD{1} << c.BitCount) - 1);
    EXPECT_EQ(r.Blue.Mask, 0u);
    EXPECT_EQ(r.Alpha.Mask, 0u);
    UnlockRenderSurface(s, r);
    if (pal) pal->Release();
    s->Release();
  }
}

// A record with every byte set, to see that a failed lock leaves it alone.
TRenderSurface Sentinel() {
  TRenderSurface r;
  std::memset(static_cast<void*>(&r), 0xA5, sizeof r);
  return r;
}

bool SameBytes(const TRenderSurface& a, const TRenderSurface& b) {
  return std::memcmp(static_cast<const void*>(&a), static_cast<const void*>(&b), sizeof a) == 0;
}

TEST_F(RenderLockTest, FailedLocksLeaveTheRecordAndTheSurface) {
  IDirectDrawSurface* s = MakeFormatSurface(DD, 8, 8, TDDrawPixelFormat::Rgb565());
  TRenderSurface r = Sentinel();
  const TRenderSurface before = r;

  EXPECT_FALSE(LockRenderSurface(nullptr, r));
  EXPECT_TRUE(SameBytes(r, before));

  // Busy: already locked by someone else.
  DDSURFACEDESC held;
  ASSERT_EQ(s->Lock(nullptr, &held, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_FALSE(LockRenderSurface(s, r));
  EXPECT_TRUE(SameBytes(r, before));
  s->Unlock(nullptr);

  // Lost: nothing is locked, and after Restore the surface locks again.
  LoseEmulatedSurfaces();
  ASSERT_EQ(s->IsLost(), DDERR_SURFACELOST);
  EXPECT_FALSE(LockRenderSurface(s, r));
  EXPECT_TRUE(SameBytes(r, before));
  ASSERT_EQ(s->Restore(), DD_OK);
  EXPECT_TRUE(Lockable(s));
  EXPECT_TRUE(LockRenderSurface(s, r));
  UnlockRenderSurface(s, r);
  s->Release();
}

TEST_F(RenderLockTest, LocksThatCannotBeAddressedSafelyAreGivenBack) {
  struct TCase {
    const char* Name;
    std::function<void(DDSURFACEDESC&)> Tamper;
  } cases[] = {
      {"no pointer", [](DDSURFACEDESC& d) { d.lpSurface = nullptr; }},
      {"pitch shorter than a row", [](DDSURFACEDESC& d) { d.lPitch = 2 * 16 - 2; }},
      {"negative short pitch", [](DDSURFACEDESC& d) { d.lPitch = -(2 * 16 - 1); }},
      {"unknown bit count", [](DDSURFACEDESC& d) { d.ddpfPixelFormat.dwRGBBitCount = 12; }},
      {"width beyond the record", [](DDSURFACEDESC& d) { d.dwWidth = 0x80000000u; }},
      {"height beyond the record", [](DDSURFACEDESC& d) { d.dwHeight = 0xFFFFFFFFu; }},
      {"indexed with 16 bits", [](DDSURFACEDESC& d) { d.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8; }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::string> log;
    IDirectDrawSurface* real = MakeFormatSurface(DD, 16, 4, TDDrawPixelFormat::Rgb565());
    auto* s = new TLoggingSurface(real, "s", &log);
    real->Release();
    s->Tamper = c.Tamper;
    TRenderSurface r = Sentinel();
    const TRenderSurface before = r;
    EXPECT_FALSE(LockRenderSurface(s, r));
    EXPECT_TRUE(SameBytes(r, before));
    EXPECT_EQ(log, (std::vector<std::string>{"lock s", "unlock s"}));
    EXPECT_TRUE(Lockable(s->Real()));
    s->Release();
  }
}

TEST_F(RenderLockTest, UnlockPassesTheRecordsPointer) {
  IDirectDrawSurface* real = MakeFormatSurface(DD, 4, 4, TDDrawPixelFormat::Xrgb32());
  auto* s = new TLoggingSurface(real, "s", nullptr);
  real->Release();
  TRenderSurface r;
  ASSERT_TRUE(LockRenderSurface(s, r));
  UnlockRenderSurface(s, r);
  EXPECT_EQ(s->Unlocks, 1);
  EXPECT_EQ(s->LastUnlockArgument, r.Bits);
  EXPECT_TRUE(Lockable(s->Real()));
  // A second unlock fails inside and is ignored.
  UnlockRenderSurface(s, r);
  EXPECT_EQ(s->Unlocks, 2);
  s->Release();
}

TEST_F(RenderLockTest, GuardsUnlockInReverseOrderAlsoWhenTheDrawRaises) {
  std::vector<std::string> log;
  IDirectDrawSurface* realA = MakeFormatSurface(DD, 4, 4, TDDrawPixelFormat::Xrgb32());
  IDirectDrawSurface* realB = MakeFormatSurface(DD, 4, 4, TDDrawPixelFormat::Xrgb32());
  auto* dest = new TLoggingSurface(realA, "dest", &log);
  auto* source = new TLoggingSurface(realB, "source", &log);
  realA->Release();
  realB->Release();
  TRenderSurface d, s;
  try {
    TRenderSurfaceLock destLock;
    ASSERT_TRUE(destLock.Lock(dest, d));
    TRenderSurfaceLock sourceLock;
    DDSURFACEDESC desc;
    ASSERT_TRUE(sourceLock.Lock(source, desc, s));
    EXPECT_TRUE(sourceLock.Locked());
    throw std::runtime_error("draw failed");
  } catch (const std::runtime_error&) {}
  EXPECT_EQ(log, (std::vector<std::string>{"lock dest", "lock source", "unlock source", "unlock dest"}));
  EXPECT_TRUE(Lockable(dest));
  EXPECT_TRUE(Lockable(source));

  // A guard whose lock failed unlocks nothing; Unlock is done once.
  log.clear();
  {
    TRenderSurfaceLock first;
    ASSERT_TRUE(first.Lock(dest, d));
    TRenderSurfaceLock second;
    EXPECT_FALSE(second.Lock(dest, d));
    EXPECT_FALSE(second.Locked());
    first.Unlock();
    EXPECT_FALSE(first.Locked());
  }
  EXPECT_EQ(log, (std::vector<std::string>{"lock dest", "lock dest failed", "unlock dest"}));
  dest->Release();
  source->Release();
}

}  // namespace
