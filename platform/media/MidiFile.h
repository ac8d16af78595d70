// Standard MIDI Files read from bytes: format 0 (one track) and format 1
// (tracks played together), with running status, tempo changes and both kinds
// of time division. The reader keeps the channel messages, merged into one
// list in time order with their times in microseconds; meta events other than
// the tempo and the end of a track, and SysEx messages, are stepped over.
//
// Every count and length in the file is checked against the bytes that are
// there: a file that breaks the format is refused with EMidiFileError, whose
// message says what is wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"

class EMidiFileError : public Exception {
 public:
  using Exception::Exception;
};

// One channel message: status 0x80..0xEF with its one or two data bytes
// (Data2 is 0 for program change and channel pressure).
struct TMidiEvent {
  std::int64_t Time = 0;  // microseconds from the start of the song
  std::uint8_t Status = 0;
  std::uint8_t Data1 = 0;
  std::uint8_t Data2 = 0;
  int Track = 0;  // the track it came from, from 0
};

struct TMidiSong {
  int Format = 0;      // 0 or 1
  int TrackCount = 0;  // the tracks read (the header's count)
  // The header's division: ticks per quarter note (bit 15 clear), or SMPTE
  // frames per second (negated, high byte) and ticks per frame (low byte).
  std::uint16_t Division = 0;
  // Channel messages in time order; messages at the same time keep the order
  // of their tracks, and within a track the file's order.
  std::vector<TMidiEvent> Events;
  // Microseconds to the latest end of any track (its last event or end-of-track
  // marker): how long the song plays.
  std::int64_t Duration = 0;
};

// The longest song the reader takes: a day. Anything longer is a broken file.
constexpr std::int64_t MaxMidiDuration = 24LL * 3600 * 1000000;

// Reads a whole Standard MIDI File; EMidiFileError when it is not one.
TMidiSong ReadMidiFile(const std::uint8_t* Data, std::size_t Size);

// The sample at which a time in microseconds falls at Rate samples per second
// (rounded down).
std::int64_t MidiTimeToSamples(std::int64_t Microseconds, int Rate);

// Number of data bytes that follow a channel status byte (0x80..0xEF).
int MidiDataBytes(std::uint8_t Status);
