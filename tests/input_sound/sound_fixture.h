// Shared set-up of the sound tests: an application with a test driver and a
// main form, the DirectSound stand-in registered as "DSound.dll" with its
// manual clock (no audio output; the mix moves on only when a test renders
// it), no injected failures, and a check that every device and voice was
// released. A spy module can stand in for "DSound.dll" to log every call the
// library makes on the devices and buffers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "input_sound/DXSound.h"
#include "input_sound/DirectSound.h"
#include "input_sound/Wave.h"
#include "input_sound/WaveList.h"
#include "platform/dsound/DSound.h"
#include "platform/dsound/DSoundTest.h"
#include "platform/rtl/Format.h"
#include "platform/toolkit/Filer.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/Modules.h"
#include "platform/win/Time.h"
#include "tests/input_sound/WaveTestFiles.h"

namespace SoundSpy {

// Every call made through the spy, as "Name#buffer(arguments)"; buffers are
// numbered from 1 in order of creation, the device is "#0".
inline std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}
inline int& NextId() {
  static int id = 0;
  return id;
}

class TSpyBuffer final : public IDirectSoundBuffer {
 public:
  explicit TSpyBuffer(IDirectSoundBuffer* Real) : FReal(Real), FId(++NextId()) {}
  BRASK_REFCOUNT_METHODS
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer) {
      AddRef();
      *ppvObject = static_cast<IDirectSoundBuffer*>(this);
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  HRESULT GetCaps(DSBCAPS* c) override { return FReal->GetCaps(c); }
  HRESULT GetCurrentPosition(DWORD* p, DWORD* w) override { return FReal->GetCurrentPosition(p, w); }
  HRESULT GetFormat(void* f, DWORD a, DWORD* w) override { return FReal->GetFormat(f, a, w); }
  HRESULT GetVolume(LONG* v) override { return FReal->GetVolume(v); }
  HRESULT GetPan(LONG* p) override { return FReal->GetPan(p); }
  HRESULT GetFrequency(DWORD* f) override { return FReal->GetFrequency(f); }
  HRESULT GetStatus(DWORD* s) override { return FReal->GetStatus(s); }
  HRESULT Lock(DWORD o, DWORD b, void** p1, DWORD* b1, void** p2, DWORD* b2, DWORD f) override {
    Note("Lock", Format("%u,%u", o, b));
    return FReal->Lock(o, b, p1, b1, p2, b2, f);
  }
  HRESULT Play(DWORD r, DWORD p, DWORD f) override {
    Note("Play", Format("%u", f));
    return FReal->Play(r, p, f);
  }
  HRESULT SetCurrentPosition(DWORD p) override {
    Note("SetPosition", Format("%u", p));
    return FReal->SetCurrentPosition(p);
  }
  HRESULT SetVolume(LONG v) override {
    Note("SetVolume", Format("%d", v));
    return FReal->SetVolume(v);
  }
  HRESULT SetPan(LONG p) override {
    Note("SetPan", Format("%d", p));
    return FReal->SetPan(p);
  }
  HRESULT SetFrequency(DWORD f) override {
    Note("SetFrequency", Format("%u", f));
    return FReal->SetFrequency(f);
  }
  HRESULT Stop() override {
    Note("Stop", "");
    return FReal->Stop();
  }
  HRESULT Unlock(void* p1, DWORD b1, void* p2, DWORD b2) override {
    Note("Unlock", Format("%u,%u", b1, b2));
    return FReal->Unlock(p1, b1, p2, b2);
  }

  IDirectSoundBuffer* Real() const { return FReal; }
  int Id() const { return FId; }

 private:
  ~TSpyBuffer() override { FReal->Release(); }
  void Note(const char* Name, const std::string& Args) { Log().push_back(Format("%s#%d(%s)", Name, FId, Args)); }
  TRefCounted FRef;
  IDirectSoundBuffer* FReal;
  int FId;
};

class TSpyDevice final : public IDirectSound {
 public:
  explicit TSpyDevice(IDirectSound* Real) : FReal(Real) {}
  BRASK_REFCOUNT_METHODS
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectSound) {
      AddRef();
      *ppvObject = static_cast<IDirectSound*>(this);
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  HRESULT CreateSoundBuffer(const DSBUFFERDESC* d, IDirectSoundBuffer** out, IUnknown* outer) override {
    IDirectSoundBuffer* real = nullptr;
    HRESULT hr = FReal->CreateSoundBuffer(d, &real, outer);
    *out = real ? new TSpyBuffer(real) : nullptr;
    Log().push_back(Format("CreateSoundBuffer#0(%u)", *out ? static_cast<TSpyBuffer*>(*out)->Id() : 0));
    return hr;
  }
  HRESULT GetCaps(DSCAPS* c) override { return FReal->GetCaps(c); }
  HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** out) override {
    auto* spy = dynamic_cast<TSpyBuffer*>(original);
    IDirectSoundBuffer* real = nullptr;
    HRESULT hr = FReal->DuplicateSoundBuffer(spy ? spy->Real() : original, &real);
    *out = real ? new TSpyBuffer(real) : nullptr;
    Log().push_back(Format("DuplicateSoundBuffer#0(%u)", *out ? static_cast<TSpyBuffer*>(*out)->Id() : 0));
    return hr;
  }
  HRESULT SetCooperativeLevel(HWND w, DWORD l) override {
    Log().push_back(Format("SetCooperativeLevel#0(%u)", l));
    return FReal->SetCooperativeLevel(w, l);
  }

 private:
  ~TSpyDevice() override { FReal->Release(); }
  TRefCounted FRef;
  IDirectSound* FReal;
};

