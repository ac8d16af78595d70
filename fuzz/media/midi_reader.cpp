// MIDI files from untrusted bytes: the reader either refuses them or gives a
// song whose events are in time order inside its duration, each a whole
// channel message of a track that exists.
#include <cstdint>
#include <cstdlib>

#include "platform/media/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TMidiSong song;
  try {
    song = ReadMidiFile(Data, Size);
  } catch (const EMidiFileError&) { return 0; }
  if (song.Format < 0 || song.Format > 1 || song.TrackCount < 1) std::abort();
  if (song.Duration < 0 || song.Duration > MaxMidiDuration) std::abort();
  std::int64_t last = 0;
  for (const TMidiEvent& e : song.Events) {
    if (e.Time < last || e.Time > song.Duration) std::abort();
    last = e.Time;
    if (e.Status < 0x80 || e.Status > 0xEF || e.Data1 > 0x7F || e.Data2 > 0x7F) std::abort();
    if (MidiDataBytes(e.Status) == 1 && e.Data2 != 0) std::abort();
    if (e.Track < 0 || e.Track >= song.TrackCount) std::abort();
    if (MidiTimeToSamples(e.Time, 48000) > MidiTimeToSamples(song.Duration, 48000)) std::abort();
  }
  return 0;
}
