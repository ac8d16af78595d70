#include "input_sound/DirectSound.h"

#include <algorithm>
#include <cstring>

#include "input_sound/Wave.h"
#include "platform/rtl/Format.h"
#include "platform/win/Mmsystem.h"

bool IsPlayableWaveFormat(const void* Format, std::int32_t Size) {
  if (!Format || Size < static_cast<std::int32_t>(PcmWaveFormatBytes)) return false;
  const WAVEFORMATEX f = ReadPcmWaveFormat(Format);
  return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
         (f.wBitsPerSample == 8 || f.wBitsPerSample == 16);
}

// ---- TDirectSound ----

TDirectSound::TDirectSound(const GUID* GUID) {
  // The entry point is fetched anew for every device; the loader keeps only
  // the module.
  auto create = reinterpret_cast<LPDIRECTSOUNDCREATE>(BindLibraryProc("DSound.dll", "DirectSoundCreate"));
  IDirectSound* device = nullptr;
  Check(create(GUID, &device, nullptr));
  if (LastResult() != 0) {
    if (device) device->Release();
    throw EDirectSoundError(Format("%s cannot be initialized", "DirectSound"));
  }
  FIDSound = device;
}

TDirectSound::~TDirectSound() {
  // The buffers belong to their holders: release what DirectSound holds for
  // each one still made on this device, last made first, and let go of it.
  while (!FBufferList.empty()) {
    TDirectSoundBuffer* buffer = FBufferList.back();
    FBufferList.pop_back();
    buffer->DetachFromDevice();
  }
  ReleaseIntf(FIDSound);
}

