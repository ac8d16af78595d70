// The DirectSound device object: makes the buffers, keeps the registration of
// those still alive, and takes their voices out of the mixer when it goes.
#pragma once

#include <set>

#include "platform/dsound/DSound.h"

class TSoundBufferObject;

class TSoundDeviceObject final : public IDirectSound {
 public:
  // OutputHeld: whether this device holds a use of the audio output.
  explicit TSoundDeviceObject(bool OutputHeld);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  BRASK_REFCOUNT_METHODS

  HRESULT CreateSoundBuffer(const DSBUFFERDESC* lpcDSBufferDesc, IDirectSoundBuffer** lplpDirectSoundBuffer,
                            IUnknown* pUnkOuter) override;
  HRESULT GetCaps(DSCAPS* lpDSCaps) override;
  HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* lpDsbOriginal, IDirectSoundBuffer** lplpDsbDuplicate) override;
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwLevel) override;

  // Under the mixer lock.
  void UnregisterBuffer(TSoundBufferObject* Buffer) { FBuffers.erase(Buffer); }
  DWORD Level() const { return FLevel; }
  HWND Window() const { return FWindow; }

 private:
  ~TSoundDeviceObject() override;
  // Registers a new buffer (and its voice) under the lock.
  void RegisterBuffer(TSoundBufferObject* Buffer);

  TRefCounted FRef;
  std::set<TSoundBufferObject*> FBuffers;
  bool FOutputHeld;
  HWND FWindow = nullptr;
  DWORD FLevel = 0;
};
