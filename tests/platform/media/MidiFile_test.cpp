#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/MidiFile.h"
#include "tests/platform/media/MidiBytes.h"

namespace {

// Reads from a heap block of exactly the file's size, so that the sanitizers
// see any read past it.
TMidiSong Read(const std::vector<std::uint8_t>& Bytes) {
  auto copy = std::make_unique<std::uint8_t[]>(Bytes.size() + (Bytes.empty() ? 1 : 0));
  if (!Bytes.empty()) std::memcpy(copy.get(), Bytes.data(), Bytes.size());
  return ReadMidiFile(copy.get(), Bytes.size());
}

struct TExpected {
  std::int64_t Time;
  std::uint8_t Status, Data1, Data2;
  int Track;
};

struct TGoodCase {
  const char* Name;
  std::vector<std::uint8_t> File;
  std::vector<TExpected> Events;
  std::int64_t Duration;
};

void PrintTo(const TGoodCase& C, std::ostream* Os) { *Os << C.Name; }

class MidiReaderGood : public ::testing::TestWithParam<TGoodCase> {};

TEST_P(MidiReaderGood, ReadsEventsAndTimes) {
  const TGoodCase& c = GetParam();
  const TMidiSong song = Read(c.File);
  ASSERT_EQ(song.Events.size(), c.Events.size());
  for (std::size_t i = 0; i < c.Events.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(song.Events[i].Time, c.Events[i].Time);
    EXPECT_EQ(song.Events[i].Status, c.Events[i].Status);
    EXPECT_EQ(song.Events[i].Data1, c.Events[i].Data1);
    EXPECT_EQ(song.Events[i].Data2, c.Events[i].Data2);
    EXPECT_EQ(song.Events[i].Track, c.Events[i].Track);
  }
  EXPECT_EQ(song.Duration, c.Duration);
}

std::vector<TGoodCase> GoodCases() {
  std::vector<TGoodCase> cases;
  cases.push_back({"format 0 at the default tempo",
                   OneNoteFile(96),
                   {{0, 0xC0, 0, 0, 0}, {0, 0x90, 60, 120, 0}, {500000, 0x80, 60, 0, 0}},
                   500000});
  cases.push_back({"running status carries the status on",
                   MidiFileBytes(0, 96,
                                 {TTrackBytes()
                                      .At(0, {0x90, 60, 100})
                                      .At(0, {64, 100})
                                      .At(48, {60, 0})
                                      .At(0, {0xB1, 7, 90})
                                      .At(48, {10, 64})
                                      .End()}),
                   {{0, 0x90, 60, 100, 0},
                    {0, 0x90, 64, 100, 0},
                    {250000, 0x90, 60, 0, 0},
                    {250000, 0xB1, 7, 90, 0},
                    {500000, 0xB1, 10, 64, 0}},
                   500000});
  // Half a second for the first 96 ticks, a quarter for the next 96.
  cases.push_back(
      {"a tempo change times what follows",
       MidiFileBytes(
           0, 96,
           {TTrackBytes().Tempo(0, 500000).At(96, {0x90, 60, 100}).Tempo(0, 250000).At(96, {0x80, 60, 0}).End(96)}),
       {{500000, 0x90, 60, 100, 0}, {750000, 0x80, 60, 0, 0}},
       1000000});
  // The tempo track of format 1 times every track; events at one time keep
  // the order of their tracks.
  cases.push_back({"format 1 shares the tempo map",
                   MidiFileBytes(1, 96,
                                 {TTrackBytes().Tempo(0, 1000000).Tempo(48, 500000).End(),
                                  TTrackBytes().At(0, {0xC1, 5}).At(96, {0x91, 40, 90}).End(96),
                                  TTrackBytes().At(0, {0xC2, 6}).At(96, {0x92, 41, 91}).End()}),
                   {{0, 0xC1, 5, 0, 1}, {0, 0xC2, 6, 0, 2}, {750000, 0x91, 40, 90, 1}, {750000, 0x92, 41, 91, 2}},
                   1250000});
  cases.push_back({"meta events and SysEx are stepped over",
                   MidiFileBytes(0, 96,
                                 {TTrackBytes()
                                      .At(0, {0x90, 60, 100})
                                      .At(0, {0xFF, 0x01, 0x03, 'a', 'b', 'c'})
                                      .At(0, {0xF0, 0x03, 0x7E, 0x7F, 0xF7})
                                      .At(0, {0xF7, 0x02, 0x01, 0x02})
                                      .At(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8})
                                      .At(96, {62, 100})
                                      .End()}),
                   {{0, 0x90, 60, 100, 0}, {500000, 0x90, 62, 100, 0}},
                   500000});
  {
    std::vector<std::uint8_t> file = MidiHeader(0, 1, 96);
    PutChunk(file, "XFIH", {1, 2, 3, 4, 5});
    PutChunk(file, "MTrk", TTrackBytes().At(0, {0x90, 60, 100}).End(192).Bytes());
    cases.push_back({"chunks of other kinds are skipped", file, {{0, 0x90, 60, 100, 0}}, 1000000});
  }
  // 25 frames of 40 ticks: a millisecond a tick, whatever the tempo says.
  cases.push_back({"SMPTE time division",
                   MidiFileBytes(0, 0xE728, {TTrackBytes().Tempo(0, 100000).At(500, {0x90, 60, 100}).End(250)}),
                   {{500000, 0x90, 60, 100, 0}},
                   750000});
  cases.push_back({"a track without its end marker ends at its last event",
                   MidiFileBytes(0, 96, {TTrackBytes().At(0, {0x90, 60, 100}).At(192, {0x80, 60, 0})}),
                   {{0, 0x90, 60, 100, 0}, {1000000, 0x80, 60, 0, 0}},
                   1000000});
  cases.push_back({"bytes after the end marker are not read",
                   MidiFileBytes(0, 96, {TTrackBytes().At(0, {0x90, 60, 100}).End(96).Raw({0x00, 0x42, 0xF5})}),
                   {{0, 0x90, 60, 100, 0}},
                   500000});
  cases.push_back({"a four-byte delta time",
                   MidiFileBytes(0, 0xE728, {TTrackBytes().At(0x0FFFFFF, {0x90, 60, 100}).End()}),
                   {{0x0FFFFFFLL * 1000, 0x90, 60, 100, 0}},
                   0x0FFFFFFLL * 1000});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, MidiReaderGood, ::testing::ValuesIn(GoodCases()), [](const auto& Info) {
  std::string n;
  for (const char* p = Info.param.Name; *p; ++p) n += std::isalnum(*p) ? *p : '_';
  return n;
});

