#include "platform/media/MidiPlayback.h"

#include <dlfcn.h>
#include <fluidsynth.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace {

using Guard = std::lock_guard<std::mutex>;

// The largest block the synthesizer renders at once.
constexpr int MaxBlock = 4096;
// The synthesizer's output level, the one place where music is balanced
// against the sound effects in the shared mix, whatever song is played: the
// game's own music then sits about 9 dB under the effects at their loudest
// (100 ms at -20 dBFS) and its loudest passages some 5 dB under them, which
// keeps it clearly audible without covering a fight.
constexpr double SynthGain = 0.28;

std::mutex SearchMutex;
std::vector<std::string>* SearchOverride = nullptr;

// The synthesizer's library reads a sound font's samples with a parallel
// loop that starts a worker thread a processor core, each with a stack of its
// own, and it ends the whole process when one cannot be made (a tight
// virtual-memory limit). Our fonts are a few megabytes, read as fast on the
// calling thread alone, so the loop is kept to that thread. The setting
// belongs to the calling thread; the parallel runtime is the one the library
// brought in, found by name (absent: the library loads on one thread anyway).
void LoadOnThisThreadOnly() {
  using TSetThreads = void (*)(int);
  if (auto set = reinterpret_cast<TSetThreads>(dlsym(RTLD_DEFAULT, "omp_set_num_threads"))) set(1);
}

bool IsRegularFile(const std::string& Path) {
  struct stat st {};
  return ::stat(Path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The synthesizer's own messages would go to the terminal; the player logs one
// line of its own instead.
void QuietSynthLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
  });
}

// A synthesizer sample (full scale ±1) at the mixer's 16-bit scale.
std::int64_t ToSample(float V) {
  if (!(V > -1.0f)) return V == V ? -32767 : 0;
  return V < 1.0f ? static_cast<std::int64_t>(V * 32767.0f) : 32767;
}

void LogSilent(const char* Why) { std::fprintf(stderr, "Media player: %s; the music plays silent.\n", Why); }

}  // namespace

std::vector<std::string> DefaultSoundFontSearch() {
  return {
      "/usr/share/sounds/sf2/FluidR3_GM.sf2",
      "/usr/share/sounds/sf2/default-GM.sf2",
      "/usr/share/sounds/sf2/TimGM6mb.sf2",
  };
}

std::vector<std::string> SoundFontSearch() {
  Guard lock(SearchMutex);
  return SearchOverride ? *SearchOverride : DefaultSoundFontSearch();
}

void SetSoundFontSearch(std::vector<std::string> Paths) {
  Guard lock(SearchMutex);
  delete SearchOverride;
  SearchOverride = new std::vector<std::string>(std::move(Paths));
}

TMidiPlayback::TMidiPlayback() : FLeft(MaxBlock), FRight(MaxBlock) {}

TMidiPlayback::~TMidiPlayback() {
  Close();
  FreeSynth();
}

bool TMidiPlayback::LoadSynth() {
  QuietSynthLog();
  const std::vector<std::string> search = SoundFontSearch();
  std::string found;
  for (const std::string& path : search) {
    if (IsRegularFile(path) && fluid_is_soundfont(path.c_str())) {
      found = path;
      break;
    }
  }
  if (found.empty()) {
    FreeSynth();
    return false;
  }
  if (FSynth && found == FSoundFont) return true;
  FreeSynth();
  FSettings = new_fluid_settings();
  if (!FSettings) return false;
  fluid_settings_setnum(FSettings, "synth.sample-rate", Rate);
  fluid_settings_setnum(FSettings, "synth.gain", SynthGain);
  FSynth = new_fluid_synth(FSettings);
  LoadOnThisThreadOnly();
  if (!FSynth || fluid_synth_sfload(FSynth, found.c_str(), 1) == FLUID_FAILED) {
    FreeSynth();
    return false;
  }
  FSoundFont = found;
  return true;
}

void TMidiPlayback::FreeSynth() {
  if (FSynth) delete_fluid_synth(FSynth);
  if (FSettings) delete_fluid_settings(FSettings);
  FSynth = nullptr;
  FSettings = nullptr;
  FSoundFont.clear();
}

void TMidiPlayback::Open(TMidiSong Song) {
  Close();
  // The synthesizer and the output are set up before the song joins the mix.
  const bool haveFont = LoadSynth();
  auto& mixer = TSoundMixer::Instance();
  bool manual;
  {
    Guard lock(mixer.Mutex());
    manual = mixer.ManualClock();
  }
  FOutputHeld = !manual && mixer.AcquireOutput();
  FMixerDriven = manual || FOutputHeld;
  if (!haveFont && !FMixerDriven)
    LogSilent("no General MIDI sound font found and no audio output");
  else if (!haveFont)
    LogSilent("no General MIDI sound font found");
  else if (!FMixerDriven)
    LogSilent("no audio output");

  Guard lock(mixer.Mutex());
  FSong = std::move(Song);
  FEventSamples.resize(FSong.Events.size());
  for (std::size_t i = 0; i < FSong.Events.size(); ++i)
    FEventSamples[i] = MidiTimeToSamples(FSong.Events[i].Time, Rate);
  FLength = MidiTimeToSamples(FSong.Duration, Rate);
  FNext = 0;
  FPosition = 0;
  FPlaying = false;
  FOpen = true;
  if (FSynth) fluid_synth_system_reset(FSynth);
  if (FMixerDriven) {
    mixer.AddSource(this);
    FInMixer = true;
  }
}

