// The playing of one MIDI song: a source of the DirectSound stand-in's mixer
// that sends the song's messages to a software synthesizer at their sample
// times and adds its output into the mix, so music and sound effects share the
// one audio output.
//
// The synthesizer needs a General MIDI sound font, searched for when a song is
// opened. Without one, or without an audio output, the song still "plays": the
// position runs, from the mix (an open output or the test's manual clock) or
// else from the system's steady clock, and nothing is heard.
//
// Every method takes the mixer lock; the mixer calls MixInto with it held.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dsound/Mixer.h"
#include "platform/media/MidiFile.h"

struct _fluid_hashtable_t;
struct _fluid_synth_t;

class TMidiPlayback final : public TMixerSource {
 public:
  static constexpr int Rate = DSoundTest::OutputRate;

  TMidiPlayback();
  ~TMidiPlayback();
  TMidiPlayback(const TMidiPlayback&) = delete;
  TMidiPlayback& operator=(const TMidiPlayback&) = delete;

  // Closes what is open, then takes Song, stopped at its start.
  void Open(TMidiSong Song);
  void Close();
  bool IsOpen() const { return FOpen; }

  void Play();
  // Stops where it is; the notes sounding end.
  void Stop();
  // Moves to a sample of the song (clamped to it), stopping the notes; the
  // programs and controllers are set as the song has them at that point.
  void Seek(std::int64_t Sample);

  bool Playing();
  std::int64_t PositionSamples();
  std::int64_t LengthSamples() const { return FLength; }

  // The sound font in use ("" while silent), whether the song is mixed into the
  // output (or the manual clock's render), and whether it is heard at all.
  std::string SoundFont() const;
  bool MixerDriven() const { return FMixerDriven; }
  bool Audible() const { return FSynth != nullptr && FMixerDriven; }

  void MixInto(std::int64_t* Accumulator, int Frames) override;

 private:
  // Under the mixer lock.
  void Send(const TMidiEvent& Event);
  void SilenceNotes();
  // Moves a steady-clock song on to now.
  void CatchUp();
  void Dispatch();

  bool LoadSynth();
  void FreeSynth();

  TMidiSong FSong;
  std::vector<std::int64_t> FEventSamples;  // the sample of each event of FSong
  std::int64_t FLength = 0;                 // samples
  std::size_t FNext = 0;                    // the next event to send
  std::int64_t FPosition = 0;               // samples
  bool FOpen = false;
  bool FPlaying = false;
  bool FInMixer = false;
  bool FMixerDriven = false;
  bool FOutputHeld = false;
  std::chrono::steady_clock::time_point FClockMark;

  _fluid_hashtable_t* FSettings = nullptr;
  _fluid_synth_t* FSynth = nullptr;
  std::string FSoundFont;
  std::vector<float> FLeft, FRight;
};

// Where a General MIDI sound font is looked for, in order: the larger fonts
// first, the small one that the setup installs last. Host file names.
std::vector<std::string> DefaultSoundFontSearch();
// The list in force (DefaultSoundFontSearch unless a test set another).
std::vector<std::string> SoundFontSearch();
void SetSoundFontSearch(std::vector<std::string> Paths);