inline HRESULT SpyCreate(const GUID* Guid, IDirectSound** Out, IUnknown* Outer) {
  IDirectSound* real = nullptr;
  HRESULT hr = DirectSoundCreate(Guid, &real, Outer);
  *Out = real ? new TSpyDevice(real) : nullptr;
  return hr;
}

// The buffer number behind a wrapper's interface (0 for none).
inline int IdOf(const TDirectSoundBuffer* Buffer) {
  auto* spy = Buffer ? dynamic_cast<TSpyBuffer*>(Buffer->IBuffer()) : nullptr;
  return spy ? spy->Id() : 0;
}

// The logged calls on one buffer, without the buffer number.
inline std::vector<std::string> CallsOn(int Id) {
  std::vector<std::string> calls;
  const std::string tag = Format("#%d(", Id);
  for (const std::string& entry : Log()) {
    auto at = entry.find(tag);
    if (at != std::string::npos && entry.find("#0(") == std::string::npos)
      calls.push_back(entry.substr(0, at) + entry.substr(at + tag.size() - 1));
  }
  return calls;
}

}  // namespace SoundSpy

class SoundFixture : public ::testing::Test {
 public:
  // Fills Wave with a PCM format and Bytes sample bytes of Value (or a
  // pattern when Value < 0).
  static void FillWave(TWave& Wave, std::uint16_t Channels, std::uint32_t Rate, std::uint16_t Bits, std::int32_t Bytes,
                       int Value = -1, bool Extended = false) {
    const WaveTestFiles::Bytes format = WaveTestFiles::PcmFormat(Channels, Rate, Bits, Extended);
    Wave.SetFormatSize(static_cast<std::int32_t>(format.size()));
    std::copy(format.begin(), format.end(), Wave.Format());
    Wave.SetSize(Bytes);
    const WaveTestFiles::Bytes samples = WaveTestFiles::Samples(static_cast<std::size_t>(Bytes));
    for (std::int32_t i = 0; i < Bytes; ++i)
      Wave.Data()[i] = Value < 0 ? samples[static_cast<std::size_t>(i)] : static_cast<std::uint8_t>(Value);
  }

 protected:
  void SetUp() override {
    RegisterDSoundModule();
    ModuleRegistry::Register("DSound.dll", {{"DirectSoundCreate", reinterpret_cast<FARPROC>(&DirectSoundCreate)}});
    // Every test loads the library itself.
    FreeBoundLibraries();
    ModuleRegistry::ResetCounters();
    DSoundTest::Reset();
    DSoundTest::SetManualClock(true);
    UseManualClock(0);
    SoundSpy::Log().clear();
    SoundSpy::NextId() = 0;
    ASSERT_EQ(DSoundTest::DeviceCount(), 0);
    ASSERT_EQ(DSoundTest::VoiceCount(), 0);
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    App->CreateForm(Main);
    Main->SetBounds(0, 0, 200, 100);
  }

  void TearDown() override {
    Driver.reset();
    App.reset();  // frees the forms with their sound components and wave lists
    EXPECT_EQ(DSoundTest::DeviceCount(), 0) << "a sound device was not released";
    EXPECT_EQ(DSoundTest::VoiceCount(), 0) << "a sound buffer was not released";
    SetWaitObserver(nullptr);
    ModuleRegistry::Register("DSound.dll", {{"DirectSoundCreate", reinterpret_cast<FARPROC>(&DirectSoundCreate)}});
    DSoundTest::Reset();
    ModuleRegistry::ResetCounters();
    UseRealClock();
  }

  // Calls through the spy from the next device on.
  static void UseSpy() {
    ModuleRegistry::Register("DSound.dll", {{"DirectSoundCreate", reinterpret_cast<FARPROC>(&SoundSpy::SpyCreate)}});
  }

  // A sound component on Form as the window's stored data makes it.
  static TDXSound* MakeSound(TComponent* Owner, TDXSoundOptions Options = {}, bool AutoInitialize = true) {
    auto* sound = new TDXSound(Owner);
    sound->BeginLoading();
    sound->SetAutoInitialize(AutoInitialize);
    sound->SetOptions(Options);
    sound->Loaded();
    return sound;
  }

  // A wave list on Form bound to Sound, with one item per name, each holding
  // an 8-bit mono wave of Bytes bytes at 11025 Hz.
  static TDXWaveList* MakeList(TComponent* Owner, TCustomDXSound* Sound, const std::vector<std::string>& Names,
                               std::int32_t Bytes = 1100) {
    auto* list = new TDXWaveList(Owner);
    list->BeginLoading();
    for (const std::string& name : Names) {
      auto* item = static_cast<TWaveCollectionItem*>(list->Items()->Add());
      item->SetName(name);
      FillWave(*item->Wave(), 1, 11025, 8, Bytes);
    }
    list->SetDXSound(Sound);
    list->Loaded();
    return list;
  }

  // Moves the mix on by Frames output frames (48 kHz) and gives them.
  static std::vector<std::int16_t> Render(int Frames) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(Frames) * 2);
    DSoundTest::Render(out.data(), Frames);
    return out;
  }

  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  TForm* Main = nullptr;
};

// A wave item whose frequency, pan and volume a test sets; other items take
// them over by Assign.
class TTunedWaveItem : public TWaveCollectionItem {
 public:
  using TWaveCollectionItem::TWaveCollectionItem;
  void Tune(std::int32_t Frequency, std::int32_t Pan, std::int32_t Volume) {
    FFrequency = Frequency;
    FPan = Pan;
    FVolume = Volume;
  }
};
