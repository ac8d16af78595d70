// DirectSound as the library calls it: the device (IDirectSound), its sound
// buffers (IDirectSoundBuffer), their descriptor and capability records, flags
// and result codes. The objects are made by DirectSoundCreate, which the
// programs bind at run time from the module "DSound.dll"; RegisterDSoundModule
// puts that module into the module registry.
//
// Behind the interfaces is a software mixer: secondary buffers of 8- or 16-bit
// PCM, mono or stereo, at any rate from DSBFREQUENCY_MIN to DSBFREQUENCY_MAX,
// are resampled to 48 kHz stereo 16-bit and mixed into the audio output, a
// sum beyond full scale brought down by a limiter rather than clipped. The
// primary buffer stands for that output.
#pragma once

#include "platform/win/Mmsystem.h"
#include "platform/win/Types.h"
#include "platform/win/Unknown.h"

// Result codes.
constexpr HRESULT DS_OK = S_OK;
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_GENERIC = E_FAIL;
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x88780082u);
constexpr HRESULT DSERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);
constexpr HRESULT DSERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x887800A0u);
constexpr HRESULT DSERR_UNINITIALIZED = static_cast<HRESULT>(0x887800AAu);
constexpr HRESULT DSERR_NOINTERFACE = E_NOINTERFACE;

// Buffer capability flags (DSBUFFERDESC.dwFlags, DSBCAPS.dwFlags).
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRL3D = 0x00000010;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x00000100;
constexpr DWORD DSBCAPS_CTRLDEFAULT = 0x000000E0;
constexpr DWORD DSBCAPS_STICKYFOCUS = 0x00004000;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;

// Play flags, status bits, lock flags.
constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;
constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

// Cooperative levels.
constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSSCL_EXCLUSIVE = 3;
constexpr DWORD DSSCL_WRITEPRIMARY = 4;

// Ranges: pan and volume in hundredths of a decibel, frequency in samples per
// second (DSBFREQUENCY_ORIGINAL: the buffer format's own rate), buffer bytes.
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_CENTER = 0;
constexpr LONG DSBPAN_RIGHT = 10000;
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 100000;
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

// Device capability flags (DSCAPS.dwFlags).
constexpr DWORD DSCAPS_PRIMARYMONO = 0x00000001;
constexpr DWORD DSCAPS_PRIMARYSTEREO = 0x00000002;
constexpr DWORD DSCAPS_PRIMARY8BIT = 0x00000004;
constexpr DWORD DSCAPS_PRIMARY16BIT = 0x00000008;
constexpr DWORD DSCAPS_CONTINUOUSRATE = 0x00000010;
constexpr DWORD DSCAPS_EMULDRIVER = 0x00000020;
constexpr DWORD DSCAPS_SECONDARYMONO = 0x00000100;
constexpr DWORD DSCAPS_SECONDARYSTEREO = 0x00000200;
constexpr DWORD DSCAPS_SECONDARY8BIT = 0x00000400;
constexpr DWORD DSCAPS_SECONDARY16BIT = 0x00000800;

// The buffer descriptor. dwSize is 36 in the form that ends with the 3D
// algorithm identifier and 20 in the older form without it (the sizes of the
// record in the 32-bit layout the callers fill it for); both are accepted.
struct DSBUFFERDESC {
  DWORD dwSize = 0;
  DWORD dwFlags = 0;
  DWORD dwBufferBytes = 0;
  DWORD dwReserved = 0;
  const void* lpwfxFormat = nullptr;  // the stored format block, read as WAVEFORMATEX bytes
  GUID guid3DAlgorithm;
};
using LPDSBUFFERDESC = DSBUFFERDESC*;
using LPCDSBUFFERDESC = const DSBUFFERDESC*;
constexpr DWORD DSBufferDescSize = 36;
constexpr DWORD DSBufferDesc1Size = 20;

struct DSBCAPS {
  DWORD dwSize = 0;
  DWORD dwFlags = 0;
  DWORD dwBufferBytes = 0;
  DWORD dwUnlockTransferRate = 0;
  DWORD dwPlayCpuOverhead = 0;
};
static_assert(sizeof(DSBCAPS) == 20);
using LPDSBCAPS = DSBCAPS*;

