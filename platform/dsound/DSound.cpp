#include "platform/dsound/DSound.h"

#include "platform/dsound/Mixer.h"
#include "platform/dsound/SoundDevice.h"
#include "platform/win/Modules.h"

const IID IID_IDirectSound = {0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

bool IsMixableWaveFormat(const void* Format, std::int64_t Size) {
  if (!Format || Size < static_cast<std::int64_t>(PcmWaveFormatBytes)) return false;
  WAVEFORMATEX f = ReadPcmWaveFormat(Format);
  return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
         (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec >= DSBFREQUENCY_MIN &&
         f.nSamplesPerSec <= DSBFREQUENCY_MAX;
}

HRESULT DirectSoundCreate(const GUID* lpGuid, IDirectSound** ppDS, IUnknown* pUnkOuter) {
  if (!ppDS) return DSERR_INVALIDPARAM;
  *ppDS = nullptr;
  if (pUnkOuter) return DSERR_NOAGGREGATION;
  // Only the default device exists.
  if (lpGuid) return DSERR_NODRIVER;
  auto& mixer = TSoundMixer::Instance();
  bool manual;
  {
    std::lock_guard<std::mutex> lock(mixer.Mutex());
    HRESULT fault;
    if (mixer.TakeFault(DSoundTest::TFault::Create, fault)) return fault;
    manual = mixer.ManualClock();
  }
  if (!manual && !mixer.AcquireOutput()) return DSERR_NODRIVER;
  *ppDS = new TSoundDeviceObject(!manual);
  return DS_OK;
}

void RegisterDSoundModule() {
  static const bool registered = [] {
    ModuleRegistry::Register("DSound.dll", {{"DirectSoundCreate", reinterpret_cast<FARPROC>(&DirectSoundCreate)}});
    return true;
  }();
  (void)registered;
}
