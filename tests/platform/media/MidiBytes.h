// Standard MIDI File bytes for the tests: tracks built event by event, and
// files around them with the header and chunk lengths filled in.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

class TTrackBytes {
 public:
  // A delta time as a variable-length number.
  TTrackBytes& Delta(std::uint32_t Ticks) {
    std::uint8_t groups[5];
    int n = 0;
    do {
      groups[n++] = Ticks & 0x7F;
      Ticks >>= 7;
    } while (Ticks);
    while (n > 0) {
      --n;
      FBytes.push_back(static_cast<std::uint8_t>(groups[n] | (n ? 0x80 : 0)));
    }
    return *this;
  }
  TTrackBytes& Raw(std::initializer_list<std::uint8_t> Bytes) {
    FBytes.insert(FBytes.end(), Bytes);
    return *this;
  }
  TTrackBytes& At(std::uint32_t Ticks, std::initializer_list<std::uint8_t> Bytes) { return Delta(Ticks).Raw(Bytes); }
  TTrackBytes& Tempo(std::uint32_t Ticks, std::uint32_t MicrosecondsPerQuarter) {
    return At(Ticks, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(MicrosecondsPerQuarter >> 16),
                      static_cast<std::uint8_t>(MicrosecondsPerQuarter >> 8),
                      static_cast<std::uint8_t>(MicrosecondsPerQuarter)});
  }
  TTrackBytes& End(std::uint32_t Ticks = 0) { return At(Ticks, {0xFF, 0x2F, 0x00}); }
  const std::vector<std::uint8_t>& Bytes() const { return FBytes; }

 private:
  std::vector<std::uint8_t> FBytes;
};

inline void PutBE32(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  for (int s = 24; s >= 0; s -= 8) Out.push_back(static_cast<std::uint8_t>(V >> s));
}

inline void PutChunk(std::vector<std::uint8_t>& Out, const char* Id, const std::vector<std::uint8_t>& Body) {
  Out.insert(Out.end(), Id, Id + 4);
  PutBE32(Out, static_cast<std::uint32_t>(Body.size()));
  Out.insert(Out.end(), Body.begin(), Body.end());
}

inline std::vector<std::uint8_t> MidiHeader(std::uint16_t Format, std::uint16_t Tracks, std::uint16_t Division) {
  std::vector<std::uint8_t> out;
  PutChunk(out, "MThd",
           {static_cast<std::uint8_t>(Format >> 8), static_cast<std::uint8_t>(Format),
            static_cast<std::uint8_t>(Tracks >> 8), static_cast<std::uint8_t>(Tracks),
            static_cast<std::uint8_t>(Division >> 8), static_cast<std::uint8_t>(Division)});
  return out;
}

inline std::vector<std::uint8_t> MidiFileBytes(std::uint16_t Format, std::uint16_t Division,
                                               std::initializer_list<TTrackBytes> Tracks) {
  std::vector<std::uint8_t> out = MidiHeader(Format, static_cast<std::uint16_t>(Tracks.size()), Division);
  for (const TTrackBytes& t : Tracks) PutChunk(out, "MTrk", t.Bytes());
  return out;
}

// One note (middle C, loud, on the piano) held for Ticks at 96 ticks a quarter
// and 120 beats a minute, so 96 ticks are half a second.
inline std::vector<std::uint8_t> OneNoteFile(std::uint32_t Ticks = 192) {
  return MidiFileBytes(0, 96,
                       {TTrackBytes().At(0, {0xC0, 0x00}).At(0, {0x90, 60, 120}).At(Ticks, {0x80, 60, 0}).End()});
}
