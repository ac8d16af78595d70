#include "platform/dsound/Mixer.h"

#include <SDL.h>

#include <algorithm>

#include "platform/dsound/SoundBuffer.h"
#include "platform/dsound/SoundDevice.h"

TSoundMixer& TSoundMixer::Instance() {
  // Never destroyed: buffers held in globals may be released after static
  // destruction has begun, and the audio thread may still be mixing.
  static TSoundMixer* mixer = new TSoundMixer;
  return *mixer;
}

void TSoundMixer::AddVoice(TSoundBufferObject* Voice) { FVoices.push_back(Voice); }

void TSoundMixer::RemoveVoice(TSoundBufferObject* Voice) {
  FVoices.erase(std::remove(FVoices.begin(), FVoices.end(), Voice), FVoices.end());
}

void TSoundMixer::AddSource(TMixerSource* Source) { FSources.push_back(Source); }

void TSoundMixer::RemoveSource(TMixerSource* Source) {
  FSources.erase(std::remove(FSources.begin(), FSources.end(), Source), FSources.end());
}

namespace {

constexpr std::int64_t SampleMax = 32767;
constexpr std::int64_t SampleMin = -32768;
// Where the limiter puts a frame it has to bring down: 0.9 of full scale
// (about -0.9 dBFS), so that a limited mix never touches full scale itself.
constexpr double Ceiling = 0.9 * 32768;
// The wait before the gain rises again: 10 ms, a period of 100 Hz.
constexpr int HoldFrames = DSoundTest::OutputRate / 100;
// The rise back towards unity, a share of the way each frame: a time
// constant of 80 ms.
constexpr double ReleaseStep = 1.0 / (DSoundTest::OutputRate * 0.080);
// The lead-in before a peak, the same way backwards: a time constant of
// 0.5 ms.
constexpr double AttackStep = 1.0 / (DSoundTest::OutputRate * 0.0005);
// Closer to unity than this the gain changes no sample by as much as half a
// step, so it comes to rest there.
constexpr double RestGap = 1.0 / 65536;

bool OutOfRange(std::int64_t V) { return V > SampleMax || V < SampleMin; }
std::int64_t Magnitude(std::int64_t V) { return V < 0 ? -V : V; }

std::int16_t Scaled(std::int64_t V, double Gain) {
  const double x = static_cast<double>(V) * Gain;
  const auto r = static_cast<std::int64_t>(x < 0 ? x - 0.5 : x + 0.5);
  return static_cast<std::int16_t>(std::clamp(r, SampleMin, SampleMax));
}

}  // namespace

void TSumLimiter::Apply(const std::int64_t* Sum, std::int16_t* Out, int Frames) {
  const auto samples = static_cast<std::size_t>(Frames) * 2;
  if (FGain == 1 && std::none_of(Sum, Sum + samples, OutOfRange)) {
    for (std::size_t i = 0; i < samples; ++i) Out[i] = static_cast<std::int16_t>(Sum[i]);
    return;
  }
  // Forwards: the gain each frame needs, given the hold and the release.
  FGains.resize(static_cast<std::size_t>(Frames));
  double gain = FGain;
  int hold = FHold;
  for (int n = 0; n < Frames; ++n) {
    const std::int64_t left = Sum[2 * n], right = Sum[2 * n + 1];
    if (hold > 0) {
      --hold;
    } else if (gain < 1) {
      gain += (1 - gain) * ReleaseStep;
      if (gain > 1 - RestGap) gain = 1;
    }
    const std::int64_t peak = std::max(Magnitude(left), Magnitude(right));
    // At rest only a sum that does not fit engages the limiter; once engaged
    // it keeps the mix under the ceiling until it comes to rest again.
    const bool over = gain < 1 ? static_cast<double>(peak) * gain > Ceiling : OutOfRange(left) || OutOfRange(right);
    if (over) {
      gain = Ceiling / static_cast<double>(peak);
      hold = HoldFrames;
    }
    FGains[static_cast<std::size_t>(n)] = gain;
  }
  FGain = gain;
  FHold = hold;
  // Backwards: the lead-in to each drop. Taking the lower of the two never
  // lets a frame above what it needs, and leaves the last frame's gain, the
  // one the next block goes on from, as it is.
  for (int n = Frames - 2; n >= 0; --n) {
    const double next = FGains[static_cast<std::size_t>(n + 1)];
    double& g = FGains[static_cast<std::size_t>(n)];
    g = std::min(g, next + (1 - next) * AttackStep);
  }
  for (int n = 0; n < Frames; ++n) {
    const double g = FGains[static_cast<std::size_t>(n)];
    Out[2 * n] = Scaled(Sum[2 * n], g);
    Out[2 * n + 1] = Scaled(Sum[2 * n + 1], g);
  }
}

