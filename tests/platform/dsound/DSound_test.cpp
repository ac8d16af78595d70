#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dsound/DSound.h"
#include "platform/dsound/DSoundTest.h"
#include "platform/win/Modules.h"

namespace {

// A stored PCM format block in its 16-byte form.
std::vector<BYTE> PcmFormat(WORD Bits, WORD Channels, DWORD Rate, WORD Tag = WAVE_FORMAT_PCM) {
  WAVEFORMATEX f;
  f.wFormatTag = Tag;
  f.nChannels = Channels;
  f.nSamplesPerSec = Rate;
  f.wBitsPerSample = Bits;
  f.nBlockAlign = static_cast<WORD>(Channels * Bits / 8);
  f.nAvgBytesPerSec = Rate * f.nBlockAlign;
  std::vector<BYTE> b(WaveFormatExBytes);
  WriteWaveFormatEx(f, b.data());
  b.resize(PcmWaveFormatBytes);
  return b;
}

class DSoundFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    DSoundTest::Reset();
    DSoundTest::SetManualClock(true);
    ASSERT_EQ(DirectSoundCreate(nullptr, &Device, nullptr), DS_OK);
  }
  void TearDown() override {
    for (IDirectSoundBuffer* b : Buffers) b->Release();
    if (Device) Device->Release();
    EXPECT_EQ(DSoundTest::VoiceCount(), 0);
    DSoundTest::Reset();
  }

  HRESULT Make(WORD Bits, WORD Channels, DWORD Rate, DWORD Bytes, IDirectSoundBuffer** Out,
               DWORD Flags = DSBCAPS_CTRLDEFAULT) {
    Format = PcmFormat(Bits, Channels, Rate);
    DSBUFFERDESC d;
    d.dwSize = DSBufferDescSize;
    d.dwFlags = Flags;
    d.dwBufferBytes = Bytes;
    d.lpwfxFormat = Format.data();
    HRESULT hr = Device->CreateSoundBuffer(&d, Out, nullptr);
    if (hr == DS_OK) Buffers.push_back(*Out);
    return hr;
  }
  IDirectSoundBuffer* Make(WORD Bits, WORD Channels, DWORD Rate, DWORD Bytes, DWORD Flags = DSBCAPS_CTRLDEFAULT) {
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(Make(Bits, Channels, Rate, Bytes, &b, Flags), DS_OK);
    return b;
  }
  // Fills the whole buffer through Lock.
  static void Fill(IDirectSoundBuffer* B, const std::vector<BYTE>& Bytes) {
    void *p1, *p2;
    DWORD n1, n2;
    ASSERT_EQ(B->Lock(0, static_cast<DWORD>(Bytes.size()), &p1, &n1, &p2, &n2, 0), DS_OK);
    ASSERT_EQ(n1, Bytes.size());
    std::memcpy(p1, Bytes.data(), n1);
    ASSERT_EQ(B->Unlock(p1, n1, p2, 0), DS_OK);
  }
  static std::vector<BYTE> Read(IDirectSoundBuffer* B, DWORD Size) {
    void *p1, *p2;
    DWORD n1, n2;
    EXPECT_EQ(B->Lock(0, Size, &p1, &n1, &p2, &n2, 0), DS_OK);
    std::vector<BYTE> out(static_cast<const BYTE*>(p1), static_cast<const BYTE*>(p1) + n1);
    B->Unlock(p1, 0, p2, 0);
    return out;
  }
  static DWORD Status(IDirectSoundBuffer* B) {
    DWORD s = 0xFFFF;
    EXPECT_EQ(B->GetStatus(&s), DS_OK);
    return s;
  }
  static DWORD Position(IDirectSoundBuffer* B) {
    DWORD p = 0, w = 0;
    EXPECT_EQ(B->GetCurrentPosition(&p, &w), DS_OK);
    return p;
  }
  static std::vector<std::int16_t> Render(int Frames) {
    std::vector<std::int16_t> out(static_cast<size_t>(Frames) * 2, 12345);
    DSoundTest::Render(out.data(), Frames);
    return out;
  }
  static std::vector<BYTE> Samples16(const std::vector<std::int16_t>& v) {
    std::vector<BYTE> b;
    for (std::int16_t s : v) {
      b.push_back(static_cast<BYTE>(s & 0xFF));
      b.push_back(static_cast<BYTE>((s >> 8) & 0xFF));
    }
    return b;
  }

  IDirectSound* Device = nullptr;
  std::vector<IDirectSoundBuffer*> Buffers;
  std::vector<BYTE> Format;
};

struct LockCase {
  const char* name;
  DWORD cursor;  // play position set before the lock
  DWORD offset, bytes, flags;
  bool secondRegion;  // the caller takes a second region
  HRESULT result;
  DWORD bytes1, bytes2;
  DWORD start1;  // buffer offset the first region maps to
};

