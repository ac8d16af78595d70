#include "platform/media/MidiFile.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/Format.h"

namespace {

// Everything a track holds that the timing needs, before ticks become time.
struct TRawEvent {
  std::uint64_t Tick;
  enum TKind : std::uint8_t { Channel, TempoChange, TrackEnd } Kind;
  std::uint8_t Status, Data1, Data2;
  std::uint32_t Tempo;  // microseconds per quarter note
  int Track;
};

std::uint32_t ReadBE32(const std::uint8_t* P) {
  return (std::uint32_t{P[0]} << 24) | (std::uint32_t{P[1]} << 16) | (std::uint32_t{P[2]} << 8) | P[3];
}
std::uint16_t ReadBE16(const std::uint8_t* P) { return static_cast<std::uint16_t>((P[0] << 8) | P[1]); }

// Reads the events of one track chunk, Data[0..Size), into Out.
class TTrackReader {
 public:
  TTrackReader(const std::uint8_t* Data, std::size_t Size, int Track) : FData(Data), FSize(Size), FTrack(Track) {}

  void Read(std::vector<TRawEvent>& Out) {
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    while (FPos < FSize) {
      tick += ReadNumber();
      std::uint8_t status = Byte("an event");
      if (status < 0x80) {
        // A data byte: the message repeats the previous channel status.
        if (running == 0) Fail("running status with no previous status");
        status = running;
        --FPos;
      } else if (status < 0xF0) {
        running = status;
      } else if (status == 0xFF) {
        const std::uint8_t type = Byte("a meta event");
        const std::size_t length = Length("a meta event");
        const std::uint8_t* body = FData + FPos;
        FPos += length;
        if (type == 0x2F) {
          // End of track: anything after it is not part of the track.
          Out.push_back(TRawEvent{tick, TRawEvent::TrackEnd, 0, 0, 0, 0, FTrack});
          return;
        }
        if (type == 0x51) {
          if (length != 3) Fail("tempo event of the wrong length");
          const std::uint32_t tempo = (std::uint32_t{body[0]} << 16) | (std::uint32_t{body[1]} << 8) | body[2];
          if (tempo == 0) Fail("tempo of 0");
          Out.push_back(TRawEvent{tick, TRawEvent::TempoChange, 0, 0, 0, tempo, FTrack});
        }
        continue;
      } else if (status == 0xF0 || status == 0xF7) {
        FPos += Length("a SysEx message");
        continue;
      } else {
        Fail(Format("status byte 0x%02X is not allowed in a file", static_cast<int>(status)));
      }
      TRawEvent e{tick, TRawEvent::Channel, status, 0, 0, 0, FTrack};
      e.Data1 = DataByte();
      if (MidiDataBytes(status) == 2) e.Data2 = DataByte();
      Out.push_back(e);
    }
    // A track without its end marker ends at its last event.
    Out.push_back(TRawEvent{tick, TRawEvent::TrackEnd, 0, 0, 0, 0, FTrack});
  }

 private:
  [[noreturn]] void Fail(const std::string& What) const {
    throw EMidiFileError(Format("%s in track %d", What, FTrack + 1));
  }

  std::uint8_t Byte(const char* What) {
    if (FPos >= FSize) Fail(Format("%s cut off at the end of the track", What));
    return FData[FPos++];
  }

  std::uint8_t DataByte() {
    const std::uint8_t b = Byte("a channel message");
    if (b >= 0x80) Fail("a channel message cut short by a status byte");
    return b;
  }

  // A variable-length number: seven bits a byte, high bit set on all but the
  // last, at most four bytes (so at most 0x0FFFFFFF).
  std::uint32_t ReadNumber() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t b = Byte("a variable-length number");
      value = (value << 7) | (b & 0x7F);
      if (!(b & 0x80)) return value;
    }
    Fail("a variable-length number longer than four bytes");
  }

  // A length that must fit in what is left of the track.
  std::size_t Length(const char* What) {
    const std::uint32_t length = ReadNumber();
    if (length > FSize - FPos) Fail(Format("%s longer than the rest of the track", What));
    return length;
  }

  const std::uint8_t* FData;
  std::size_t FSize;
  int FTrack;
  std::size_t FPos = 0;
};

}  // namespace