TEST(MidiReader, TempoChangeTimingInSamples) {
  const TMidiSong song = Read(MidiFileBytes(0, 96,
                                            {TTrackBytes()
                                                 .At(96, {0x90, 60, 100})
                                                 .Tempo(0, 250000)
                                                 .At(96, {0x80, 60, 0})
                                                 .Tempo(0, 2000000)
                                                 .At(48, {0x90, 61, 100})
                                                 .End()}));
  ASSERT_EQ(song.Events.size(), 3u);
  EXPECT_EQ(MidiTimeToSamples(song.Events[0].Time, 48000), 24000);
  EXPECT_EQ(MidiTimeToSamples(song.Events[1].Time, 48000), 36000);
  EXPECT_EQ(MidiTimeToSamples(song.Events[2].Time, 48000), 36000 + 48000);
  EXPECT_EQ(MidiTimeToSamples(song.Duration, 48000), 84000);
  EXPECT_EQ(MidiTimeToSamples(-5, 48000), 0);
}

struct TBadCase {
  const char* Name;
  std::vector<std::uint8_t> File;
  const char* Message;  // a part of the error's text
};

void PrintTo(const TBadCase& C, std::ostream* Os) { *Os << C.Name; }

class MidiReaderBad : public ::testing::TestWithParam<TBadCase> {};

TEST_P(MidiReaderBad, IsRefused) {
  const TBadCase& c = GetParam();
  try {
    Read(c.File);
    FAIL() << "read without an error";
  } catch (const EMidiFileError& e) { EXPECT_NE(e.Message().find(c.Message), std::string::npos) << e.Message(); }
}