TEST_F(DSoundFixture, LockHandsOutOneOrTwoRegions) {
  const LockCase cases[] = {
      {"whole buffer", 0, 0, 100, 0, true, DS_OK, 100, 0, 0},
      {"inside", 0, 10, 20, 0, true, DS_OK, 20, 0, 10},
      {"up to the end", 0, 80, 20, 0, true, DS_OK, 20, 0, 80},
      {"wraps", 0, 90, 20, 0, true, DS_OK, 10, 10, 90},
      {"whole buffer from the middle", 0, 50, 100, 0, true, DS_OK, 50, 50, 50},
      {"wrap without a second region", 0, 90, 20, 0, false, DS_OK, 10, 0, 90},
      {"entire buffer flag", 0, 77, 3, DSBLOCK_ENTIREBUFFER, true, DS_OK, 100, 0, 0},
      {"from the write cursor", 40, 0, 80, DSBLOCK_FROMWRITECURSOR, true, DS_OK, 60, 20, 40},
      {"nothing", 0, 0, 0, 0, true, DSERR_INVALIDPARAM, 0, 0, 0},
      {"more than the buffer", 0, 0, 101, 0, true, DSERR_INVALIDPARAM, 0, 0, 0},
      {"offset at the end", 0, 100, 1, 0, true, DSERR_INVALIDPARAM, 0, 0, 0},
  };
  IDirectSoundBuffer* b = Make(8, 1, 22050, 100);
  std::vector<BYTE> pattern(100);
  for (int i = 0; i < 100; ++i) pattern[static_cast<size_t>(i)] = static_cast<BYTE>(i);
  Fill(b, pattern);
  for (const LockCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(b->SetCurrentPosition(c.cursor), DS_OK);
    void* p1 = reinterpret_cast<void*>(1);
    void* p2 = reinterpret_cast<void*>(1);
    DWORD n1 = 7, n2 = 7;
    HRESULT hr = b->Lock(c.offset, c.bytes, &p1, &n1, c.secondRegion ? &p2 : nullptr, &n2, c.flags);
    EXPECT_EQ(hr, c.result);
    EXPECT_EQ(n1, c.bytes1);
    EXPECT_EQ(n2, c.bytes2);
    if (hr != DS_OK) {
      EXPECT_EQ(p1, nullptr);
      continue;
    }
    // The regions show the buffer's bytes where they map to.
    EXPECT_EQ(static_cast<BYTE*>(p1)[0], c.start1);
    if (c.bytes2) {
      ASSERT_NE(p2, nullptr);
      EXPECT_EQ(static_cast<BYTE*>(p2)[0], 0);
    } else if (c.secondRegion) {
      EXPECT_EQ(p2, nullptr);
    }
    EXPECT_EQ(b->Unlock(p1, n1, c.secondRegion ? p2 : nullptr, n2), DS_OK);
  }
}

TEST_F(DSoundFixture, UnlockWritesBackOnlyTheBytesItIsGiven) {
  IDirectSoundBuffer* b = Make(8, 1, 22050, 16);
  Fill(b, std::vector<BYTE>(16, 0x11));
  void *p1, *p2;
  DWORD n1, n2;
  ASSERT_EQ(b->Lock(12, 8, &p1, &n1, &p2, &n2, 0), DS_OK);
  ASSERT_EQ(n1, 4u);
  ASSERT_EQ(n2, 4u);
  std::memset(p1, 0xAA, n1);
  std::memset(p2, 0xBB, n2);
  // A pointer that was not handed out, or more bytes than the region holds.
  EXPECT_EQ(b->Unlock(reinterpret_cast<void*>(&n1), n1, p2, n2), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Unlock(p1, n1 + 1, p2, n2), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Unlock(p1, n1, p2, 2), DS_OK);
  std::vector<BYTE> expect(16, 0x11);
  expect[0] = expect[1] = 0xBB;
  expect[12] = expect[13] = expect[14] = expect[15] = 0xAA;
  EXPECT_EQ(Read(b, 16), expect);
  EXPECT_EQ(b->Unlock(p1, 0, nullptr, 0), DSERR_INVALIDPARAM);  // already unlocked
}

