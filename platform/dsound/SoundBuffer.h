// One sound buffer of the software mixer: the primary buffer (the output) or a
// secondary buffer with its own play state over sample memory that duplicates
// share.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/dsound/DSound.h"

class TSoundDeviceObject;

// Sample memory of a buffer and its duplicates.
struct TSampleMemory {
  std::vector<BYTE> Bytes;
  WAVEFORMATEX Format;
  DWORD FrameBytes = 0;  // channels × bytes per sample
  bool Lost = false;
};

class TSoundBufferObject final : public IDirectSoundBuffer {
 public:
  // A primary buffer (Memory null) or a secondary one over Memory. The device
  // registers it; Flags are the creation flags.
  TSoundBufferObject(TSoundDeviceObject* Device, DWORD Flags, std::shared_ptr<TSampleMemory> Memory);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  BRASK_REFCOUNT_METHODS

  HRESULT GetCaps(DSBCAPS* lpDSBufferCaps) override;
  HRESULT GetCurrentPosition(DWORD* lpdwCurrentPlayCursor, DWORD* lpdwCurrentWriteCursor) override;
  HRESULT GetFormat(void* lpwfxFormat, DWORD dwSizeAllocated, DWORD* lpdwSizeWritten) override;
  HRESULT GetVolume(LONG* lplVolume) override;
  HRESULT GetPan(LONG* lplPan) override;
  HRESULT GetFrequency(DWORD* lpdwFrequency) override;
  HRESULT GetStatus(DWORD* lpdwStatus) override;
  HRESULT Lock(DWORD dwOffset, DWORD dwBytes, void** ppvAudioPtr1, DWORD* pdwAudioBytes1, void** ppvAudioPtr2,
               DWORD* pdwAudioBytes2, DWORD dwFlags) override;
  HRESULT Play(DWORD dwReserved1, DWORD dwPriority, DWORD dwFlags) override;
  HRESULT SetCurrentPosition(DWORD dwNewPosition) override;
  HRESULT SetVolume(LONG lVolume) override;
  HRESULT SetPan(LONG lPan) override;
  HRESULT SetFrequency(DWORD dwFrequency) override;
  HRESULT Stop() override;
  HRESULT Unlock(void* pvAudioPtr1, DWORD dwAudioBytes1, void* pvAudioPtr2, DWORD dwAudioBytes2) override;

  // Under the mixer lock.
  bool IsPrimary() const { return !FMemory; }
  TSoundDeviceObject* Device() const { return FDevice; }
  const std::shared_ptr<TSampleMemory>& Memory() const { return FMemory; }
  DWORD Flags() const { return FFlags; }
  // Copies frequency, pan and volume of Source (for a duplicate).
  void CopyControls(const TSoundBufferObject& Source);
  // The device goes: the buffer stops and leaves the mixer; its calls then fail.
  void DetachFromDevice();
  void LoseMemory();
  // Adds Frames frames of this voice, at the output rate, to Accumulator.
  void MixInto(std::int64_t* Accumulator, int Frames);

 private:
  ~TSoundBufferObject() override;
  // Checks common to the calls on a buffer: DS_OK when the buffer may be used.
  HRESULT Usable() const;
  void UpdateGains();

  struct TLockRecord {
    std::unique_ptr<BYTE[]> Staging;  // region 1 then region 2, copied back on Unlock
    DWORD Offset = 0;
    DWORD Bytes1 = 0;
    DWORD Bytes2 = 0;
  };

  TRefCounted FRef;
  TSoundDeviceObject* FDevice;
  DWORD FFlags;
  std::shared_ptr<TSampleMemory> FMemory;
  std::vector<TLockRecord> FLocks;
  bool FPlaying = false;
  bool FLooping = false;
  DWORD FFrame = 0;      // play position in frames
  DWORD FFraction = 0;   // in 1/OutputRate of a source frame
  DWORD FFrequency = 0;  // 0: the format's rate
  LONG FPan = 0;
  LONG FVolume = 0;
  std::int64_t FGainLeft = 65536;  // 16.16 fixed point
  std::int64_t FGainRight = 65536;
};
