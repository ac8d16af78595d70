// Thin wrappers of DirectSound: TDirectSound stands for one sound device
// (IDirectSound), TDirectSoundBuffer for one sound buffer made on it
// (IDirectSoundBuffer). Both remember the result of their last call.
//
// DirectSound is bound at run time from "DSound.dll" ("DirectSoundCreate");
// programs and tests register the stand-in with RegisterDSoundModule()
// (platform/dsound/DSound.h, included here) before the first device is made.
//
// Ownership: a buffer belongs to whoever made it (the sound component holds
// its primary buffer, a wave item its buffers) and is freed by that holder.
// The device only keeps the list of the buffers made on it that are still
// alive; when the device goes first it releases their DirectSound buffers and
// lets go of them, so each holder can still free its own buffer safely.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "display/DXClass.h"
#include "platform/dsound/DSound.h"

class TDirectSoundBuffer;
class TWave;

class EDirectSoundError : public EDirectXError {
 public:
  using EDirectXError::EDirectXError;
};
class EDirectSoundBufferError : public EDirectSoundError {
 public:
  using EDirectSoundError::EDirectSoundError;
};

class TDirectSound : public TDirectX {
 public:
  // Makes the device GUID names (nil: the default device). Raises
  // EDirectSoundError "DirectSound cannot be initialized" when DirectSound
  // cannot make it; the loader's "DSound.dll not loaded" passes through.
  explicit TDirectSound(const GUID* GUID);
  // Releases the DirectSound buffer of every buffer still made on this
  // device, the last made first (the buffer objects stay with their
  // holders), then the device.
  ~TDirectSound() override;
  TDirectSound(const TDirectSound&) = delete;
  TDirectSound& operator=(const TDirectSound&) = delete;

  int BufferCount() const { return static_cast<int>(FBufferList.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TDirectSoundBuffer* Buffers(int Index) const;

  // The device's interface; raises EDirectSoundError "IDirectSound not made"
  // when there is none. ISound(Device) below answers nil instead.
  IDirectSound* IDSound() const;

  bool GlobalFocus() const { return FGlobalFocus; }
  void SetGlobalFocus(bool Value) { FGlobalFocus = Value; }
  bool StickyFocus() const { return FStickyFocus; }
  void SetStickyFocus(bool Value) { FStickyFocus = Value; }
  bool InRestore() const { return FInRestore; }

  // Runs DoBufferLost once when Buffer's last call found its memory lost,
  // unless a restore is already running.
  void CheckBufferLost(TDirectSoundBuffer* Buffer);

 protected:
  // A buffer of this device lost its memory; nothing here.
  virtual void DoBufferLost() {}

 private:
  friend class TDirectSoundBuffer;
  friend IDirectSound* ISound(const TDirectSound* Device);

  std::vector<TDirectSoundBuffer*> FBufferList;
  bool FGlobalFocus = false;
  IDirectSound* FIDSound = nullptr;
  bool FInRestore = false;
  bool FStickyFocus = false;
};

// The interface of a device: nil when it has none or when there is no device.
IDirectSound* ISound(const TDirectSound* Device);

class TDirectSoundBuffer : public TDirectX {
 public:
  // A buffer on ADirectSound, without a DirectSound buffer yet; it joins the
  // device's list.
  explicit TDirectSoundBuffer(TDirectSound* ADirectSound);
  // Releases the DirectSound buffer and leaves the device's list.
  ~TDirectSoundBuffer() override;
  TDirectSoundBuffer(const TDirectSoundBuffer&) = delete;
  TDirectSoundBuffer& operator=(const TDirectSoundBuffer&) = delete;

  // Nil releases the DirectSound buffer; a TWave loads it (LoadFromWave); a
  // TDirectSoundBuffer is duplicated (sharing its samples); anything else
  // raises EConvertError. A duplication that fails leaves this buffer as it
  // was and raises nothing.
  void Assign(const TPersistent* Source) override;

  // Makes a new DirectSound buffer from Desc (the old one is released first);
  // the device's result is recorded on both. True when made.
  bool CreateBuffer(const DSBUFFERDESC& Desc);
  // A secondary buffer of Size bytes in the format block Format of
  // FormatSize bytes, with frequency, pan and volume control and the device's
  // focus flag. Raises EDirectSoundBufferError "Sound Buffer cannot be made"
  // when it cannot be made; a format block that is not 8- or 16-bit PCM with
  // one or two channels in at least 16 bytes is refused before DirectSound
  // reads it.
  void MakeBuffer(const void* Format, std::int32_t FormatSize, std::int32_t Size);
  // MakeBuffer, then copies Size bytes of Data into it (nil Data: the buffer
  // keeps the silence it was made with). Raises EDirectSoundBufferError
  // "Sound Buffer cannot be locked" when the buffer will not lock.
  void LoadFromMemory(const void* Format, std::int32_t FormatSize, const void* Data, std::int32_t Size);
  void LoadFromWave(const TWave* Wave);

  // Locks Size bytes from Offset for writing: one or two regions. Only one
  // lock at a time; false without a DirectSound buffer or while locked.
  bool Lock(DWORD Offset, DWORD Size, void*& Data1, DWORD& Size1, void*& Data2, DWORD& Size2);
  // Hands the locked regions back; nothing without a lock.
  void Unlock();

  // The calls on the DirectSound buffer; each raises EDirectSoundBufferError
  // "IDirectSoundBuffer not made" without one, and records its result.
  bool Play(bool Loop = false);
  void Stop();
  void SetPosition(DWORD Value);
  // Samples per second; 0 is the format's own rate.
  void SetFrequency(DWORD Value);
  // Hundredths of a decibel: 0 is centre and full volume.
  void SetPan(LONG Value);
  void SetVolume(LONG Value);
  DWORD GetStatus();
  // The status has the playing or the looping bit.
  bool Playing();

  // Puts Value in place of the DirectSound buffer (a reference of its own is
  // taken): capabilities, format copy and lock count start again from it.
  void SetBufferInterface(IDirectSoundBuffer* Value);
  // The DirectSound buffer; raises EDirectSoundBufferError
  // "IDirectSoundBuffer not made" when there is none. IBuffer answers nil.
  IDirectSoundBuffer* IDSBuffer() const;
  IDirectSoundBuffer* IBuffer() const { return FIDSBuffer; }

  // The device the buffer was made on; nil once the device is gone.
  TDirectSound* DSound() const { return FDSound; }
  const DSBCAPS& Caps() const { return FCaps; }
  const BYTE* Format() const { return FFormat.get(); }
  std::int32_t FormatSize() const { return FFormatSize; }
  std::int32_t LockCount() const { return FLockCount; }

 protected:
  // A failed call: the device looks whether the buffer was lost.
  void DoError() override;

 private:
  friend class TDirectSound;
  // The device goes: drop the DirectSound buffer and the link to the device.
  void DetachFromDevice();

  TDirectSound* FDSound;
  IDirectSoundBuffer* FIDSBuffer = nullptr;
  DSBCAPS FCaps;
  std::unique_ptr<BYTE[]> FFormat;
  std::int32_t FFormatSize = 0;
  struct TLockRecord {
    void* Data1 = nullptr;
    void* Data2 = nullptr;
    DWORD Size1 = 0;
    DWORD Size2 = 0;
  } FLock;
  std::int32_t FLockCount = 0;
};

// Whether a format block of Size bytes is one the sound buffers take: at
// least 16 bytes of 8- or 16-bit PCM with one or two channels.
bool IsPlayableWaveFormat(const void* Format, std::int32_t Size);