TEST_F(DSoundFixture, PlayStopAndLoopStatus) {
  IDirectSoundBuffer* b = Make(16, 2, 48000, 400);  // 100 frames
  EXPECT_EQ(Status(b), 0u);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  EXPECT_EQ(Status(b), DSBSTATUS_PLAYING);
  Render(30);
  EXPECT_EQ(Position(b), 120u);
  ASSERT_EQ(b->Stop(), DS_OK);
  EXPECT_EQ(Status(b), 0u);
  Render(30);
  EXPECT_EQ(Position(b), 120u);  // stopped: the position stays
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  EXPECT_EQ(Status(b), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  Render(100);  // once round and 30 frames on
  EXPECT_EQ(Status(b), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  EXPECT_EQ(Position(b), 120u);
  // Play on a playing buffer only changes the looping; the one-shot then ends
  // at the last frame and goes back to the start.
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  EXPECT_EQ(Position(b), 120u);
  Render(69);
  EXPECT_EQ(Status(b), DSBSTATUS_PLAYING);
  Render(1);
  EXPECT_EQ(Status(b), 0u);
  EXPECT_EQ(Position(b), 0u);
  EXPECT_EQ(b->SetCurrentPosition(399), DS_OK);
  EXPECT_EQ(Position(b), 396u);  // snapped to a whole frame
  EXPECT_EQ(b->SetCurrentPosition(400), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Play(1, 0, 0), DSERR_INVALIDPARAM);
}

TEST_F(DSoundFixture, DuplicatesShareSamplesAndKeepTheirOwnState) {
  IDirectSoundBuffer* original = Make(8, 1, 11025, 64);
  ASSERT_EQ(original->SetVolume(-500), DS_OK);
  ASSERT_EQ(original->SetPan(300), DS_OK);
  ASSERT_EQ(original->SetFrequency(22050), DS_OK);
  IDirectSoundBuffer* dup = nullptr;
  ASSERT_EQ(Device->DuplicateSoundBuffer(original, &dup), DS_OK);
  Buffers.push_back(dup);
  EXPECT_EQ(DSoundTest::VoiceCount(), 2);
  LONG v = 0, p = 0;
  DWORD f = 0;
  ASSERT_EQ(dup->GetVolume(&v), DS_OK);
  ASSERT_EQ(dup->GetPan(&p), DS_OK);
  ASSERT_EQ(dup->GetFrequency(&f), DS_OK);
  EXPECT_EQ(v, -500);
  EXPECT_EQ(p, 300);
  EXPECT_EQ(f, 22050u);
  DSBCAPS caps;
  caps.dwSize = sizeof caps;
  ASSERT_EQ(dup->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwBufferBytes, 64u);
  EXPECT_EQ(caps.dwFlags, DSBCAPS_CTRLDEFAULT | DSBCAPS_LOCSOFTWARE);

  // Samples written through either are seen by the other.
  Fill(original, std::vector<BYTE>(64, 0x42));
  EXPECT_EQ(Read(dup, 64), std::vector<BYTE>(64, 0x42));
  Fill(dup, std::vector<BYTE>(64, 0x24));
  EXPECT_EQ(Read(original, 64), std::vector<BYTE>(64, 0x24));

  // Position, play state and controls are each buffer's own.
  ASSERT_EQ(dup->SetCurrentPosition(10), DS_OK);
  ASSERT_EQ(dup->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  ASSERT_EQ(dup->SetVolume(0), DS_OK);
  EXPECT_EQ(Position(original), 0u);
  EXPECT_EQ(Status(original), 0u);
  EXPECT_EQ(Status(dup), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  ASSERT_EQ(original->GetVolume(&v), DS_OK);
  EXPECT_EQ(v, -500);

  // Releasing the original leaves the duplicate's samples alive.
  original->Release();
  Buffers.erase(Buffers.begin());
  EXPECT_EQ(Read(dup, 64), std::vector<BYTE>(64, 0x24));
  Render(100);
}

TEST_F(DSoundFixture, DuplicateFailures) {
  IDirectSoundBuffer* b = Make(8, 1, 11025, 64);
  IDirectSoundBuffer* dup = reinterpret_cast<IDirectSoundBuffer*>(1);
  DSoundTest::InjectFault(DSoundTest::TFault::Duplicate, DSERR_OUTOFMEMORY);
  EXPECT_EQ(Device->DuplicateSoundBuffer(b, &dup), DSERR_OUTOFMEMORY);
  EXPECT_EQ(dup, nullptr);
  EXPECT_EQ(DSoundTest::VoiceCount(), 1);
  EXPECT_EQ(Device->DuplicateSoundBuffer(nullptr, &dup), DSERR_INVALIDPARAM);

  DSBUFFERDESC d;
  d.dwSize = DSBufferDescSize;
  d.dwFlags = DSBCAPS_PRIMARYBUFFER;
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(Device->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  Buffers.push_back(primary);
  EXPECT_EQ(Device->DuplicateSoundBuffer(primary, &dup), DSERR_INVALIDCALL);
  // The fault was used up: the next duplicate is made.
  ASSERT_EQ(Device->DuplicateSoundBuffer(b, &dup), DS_OK);
  Buffers.push_back(dup);
}

TEST_F(DSoundFixture, APlayedBufferReachesTheOutputWithItsVolumeAndPan) {
  // 16-bit mono at the output rate: every output frame is one source frame.
  IDirectSoundBuffer* b = Make(16, 1, 48000, 2 * 100);
  Fill(b, Samples16(std::vector<std::int16_t>(100, 16000)));
  auto silent = Render(10);
  EXPECT_EQ(silent, std::vector<std::int16_t>(20, 0));  // nothing plays yet

  struct Case {
    LONG volume, pan;
    std::int16_t left, right;
  } cases[] = {
      {0, 0, 16000, 16000},        {-2000, 0, 1600, 1600},  // -20 dB
      {-600, 0, 8019, 8019},                                // -6 dB
      {0, 2000, 1600, 16000},                               // right: the left channel 20 dB down
      {0, -2000, 16000, 1600},                              // left
      {0, DSBPAN_RIGHT, 0, 16000},                          // fully right
      {-2000, -10000, 1600, 0},    {DSBVOLUME_MIN, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.volume << " " << c.pan);
    ASSERT_EQ(b->SetVolume(c.volume), DS_OK);
    ASSERT_EQ(b->SetPan(c.pan), DS_OK);
    ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    auto out = Render(120);
    for (int i = 0; i < 100; ++i) {
      ASSERT_EQ(out[2 * i], c.left) << i;
      ASSERT_EQ(out[2 * i + 1], c.right) << i;
    }
    for (int i = 100; i < 120; ++i) ASSERT_EQ(out[2 * i], 0) << "after the end " << i;
  }
  EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetPan(10001), DSERR_INVALIDPARAM);
}

TEST_F(DSoundFixture, StereoChannelsStayApart) {
  IDirectSoundBuffer* b = Make(16, 2, 48000, 4 * 4);
  Fill(b, Samples16({1000, -2000, 3000, -4000, 5000, -6000, 7000, -8000}));
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  auto out = Render(5);
  EXPECT_EQ(out, (std::vector<std::int16_t>{1000, -2000, 3000, -4000, 5000, -6000, 7000, -8000, 0, 0}));
}

TEST_F(DSoundFixture, EightBitMonoAt11025IsResampledToTheOutputRate) {
  // One second of a constant 8-bit level plays for exactly one second of output.
  IDirectSoundBuffer* b = Make(8, 1, 11025, 11025);
  Fill(b, std::vector<BYTE>(11025, 0xC0));  // +64 of 128
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  auto out = Render(48010);
  int sounding = 0;
  for (int i = 0; i < 48010; ++i) {
    if (out[2 * i] != 0) {
      ASSERT_EQ(out[2 * i], 16384) << i;
      ASSERT_EQ(out[2 * i + 1], 16384) << i;
      ++sounding;
    }
  }
  EXPECT_EQ(sounding, 48000);
  EXPECT_EQ(Status(b), 0u);
}

TEST_F(DSoundFixture, ResamplingInterpolatesAcrossTheLoop) {
  // Two frames at half the output rate, looping: every second output frame
  // lies half-way between two source frames, the last one between the end and
  // the start.
  IDirectSoundBuffer* b = Make(8, 1, 24000, 4);
  Fill(b, {0x80, 0xC0, 0x80, 0xFF});
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  auto out = Render(10);
  std::vector<std::int16_t> left;
  for (int i = 0; i < 10; ++i) left.push_back(out[2 * i]);
  EXPECT_EQ(left, (std::vector<std::int16_t>{0, 8192, 16384, 8192, 0, 16256, 32512, 16256, 0, 8192}));
  // Frequency 0 is the format's own rate; a new one changes the step.
  ASSERT_EQ(b->SetFrequency(48000), DS_OK);
  ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
  out = Render(4);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[2], 16384);
  EXPECT_EQ(out[4], 0);
  DWORD f = 0;
  ASSERT_EQ(b->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
  ASSERT_EQ(b->GetFrequency(&f), DS_OK);
  EXPECT_EQ(f, 24000u);
  EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_MIN - 1), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_MAX + 1), DSERR_INVALIDPARAM);
}

// Test signals that swing over the whole range, integers only: an 8-bit
// mono wave at 11025 Hz (a triangle with flat tops at 0 and 255, then a
// square between the two extremes) and a 16-bit stereo wave at 22050 Hz whose
// channels swing in opposite directions and touch -32768 and 32767.
std::vector<BYTE> EightBitSwing(int Frames) {
  std::vector<BYTE> b(static_cast<size_t>(Frames));
  for (int i = 0; i < Frames; ++i) {
    const int p = i % 60;
    int v = p < 20 ? p * 13 : (p < 25 ? 255 : (p < 45 ? 255 - (p - 25) * 13 : 0));
    if (i >= Frames / 2) v = (i / 7) % 2 ? 255 : 0;
    b[static_cast<size_t>(i)] = static_cast<BYTE>(std::clamp(v, 0, 255));
  }
  return b;
}

std::vector<std::int16_t> SixteenBitSwing(int Frames) {
  std::vector<std::int16_t> v;
  for (int i = 0; i < Frames; ++i) {
    const int p = i % 40;
    const int tri = p < 20 ? -32768 + p * 3449 : 32767 - (p - 20) * 3449;
    const int left = std::clamp(tri, -32768, 32767);
    const int right = std::clamp(-1 - tri, -32768, 32767);
    v.push_back(static_cast<std::int16_t>(left));
    v.push_back(static_cast<std::int16_t>(right));
  }
  return v;
}

std::uint64_t Fnv(const std::vector<std::int16_t>& Samples) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::int16_t s : Samples) {
    for (int k = 0; k < 2; ++k) {
      h ^= static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> (8 * k));
      h *= 1099511628211ull;
    }
  }
  return h;
}

