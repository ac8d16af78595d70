// The composed music: a Standard MIDI File that the project's reader takes,
// one to two minutes long, with several instruments and drums, every note
// ended, and audible when the game's media player plays it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>

#include "assets/generator/Music.h"
#include "assets/stored/StoredData.h"
#include "input_sound/WaveList.h"
#include "platform/dsound/DSoundTest.h"
#include "platform/media/MediaPlayer.h"
#include "platform/media/MediaTest.h"
#include "platform/media/MidiFile.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Forms.h"

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

// The loudness of 100 ms windows of a signal, in dB of full scale.
std::vector<double> WindowLoudness(const std::vector<double>& Squares, std::size_t Window) {
  std::vector<double> out;
  for (std::size_t from = 0; from + Window <= Squares.size(); from += Window) {
    double e = 0;
    for (std::size_t i = from; i < from + Window; ++i) e += Squares[i];
    out.push_back(10 * std::log10(e / static_cast<double>(Window) + 1e-12));
  }
  return out;
}

TEST(Music, ItSitsUnderTheFightsEffectsAndStaysAudible) {
  // The effects a fight makes, at their loudest 100 ms.
  TDXWaveList list(nullptr);
  ReadStoredComponent(&list, "Korvel.DXWaveList1");
  double effects = 0;
  for (int index : {1, 2, 4, 5, 6}) {  // warrior, archer, death, boom, magic
    TWave* w = list.Items()->Items(index)->Wave();
    const int rate = w->Format()[4] | w->Format()[5] << 8;
    std::vector<double> squares;
    for (int i = 0; i < w->Size(); ++i) {
      const double v = (w->Data()[i] - 128) / 128.0;
      squares.push_back(v * v);
    }
    const std::vector<double> windows = WindowLoudness(squares, static_cast<std::size_t>(rate / 10));
    const double loudest = *std::max_element(windows.begin(), windows.end());
    effects = index == 1 ? loudest : std::min(effects, loudest);
  }

  DSoundTest::Reset();
  DSoundTest::SetManualClock(true);
  MediaTest::ResetSoundFontSearch();
  {
    auto app = std::make_unique<TApplication>();
    TForm* form = nullptr;
    app->CreateForm(form);
    auto* player = new TMediaPlayer(form);
    player->SetParent(form);
    player->SetVisible(false);
    player->SetFileName(Utf8ToCp1250(MusicFile.parent_path().string()) + "\\music1.MID");
    player->Open();
    if (MediaTest::SoundFont(*player).empty()) {
      DSoundTest::Reset();
      GTEST_SKIP() << "no General MIDI sound font installed";
    }
    // The whole piece through the mixer, as the game hears it.
    player->Play();
    std::vector<double> squares;
    std::vector<std::int16_t> block(2 * 1024);
    for (std::int64_t done = 0; done < MediaTest::LengthSamples(*player); done += 1024) {
      DSoundTest::Render(block.data(), 1024);
      for (int f = 0; f < 1024; ++f) {
        const double l = block[2 * f] / 32768.0, r = block[2 * f + 1] / 32768.0;
        squares.push_back((l * l + r * r) / 2);
      }
    }
    std::vector<double> windows = WindowLoudness(squares, DSoundTest::OutputRate / 10);
    std::sort(windows.begin(), windows.end());
    const double typical = windows[windows.size() / 2], loudest = windows.back();
    std::printf("music: typical %.1f dBFS, loudest %.1f dBFS; the effects %.1f dBFS\n", typical, loudest, effects);
    // Under the effects: typically by 6 to 14 dB, at its loudest by 3 dB or more.
    EXPECT_LE(typical, effects - 6);
    EXPECT_GE(typical, effects - 14);
    EXPECT_LE(loudest, effects - 3);
  }
  MediaTest::ResetSoundFontSearch();
  DSoundTest::Reset();
}

}  // namespace