void TSoundMixer::Mix(std::int16_t* Out, int Frames) {
  if (Frames <= 0) return;
  const auto samples = static_cast<std::size_t>(Frames) * 2;
  FAccumulator.assign(samples, 0);
  for (TSoundBufferObject* voice : FVoices) voice->MixInto(FAccumulator.data(), Frames);
  for (TMixerSource* source : FSources) source->MixInto(FAccumulator.data(), Frames);
  FLimiter.Apply(FAccumulator.data(), Out, Frames);
}

bool TSoundMixer::TakeFault(DSoundTest::TFault Fault, HRESULT& Result) {
  auto it = FFaults.find(Fault);
  if (it == FFaults.end()) return false;
  Result = it->second.Result;
  if (it->second.Count > 0 && --it->second.Count == 0) FFaults.erase(it);
  return true;
}

void TSoundMixer::InjectFault(DSoundTest::TFault Fault, HRESULT Result, int Count) {
  if (Count == 0)
    FFaults.erase(Fault);
  else
    FFaults[Fault] = {Result, Count};
}

void TSoundMixer::AudioCallback(void* UserData, std::uint8_t* Stream, int Len) {
  auto* mixer = static_cast<TSoundMixer*>(UserData);
  std::lock_guard<std::mutex> lock(mixer->FMutex);
  mixer->Mix(reinterpret_cast<std::int16_t*>(Stream), Len / 4);
}

bool TSoundMixer::AcquireOutput() {
  std::lock_guard<std::mutex> lock(FOutputMutex);
  if (FOutputUsers > 0) {
    ++FOutputUsers;
    return true;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = DSoundTest::OutputRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = &TSoundMixer::AudioCallback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts our format to the device's if it must.
  SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  FOutputDevice = id;
  FOutputUsers = 1;
  SDL_PauseAudioDevice(id, 0);
  return true;
}

void TSoundMixer::ReleaseOutput() {
  std::lock_guard<std::mutex> lock(FOutputMutex);
  if (FOutputUsers <= 0 || --FOutputUsers > 0) return;
  SDL_CloseAudioDevice(FOutputDevice);
  FOutputDevice = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

namespace DSoundTest {

void SetManualClock(bool On) {
  auto& m = TSoundMixer::Instance();
  std::lock_guard<std::mutex> lock(m.Mutex());
  m.SetManualClock(On);
}

bool ManualClock() {
  auto& m = TSoundMixer::Instance();
  std::lock_guard<std::mutex> lock(m.Mutex());
  return m.ManualClock();
}

void Render(std::int16_t* Out, int Frames) {
  auto& m = TSoundMixer::Instance();
  std::lock_guard<std::mutex> lock(m.Mutex());
  m.Mix(Out, Frames);
}

void InjectFault(TFault Fault, HRESULT Result, int Count) {
  auto& m = TSoundMixer::Instance();
  std::lock_guard<std::mutex> lock(m.Mutex());
  m.InjectFault(Fault, Result, Count);
}

void ClearFaults() {
  auto& m = TSoundMixer::Instance();
  std::lock_guard<std::mutex> lock(m.Mutex());
  m.ClearFaults();
}

void LoseBuffer(IDirectSoundBuffer* Buffer) {
  auto* b = dynamic_cast<TSoundBufferObject*>(Buffer);
  if (!b) return;
  auto& m = TSoundMixer::Instance();
  std::lock_guard<std::mutex> lock(m.Mutex());
  b->LoseMemory();
}

int VoiceCount() {
  auto& m = TSoundMixer::Instance();
  std::lock_guard<std::mutex> lock(m.Mutex());
  return m.VoiceCount();
}

int DeviceCount() {
  auto& m = TSoundMixer::Instance();
  std::lock_guard<std::mutex> lock(m.Mutex());
  return m.DeviceCount();
}

bool OutputOpen() { return TSoundMixer::Instance().OutputOpen(); }

DWORD CooperativeLevel(IDirectSound* Device) {
  auto* d = dynamic_cast<TSoundDeviceObject*>(Device);
  return d ? d->Level() : 0;
}

HWND CooperativeWindow(IDirectSound* Device) {
  auto* d = dynamic_cast<TSoundDeviceObject*>(Device);
  return d ? d->Window() : nullptr;
}

void Reset() {
  auto& m = TSoundMixer::Instance();
  std::lock_guard<std::mutex> lock(m.Mutex());
  m.ClearFaults();
  m.SetManualClock(false);
  m.ResetLimiter();
}

}  // namespace DSoundTest
