// One audio block of the mixer (1024 frames of 48 kHz stereo, what the audio
// callback asks for) with 1, 8 or 32 looping voices of 8-bit mono at
// 11025 Hz, the game's effects' format. "fits": the voices are quiet enough
// that their sum stays within full scale, so the limiter only checks it;
// "limited": each voice is at full scale and the limiter works on every
// block. The difference between the two is the limiter's cost. Items are
// output frames.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dsound/DSound.h"
#include "platform/dsound/DSoundTest.h"

namespace {

constexpr int Block = 1024;

void MixBlock(benchmark::State& State) {
  const int voices = static_cast<int>(State.range(0));
  const bool loud = State.range(1) != 0;
  DSoundTest::Reset();
  DSoundTest::SetManualClock(true);
  IDirectSound* device = nullptr;
  if (DirectSoundCreate(nullptr, &device, nullptr) != DS_OK) {
    State.SkipWithError("no device");
    return;
  }
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 1;
  f.nSamplesPerSec = 11025;
  f.wBitsPerSample = 8;
  f.nBlockAlign = 1;
  f.nAvgBytesPerSec = 11025;
  std::vector<BYTE> format(WaveFormatExBytes);
  WriteWaveFormatEx(f, format.data());
  // A 100 Hz-ish tone with an edge, at full scale or at a share of it.
  const int amplitude = loud ? 127 : 115 / voices;
  std::vector<BYTE> samples(11025);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const int p = static_cast<int>(i % 110);
    samples[i] = static_cast<BYTE>(128 + (p < 55 ? amplitude * p / 55 : -amplitude));
  }
  std::vector<IDirectSoundBuffer*> buffers;
  for (int v = 0; v < voices; ++v) {
    DSBUFFERDESC d{};
    d.dwSize = DSBufferDescSize;
    d.dwFlags = DSBCAPS_CTRLDEFAULT;
    d.dwBufferBytes = static_cast<DWORD>(samples.size());
    d.lpwfxFormat = format.data();
    IDirectSoundBuffer* b = nullptr;
    if (device->CreateSoundBuffer(&d, &b, nullptr) != DS_OK) break;
    void *p1, *p2;
    DWORD n1, n2;
    b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2, 0);
    std::memcpy(p1, samples.data(), n1);
    b->Unlock(p1, n1, p2, 0);
    // Each voice a little further on, as effects started at different times.
    b->SetCurrentPosition(static_cast<DWORD>(v * 37 % samples.size()));
    b->Play(0, 0, DSBPLAY_LOOPING);
    buffers.push_back(b);
  }
  std::vector<std::int16_t> out(2 * Block);
  for (auto _ : State) {
    DSoundTest::Render(out.data(), Block);
    benchmark::DoNotOptimize(out.data());
  }
  State.SetItemsProcessed(State.iterations() * Block);
  for (IDirectSoundBuffer* b : buffers) b->Release();
  device->Release();
  DSoundTest::Reset();
}

BENCHMARK(MixBlock)->ArgNames({"voices", "limited"})->ArgsProduct({{1, 8, 32}, {0, 1}});

}  // namespace
