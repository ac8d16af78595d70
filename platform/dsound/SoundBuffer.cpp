#include "platform/dsound/SoundBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/dsound/Mixer.h"
#include "platform/dsound/SoundDevice.h"

namespace {

using Guard = std::lock_guard<std::mutex>;

std::mutex& MixerLock() { return TSoundMixer::Instance().Mutex(); }

// The gain of an attenuation in hundredths of a decibel, 16.16 fixed point;
// DSBVOLUME_MIN and below are silence.
std::int64_t GainOf(LONG Hundredths) {
  if (Hundredths <= DSBVOLUME_MIN) return 0;
  if (Hundredths >= 0) return 65536;
  return std::llround(65536.0 * std::pow(10.0, Hundredths / 2000.0));
}

// The primary buffer's format: the output's.
WAVEFORMATEX OutputFormat() {
  WAVEFORMATEX f;
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 2;
  f.nSamplesPerSec = DSoundTest::OutputRate;
  f.wBitsPerSample = 16;
  f.nBlockAlign = 4;
  f.nAvgBytesPerSec = DSoundTest::OutputRate * 4;
  return f;
}

// Bytes the primary buffer reports: one output block.
constexpr DWORD PrimaryBytes = 1024 * 4;

}  // namespace

TSoundBufferObject::TSoundBufferObject(TSoundDeviceObject* Device, DWORD Flags, std::shared_ptr<TSampleMemory> Memory)
    : FDevice(Device), FFlags(Flags), FMemory(std::move(Memory)) {}

TSoundBufferObject::~TSoundBufferObject() {
  Guard lock(MixerLock());
  if (FDevice) {
    FDevice->UnregisterBuffer(this);
    if (FMemory) TSoundMixer::Instance().RemoveVoice(this);
  }
}

