// Test access to the sound device behind DirectSoundCreate: a manual clock that
// renders the mix into a caller's buffer instead of the audio output, injected
// failures, lost buffers, and a look at what the device holds.
#pragma once

#include <cstdint>

#include "platform/dsound/DSound.h"

namespace DSoundTest {

// With the manual clock on, devices made from then on open no audio output and
// the mix moves on only through Render. Off by default.
void SetManualClock(bool On);
bool ManualClock();

// Mixes Frames frames of 48 kHz stereo 16-bit (interleaved left, right) from
// every playing buffer and from the music of the media players into Out,
// moving their play positions on; a sum beyond full scale is limited as on
// the audio output.
void Render(std::int16_t* Out, int Frames);
constexpr int OutputRate = 48000;

// The calls a test can make fail.
enum class TFault {
  Create,        // DirectSoundCreate
  CreateBuffer,  // IDirectSound::CreateSoundBuffer (primary or secondary)
  Duplicate,     // IDirectSound::DuplicateSoundBuffer
  Lock,          // IDirectSoundBuffer::Lock
};
// The next Count calls of that kind return Result (Count < 0: every call until
// cleared), after their parameters are checked and before anything is made.
void InjectFault(TFault Fault, HRESULT Result, int Count = 1);
void ClearFaults();

// Loses the buffer's sample memory, as when another program takes the device:
// the buffer and every duplicate sharing its memory stop and report
// DSBSTATUS_BUFFERLOST, and Lock and Play give DSERR_BUFFERLOST.
void LoseBuffer(IDirectSoundBuffer* Buffer);

// Secondary buffers that the mixer holds (those of devices still alive).
int VoiceCount();
// Devices alive, and whether the audio output is open.
int DeviceCount();
bool OutputOpen();
// What SetCooperativeLevel last set on a device (0 and null before).
DWORD CooperativeLevel(IDirectSound* Device);
HWND CooperativeWindow(IDirectSound* Device);

// Clears the faults, turns the manual clock off and puts the mixer's limiter
// back at rest.
void Reset();

}  // namespace DSoundTest