struct DSCAPS {
  DWORD dwSize = 0;
  DWORD dwFlags = 0;
  DWORD dwMinSecondarySampleRate = 0;
  DWORD dwMaxSecondarySampleRate = 0;
  DWORD dwPrimaryBuffers = 0;
  DWORD dwMaxHwMixingAllBuffers = 0;
  DWORD dwMaxHwMixingStaticBuffers = 0;
  DWORD dwMaxHwMixingStreamingBuffers = 0;
  DWORD dwFreeHwMixingAllBuffers = 0;
  DWORD dwFreeHwMixingStaticBuffers = 0;
  DWORD dwFreeHwMixingStreamingBuffers = 0;
  DWORD dwMaxHw3DAllBuffers = 0;
  DWORD dwMaxHw3DStaticBuffers = 0;
  DWORD dwMaxHw3DStreamingBuffers = 0;
  DWORD dwFreeHw3DAllBuffers = 0;
  DWORD dwFreeHw3DStaticBuffers = 0;
  DWORD dwFreeHw3DStreamingBuffers = 0;
  DWORD dwTotalHwMemBytes = 0;
  DWORD dwFreeHwMemBytes = 0;
  DWORD dwMaxContigFreeHwMemBytes = 0;
  DWORD dwUnlockTransferRateHwBuffers = 0;
  DWORD dwPlayCpuOverheadSwBuffers = 0;
  DWORD dwReserved1 = 0;
  DWORD dwReserved2 = 0;
};
static_assert(sizeof(DSCAPS) == 96);
using LPDSCAPS = DSCAPS*;

extern const IID IID_IDirectSound;
extern const IID IID_IDirectSoundBuffer;

struct IDirectSoundBuffer : IUnknown {
  virtual HRESULT GetCaps(DSBCAPS* lpDSBufferCaps) = 0;
  virtual HRESULT GetCurrentPosition(DWORD* lpdwCurrentPlayCursor, DWORD* lpdwCurrentWriteCursor) = 0;
  // With lpwfxFormat null, writes the size the format needs to lpdwSizeWritten.
  virtual HRESULT GetFormat(void* lpwfxFormat, DWORD dwSizeAllocated, DWORD* lpdwSizeWritten) = 0;
  virtual HRESULT GetVolume(LONG* lplVolume) = 0;
  virtual HRESULT GetPan(LONG* lplPan) = 0;
  virtual HRESULT GetFrequency(DWORD* lpdwFrequency) = 0;
  virtual HRESULT GetStatus(DWORD* lpdwStatus) = 0;
  virtual HRESULT Lock(DWORD dwOffset, DWORD dwBytes, void** ppvAudioPtr1, DWORD* pdwAudioBytes1, void** ppvAudioPtr2,
                       DWORD* pdwAudioBytes2, DWORD dwFlags) = 0;
  virtual HRESULT Play(DWORD dwReserved1, DWORD dwPriority, DWORD dwFlags) = 0;
  virtual HRESULT SetCurrentPosition(DWORD dwNewPosition) = 0;
  virtual HRESULT SetVolume(LONG lVolume) = 0;
  virtual HRESULT SetPan(LONG lPan) = 0;
  virtual HRESULT SetFrequency(DWORD dwFrequency) = 0;
  virtual HRESULT Stop() = 0;
  // The byte counts say how much of each locked region was written.
  virtual HRESULT Unlock(void* pvAudioPtr1, DWORD dwAudioBytes1, void* pvAudioPtr2, DWORD dwAudioBytes2) = 0;
};
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

struct IDirectSound : IUnknown {
  virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* lpcDSBufferDesc, IDirectSoundBuffer** lplpDirectSoundBuffer,
                                    IUnknown* pUnkOuter) = 0;
  virtual HRESULT GetCaps(DSCAPS* lpDSCaps) = 0;
  virtual HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* lpDsbOriginal, IDirectSoundBuffer** lplpDsbDuplicate) = 0;
  virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwLevel) = 0;
};
using LPDIRECTSOUND = IDirectSound*;

// Makes the sound device. lpGuid null is the default (and only) device. Fails
// with DSERR_NODRIVER when no audio output can be opened.
HRESULT DirectSoundCreate(const GUID* lpGuid, IDirectSound** ppDS, IUnknown* pUnkOuter);
using LPDIRECTSOUNDCREATE = HRESULT (*)(const GUID*, IDirectSound**, IUnknown*);

// Whether a stored format block of Size bytes describes a format the mixer
// plays: at least the 16-byte PCM form, 8- or 16-bit PCM, 1 or 2 channels, a
// rate in range. CreateSoundBuffer applies the same test to the first 16 bytes.
bool IsMixableWaveFormat(const void* Format, std::int64_t Size);

// Registers "DSound.dll" with "DirectSoundCreate"; calling it again does nothing.
void RegisterDSoundModule();