HRESULT TSoundBufferObject::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  *ppvObject = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer) {
    AddRef();
    *ppvObject = static_cast<IDirectSoundBuffer*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT TSoundBufferObject::Usable() const { return FDevice ? DS_OK : DSERR_INVALIDCALL; }

void TSoundBufferObject::DetachFromDevice() {
  if (FMemory) TSoundMixer::Instance().RemoveVoice(this);
  FDevice = nullptr;
  FPlaying = false;
  FLooping = false;
}

void TSoundBufferObject::LoseMemory() {
  if (!FMemory) return;
  FMemory->Lost = true;
}

void TSoundBufferObject::CopyControls(const TSoundBufferObject& Source) {
  FFrequency = Source.FFrequency;
  FPan = Source.FPan;
  FVolume = Source.FVolume;
  UpdateGains();
}

void TSoundBufferObject::UpdateGains() {
  // Pan attenuates the far channel; volume both.
  FGainLeft = GainOf(FVolume - std::max<LONG>(FPan, 0));
  FGainRight = GainOf(FVolume + std::min<LONG>(FPan, 0));
}

HRESULT TSoundBufferObject::GetCaps(DSBCAPS* Caps) {
  if (!Caps || Caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  Caps->dwFlags = FFlags | DSBCAPS_LOCSOFTWARE;
  Caps->dwBufferBytes = FMemory ? static_cast<DWORD>(FMemory->Bytes.size()) : PrimaryBytes;
  Caps->dwUnlockTransferRate = 0;
  Caps->dwPlayCpuOverhead = 0;
  return DS_OK;
}

HRESULT TSoundBufferObject::GetCurrentPosition(DWORD* Play, DWORD* Write) {
  if (!Play && !Write) return DSERR_INVALIDPARAM;
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  DWORD pos = FMemory ? FFrame * FMemory->FrameBytes : 0;
  if (Play) *Play = pos;
  if (Write) *Write = pos;
  return DS_OK;
}

HRESULT TSoundBufferObject::GetFormat(void* Format, DWORD Allocated, DWORD* Written) {
  if (!Format && !Written) return DSERR_INVALIDPARAM;
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (!Format) {
    *Written = WaveFormatExBytes;
    return DS_OK;
  }
  if (Allocated < WaveFormatExBytes) return DSERR_INVALIDPARAM;
  WriteWaveFormatEx(FMemory ? FMemory->Format : OutputFormat(), Format);
  if (Written) *Written = WaveFormatExBytes;
  return DS_OK;
}

HRESULT TSoundBufferObject::GetVolume(LONG* Volume) {
  if (!Volume) return DSERR_INVALIDPARAM;
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (!(FFlags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  *Volume = FVolume;
  return DS_OK;
}

HRESULT TSoundBufferObject::GetPan(LONG* Pan) {
  if (!Pan) return DSERR_INVALIDPARAM;
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (!(FFlags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
  *Pan = FPan;
  return DS_OK;
}

HRESULT TSoundBufferObject::GetFrequency(DWORD* Frequency) {
  if (!Frequency) return DSERR_INVALIDPARAM;
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (!(FFlags & DSBCAPS_CTRLFREQUENCY) || !FMemory) return DSERR_CONTROLUNAVAIL;
  *Frequency = FFrequency ? FFrequency : FMemory->Format.nSamplesPerSec;
  return DS_OK;
}

HRESULT TSoundBufferObject::GetStatus(DWORD* Status) {
  if (!Status) return DSERR_INVALIDPARAM;
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (FMemory && FMemory->Lost)
    *Status = DSBSTATUS_BUFFERLOST;
  else
    *Status = (FPlaying ? DSBSTATUS_PLAYING : 0) | (FPlaying && FLooping ? DSBSTATUS_LOOPING : 0);
  return DS_OK;
}

HRESULT TSoundBufferObject::Lock(DWORD Offset, DWORD Bytes, void** Ptr1, DWORD* Bytes1, void** Ptr2, DWORD* Bytes2,
                                 DWORD Flags) {
  if (!Ptr1 || !Bytes1) return DSERR_INVALIDPARAM;
  *Ptr1 = nullptr;
  *Bytes1 = 0;
  if (Ptr2) *Ptr2 = nullptr;
  if (Bytes2) *Bytes2 = 0;
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (!FMemory) return FDevice->Level() == DSSCL_WRITEPRIMARY ? DSERR_UNSUPPORTED : DSERR_PRIOLEVELNEEDED;
  const auto size = static_cast<DWORD>(FMemory->Bytes.size());
  if (Flags & DSBLOCK_ENTIREBUFFER) {
    Offset = 0;
    Bytes = size;
  } else if (Flags & DSBLOCK_FROMWRITECURSOR) {
    Offset = FFrame * FMemory->FrameBytes;
  }
  if (Bytes == 0 || Bytes > size || Offset >= size) return DSERR_INVALIDPARAM;
  if (FMemory->Lost) return DSERR_BUFFERLOST;
  HRESULT fault;
  if (TSoundMixer::Instance().TakeFault(DSoundTest::TFault::Lock, fault)) return fault;
  // One region up to the end of the buffer, and the rest from its start; a
  // caller that takes no second region gets only the first.
  DWORD first = std::min(Bytes, size - Offset);
  DWORD second = Ptr2 ? Bytes - first : 0;
  TLockRecord rec;
  rec.Staging = std::make_unique<BYTE[]>(first + second);
  rec.Offset = Offset;
  rec.Bytes1 = first;
  rec.Bytes2 = second;
  // The caller works on a copy, so the audio thread never reads memory that is
  // being written; Unlock copies the written bytes back under the lock.
  std::memcpy(rec.Staging.get(), FMemory->Bytes.data() + Offset, first);
  if (second) std::memcpy(rec.Staging.get() + first, FMemory->Bytes.data(), second);
  *Ptr1 = rec.Staging.get();
  *Bytes1 = first;
  if (Ptr2 && second) *Ptr2 = rec.Staging.get() + first;
  if (Bytes2) *Bytes2 = second;
  FLocks.push_back(std::move(rec));
  return DS_OK;
}

HRESULT TSoundBufferObject::Unlock(void* Ptr1, DWORD Bytes1, void* Ptr2, DWORD Bytes2) {
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  auto it = std::find_if(FLocks.begin(), FLocks.end(),
                         [Ptr1](const TLockRecord& r) { return Ptr1 && r.Staging.get() == Ptr1; });
  if (it == FLocks.end()) return DSERR_INVALIDPARAM;
  BYTE* second = it->Bytes2 ? it->Staging.get() + it->Bytes1 : nullptr;
  if (Bytes1 > it->Bytes1 || Bytes2 > it->Bytes2 || (Bytes2 && Ptr2 != second)) return DSERR_INVALIDPARAM;
  if (!FMemory->Lost) {
    std::memcpy(FMemory->Bytes.data() + it->Offset, it->Staging.get(), Bytes1);
    if (Bytes2) std::memcpy(FMemory->Bytes.data(), second, Bytes2);
  }
  FLocks.erase(it);
  return DS_OK;
}

HRESULT TSoundBufferObject::Play(DWORD Reserved1, DWORD Priority, DWORD Flags) {
  if (Reserved1 != 0 || Priority != 0 || (Flags & ~DSBPLAY_LOOPING)) return DSERR_INVALIDPARAM;
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (!FMemory && !(Flags & DSBPLAY_LOOPING)) return DSERR_INVALIDPARAM;
  if (FMemory && FMemory->Lost) return DSERR_BUFFERLOST;
  // A buffer already playing keeps its position and takes the new looping.
  FPlaying = true;
  FLooping = (Flags & DSBPLAY_LOOPING) != 0;
  return DS_OK;
}

HRESULT TSoundBufferObject::Stop() {
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  FPlaying = false;
  return DS_OK;
}

HRESULT TSoundBufferObject::SetCurrentPosition(DWORD Position) {
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (!FMemory) return DSERR_INVALIDCALL;
  if (Position >= FMemory->Bytes.size()) return DSERR_INVALIDPARAM;
  FFrame = Position / FMemory->FrameBytes;
  FFraction = 0;
  return DS_OK;
}

HRESULT TSoundBufferObject::SetVolume(LONG Volume) {
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (!(FFlags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  if (Volume < DSBVOLUME_MIN || Volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  FVolume = Volume;
  UpdateGains();
  return DS_OK;
}

HRESULT TSoundBufferObject::SetPan(LONG Pan) {
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (!(FFlags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
  if (Pan < DSBPAN_LEFT || Pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
  FPan = Pan;
  UpdateGains();
  return DS_OK;
}

HRESULT TSoundBufferObject::SetFrequency(DWORD Frequency) {
  Guard lock(MixerLock());
  if (HRESULT hr = Usable()) return hr;
  if (!(FFlags & DSBCAPS_CTRLFREQUENCY) || !FMemory) return DSERR_CONTROLUNAVAIL;
  if (Frequency != DSBFREQUENCY_ORIGINAL && (Frequency < DSBFREQUENCY_MIN || Frequency > DSBFREQUENCY_MAX))
    return DSERR_INVALIDPARAM;
  FFrequency = Frequency;
  return DS_OK;
}

void TSoundBufferObject::MixInto(std::int64_t* Acc, int Frames) {
  if (!FPlaying || !FMemory || FMemory->Lost) return;
  const TSampleMemory& m = *FMemory;
  const DWORD frames = static_cast<DWORD>(m.Bytes.size()) / m.FrameBytes;
  if (frames == 0 || FFrame >= frames) {
    FPlaying = false;
    FFrame = 0;
    FFraction = 0;
    return;
  }
  const DWORD rate = FFrequency ? FFrequency : m.Format.nSamplesPerSec;
  const bool stereo = m.Format.nChannels == 2;
  const bool wide = m.Format.wBitsPerSample == 16;
  const BYTE* bytes = m.Bytes.data();
  // One channel sample as signed 16-bit.
  auto sample = [&](DWORD frame, int channel) -> std::int64_t {
    const BYTE* p = bytes + frame * m.FrameBytes + (stereo ? channel * (wide ? 2 : 1) : 0);
    if (wide) return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
    return (static_cast<std::int64_t>(p[0]) - 128) * 256;
  };
  constexpr std::int64_t out = DSoundTest::OutputRate;
  for (int i = 0; i < Frames; ++i) {
    // Linear interpolation between this frame and the next one played.
    DWORD next = FFrame + 1 < frames ? FFrame + 1 : (FLooping ? 0 : FFrame);
    for (int c = 0; c < 2; ++c) {
      std::int64_t a = sample(FFrame, c);
      std::int64_t b = sample(next, c);
      std::int64_t v = a + (b - a) * static_cast<std::int64_t>(FFraction) / out;
      Acc[2 * i + c] += v * (c == 0 ? FGainLeft : FGainRight) / 65536;
    }
    FFraction += rate;
    FFrame += FFraction / out;
    FFraction %= out;
    if (FFrame >= frames) {
      if (FLooping) {
        FFrame %= frames;
      } else {
        // A one-shot ends at its last frame and goes back to the start.
        FPlaying = false;
        FFrame = 0;
        FFraction = 0;
        return;
      }
    }
  }
}