TDirectSoundBuffer* TDirectSound::Buffers(int Index) const {
  if (Index < 0 || Index >= BufferCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FBufferList[static_cast<std::size_t>(Index)];
}

IDirectSound* TDirectSound::IDSound() const {
  if (!FIDSound) throw EDirectSoundError(Format("%s not made", "IDirectSound"));
  return FIDSound;
}

IDirectSound* ISound(const TDirectSound* Device) { return Device ? Device->FIDSound : nullptr; }

void TDirectSound::CheckBufferLost(TDirectSoundBuffer* Buffer) {
  if (!Buffer || Buffer->LastResult() != DSERR_BUFFERLOST || FInRestore) return;
  // A loss met while restoring starts no second restore.
  FInRestore = true;
  try {
    DoBufferLost();
  } catch (...) {
    FInRestore = false;
    throw;
  }
  FInRestore = false;
}

// ---- TDirectSoundBuffer ----

namespace {

IDirectSound* StrictDevice(const TDirectSound* Device) {
  if (!Device) throw EDirectSoundError(Format("%s not made", "IDirectSound"));
  return Device->IDSound();
}

}  // namespace

TDirectSoundBuffer::TDirectSoundBuffer(TDirectSound* ADirectSound) : FDSound(ADirectSound) {
  if (FDSound) FDSound->FBufferList.push_back(this);
}

TDirectSoundBuffer::~TDirectSoundBuffer() {
  SetBufferInterface(nullptr);
  if (FDSound) {
    auto& list = FDSound->FBufferList;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TDirectSoundBuffer::DetachFromDevice() {
  SetBufferInterface(nullptr);
  FDSound = nullptr;
}

IDirectSoundBuffer* TDirectSoundBuffer::IDSBuffer() const {
  if (!FIDSBuffer) throw EDirectSoundBufferError(::Format("%s not made", "IDirectSoundBuffer"));
  return FIDSBuffer;
}

void TDirectSoundBuffer::DoError() {
  if (FDSound) FDSound->CheckBufferLost(this);
}

void TDirectSoundBuffer::SetBufferInterface(IDirectSoundBuffer* Value) {
  if (Value == FIDSBuffer) return;
  if (Value) Value->AddRef();
  IDirectSoundBuffer* old = FIDSBuffer;
  FIDSBuffer = Value;
  if (old) old->Release();
  FCaps = DSBCAPS();
  FFormat.reset();
  FFormatSize = 0;
  FLock = TLockRecord();
  FLockCount = 0;
  if (!Value) return;
  // What the buffer is, read once for every new interface; these results go
  // to no check.
  FCaps.dwSize = sizeof(DSBCAPS);
  Value->GetCaps(&FCaps);
  DWORD size = 0;
  if (Value->GetFormat(nullptr, 0, &size) == 0 && size > 0) {
    FFormat = std::make_unique<BYTE[]>(size);
    FFormatSize = static_cast<std::int32_t>(size);
    Value->GetFormat(FFormat.get(), size, nullptr);
  }
}

bool TDirectSoundBuffer::CreateBuffer(const DSBUFFERDESC& Desc) {
  SetBufferInterface(nullptr);
  TDirectSound* device = FDSound;
  IDirectSound* intf = StrictDevice(device);
  IDirectSoundBuffer* made = nullptr;
  device->Check(intf->CreateSoundBuffer(&Desc, &made, nullptr));
  const HRESULT result = device->LastResult();
  if (result == 0) SetBufferInterface(made);
  if (made) made->Release();
  Check(result);
  return result == 0;
}

void TDirectSoundBuffer::MakeBuffer(const void* Format, std::int32_t FormatSize, std::int32_t Size) {
  if (!IsPlayableWaveFormat(Format, FormatSize) || Size <= 0) {
    // DirectSound reads the record behind the pointer: a block that is too
    // short or describes something else never reaches it.
    SetBufferInterface(nullptr);
    throw EDirectSoundBufferError(::Format("%s cannot be made", "Sound Buffer"));
  }
  DSBUFFERDESC desc;
  desc.dwSize = DSBufferDescSize;
  desc.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
  if (FDSound && FDSound->StickyFocus())
    desc.dwFlags |= DSBCAPS_STICKYFOCUS;
  else if (FDSound && FDSound->GlobalFocus())
    desc.dwFlags |= DSBCAPS_GLOBALFOCUS;
  desc.dwBufferBytes = static_cast<DWORD>(Size);
  desc.lpwfxFormat = Format;
  if (!CreateBuffer(desc)) throw EDirectSoundBufferError(::Format("%s cannot be made", "Sound Buffer"));
}

void TDirectSoundBuffer::LoadFromMemory(const void* Format, std::int32_t FormatSize, const void* Data,
                                        std::int32_t Size) {
  MakeBuffer(Format, FormatSize, Size);
  if (!Data) return;
  void* data1 = nullptr;
  void* data2 = nullptr;
  DWORD size1 = 0, size2 = 0;
  if (!Lock(0, static_cast<DWORD>(Size), data1, size1, data2, size2)) {
    // Only the reference goes: capabilities and format copy stay as read.
    ReleaseIntf(FIDSBuffer);
    FLockCount = 0;
    throw EDirectSoundBufferError(::Format("%s cannot be locked", "Sound Buffer"));
  }
  // The regions together never hold more than was asked for.
  const auto total = static_cast<DWORD>(Size);
  size1 = std::min(size1, total);
  size2 = std::min(size2, total - size1);
  std::memcpy(data1, Data, size1);
  if (data2 && size2) std::memcpy(data2, static_cast<const BYTE*>(Data) + size1, size2);
  Unlock();
}

void TDirectSoundBuffer::LoadFromWave(const TWave* Wave) {
  LoadFromMemory(Wave->Format(), Wave->FormatSize(), Wave->Data(), Wave->Size());
}

void TDirectSoundBuffer::Assign(const TPersistent* Source) {
  if (!Source) {
    SetBufferInterface(nullptr);
    return;
  }
  if (auto* wave = dynamic_cast<const TWave*>(Source)) {
    LoadFromWave(wave);
    return;
  }
  if (auto* source = dynamic_cast<const TDirectSoundBuffer*>(Source)) {
    if (!source->IBuffer()) {
      SetBufferInterface(nullptr);
      return;
    }
    TDirectSound* device = FDSound;
    IDirectSound* intf = StrictDevice(device);
    IDirectSoundBuffer* duplicate = nullptr;
    device->Check(intf->DuplicateSoundBuffer(source->IBuffer(), &duplicate));
    if (device->LastResult() == 0) SetBufferInterface(duplicate);
    if (duplicate) duplicate->Release();
    return;
  }
  TDirectX::Assign(Source);
}

bool TDirectSoundBuffer::Lock(DWORD Offset, DWORD Size, void*& Data1, DWORD& Size1, void*& Data2, DWORD& Size2) {
  if (!FIDSBuffer || FLockCount > 0) return false;
  TLockRecord rec;
  const HRESULT result = IDSBuffer()->Lock(Offset, Size, &rec.Data1, &rec.Size1, &rec.Data2, &rec.Size2, 0);
  // A failure may run the device's restore; this buffer is not touched after it.
  Check(result);
  if (result != 0) return false;
  FLock = rec;
  Data1 = rec.Data1;
  Size1 = rec.Size1;
  Data2 = rec.Data2;
  Size2 = rec.Size2;
  ++FLockCount;
  return true;
}

void TDirectSoundBuffer::Unlock() {
  if (!FIDSBuffer || FLockCount <= 0) return;
  --FLockCount;
  const TLockRecord rec = FLock;
  Check(IDSBuffer()->Unlock(rec.Data1, rec.Size1, rec.Data2, rec.Size2));
}

bool TDirectSoundBuffer::Play(bool Loop) {
  const HRESULT result = IDSBuffer()->Play(0, 0, Loop ? DSBPLAY_LOOPING : 0);
  Check(result);
  return result == 0;
}

void TDirectSoundBuffer::Stop() { Check(IDSBuffer()->Stop()); }
void TDirectSoundBuffer::SetPosition(DWORD Value) { Check(IDSBuffer()->SetCurrentPosition(Value)); }
void TDirectSoundBuffer::SetFrequency(DWORD Value) { Check(IDSBuffer()->SetFrequency(Value)); }
void TDirectSoundBuffer::SetPan(LONG Value) { Check(IDSBuffer()->SetPan(Value)); }
void TDirectSoundBuffer::SetVolume(LONG Value) { Check(IDSBuffer()->SetVolume(Value)); }

DWORD TDirectSoundBuffer::GetStatus() {
  DWORD status = 0;
  Check(IDSBuffer()->GetStatus(&status));
  return status;
}

bool TDirectSoundBuffer::Playing() { return (GetStatus() & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING)) != 0; }