void TMidiPlayback::Close() {
  auto& mixer = TSoundMixer::Instance();
  {
    Guard lock(mixer.Mutex());
    if (!FOpen) return;
    if (FInMixer) mixer.RemoveSource(this);
    FInMixer = false;
    FOpen = false;
    FPlaying = false;
    FSong = TMidiSong{};
    FEventSamples.clear();
    FLength = FPosition = 0;
    FNext = 0;
    if (FSynth) fluid_synth_system_reset(FSynth);
  }
  if (FOutputHeld) mixer.ReleaseOutput();
  FOutputHeld = false;
  FMixerDriven = false;
}

void TMidiPlayback::Play() {
  Guard lock(TSoundMixer::Instance().Mutex());
  if (!FOpen) return;
  CatchUp();
  FPlaying = true;
  FClockMark = std::chrono::steady_clock::now();
}

void TMidiPlayback::Stop() {
  Guard lock(TSoundMixer::Instance().Mutex());
  CatchUp();
  FPlaying = false;
  SilenceNotes();
}

void TMidiPlayback::Seek(std::int64_t Sample) {
  Guard lock(TSoundMixer::Instance().Mutex());
  CatchUp();
  FPosition = std::clamp<std::int64_t>(Sample, 0, FLength);
  FClockMark = std::chrono::steady_clock::now();
  FNext = static_cast<std::size_t>(std::lower_bound(FEventSamples.begin(), FEventSamples.end(), FPosition) -
                                   FEventSamples.begin());
  if (!FSynth) return;
  fluid_synth_system_reset(FSynth);
  // Programs, controllers and bends before the new position still hold there.
  for (std::size_t i = 0; i < FNext; ++i) {
    const int kind = FSong.Events[i].Status & 0xF0;
    if (kind != 0x80 && kind != 0x90 && kind != 0xA0) Send(FSong.Events[i]);
  }
}

bool TMidiPlayback::Playing() {
  Guard lock(TSoundMixer::Instance().Mutex());
  CatchUp();
  return FPlaying;
}

std::int64_t TMidiPlayback::PositionSamples() {
  Guard lock(TSoundMixer::Instance().Mutex());
  CatchUp();
  return FPosition;
}

std::string TMidiPlayback::SoundFont() const {
  Guard lock(TSoundMixer::Instance().Mutex());
  return FSoundFont;
}

void TMidiPlayback::CatchUp() {
  if (!FOpen || FMixerDriven || !FPlaying) return;
  const auto now = std::chrono::steady_clock::now();
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now - FClockMark).count();
  const std::int64_t samples = MidiTimeToSamples(us, Rate);
  // The mark moves by what was counted, so the rounding never loses time.
  FClockMark += std::chrono::microseconds(samples * 1000000 / Rate);
  FPosition = std::min(FLength, FPosition + samples);
  while (FNext < FEventSamples.size() && FEventSamples[FNext] <= FPosition) ++FNext;
  if (FPosition >= FLength) FPlaying = false;
}

void TMidiPlayback::Send(const TMidiEvent& Event) {
  const int channel = Event.Status & 0x0F;
  switch (Event.Status & 0xF0) {
    case 0x80: fluid_synth_noteoff(FSynth, channel, Event.Data1); break;
    case 0x90: fluid_synth_noteon(FSynth, channel, Event.Data1, Event.Data2); break;
    case 0xA0: fluid_synth_key_pressure(FSynth, channel, Event.Data1, Event.Data2); break;
    case 0xB0: fluid_synth_cc(FSynth, channel, Event.Data1, Event.Data2); break;
    case 0xC0: fluid_synth_program_change(FSynth, channel, Event.Data1); break;
    case 0xD0: fluid_synth_channel_pressure(FSynth, channel, Event.Data1); break;
    case 0xE0: fluid_synth_pitch_bend(FSynth, channel, Event.Data1 | (Event.Data2 << 7)); break;
    default: break;
  }
}

void TMidiPlayback::SilenceNotes() {
  if (FSynth) fluid_synth_all_sounds_off(FSynth, -1);
}

void TMidiPlayback::Dispatch() {
  while (FNext < FEventSamples.size() && FEventSamples[FNext] <= FPosition) {
    if (FSynth) Send(FSong.Events[FNext]);
    ++FNext;
  }
  if (FPosition >= FLength && FNext >= FEventSamples.size()) {
    // The end: the song stops there, and notes still ringing die away.
    FPosition = FLength;
    FPlaying = false;
  }
}

void TMidiPlayback::MixInto(std::int64_t* Accumulator, int Frames) {
  int done = 0;
  while (done < Frames) {
    if (FPlaying) Dispatch();
    int chunk = std::min(Frames - done, MaxBlock);
    if (FPlaying) {
      // Up to the next event, so that each one sounds at its own sample.
      const std::int64_t until = FNext < FEventSamples.size() ? FEventSamples[FNext] : FLength;
      chunk = static_cast<int>(std::min<std::int64_t>(chunk, until - FPosition));
    }
    if (FSynth && (FPlaying || fluid_synth_get_active_voice_count(FSynth) > 0)) {
      fluid_synth_write_float(FSynth, chunk, FLeft.data(), 0, 1, FRight.data(), 0, 1);
      std::int64_t* out = Accumulator + 2 * static_cast<std::ptrdiff_t>(done);
      for (int i = 0; i < chunk; ++i) {
        out[2 * i] += ToSample(FLeft[i]);
        out[2 * i + 1] += ToSample(FRight[i]);
      }
    }
    if (FPlaying) FPosition += chunk;
    done += chunk;
  }
  if (FPlaying) Dispatch();
}