TEST_F(DSoundFixture, OneBufferAtAnyVolumeAndPanKeepsItsExactLevels) {
  IDirectSoundBuffer* eight = Make(8, 1, 11025, 2205);
  Fill(eight, EightBitSwing(2205));
  IDirectSoundBuffer* sixteen = Make(16, 2, 22050, 4 * 2205);
  Fill(sixteen, Samples16(SixteenBitSwing(2205)));
  // The output's hashes as the mixer made them before it limited sums: a
  // buffer on its own never reaches the limiter, at full volume and at the
  // extremes of its range included.
  struct Case {
    LONG volume, pan;
    std::uint64_t eight, sixteen;
  } cases[] = {
      {0, 0, 0x6f1308f38b78c1cbull, 0x316607f197eedb63ull},
      {-600, 0, 0xeab8334a014ad97full, 0x1c3953555cca3ebaull},
      {DSBVOLUME_MIN, 0, 0x560e2e56ea1eaf73ull, 0x560e2e56ea1eaf73ull},
      {0, 2000, 0x5a4f827a5e8e72aeull, 0xd08a947e8623a4a4ull},
      {0, -2000, 0xe29694d32958bfaeull, 0x8b2e1e2334acd770ull},
      {-600, 2000, 0xdaaa65e18fe7f59full, 0x1e7583046d6d9536ull},
      {-600, -2000, 0x6bc018ef9cfeff53ull, 0x168a47cccbf9d316ull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.volume << " " << c.pan);
    for (IDirectSoundBuffer* b : {eight, sixteen}) {
      ASSERT_EQ(b->SetVolume(c.volume), DS_OK);
      ASSERT_EQ(b->SetPan(c.pan), DS_OK);
      ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
      ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
      // 0.2 s of the wave and a little silence after it, in uneven blocks.
      std::vector<std::int16_t> out;
      for (int block : {1, 7, 1024, 333, 2048, 4096, 3000}) {
        auto part = Render(block);
        out.insert(out.end(), part.begin(), part.end());
      }
      EXPECT_EQ(Fnv(out), b == eight ? c.eight : c.sixteen) << (b == eight ? "8-bit" : "16-bit");
    }
  }
}

