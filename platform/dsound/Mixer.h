// The software mixer behind the DirectSound objects: one per process, standing
// for the sound card. It holds the voices (the secondary buffers of live
// devices), mixes them into 48 kHz stereo 16-bit, limiting a sum that goes
// beyond full scale (see TSumLimiter), and feeds the audio output, or a test's
// buffer under the manual clock.
//
// The mixer lock guards every voice's play state and sample memory. The audio
// thread takes it for each block it mixes; every interface call takes it too.
// Nothing but the mix itself runs on the audio thread.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/dsound/DSound.h"
#include "platform/dsound/DSoundTest.h"

class TSoundBufferObject;

// A sound besides the secondary buffers that plays into the same output (the
// media player's music). The mixer calls it under its lock, on the audio
// thread or in DSoundTest::Render, to add Frames frames at the output rate.
class TMixerSource {
 public:
  virtual void MixInto(std::int64_t* Accumulator, int Frames) = 0;

 protected:
  ~TMixerSource() = default;
};

// Brings a mix whose sum goes beyond the 16-bit range down smoothly instead of
// clipping it sample by sample. A mix that stays within the range passes
// untouched, bit for bit: the limiter rests at unity gain and engages only at
// a frame whose sum does not fit. Then it takes the gain (one for both
// channels, so that the stereo picture stays) at once down to what puts that
// frame at the ceiling, a little under full scale, and holds it
// while the sum stays as loud; once the sum falls, the gain waits a few
// milliseconds (so that the peaks of a low tone are not flattened one by one)
// and then rises back to unity exponentially, with a short release time. Each
// block is limited whole before it is written, so the gain also starts to
// sink a moment ahead of a peak inside the block (the mirror image of the
// release), which keeps the waveform free of steps; only a peak in the first
// millisecond or so of a block, whose lead-in was already written, is met
// more abruptly. Every frame costs a few multiplications and comparisons, a
// division only at a new peak: it runs in the audio callback.
class TSumLimiter {
 public:
  // Writes Frames interleaved stereo frames of Sum to Out.
  void Apply(const std::int64_t* Sum, std::int16_t* Out, int Frames);
  void Reset() {
    FGain = 1;
    FHold = 0;
  }
  double Gain() const { return FGain; }

 private:
  double FGain = 1;  // the gain after the last frame written; 1 at rest
  int FHold = 0;     // frames until the gain may rise again
  std::vector<double> FGains;
};

class TSoundMixer {
 public:
  static TSoundMixer& Instance();

  std::mutex& Mutex() { return FMutex; }

  // Under the lock.
  void AddVoice(TSoundBufferObject* Voice);
  void RemoveVoice(TSoundBufferObject* Voice);
  int VoiceCount() const { return static_cast<int>(FVoices.size()); }
  void AddSource(TMixerSource* Source);
  void RemoveSource(TMixerSource* Source);
  void AddDevice() { ++FDevices; }
  void RemoveDevice() { --FDevices; }
  int DeviceCount() const { return FDevices; }
  void Mix(std::int16_t* Out, int Frames);
  // Takes one injected failure of that kind; true and Result set when one is due.
  bool TakeFault(DSoundTest::TFault Fault, HRESULT& Result);
  void InjectFault(DSoundTest::TFault Fault, HRESULT Result, int Count);
  void ClearFaults() { FFaults.clear(); }
  bool ManualClock() const { return FManualClock; }
  void SetManualClock(bool On) { FManualClock = On; }
  void ResetLimiter() { FLimiter.Reset(); }

  // Not under the lock: opening and closing the output waits for the audio
  // thread, which takes the lock. One use per device; the first opens it.
  bool AcquireOutput();
  void ReleaseOutput();
  bool OutputOpen() const {
    std::lock_guard<std::mutex> lock(FOutputMutex);
    return FOutputDevice != 0;
  }

 private:
  TSoundMixer() = default;
  static void AudioCallback(void* UserData, std::uint8_t* Stream, int Len);

  std::mutex FMutex;
  std::vector<TSoundBufferObject*> FVoices;
  std::vector<TMixerSource*> FSources;
  std::vector<std::int64_t> FAccumulator;
  TSumLimiter FLimiter;
  int FDevices = 0;
  bool FManualClock = false;
  struct TFaultEntry {
    HRESULT Result;
    int Count;
  };
  std::map<DSoundTest::TFault, TFaultEntry> FFaults;
  // Audio output; touched on the message thread only.
  mutable std::mutex FOutputMutex;
  std::uint32_t FOutputDevice = 0;
  int FOutputUsers = 0;
};
