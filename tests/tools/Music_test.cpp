// The composed music: a Standard MIDI File that the project's reader takes,
// one to two minutes long, with several instruments and drums, every note
// ended, and audible when the game's media player plays it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <map>
#include <set>

#include "platform/dsound/DSoundTest.h"
#include "platform/media/MediaPlayer.h"
#include "platform/media/MediaTest.h"
#include "platform/media/MidiFile.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Forms.h"
#include "tools/assetgen/Music.h"

namespace {

namespace fs = std::filesystem;

const fs::path MusicFile = fs::path(BRASK_PLAY_DIR) / "data/music/music1.MID";

std::vector<std::uint8_t> MusicBytes() {
  std::ifstream in(MusicFile, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(Music, TheReaderTakesItAsOneToTwoMinutesOfSeveralInstrumentsAndDrums) {
  std::vector<std::uint8_t> bytes = MusicBytes();
  ASSERT_FALSE(bytes.empty());
  EXPECT_TRUE(bytes == ComposeMusic());
  TMidiSong song = ReadMidiFile(bytes.data(), bytes.size());
  EXPECT_EQ(song.Format, 1);
  EXPECT_GE(song.TrackCount, 5);
  EXPECT_GE(song.Duration, 60LL * 1000000);
  EXPECT_LE(song.Duration, 120LL * 1000000);
  EXPECT_NEAR(song.Duration / 1e6, MusicSeconds(), 0.01);

  std::set<int> programs, channels;
  std::map<int, int> sounding;
  int notes = 0;
  std::int64_t lastOff = 0;
  for (const TMidiEvent& e : song.Events) {
    int kind = e.Status & 0xF0, channel = e.Status & 0x0F;
    channels.insert(channel);
    if (kind == 0xC0 && channel != 9) programs.insert(e.Data1);
    if (kind == 0x90 && e.Data2 > 0) {
      ++notes;
      ++sounding[channel * 128 + e.Data1];
    }
    if (kind == 0x80 || (kind == 0x90 && e.Data2 == 0)) {
      --sounding[channel * 128 + e.Data1];
      lastOff = std::max(lastOff, e.Time);
    }
  }
  EXPECT_GT(notes, 500);
  EXPECT_GE(programs.size(), 5u);
  EXPECT_TRUE(channels.count(9));
  for (auto& [key, count] : sounding) EXPECT_EQ(count, 0) << "note " << key << " left sounding";
  // It loops cleanly: every note has ended by the end of the song.
  EXPECT_LE(lastOff, song.Duration);
}

TEST(Music, TheMediaPlayerRendersItAudibly) {
  DSoundTest::Reset();
  DSoundTest::SetManualClock(true);
  MediaTest::ResetSoundFontSearch();
  {
    auto app = std::make_unique<TApplication>();
    TForm* form = nullptr;
    app->CreateForm(form);
    auto* player = new TMediaPlayer(form);
    player->SetName("MediaPlayer1");
    player->SetParent(form);
    player->SetVisible(false);
    // As the game names it: windows-1250, "\" separators.
    player->SetFileName(Utf8ToCp1250(MusicFile.parent_path().string()) + "\\music1.MID");
    player->Open();
    if (MediaTest::SoundFont(*player).empty()) {
      DSoundTest::Reset();
      GTEST_SKIP() << "no General MIDI sound font installed";
    }
    EXPECT_NEAR(player->Length() / 1000.0, MusicSeconds(), 0.01);
    player->Play();
    const int frames = DSoundTest::OutputRate * 4;
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
    for (int done = 0; done < frames; done += 1024)
      DSoundTest::Render(out.data() + 2 * done, std::min(1024, frames - done));
    int peak = 0;
    long long energy = 0;
    for (std::int16_t v : out) {
      peak = std::max(peak, std::abs(int{v}));
      energy += std::abs(int{v});
    }
    EXPECT_GT(peak, 1000);
    EXPECT_GT(energy / static_cast<long long>(out.size()), 50);
  }
  MediaTest::ResetSoundFontSearch();
  DSoundTest::Reset();
}

}  // namespace