TEST_F(DSoundFixture, BuffersAddUpExactlyWhileTheSumFits) {
  IDirectSoundBuffer* a = Make(16, 1, 48000, 8);
  IDirectSoundBuffer* b = Make(16, 1, 48000, 8);
  IDirectSoundBuffer* c = Make(8, 1, 48000, 4);
  Fill(a, Samples16({30000, -30000, 20000, 100}));
  Fill(b, Samples16({2767, -2000, -25000, 200}));
  Fill(c, {0x80, 0x7F, 0x80, 0x81});
  for (auto* x : {a, b, c}) ASSERT_EQ(x->Play(0, 0, 0), DS_OK);
  auto out = Render(4);
  EXPECT_EQ(out[0], 32767);  // full scale, not beyond: untouched
  EXPECT_EQ(out[2], -32256);
  EXPECT_EQ(out[4], -5000);
  EXPECT_EQ(out[6], 556);
}

// What a stretch of one channel shows: its loudest sample, the longest run of
// full-scale samples, and the largest step between neighbouring samples from
// frame StepsFrom on.
struct ChannelShape {
  int peak = 0, longestRun = 0, largestStep = 0;
};

ChannelShape Shape(const std::vector<std::int16_t>& Out, int Channel, std::size_t StepsFrom = 1) {
  ChannelShape s;
  int run = 0;
  for (std::size_t i = static_cast<std::size_t>(Channel); i < Out.size(); i += 2) {
    const int v = Out[i];
    s.peak = std::max(s.peak, std::abs(v));
    run = (v >= 32767 || v <= -32767) ? run + 1 : 0;
    s.longestRun = std::max(s.longestRun, run);
    if (i / 2 >= StepsFrom) s.largestStep = std::max(s.largestStep, std::abs(v - Out[i - 2]));
  }
  return s;
}

// A full-scale sine on both channels, 16-bit at the output rate.
std::vector<std::int16_t> Sine16(int Frames, double Freq) {
  std::vector<std::int16_t> v;
  for (int i = 0; i < Frames; ++i) {
    const auto x = static_cast<std::int16_t>(std::lround(32767 * std::sin(2 * M_PI * Freq * i / 48000)));
    v.push_back(x);
    v.push_back(x);
  }
  return v;
}

TEST_F(DSoundFixture, ManyFullScaleBuffersTogetherAreLimitedNotClipped) {
  struct Case {
    const char* name;
    bool sine;    // a 220 Hz sine at the output rate, or the 8-bit swing at 11025 Hz
    int stagger;  // output frames between one buffer's start and the next
  } kinds[] = {{"one wave, all at once", false, 0},
               {"one wave, one after another", false, 37},
               {"sines, all at once", true, 0},
               {"sines, one after another", true, 101}};
  const std::vector<BYTE> swing = EightBitSwing(4410);
  const std::vector<std::int16_t> sine = Sine16(9600, 220);
  // The step a full-scale sine itself makes between neighbouring samples.
  const int sineStep = Shape(sine, 0).largestStep;
  for (const Case& k : kinds) {
    for (int count : {2, 8, 32}) {
      SCOPED_TRACE(testing::Message() << k.name << ", " << count << " buffers");
      DSoundTest::Reset();
      DSoundTest::SetManualClock(true);
      std::vector<IDirectSoundBuffer*> loud;
      for (int i = 0; i < count; ++i) {
        IDirectSoundBuffer* b = k.sine ? Make(16, 2, 48000, 4 * 9600) : Make(8, 1, 11025, 4410);
        if (k.sine)
          Fill(b, Samples16(sine));
        else
          Fill(b, swing);
        loud.push_back(b);
      }
      std::vector<std::int16_t> out;
      for (IDirectSoundBuffer* b : loud) {
        ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
        if (k.stagger) {
          auto part = Render(k.stagger);
          out.insert(out.end(), part.begin(), part.end());
        }
      }
      for (int block : {1024, 1, 600, 1024, 1024, 4000, 2048}) {
        auto part = Render(block);
        out.insert(out.end(), part.begin(), part.end());
      }
      for (int c = 0; c < 2; ++c) {
        // Sines that all start together rise steeply at once, as their sum
        // does, before any gain could follow: steps count after the first
        // millisecond.
        const ChannelShape s = Shape(out, c, 48);
        EXPECT_LE(s.longestRun, 2) << "channel " << c;
        // Still loud: brought under full scale, not far below it.
        EXPECT_GT(s.peak, 32767 * 8 / 10) << "channel " << c;
        // No steps: the gain moves smoothly, so the limited sine changes no
        // faster than a sine at full scale does.
        if (k.sine) { EXPECT_LE(s.largestStep, sineStep * 3 / 2) << "channel " << c; }
      }
      if (!k.sine && !k.stagger) {
        // The limited sum keeps the wave's shape: it never flips its sign,
        // as a sum wrapped round the 16-bit range would.
        for (std::size_t f = 0; f + 5 < 9600; ++f) {
          const int here = swing[f * 11025 / 48000] - 128, next = swing[f * 11025 / 48000 + 1] - 128;
          if (here * next > 40 * 40) { ASSERT_GT(out[2 * f] * here, 0) << f; }
        }
      }
      for (IDirectSoundBuffer* b : loud) {
        b->Release();
        Buffers.erase(std::find(Buffers.begin(), Buffers.end(), b));
      }
    }
  }
}

