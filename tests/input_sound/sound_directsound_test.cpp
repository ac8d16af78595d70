// The DirectSound wrappers: device creation and its failures, buffer making
// with its flags and format checks, locking, loading, duplication, the
// device going before its buffers, and the restore a lost buffer starts.
#include <functional>

#include "tests/input_sound/sound_fixture.h"

namespace {

using SoundSpy::CallsOn;
using SoundSpy::IdOf;
using SoundSpy::Log;
using Bytes = WaveTestFiles::Bytes;

class DirectSoundTest : public SoundFixture {
 protected:
  // A secondary buffer of Size bytes, 8-bit mono at 11025 Hz, filled with Data.
  static void Load(TDirectSoundBuffer& Buffer, const Bytes& Data) {
    const Bytes format = WaveTestFiles::PcmFormat(1, 11025, 8, false);
    Buffer.LoadFromMemory(format.data(), static_cast<std::int32_t>(format.size()), Data.data(),
                          static_cast<std::int32_t>(Data.size()));
  }
  // The bytes a buffer holds, read through a lock.
  static Bytes Contents(TDirectSoundBuffer& Buffer, DWORD Size) {
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD s1 = 0, s2 = 0;
    EXPECT_TRUE(Buffer.Lock(0, Size, p1, s1, p2, s2));
    Bytes out(static_cast<const BYTE*>(p1), static_cast<const BYTE*>(p1) + s1);
    Buffer.Unlock();
    return out;
  }
};

TEST_F(DirectSoundTest, DeviceIsMadeOnTheDefaultDeviceThroughTheLoader) {
  auto device = std::make_unique<TDirectSound>(nullptr);
  EXPECT_NE(device->IDSound(), nullptr);
  EXPECT_EQ(ISound(device.get()), device->IDSound());
  EXPECT_EQ(ISound(nullptr), nullptr);
  EXPECT_EQ(device->BufferCount(), 0);
  EXPECT_EQ(DSoundTest::DeviceCount(), 1);
  EXPECT_EQ(ModuleRegistry::LoadCount("DSound.dll"), 1);
  // A second device loads nothing again.
  auto second = std::make_unique<TDirectSound>(nullptr);
  EXPECT_EQ(ModuleRegistry::LoadCount("dsound.DLL"), 1);
  EXPECT_THROW(device->Buffers(0), EListError);
}

TEST_F(DirectSoundTest, DeviceCreationFailures) {
  struct Case {
    const char* What;
    std::function<void()> Arrange;
    std::string Message;
    bool DirectSoundError;
  };
  const Case cases[] = {
      {"no device", [] { DSoundTest::InjectFault(DSoundTest::TFault::Create, DSERR_NODRIVER); },
       "DirectSound cannot be initialized", true},
      {"no library",
       [] {
         FreeBoundLibraries();
         ModuleRegistry::SetMissing("DSound.dll", true);
       },
       "DSound.dll not loaded", false},
      {"no entry point",
       [] {
         FreeBoundLibraries();
         ModuleRegistry::SetEntryMissing("DSound.dll", "DirectSoundCreate", true);
       },
       "DSound.dll not loaded", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    c.Arrange();
    try {
      TDirectSound device(nullptr);
      ADD_FAILURE() << "no exception";
    } catch (const EDirectSoundError& e) {
      EXPECT_TRUE(c.DirectSoundError);
      EXPECT_EQ(e.Message(), c.Message);
    } catch (const Exception& e) {
      EXPECT_FALSE(c.DirectSoundError);
      EXPECT_EQ(e.Message(), c.Message);
    }
    EXPECT_EQ(DSoundTest::DeviceCount(), 0);
    ModuleRegistry::ResetCounters();
    DSoundTest::ClearFaults();
  }
}

TEST_F(DirectSoundTest, MadeBuffersCarryTheControlsAndTheDevicesFocusFlag) {
  struct Case {
    bool Global, Sticky;
    DWORD Focus;
  };
  const Case cases[] = {
      {false, false, 0},
      {true, false, DSBCAPS_GLOBALFOCUS},
      {false, true, DSBCAPS_STICKYFOCUS},
      {true, true, DSBCAPS_STICKYFOCUS},  // sticky wins
  };
  TDirectSound device(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Global << c.Sticky);
    device.SetGlobalFocus(c.Global);
    device.SetStickyFocus(c.Sticky);
    TDirectSoundBuffer buffer(&device);
    Load(buffer, Bytes(100, 0x80));
    const DWORD flags = buffer.Caps().dwFlags;
    EXPECT_EQ(flags & 0xE0u, 0xE0u);
    EXPECT_EQ(flags & (DSBCAPS_GLOBALFOCUS | DSBCAPS_STICKYFOCUS), c.Focus);
    EXPECT_EQ(buffer.Caps().dwBufferBytes, 100u);
    EXPECT_EQ(buffer.FormatSize(), static_cast<std::int32_t>(WaveFormatExBytes));
    EXPECT_EQ(buffer.Format()[2], 1);  // channels, as the buffer reports its format
  }
}

TEST_F(DirectSoundTest, FormatsOtherThanPcmOfOneOrTwoChannelsNeverReachDirectSound) {
  UseSpy();
  auto format = [](std::uint16_t Channels, std::uint16_t Bits, std::uint16_t Tag = 1) {
    Bytes f = WaveTestFiles::PcmFormat(Channels, 11025, Bits, false);
    f[0] = static_cast<std::uint8_t>(Tag);
    return f;
  };
  struct Case {
    const char* What;
    Bytes Format;
    std::int32_t FormatSize;
    bool Made;
  };
  const Case cases[] = {
      {"8-bit mono", format(1, 8), 16, true},
      {"16-bit stereo, 18 bytes", WaveTestFiles::PcmFormat(2, 22050, 16, true), 18, true},
      {"block of 14 bytes", format(1, 8), 14, false},
      {"empty block", Bytes(16, 0), 0, false},
      {"not PCM", format(1, 8, 2), 16, false},
      {"no channel", format(0, 8), 16, false},
      {"three channels", format(3, 8), 16, false},
      {"24-bit", format(1, 24), 16, false},
      {"4-bit", format(1, 4), 16, false},
  };
  TDirectSound device(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    Log().clear();
    TDirectSoundBuffer buffer(&device);
    const Bytes samples(64, 0x80);
    if (c.Made) {
      buffer.LoadFromMemory(c.Format.data(), c.FormatSize, samples.data(), 64);
      EXPECT_NE(buffer.IBuffer(), nullptr);
    } else {
      try {
        buffer.LoadFromMemory(c.Format.data(), c.FormatSize, samples.data(), 64);
        ADD_FAILURE() << "no exception";
      } catch (const EDirectSoundBufferError& e) { EXPECT_EQ(e.Message(), "Sound Buffer cannot be made"); }
      EXPECT_EQ(buffer.IBuffer(), nullptr);
      EXPECT_TRUE(Log().empty()) << Log().front();
    }
  }
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
}

TEST_F(DirectSoundTest, BufferThatDirectSoundRefusesIsReportedAndRecordedOnBoth) {
  TDirectSound device(nullptr);
  TDirectSoundBuffer buffer(&device);
  const Bytes format = WaveTestFiles::PcmFormat(1, 50, 8, false);  // a rate the device does not play
  try {
    buffer.MakeBuffer(format.data(), 16, 64);
    ADD_FAILURE() << "no exception";
  } catch (const EDirectSoundBufferError& e) { EXPECT_EQ(e.Message(), "Sound Buffer cannot be made"); }
  EXPECT_EQ(device.LastResult(), DSERR_BADFORMAT);
  EXPECT_EQ(buffer.LastResult(), DSERR_BADFORMAT);
  EXPECT_EQ(buffer.IBuffer(), nullptr);
}

TEST_F(DirectSoundTest, LockTable) {
  TDirectSound device(nullptr);
  TDirectSoundBuffer buffer(&device);
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD s1 = 0, s2 = 0;
  // Without a DirectSound buffer.
  EXPECT_FALSE(buffer.Lock(0, 10, p1, s1, p2, s2));
  buffer.Unlock();
  Load(buffer, Bytes(100, 0x80));

  // One lock; a second one fails and leaves the first as it was.
  ASSERT_TRUE(buffer.Lock(90, 20, p1, s1, p2, s2));
  EXPECT_EQ(s1, 10u);
  EXPECT_EQ(s2, 10u);
  EXPECT_NE(p2, nullptr);
  void* q1 = reinterpret_cast<void*>(1);
  void* q2 = reinterpret_cast<void*>(2);
  DWORD t1 = 7, t2 = 8;
  EXPECT_FALSE(buffer.Lock(0, 10, q1, t1, q2, t2));
  EXPECT_EQ(q1, reinterpret_cast<void*>(1));
  EXPECT_EQ(t1, 7u);
  EXPECT_EQ(buffer.LockCount(), 1);
  // Both regions are written back at the unlock.
  std::fill_n(static_cast<BYTE*>(p1), s1, BYTE{1});
  std::fill_n(static_cast<BYTE*>(p2), s2, BYTE{2});
  buffer.Unlock();
  EXPECT_EQ(buffer.LockCount(), 0);
  EXPECT_EQ(buffer.LastResult(), 0);
  const Bytes contents = Contents(buffer, 100);
  EXPECT_EQ(contents[0], 2);
  EXPECT_EQ(contents[9], 2);
  EXPECT_EQ(contents[10], 0x80);
  EXPECT_EQ(contents[90], 1);
  EXPECT_EQ(contents[99], 1);

  // An unlock without a lock calls nothing.
  UseSpy();
  TDirectSound spied(nullptr);
  TDirectSoundBuffer other(&spied);
  Load(other, Bytes(10, 0x80));
  Log().clear();
  other.Unlock();
  EXPECT_TRUE(Log().empty());

  // A lock that DirectSound refuses.
  DSoundTest::InjectFault(DSoundTest::TFault::Lock, DSERR_INVALIDCALL);
  EXPECT_FALSE(buffer.Lock(0, 10, p1, s1, p2, s2));
  EXPECT_EQ(buffer.LastResult(), DSERR_INVALIDCALL);
  EXPECT_EQ(buffer.LockCount(), 0);
}

TEST_F(DirectSoundTest, LoadingFromMemory) {
  UseSpy();
  TDirectSound device(nullptr);
  const Bytes format = WaveTestFiles::PcmFormat(1, 11025, 8, false);

  // Without data: made, never locked.
  TDirectSoundBuffer silent(&device);
  Log().clear();
  silent.LoadFromMemory(format.data(), 16, nullptr, 50);
  EXPECT_NE(silent.IBuffer(), nullptr);
  EXPECT_TRUE(CallsOn(IdOf(&silent)).empty());

  // With data: one lock of the whole buffer and its unlock.
  TDirectSoundBuffer loaded(&device);
  const Bytes data = WaveTestFiles::Samples(50);
  Log().clear();
  loaded.LoadFromMemory(format.data(), 16, data.data(), 50);
  EXPECT_EQ(CallsOn(IdOf(&loaded)), (std::vector<std::string>{"Lock(0,50)", "Unlock(50,0)"}));
  EXPECT_EQ(Contents(loaded, 50), data);

  // A lock that fails drops the new buffer and keeps what was read of it.
  TDirectSoundBuffer failed(&device);
  const int voices = DSoundTest::VoiceCount();
  DSoundTest::InjectFault(DSoundTest::TFault::Lock, DSERR_INVALIDCALL);
  try {
    failed.LoadFromMemory(format.data(), 16, data.data(), 50);
    ADD_FAILURE() << "no exception";
  } catch (const EDirectSoundBufferError& e) { EXPECT_EQ(e.Message(), "Sound Buffer cannot be locked"); }
  EXPECT_EQ(failed.IBuffer(), nullptr);
  EXPECT_EQ(failed.Caps().dwBufferBytes, 50u);
  EXPECT_EQ(failed.FormatSize(), static_cast<std::int32_t>(WaveFormatExBytes));
  EXPECT_EQ(DSoundTest::VoiceCount(), voices);
}

TEST_F(DirectSoundTest, AssignDuplicatesReleasesOrLoads) {
  TDirectSound device(nullptr);
  TDirectSoundBuffer source(&device);
  const Bytes data = WaveTestFiles::Samples(40);
  Load(source, data);

  // A duplicate shares the samples.
  TDirectSoundBuffer duplicate(&device);
  duplicate.Assign(&source);
  ASSERT_NE(duplicate.IBuffer(), nullptr);
  EXPECT_NE(duplicate.IBuffer(), source.IBuffer());
  EXPECT_EQ(Contents(duplicate, 40), data);
  EXPECT_EQ(DSoundTest::VoiceCount(), 2);

  // A failed duplication raises nothing and leaves the buffer as it was.
  IDirectSoundBuffer* before = duplicate.IBuffer();
  DSoundTest::InjectFault(DSoundTest::TFault::Duplicate, DSERR_OUTOFMEMORY);
  EXPECT_NO_THROW(duplicate.Assign(&source));
  EXPECT_EQ(duplicate.IBuffer(), before);
  EXPECT_EQ(device.LastResult(), DSERR_OUTOFMEMORY);
  TDirectSoundBuffer fresh(&device);
  DSoundTest::InjectFault(DSoundTest::TFault::Duplicate, DSERR_OUTOFMEMORY);
  fresh.Assign(&source);
  EXPECT_EQ(fresh.IBuffer(), nullptr);

  // From a buffer without a DirectSound buffer, or from nil: released.
  duplicate.Assign(&fresh);
  EXPECT_EQ(duplicate.IBuffer(), nullptr);
  EXPECT_EQ(DSoundTest::VoiceCount(), 1);
  source.Assign(nullptr);
  EXPECT_EQ(source.IBuffer(), nullptr);

  // From a wave: loaded; from anything else: the conversion error.
  TWave wave;
  FillWave(wave, 2, 22050, 16, 64);
  fresh.Assign(&wave);
  ASSERT_NE(fresh.IBuffer(), nullptr);
  EXPECT_EQ(fresh.Caps().dwBufferBytes, 64u);
  TDirectSound other(nullptr);
  EXPECT_THROW(fresh.Assign(&other), EConvertError);
}

TEST_F(DirectSoundTest, DeviceGoingFirstReleasesTheVoicesAndLeavesTheBuffersToTheirHolders) {
  auto device = std::make_unique<TDirectSound>(nullptr);
  auto first = std::make_unique<TDirectSoundBuffer>(device.get());
  auto second = std::make_unique<TDirectSoundBuffer>(device.get());
  auto third = std::make_unique<TDirectSoundBuffer>(device.get());
  Load(*first, Bytes(20, 0x80));
  Load(*second, Bytes(20, 0x80));
  Load(*third, Bytes(20, 0x80));
  ASSERT_EQ(device->BufferCount(), 3);
  EXPECT_EQ(device->Buffers(1), second.get());

  // A buffer freed first leaves the list.
  second.reset();
  EXPECT_EQ(device->BufferCount(), 2);
  EXPECT_EQ(device->Buffers(1), third.get());
  EXPECT_EQ(DSoundTest::VoiceCount(), 2);

  device.reset();
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
  EXPECT_EQ(DSoundTest::DeviceCount(), 0);
  for (TDirectSoundBuffer* b : {first.get(), third.get()}) {
    EXPECT_EQ(b->DSound(), nullptr);
    EXPECT_EQ(b->IBuffer(), nullptr);
    EXPECT_THROW(b->Play(false), EDirectSoundBufferError);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD s1 = 0, s2 = 0;
    EXPECT_FALSE(b->Lock(0, 4, p1, s1, p2, s2));
  }
  // Making a buffer without a device is the device's error.
  try {
    Load(*first, Bytes(20, 0x80));
    ADD_FAILURE() << "no exception";
  } catch (const EDirectSoundError& e) { EXPECT_EQ(e.Message(), "IDirectSound not made"); }
  first.reset();
  third.reset();
}

TEST_F(DirectSoundTest, CallsWithoutADirectSoundBufferRaise) {
  TDirectSound device(nullptr);
  TDirectSoundBuffer buffer(&device);
  const std::function<void()> calls[] = {
      [&] { buffer.Play(false); },     [&] { buffer.Stop(); },    [&] { buffer.SetPosition(0); },
      [&] { buffer.SetFrequency(0); }, [&] { buffer.SetPan(0); }, [&] { buffer.SetVolume(0); },
      [&] { buffer.GetStatus(); },     [&] { buffer.Playing(); }, [&] { buffer.IDSBuffer(); },
  };
  for (const auto& call : calls) {
    try {
      call();
      ADD_FAILURE() << "no exception";
    } catch (const EDirectSoundBufferError& e) { EXPECT_EQ(e.Message(), "IDirectSoundBuffer not made"); }
  }
}

TEST_F(DirectSoundTest, PlayingStatusAndSettingTheSameInterface) {
  TDirectSound device(nullptr);
  TDirectSoundBuffer buffer(&device);
  Load(buffer, Bytes(4800, 0x80));
  EXPECT_FALSE(buffer.Playing());
  EXPECT_TRUE(buffer.Play(false));
  EXPECT_TRUE(buffer.Playing());
  EXPECT_EQ(buffer.GetStatus(), DSBSTATUS_PLAYING);
  EXPECT_TRUE(buffer.Play(true));
  EXPECT_TRUE(buffer.Playing());
  EXPECT_EQ(buffer.GetStatus(), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  buffer.Stop();
  EXPECT_FALSE(buffer.Playing());

  // The current interface again keeps capabilities, format and lock.
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD s1 = 0, s2 = 0;
  ASSERT_TRUE(buffer.Lock(0, 4, p1, s1, p2, s2));
  const BYTE* format = buffer.Format();
  buffer.SetBufferInterface(buffer.IBuffer());
  EXPECT_EQ(buffer.LockCount(), 1);
  EXPECT_EQ(buffer.Format(), format);
  EXPECT_EQ(buffer.Caps().dwBufferBytes, 4800u);
  buffer.Unlock();

  // A lost buffer counts as not playing.
  buffer.Play(true);
  DSoundTest::LoseBuffer(buffer.IBuffer());
  EXPECT_EQ(buffer.GetStatus(), DSBSTATUS_BUFFERLOST);
  EXPECT_FALSE(buffer.Playing());
}

// A device that counts its restores and meets another loss inside one.
class TLosingDevice : public TDirectSound {
 public:
  using TDirectSound::TDirectSound;
  int Restores = 0;
  bool InRestoreSeen = false;
  TDirectSoundBuffer* LoseAgain = nullptr;
  bool Raise = false;

 protected:
  void DoBufferLost() override {
    ++Restores;
    InRestoreSeen = InRestore();
    if (LoseAgain) { EXPECT_FALSE(LoseAgain->Play(false)); }
    if (Raise) throw EDirectSoundError("restore failed");
  }
};

TEST_F(DirectSoundTest, LostBufferRunsOneRestore) {
  TLosingDevice device(nullptr);
  TDirectSoundBuffer a(&device), b(&device);
  Load(a, Bytes(100, 0x80));
  Load(b, Bytes(100, 0x80));
  DSoundTest::LoseBuffer(a.IBuffer());
  DSoundTest::LoseBuffer(b.IBuffer());

  // Another failure is only recorded.
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD s1 = 0, s2 = 0;
  a.SetPosition(5000);  // out of range
  EXPECT_EQ(a.LastResult(), DSERR_INVALIDPARAM);
  EXPECT_EQ(device.Restores, 0);

  // The loss: one restore, and the loss met inside it starts none.
  device.LoseAgain = &b;
  EXPECT_FALSE(a.Play(false));
  EXPECT_EQ(a.LastResult(), DSERR_BUFFERLOST);
  EXPECT_EQ(device.Restores, 1);
  EXPECT_TRUE(device.InRestoreSeen);
  EXPECT_EQ(b.LastResult(), DSERR_BUFFERLOST);
  EXPECT_FALSE(device.InRestore());

  // A restore that raises passes it on and leaves the device ready for the next.
  device.LoseAgain = nullptr;
  device.Raise = true;
  EXPECT_THROW(a.Lock(0, 4, p1, s1, p2, s2), EDirectSoundError);
  EXPECT_FALSE(device.InRestore());
  device.Raise = false;
  EXPECT_FALSE(b.Play(false));
  EXPECT_EQ(device.Restores, 3);
}

}  // namespace
