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

void TSoundMixer::Mix(std::int16_t* Out, int Frames) {
  if (Frames <= 0) return;
  const auto samples = static_cast<std::size_t>(Frames) * 2;
  FAccumulator.assign(samples, 0);
  for (TSoundBufferObject* voice : FVoices) voice->MixInto(FAccumulator.data(), Frames);
  for (TMixerSource* source : FSources) source->MixInto(FAccumulator.data(), Frames);
  for (std::size_t i = 0; i < samples; ++i)
    Out[i] = static_cast<std::int16_t>(std::clamp<std::int64_t>(FAccumulator[i], -32768, 32767));
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
}

}  // namespace DSoundTest