TEST_F(DSoundFixture, AfterAPileUpTheLimiterLetsGoAndAQuietBufferIsExactAgain) {
  IDirectSoundBuffer* quiet = Make(16, 1, 48000, 2 * 4800);
  Fill(quiet, Samples16(std::vector<std::int16_t>(4800, 10000)));
  ASSERT_EQ(quiet->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  EXPECT_EQ(Render(100), std::vector<std::int16_t>(200, 10000));
  std::vector<IDirectSoundBuffer*> loud;
  for (int i = 0; i < 8; ++i) {
    IDirectSoundBuffer* b = Make(16, 1, 48000, 2 * 480);  // 10 ms at 30000
    Fill(b, Samples16(std::vector<std::int16_t>(480, 30000)));
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  }
  // While the pile-up lasts, the quiet buffer is brought down with it.
  auto during = Render(480);
  EXPECT_LT(during[2 * 400], 29492);
  EXPECT_GT(during[2 * 400], 29000);
  // A short release: nearly back within a quarter of a second...
  auto after = Render(12000);
  EXPECT_LT(after[2 * 500], 9000);
  EXPECT_GT(after.back(), 9500);
  EXPECT_LE(after.back(), 10000);
  // ...and then at rest, the buffer's own level exactly.
  Render(36000);
  EXPECT_EQ(Render(100), std::vector<std::int16_t>(200, 10000));
}

TEST_F(DSoundFixture, LostBuffersAndInjectedFailures) {
  IDirectSoundBuffer* b = Make(8, 1, 48000, 8);
  Fill(b, std::vector<BYTE>(8, 0xFF));
  IDirectSoundBuffer* dup = nullptr;
  ASSERT_EQ(Device->DuplicateSoundBuffer(b, &dup), DS_OK);
  Buffers.push_back(dup);
  IDirectSoundBuffer* other = Make(8, 1, 48000, 8);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);

  void *p1, *p2;
  DWORD n1, n2;
  DSoundTest::InjectFault(DSoundTest::TFault::Lock, DSERR_INVALIDCALL, 2);
  EXPECT_EQ(other->Lock(0, 8, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDCALL);
  EXPECT_EQ(other->Lock(0, 8, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDCALL);
  ASSERT_EQ(other->Lock(0, 8, &p1, &n1, &p2, &n2, 0), DS_OK);
  ASSERT_EQ(other->Unlock(p1, n1, p2, n2), DS_OK);

  DSoundTest::LoseBuffer(b);
  // The memory is lost for the buffer and its duplicate, not for the other.
  EXPECT_EQ(Status(b), DSBSTATUS_BUFFERLOST);
  EXPECT_EQ(Status(dup), DSBSTATUS_BUFFERLOST);
  EXPECT_EQ(Status(other), 0u);
  EXPECT_EQ(b->Play(0, 0, 0), DSERR_BUFFERLOST);
  EXPECT_EQ(dup->Lock(0, 8, &p1, &n1, &p2, &n2, 0), DSERR_BUFFERLOST);
  IDirectSoundBuffer* dup2 = nullptr;
  EXPECT_EQ(Device->DuplicateSoundBuffer(b, &dup2), DSERR_BUFFERLOST);
  EXPECT_EQ(dup2, nullptr);
  EXPECT_EQ(b->Stop(), DS_OK);
  EXPECT_EQ(Render(4), std::vector<std::int16_t>(8, 0));
  EXPECT_EQ(other->Play(0, 0, 0), DS_OK);

  IDirectSoundBuffer* none = nullptr;
  DSoundTest::InjectFault(DSoundTest::TFault::CreateBuffer, DSERR_OUTOFMEMORY);
  EXPECT_EQ(Make(8, 1, 48000, 8, &none), DSERR_OUTOFMEMORY);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(Make(8, 1, 48000, 8, &none), DS_OK);
}

TEST_F(DSoundFixture, BufferCreationChecksTheFormatAndTheSize) {
  struct Case {
    const char* name;
    std::vector<BYTE> format;
    DWORD bytes, flags;
    HRESULT result;
  } cases[] = {
      {"8-bit mono", PcmFormat(8, 1, 11025), 100, DSBCAPS_CTRLDEFAULT, DS_OK},
      {"16-bit stereo", PcmFormat(16, 2, 44100), 100, DSBCAPS_CTRLDEFAULT | DSBCAPS_GLOBALFOCUS, DS_OK},
      {"sticky focus", PcmFormat(16, 2, 8000), 100, DSBCAPS_CTRLDEFAULT | DSBCAPS_STICKYFOCUS, DS_OK},
      {"not PCM", PcmFormat(8, 1, 11025, 2), 100, 0, DSERR_BADFORMAT},
      {"three channels", PcmFormat(8, 3, 11025), 100, 0, DSERR_BADFORMAT},
      {"no channels", PcmFormat(8, 0, 11025), 100, 0, DSERR_BADFORMAT},
      {"24-bit", PcmFormat(24, 1, 11025), 100, 0, DSERR_BADFORMAT},
      {"rate too low", PcmFormat(8, 1, 50), 100, 0, DSERR_BADFORMAT},
      {"rate too high", PcmFormat(8, 1, 200000), 100, 0, DSERR_BADFORMAT},
      {"below the smallest size", PcmFormat(8, 1, 11025), DSBSIZE_MIN - 1, 0, DSERR_INVALIDPARAM},
      {"above the largest size", PcmFormat(8, 1, 11025), DSBSIZE_MAX + 1, 0, DSERR_INVALIDPARAM},
      {"both focus kinds", PcmFormat(8, 1, 11025), 100, DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS, DSERR_INVALIDPARAM},
      {"3D", PcmFormat(8, 1, 11025), 100, DSBCAPS_CTRL3D, DSERR_CONTROLUNAVAIL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DSBUFFERDESC d;
    d.dwSize = DSBufferDescSize;
    d.dwFlags = c.flags;
    d.dwBufferBytes = c.bytes;
    d.lpwfxFormat = c.format.data();
    IDirectSoundBuffer* b = reinterpret_cast<IDirectSoundBuffer*>(1);
    EXPECT_EQ(Device->CreateSoundBuffer(&d, &b, nullptr), c.result);
    if (c.result != DS_OK) {
      EXPECT_EQ(b, nullptr);
      continue;
    }
    DSBCAPS caps;
    caps.dwSize = sizeof caps;
    ASSERT_EQ(b->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwFlags, c.flags | DSBCAPS_LOCSOFTWARE);
    DWORD size = 0;
    ASSERT_EQ(b->GetFormat(nullptr, 0, &size), DS_OK);
    ASSERT_EQ(size, WaveFormatExBytes);
    std::vector<BYTE> back(size);
    ASSERT_EQ(b->GetFormat(back.data(), size, nullptr), DS_OK);
    EXPECT_TRUE(std::equal(c.format.begin(), c.format.end(), back.begin()));
    EXPECT_EQ(back[16] | back[17], 0);  // cbSize
    b->Release();
  }
  const std::vector<BYTE> good = PcmFormat(8, 1, 11025);
  EXPECT_TRUE(IsMixableWaveFormat(good.data(), 16));
  EXPECT_FALSE(IsMixableWaveFormat(good.data(), 15));
  EXPECT_FALSE(IsMixableWaveFormat(nullptr, 16));
  DSBUFFERDESC d;
  d.dwSize = 40;
  d.dwBufferBytes = 100;
  d.lpwfxFormat = good.data();
  IDirectSoundBuffer* b = nullptr;
  EXPECT_EQ(Device->CreateSoundBuffer(&d, &b, nullptr), DSERR_INVALIDPARAM);
  d.dwSize = DSBufferDesc1Size;
  ASSERT_EQ(Device->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
  b->Release();
}

TEST_F(DSoundFixture, PrimaryBufferStandsForTheOutput) {
  DSBUFFERDESC d;
  d.dwSize = DSBufferDescSize;
  d.dwFlags = DSBCAPS_PRIMARYBUFFER;
  IDirectSoundBuffer* p = nullptr;
  ASSERT_EQ(Device->CreateSoundBuffer(&d, &p, nullptr), DS_OK);
  Buffers.push_back(p);
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
  DSBCAPS caps;
  caps.dwSize = sizeof caps;
  ASSERT_EQ(p->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwFlags & DSBCAPS_PRIMARYBUFFER, DSBCAPS_PRIMARYBUFFER);
  BYTE fmt[18];
  DWORD n = 0;
  ASSERT_EQ(p->GetFormat(fmt, sizeof fmt, &n), DS_OK);
  WAVEFORMATEX f = ReadPcmWaveFormat(fmt);
  EXPECT_EQ(f.nSamplesPerSec, 48000u);
  EXPECT_EQ(f.nChannels, 2);
  EXPECT_EQ(f.wBitsPerSample, 16);
  void *p1, *p2;
  DWORD n1, n2;
  EXPECT_EQ(p->Lock(0, 4, &p1, &n1, &p2, &n2, 0), DSERR_PRIOLEVELNEEDED);
  EXPECT_EQ(p->SetCurrentPosition(0), DSERR_INVALIDCALL);
  EXPECT_EQ(p->SetVolume(0), DSERR_CONTROLUNAVAIL);
  d.dwBufferBytes = 100;
  IDirectSoundBuffer* bad = nullptr;
  EXPECT_EQ(Device->CreateSoundBuffer(&d, &bad, nullptr), DSERR_INVALIDPARAM);
}

TEST_F(DSoundFixture, CooperativeLevelAndCaps) {
  EXPECT_EQ(DSoundTest::CooperativeLevel(Device), 0u);
  HWND w = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(Device->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
  EXPECT_EQ(Device->SetCooperativeLevel(w, 0), DSERR_INVALIDPARAM);
  ASSERT_EQ(Device->SetCooperativeLevel(w, DSSCL_EXCLUSIVE), DS_OK);
  EXPECT_EQ(DSoundTest::CooperativeLevel(Device), DSSCL_EXCLUSIVE);
  EXPECT_EQ(DSoundTest::CooperativeWindow(Device), w);
  DSCAPS caps;
  EXPECT_EQ(Device->GetCaps(&caps), DSERR_INVALIDPARAM);
  caps.dwSize = sizeof caps;
  ASSERT_EQ(Device->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwMinSecondarySampleRate, DSBFREQUENCY_MIN);
  EXPECT_EQ(caps.dwMaxSecondarySampleRate, DSBFREQUENCY_MAX);
  void* q = nullptr;
  ASSERT_EQ(Device->QueryInterface(IID_IDirectSound, &q), S_OK);
  EXPECT_EQ(q, Device);
  Device->Release();
  EXPECT_EQ(Device->QueryInterface(IID_IDirectSoundBuffer, &q), E_NOINTERFACE);
}

TEST_F(DSoundFixture, ReleasingTheDeviceReleasesOnlyTheVoicesStillRegistered) {
  IDirectSoundBuffer* kept = Make(8, 1, 11025, 100);
  IDirectSoundBuffer* gone = Make(8, 1, 11025, 100);
  Buffers.clear();
  gone->Release();
  EXPECT_EQ(DSoundTest::VoiceCount(), 1);
  ASSERT_EQ(kept->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  Device->Release();
  Device = nullptr;
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
  EXPECT_EQ(DSoundTest::DeviceCount(), 0);
  // A buffer that outlives its device answers every call with a failure.
  DWORD status;
  EXPECT_EQ(kept->GetStatus(&status), DSERR_INVALIDCALL);
  EXPECT_EQ(kept->Play(0, 0, 0), DSERR_INVALIDCALL);
  Render(10);
  kept->Release();
}

TEST(DSoundCreate, InjectedFailureAndParameters) {
  DSoundTest::Reset();
  DSoundTest::SetManualClock(true);
  IDirectSound* ds = reinterpret_cast<IDirectSound*>(1);
  DSoundTest::InjectFault(DSoundTest::TFault::Create, DSERR_NODRIVER);
  EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(ds, nullptr);
  GUID other{1, 2, 3, {}};
  EXPECT_EQ(DirectSoundCreate(&other, &ds, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(DirectSoundCreate(nullptr, &ds, reinterpret_cast<IUnknown*>(&other)), DSERR_NOAGGREGATION);
  EXPECT_EQ(DirectSoundCreate(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
  ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
  EXPECT_FALSE(DSoundTest::OutputOpen());  // manual clock: no output opened
  ds->Release();
  DSoundTest::Reset();
}

TEST(DSoundCreate, OpensTheAudioOutputOrFailsWithoutOne) {
  DSoundTest::Reset();
  const char* saved = std::getenv("SDL_AUDIODRIVER");
  std::string driver = saved ? saved : "";
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  IDirectSound* a = nullptr;
  IDirectSound* b = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &a, nullptr), DS_OK);
  ASSERT_EQ(DirectSoundCreate(nullptr, &b, nullptr), DS_OK);
  EXPECT_TRUE(DSoundTest::OutputOpen());
  // A buffer playing on the output while the audio thread mixes it, released
  // under way with its device.
  std::vector<BYTE> format = PcmFormat(16, 2, 44100);
  DSBUFFERDESC d;
  d.dwSize = DSBufferDescSize;
  d.dwFlags = DSBCAPS_CTRLDEFAULT;
  d.dwBufferBytes = 4096;
  d.lpwfxFormat = format.data();
  IDirectSoundBuffer* playing = nullptr;
  ASSERT_EQ(a->CreateSoundBuffer(&d, &playing, nullptr), DS_OK);
  ASSERT_EQ(playing->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  a->Release();
  EXPECT_TRUE(DSoundTest::OutputOpen());
  playing->Release();
  b->Release();
  EXPECT_FALSE(DSoundTest::OutputOpen());

  // No audio output can be opened: the device is not made.
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  IDirectSound* c = reinterpret_cast<IDirectSound*>(1);
  EXPECT_EQ(DirectSoundCreate(nullptr, &c, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(c, nullptr);
  EXPECT_FALSE(DSoundTest::OutputOpen());
  if (saved)
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
  else
    unsetenv("SDL_AUDIODRIVER");
}

TEST(DSoundModule, RegistersDirectSoundCreate) {
  RegisterDSoundModule();
  RegisterDSoundModule();
  HMODULE m = LoadLibraryA("dsound.DLL");
  ASSERT_NE(m, nullptr);
  auto create = reinterpret_cast<LPDIRECTSOUNDCREATE>(GetProcAddress(m, "DirectSoundCreate"));
  EXPECT_EQ(create, &DirectSoundCreate);
  FreeLibrary(m);
}

}  // namespace