std::vector<TBadCase> BadCases() {
  std::vector<TBadCase> cases;
  {
    // The chunk says 100 bytes; 7 are there.
    std::vector<std::uint8_t> file = MidiHeader(0, 1, 96);
    const auto track = TTrackBytes().At(0, {0x90, 60, 100}).End().Bytes();
    file.insert(file.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 100});
    file.insert(file.end(), track.begin(), track.end());
    cases.push_back({"track length past the end", file, "track 1 length past the end of the file"});
    file.resize(file.size() - track.size());
    file[file.size() - 1] = 0xFF;
    file[file.size() - 4] = 0xFF;
    cases.push_back({"track length near 4 GiB", file, "length past the end"});
  }
  {
    std::vector<std::uint8_t> file = MidiHeader(0, 1, 96);
    file.insert(file.end(), {'J', 'U', 'N', 'K', 0x7F, 0xFF, 0xFF, 0xFF});
    cases.push_back({"another chunk's length past the end", file, "chunk length past the end"});
  }
  cases.push_back({"running status with no previous status",
                   MidiFileBytes(0, 96, {TTrackBytes().At(0, {60, 100}).End()}), "running status with no previous"});
  cases.push_back(
      {"running status is per track",
       MidiFileBytes(1, 96, {TTrackBytes().At(0, {0x90, 60, 100}).End(), TTrackBytes().At(0, {62, 100}).End()}),
       "running status with no previous status in track 2"});
  cases.push_back({"variable-length number over four bytes",
                   MidiFileBytes(0, 96, {TTrackBytes().Raw({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 60, 100}).End()}),
                   "longer than four bytes"});
  cases.push_back({"meta length over four bytes",
                   MidiFileBytes(0, 96, {TTrackBytes().Raw({0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})}),
                   "longer than four bytes"});
  cases.push_back({"tempo of 0", MidiFileBytes(0, 96, {TTrackBytes().Tempo(0, 0).End()}), "tempo of 0"});
  cases.push_back({"tempo of the wrong length",
                   MidiFileBytes(0, 96, {TTrackBytes().At(0, {0xFF, 0x51, 0x02, 0x07, 0xA1}).End()}),
                   "tempo event of the wrong length"});
  cases.push_back({"meta event past the end of its track",
                   MidiFileBytes(0, 96, {TTrackBytes().At(0, {0xFF, 0x01, 0x10, 'a'})}), "longer than the rest"});
  cases.push_back({"SysEx past the end of its track", MidiFileBytes(0, 96, {TTrackBytes().At(0, {0xF0, 0x05, 0x7E})}),
                   "longer than the rest"});
  cases.push_back({"a message cut off by the track's end", MidiFileBytes(0, 96, {TTrackBytes().At(0, {0x90, 60})}),
                   "cut off at the end of the track"});
  cases.push_back({"a delta time cut off by the track's end",
                   MidiFileBytes(0, 96, {TTrackBytes().At(0, {0x90, 60, 100}).Raw({0x81})}), "cut off"});
  cases.push_back({"a status byte where data belongs",
                   MidiFileBytes(0, 96, {TTrackBytes().At(0, {0x90, 60, 0x80}).End()}), "cut short by a status byte"});
  cases.push_back({"system messages have no place in a file",
                   MidiFileBytes(0, 96, {TTrackBytes().At(0, {0xF2, 0x00, 0x00}).End()}), "0xF2 is not allowed"});
  cases.push_back({"empty", {}, "no MIDI file header"});
  cases.push_back({"not a MIDI file", {'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}, "no MIDI file header"});
  {
    std::vector<std::uint8_t> file = MidiHeader(0, 1, 96);
    file[7] = 5;
    cases.push_back({"short header", file, "header too short"});
    file[7] = 60;
    cases.push_back({"header past the end", file, "header longer than the file"});
  }
  cases.push_back({"format 2", MidiFileBytes(2, 96, {TTrackBytes().End()}), "format 2"});
  cases.push_back({"no tracks", MidiHeader(1, 0, 96), "without tracks"});
  cases.push_back({"format 0 with two tracks", MidiFileBytes(0, 96, {TTrackBytes().End(), TTrackBytes().End()}),
                   "format 0 with more than one track"});
  cases.push_back({"division 0", MidiFileBytes(0, 0, {TTrackBytes().End()}), "division of 0"});
  cases.push_back(
      {"SMPTE rate that does not exist", MidiFileBytes(0, 0xE928, {TTrackBytes().End()}), "invalid time division"});
  cases.push_back({"SMPTE without ticks", MidiFileBytes(0, 0xE700, {TTrackBytes().End()}), "invalid time division"});
  {
    std::vector<std::uint8_t> file = MidiFileBytes(1, 96, {TTrackBytes().End(), TTrackBytes().End()});
    file[11] = 3;
    cases.push_back({"fewer tracks than the header says", file, "ends before track 3"});
  }
  {
    TTrackBytes t;
    for (int i = 0; i < 700; ++i) t.At(0x0FFFFFFF, {0x90, 60, 100});
    cases.push_back({"longer than a day", MidiFileBytes(0, 96, {t}), "longer than a day"});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, MidiReaderBad, ::testing::ValuesIn(BadCases()), [](const auto& Info) {
  std::string n;
  for (const char* p = Info.param.Name; *p; ++p) n += std::isalnum(*p) ? *p : '_';
  return n;
});

// Every cut of a good file, at every length, is read or refused, never read
// past its end.
TEST(MidiReader, EveryTruncationIsReadOrRefused) {
  const std::vector<std::uint8_t> file = MidiFileBytes(
      1, 96,
      {TTrackBytes().Tempo(0, 400000).At(0, {0xFF, 0x03, 0x02, 'h', 'i'}).End(), TTrackBytes()
                                                                                     .At(0, {0xC0, 4})
                                                                                     .At(0, {0x90, 60, 100})
                                                                                     .At(10, {62, 100})
                                                                                     .At(0, {0xF0, 0x02, 0x01, 0xF7})
                                                                                     .At(96, {0x80, 60, 0})
                                                                                     .End()});
  int refused = 0;
  for (std::size_t n = 0; n < file.size(); ++n) {
    try {
      Read(std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));
    } catch (const EMidiFileError&) { ++refused; }
  }
  EXPECT_EQ(refused, static_cast<int>(file.size()));
  EXPECT_NO_THROW(Read(file));
}

}  // namespace