int MidiDataBytes(std::uint8_t Status) {
  const int kind = Status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

std::int64_t MidiTimeToSamples(std::int64_t Microseconds, int Rate) {
  if (Microseconds <= 0 || Rate <= 0) return 0;
  return static_cast<std::int64_t>(static_cast<__int128>(Microseconds) * Rate / 1000000);
}

TMidiSong ReadMidiFile(const std::uint8_t* Data, std::size_t Size) {
  if (Size < 14 || std::memcmp(Data, "MThd", 4) != 0) throw EMidiFileError("no MIDI file header");
  const std::uint32_t headerLength = ReadBE32(Data + 4);
  if (headerLength < 6) throw EMidiFileError("MIDI file header too short");
  if (headerLength > Size - 8) throw EMidiFileError("MIDI file header longer than the file");

  TMidiSong song;
  song.Format = ReadBE16(Data + 8);
  const int tracks = ReadBE16(Data + 10);
  song.Division = ReadBE16(Data + 12);
  if (song.Format > 1) throw EMidiFileError(Format("MIDI file format %d is not played", song.Format));
  if (tracks == 0) throw EMidiFileError("MIDI file without tracks");
  if (song.Format == 0 && tracks != 1) throw EMidiFileError("MIDI file of format 0 with more than one track");

  // Time of a tick: Tick × Numerator / Denominator microseconds; the numerator
  // follows the tempo when the division counts ticks per quarter note.
  std::uint64_t numerator = 500000;  // 120 beats a minute until a tempo event says otherwise
  std::uint64_t denominator = song.Division;
  const bool smpte = (song.Division & 0x8000) != 0;
  if (smpte) {
    const int fps = -static_cast<std::int8_t>(song.Division >> 8);
    const int ticksPerFrame = song.Division & 0xFF;
    if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || ticksPerFrame == 0)
      throw EMidiFileError("MIDI file with an invalid time division");
    // 29 stands for 29.97 frames a second (drop-frame).
    numerator = fps == 29 ? 100000000 : 1000000;
    denominator = static_cast<std::uint64_t>(fps == 29 ? 2997 : fps) * ticksPerFrame;
  } else if (song.Division == 0) {
    throw EMidiFileError("MIDI file with a time division of 0");
  }

  std::vector<TRawEvent> raw;
  std::size_t pos = 8 + headerLength;
  int found = 0;
  while (found < tracks) {
    if (Size - pos < 8) throw EMidiFileError(Format("MIDI file ends before track %d", found + 1));
    const std::uint8_t* chunk = Data + pos;
    const std::uint32_t length = ReadBE32(chunk + 4);
    const bool isTrack = std::memcmp(chunk, "MTrk", 4) == 0;
    if (length > Size - pos - 8)
      throw EMidiFileError(isTrack ? Format("track %d length past the end of the file", found + 1)
                                   : std::string("chunk length past the end of the file"));
    // Chunks of other kinds are stepped over.
    if (isTrack) TTrackReader(chunk + 8, length, found++).Read(raw);
    pos += 8 + std::size_t{length};
  }
  song.TrackCount = tracks;

  // Tracks were read in order, so a stable sort keeps the track order, and
  // the file order within a track, among events at one tick.
  std::stable_sort(raw.begin(), raw.end(), [](const TRawEvent& A, const TRawEvent& B) { return A.Tick < B.Tick; });
  unsigned __int128 elapsed = 0;  // Σ ticks × numerator up to LastTick
  std::uint64_t lastTick = 0;
  for (const TRawEvent& e : raw) {
    elapsed += static_cast<unsigned __int128>(e.Tick - lastTick) * numerator;
    lastTick = e.Tick;
    const unsigned __int128 time = elapsed / denominator;
    if (time > static_cast<unsigned __int128>(MaxMidiDuration)) throw EMidiFileError("MIDI song longer than a day");
    const auto t = static_cast<std::int64_t>(time);
    song.Duration = std::max(song.Duration, t);
    if (e.Kind == TRawEvent::TempoChange) {
      if (!smpte) numerator = e.Tempo;
    } else if (e.Kind == TRawEvent::Channel) {
      song.Events.push_back(TMidiEvent{t, e.Status, e.Data1, e.Data2, e.Track});
    }
  }
  return song;
}
