#include "platform/dsound/SoundDevice.h"

#include <new>

#include "platform/dsound/Mixer.h"
#include "platform/dsound/SoundBuffer.h"

namespace {
using Guard = std::lock_guard<std::mutex>;

// Creation flags the mixer offers; the others (hardware mixing, 3D, position
// notification) it has not.
constexpr DWORD SupportedFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLFREQUENCY |
                                 DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS |
                                 DSBCAPS_GETCURRENTPOSITION2;
}  // namespace

TSoundDeviceObject::TSoundDeviceObject(bool OutputHeld) : FOutputHeld(OutputHeld) {
  auto& mixer = TSoundMixer::Instance();
  Guard lock(mixer.Mutex());
  mixer.AddDevice();
}

TSoundDeviceObject::~TSoundDeviceObject() {
  auto& mixer = TSoundMixer::Instance();
  {
    Guard lock(mixer.Mutex());
    // Only the buffers still registered are alive: released ones took
    // themselves off the list.
    for (TSoundBufferObject* b : FBuffers) b->DetachFromDevice();
    FBuffers.clear();
    mixer.RemoveDevice();
  }
  if (FOutputHeld) mixer.ReleaseOutput();
}

HRESULT TSoundDeviceObject::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  *ppvObject = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDirectSound) {
    AddRef();
    *ppvObject = static_cast<IDirectSound*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

void TSoundDeviceObject::RegisterBuffer(TSoundBufferObject* Buffer) {
  FBuffers.insert(Buffer);
  if (!Buffer->IsPrimary()) TSoundMixer::Instance().AddVoice(Buffer);
}

HRESULT TSoundDeviceObject::CreateSoundBuffer(const DSBUFFERDESC* Desc, IDirectSoundBuffer** Out, IUnknown* Outer) {
  if (!Out) return DSERR_INVALIDPARAM;
  *Out = nullptr;
  if (Outer) return DSERR_NOAGGREGATION;
  if (!Desc || (Desc->dwSize != DSBufferDescSize && Desc->dwSize != DSBufferDesc1Size)) return DSERR_INVALIDPARAM;
  const DWORD flags = Desc->dwFlags;
  if ((flags & DSBCAPS_STICKYFOCUS) && (flags & DSBCAPS_GLOBALFOCUS)) return DSERR_INVALIDPARAM;
  if (flags & ~SupportedFlags) return DSERR_CONTROLUNAVAIL;

  std::shared_ptr<TSampleMemory> memory;
  if (flags & DSBCAPS_PRIMARYBUFFER) {
    if (Desc->dwBufferBytes != 0 || Desc->lpwfxFormat || (flags & (DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY)))
      return DSERR_INVALIDPARAM;
  } else {
    if (!Desc->lpwfxFormat) return DSERR_INVALIDPARAM;
    // The format is read from its first 16 bytes only: the PCM formats need no
    // more, and a stored block may end there.
    if (!IsMixableWaveFormat(Desc->lpwfxFormat, PcmWaveFormatBytes)) return DSERR_BADFORMAT;
    if (Desc->dwBufferBytes < DSBSIZE_MIN || Desc->dwBufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
  }

  auto& mixer = TSoundMixer::Instance();
  Guard lock(mixer.Mutex());
  HRESULT fault;
  if (mixer.TakeFault(DSoundTest::TFault::CreateBuffer, fault)) return fault;
  if (!(flags & DSBCAPS_PRIMARYBUFFER)) {
    try {
      memory = std::make_shared<TSampleMemory>();
      memory->Format = ReadPcmWaveFormat(Desc->lpwfxFormat);
      memory->FrameBytes = static_cast<DWORD>(memory->Format.nChannels * (memory->Format.wBitsPerSample / 8));
      // A new buffer holds silence.
      memory->Bytes.assign(Desc->dwBufferBytes, memory->Format.wBitsPerSample == 8 ? 0x80 : 0x00);
    } catch (const std::bad_alloc&) { return DSERR_OUTOFMEMORY; }
  }
  auto* buffer = new TSoundBufferObject(this, flags, std::move(memory));
  RegisterBuffer(buffer);
  *Out = buffer;
  return DS_OK;
}

HRESULT TSoundDeviceObject::GetCaps(DSCAPS* Caps) {
  if (!Caps || Caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
  DSCAPS c;
  c.dwSize = sizeof(DSCAPS);
  c.dwFlags = DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY16BIT | DSCAPS_CONTINUOUSRATE | DSCAPS_SECONDARYMONO |
              DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
  c.dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
  c.dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
  c.dwPrimaryBuffers = 1;
  *Caps = c;
  return DS_OK;
}

HRESULT TSoundDeviceObject::DuplicateSoundBuffer(IDirectSoundBuffer* Original, IDirectSoundBuffer** Out) {
  if (!Out) return DSERR_INVALIDPARAM;
  *Out = nullptr;
  auto* source = dynamic_cast<TSoundBufferObject*>(Original);
  if (!source) return DSERR_INVALIDPARAM;
  auto& mixer = TSoundMixer::Instance();
  Guard lock(mixer.Mutex());
  if (source->Device() != this) return DSERR_INVALIDPARAM;
  if (source->IsPrimary()) return DSERR_INVALIDCALL;
  if (source->Memory()->Lost) return DSERR_BUFFERLOST;
  HRESULT fault;
  if (mixer.TakeFault(DSoundTest::TFault::Duplicate, fault)) return fault;
  // The duplicate shares the samples and starts stopped at position 0 with
  // the original's frequency, pan and volume.
  auto* dup = new TSoundBufferObject(this, source->Flags(), source->Memory());
  dup->CopyControls(*source);
  RegisterBuffer(dup);
  *Out = dup;
  return DS_OK;
}

HRESULT TSoundDeviceObject::SetCooperativeLevel(HWND Window, DWORD Level) {
  if (!Window || Level < DSSCL_NORMAL || Level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
  Guard lock(TSoundMixer::Instance().Mutex());
  FWindow = Window;
  FLevel = Level;
  return DS_OK;
}
