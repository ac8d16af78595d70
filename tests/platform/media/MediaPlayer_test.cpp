#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/dsound/DSound.h"
#include "platform/dsound/DSoundTest.h"
#include "platform/media/MediaPlayer.h"
#include "platform/media/MediaTest.h"
#include "platform/media/MidiPlayback.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"
#include "tests/platform/media/MidiBytes.h"

namespace fs = std::filesystem;

namespace {

constexpr int FramesPerMs = DSoundTest::OutputRate / 1000;

class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DSoundTest::Reset();
    DSoundTest::SetManualClock(true);
    // No sound font unless a test asks for one: the states do not depend on it.
    MediaTest::SetSoundFontSearch({});
    App = std::make_unique<TApplication>();
    App->CreateForm(Form);
    Player = new TMediaPlayer(Form);
    Player->SetName("MediaPlayer1");
    Player->SetParent(Form);
    Player->SetVisible(false);
    Root = fs::temp_directory_path() / ("media_" + std::to_string(::getpid()));
    fs::create_directories(Root / "data" / "music");
    // The name as the game gives it: its start folder, then "\" separators.
    AppDir = Root.string();
  }
  void TearDown() override {
    App.reset();
    MediaTest::ResetSoundFontSearch();
    DSoundTest::Reset();
    fs::remove_all(Root);
  }

  std::string WriteMusic(const std::vector<std::uint8_t>& Bytes, const char* Name = "music1.MID") {
    std::ofstream(Root / "data" / "music" / Name, std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
    return AppDir + "\\data\\music\\" + Name;
  }
  void OpenMusic(const std::vector<std::uint8_t>& Bytes) {
    Player->SetFileName(WriteMusic(Bytes));
    Player->Open();
  }
  // Renders Ms milliseconds of the mix in uneven blocks, as an audio output asks.
  std::vector<std::int16_t> Render(int Ms) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(Ms) * FramesPerMs * 2);
    int done = 0;
    const int total = Ms * FramesPerMs;
    for (int block = 1; done < total; block = block * 3 % 2039 + 1) {
      const int n = std::min(block, total - done);
      DSoundTest::Render(out.data() + 2 * done, n);
      done += n;
    }
    return out;
  }
  static int Peak(const std::vector<std::int16_t>& Samples, std::size_t From = 0) {
    int peak = 0;
    for (std::size_t i = From; i < Samples.size(); ++i) peak = std::max(peak, std::abs(int{Samples[i]}));
    return peak;
  }

  std::unique_ptr<TApplication> App;
  TForm* Form = nullptr;
  TMediaPlayer* Player = nullptr;
  fs::path Root;
  std::string AppDir;
};

TEST_F(MediaPlayerTest, PlayStopRewindAndAutoRewindOnTheMixClock) {
  EXPECT_EQ(Player->Mode(), mpNotReady);
  OpenMusic(OneNoteFile(192));  // one second
  EXPECT_EQ(Player->Mode(), mpStopped);
  EXPECT_EQ(Player->Position(), 0);
  EXPECT_EQ(Player->Length(), 1000);
  EXPECT_TRUE(MediaTest::MixerDriven(*Player));

  // Play returns at once; the song moves only with the mix.
  Player->Play();
  EXPECT_EQ(Player->Mode(), mpPlaying);
  EXPECT_EQ(Player->Position(), 0);
  Render(250);
  EXPECT_EQ(Player->Position(), 250);
  EXPECT_EQ(MediaTest::PositionSamples(*Player), 250 * FramesPerMs);

  Player->Stop();
  EXPECT_EQ(Player->Mode(), mpStopped);
  Render(250);
  EXPECT_EQ(Player->Position(), 250);
  Player->Play();
  Render(250);
  EXPECT_EQ(Player->Position(), 500);

  Player->Rewind();
  EXPECT_EQ(Player->Mode(), mpStopped);
  EXPECT_EQ(Player->Position(), 0);
  Render(100);
  EXPECT_EQ(Player->Position(), 0);

  // At the end the song stops there.
  Player->Play();
  Render(1200);
  EXPECT_EQ(Player->Mode(), mpStopped);
  EXPECT_EQ(Player->Position(), 1000);
  EXPECT_EQ(MediaTest::PositionSamples(*Player), MediaTest::LengthSamples(*Player));

  // Play at the end starts again from the start.
  Player->Play();
  EXPECT_EQ(Player->Mode(), mpPlaying);
  EXPECT_EQ(Player->Position(), 0);
  Render(100);
  EXPECT_EQ(Player->Position(), 100);

  // Without the automatic rewind, Play at the end ends at once.
  Render(1000);
  Player->SetAutoRewind(false);
  Player->Play();
  EXPECT_EQ(Player->Position(), 1000);
  Render(1);
  EXPECT_EQ(Player->Mode(), mpStopped);
  EXPECT_EQ(Player->Position(), 1000);

  Player->SetPosition(400);
  EXPECT_EQ(Player->Mode(), mpStopped);
  EXPECT_EQ(Player->Position(), 400);
  Player->SetPosition(5000);
  EXPECT_EQ(Player->Position(), 1000);

  Player->Close();
  EXPECT_EQ(Player->Mode(), mpNotReady);
  EXPECT_EQ(Player->Position(), 0);
  EXPECT_EQ(Player->Length(), 0);
  Player->Close();
}

TEST_F(MediaPlayerTest, CommandsWithoutAnOpenDeviceRaise) {
  EXPECT_THROW(Player->Play(), EMCIDeviceError);
  EXPECT_THROW(Player->Stop(), EMCIDeviceError);
  EXPECT_THROW(Player->Rewind(), EMCIDeviceError);
  EXPECT_THROW(Player->SetPosition(0), EMCIDeviceError);
  EXPECT_THROW(Player->Open(), EMCIDeviceError);  // no file name
  EXPECT_EQ(Player->Mode(), mpNotReady);
}

TEST_F(MediaPlayerTest, OpenErrorsNameTheFile) {
  struct TCase {
    const char* Name;
    bool Write;
    std::vector<std::uint8_t> Bytes;
    const char* Reason;
  };
  std::vector<std::uint8_t> longTrack = OneNoteFile();
  longTrack[21] += 40;  // the track length, past the end
  const TCase cases[] = {
      {"missing.MID", false, {}, "File not found"},
      {"empty.MID", true, {}, "Not a readable Standard MIDI File"},
      {"wave.MID", true, {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, "Not a readable Standard MIDI File"},
      {"long.MID", true, longTrack, "track 1 length past the end"},
      {"huge.MID", true, std::vector<std::uint8_t>(8 * 1024 * 1024 + 1), "too large"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    // A good song open before: a failed Open leaves the player closed.
    OpenMusic(OneNoteFile());
    const std::string name = c.Write ? WriteMusic(c.Bytes, c.Name) : AppDir + "\\data\\music\\" + c.Name;
    Player->SetFileName(name);
    try {
      Player->Open();
      ADD_FAILURE() << "opened";
    } catch (const EMCIDeviceError& e) {
      EXPECT_NE(e.Message().find("\"" + name + "\""), std::string::npos) << e.Message();
      EXPECT_NE(e.Message().find(c.Reason), std::string::npos) << e.Message();
    }
    EXPECT_EQ(Player->Mode(), mpNotReady);
    EXPECT_THROW(Player->Play(), EMCIDeviceError);
  }
  // A folder by the name is no file either.
  fs::create_directories(Root / "data" / "music" / "dir.MID");
  Player->SetFileName(AppDir + "\\data\\music\\dir.MID");
  EXPECT_THROW(Player->Open(), EMCIDeviceError);
}

TEST_F(MediaPlayerTest, WithoutASoundFontItPlaysSilentlyAfterOneLine) {
  std::ofstream(Root / "notafont.sf2") << "not a sound font";
  MediaTest::SetSoundFontSearch({(Root / "missing.sf2").string(), (Root / "notafont.sf2").string()});
  ::testing::internal::CaptureStderr();
  OpenMusic(OneNoteFile());
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("no General MIDI sound font"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_EQ(MediaTest::SoundFont(*Player), "");

  Player->Play();
  const auto out = Render(500);
  EXPECT_EQ(Peak(out), 0);
  EXPECT_EQ(Player->Position(), 500);
  EXPECT_EQ(Player->Mode(), mpPlaying);
}

TEST_F(MediaPlayerTest, AOneNoteSongSoundsWithTheSoundFont) {
  MediaTest::ResetSoundFontSearch();
  OpenMusic(OneNoteFile(96));  // half a second
  if (MediaTest::SoundFont(*Player).empty()) GTEST_SKIP() << "no General MIDI sound font installed";

  EXPECT_EQ(Peak(Render(50)), 0) << "sound before Play";
  Player->Play();
  const auto playing = Render(400);
  const int loud = Peak(playing);
  EXPECT_GT(loud, 1000);
  // Both channels carry it.
  int left = 0, right = 0;
  for (std::size_t i = 0; i + 1 < playing.size(); i += 2) {
    left = std::max(left, std::abs(int{playing[i]}));
    right = std::max(right, std::abs(int{playing[i + 1]}));
  }
  EXPECT_GT(left, 100);
  EXPECT_GT(right, 100);

  // Stopped, the note dies away.
  Player->Stop();
  const auto after = Render(1500);
  EXPECT_LT(Peak(after, after.size() - 200 * FramesPerMs * 2), loud / 20);

  // Played again from the start after the end, it sounds again.
  Player->Play();
  Render(200);
  Player->Play();
  EXPECT_GT(Peak(Render(200)), 1000);
}

// The tempo halves after the first quarter: the note falls at 0.5 + 0.25 s.
TEST_F(MediaPlayerTest, ANoteSoundsAtItsSample) {
  MediaTest::ResetSoundFontSearch();
  OpenMusic(MidiFileBytes(0, 96,
                          {TTrackBytes()
                               .At(0, {0xC0, 0x00})
                               .At(96, {0xB0, 7, 127})
                               .Tempo(0, 250000)
                               .At(96, {0x90, 60, 120})
                               .At(96, {0x80, 60, 0})
                               .End()}));
  if (MediaTest::SoundFont(*Player).empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  EXPECT_EQ(Player->Length(), 1000);
  Player->Play();
  const auto out = Render(1000);
  std::size_t first = 0;
  while (first < out.size() && out[first] == 0) ++first;
  const std::size_t noteFrame = 750 * FramesPerMs;
  EXPECT_GE(first / 2, noteFrame);
  EXPECT_LT(first / 2, noteFrame + 128);  // within the synthesizer's block
  EXPECT_GT(Peak(out, 2 * noteFrame), 1000);
}

TEST_F(MediaPlayerTest, MusicAndEffectsShareTheMix) {
  MediaTest::ResetSoundFontSearch();
  OpenMusic(OneNoteFile(192));
  if (MediaTest::SoundFont(*Player).empty()) GTEST_SKIP() << "no General MIDI sound font installed";

  // An effect: a looping buffer of a constant 16-bit mono sample, 4000.
  IDirectSound* device = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
  WAVEFORMATEX f;
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 1;
  f.nSamplesPerSec = 48000;
  f.wBitsPerSample = 16;
  f.nBlockAlign = 2;
  f.nAvgBytesPerSec = 96000;
  std::vector<BYTE> format(WaveFormatExBytes);
  WriteWaveFormatEx(f, format.data());
  DSBUFFERDESC d;
  d.dwSize = DSBufferDescSize;
  d.dwBufferBytes = 960;
  d.lpwfxFormat = format.data();
  IDirectSoundBuffer* effect = nullptr;
  ASSERT_EQ(device->CreateSoundBuffer(&d, &effect, nullptr), DS_OK);
  void *p1, *p2;
  DWORD n1, n2;
  ASSERT_EQ(effect->Lock(0, 960, &p1, &n1, &p2, &n2, 0), DS_OK);
  std::fill_n(static_cast<std::int16_t*>(p1), 480, std::int16_t{4000});
  effect->Unlock(p1, n1, p2, 0);
  ASSERT_EQ(effect->Play(0, 0, DSBPLAY_LOOPING), DS_OK);

  Player->Play();
  const auto out = Render(500);
  double sum = 0;
  int swing = 0;
  for (std::int16_t s : out) {
    sum += s;
    swing = std::max(swing, std::abs(s - 4000));
  }
  EXPECT_NEAR(sum / static_cast<double>(out.size()), 4000, 400);  // the effect
  EXPECT_GT(swing, 1000);                                         // the music over it

  effect->Release();
  device->Release();
}

TEST_F(MediaPlayerTest, OneAudioOutputForMusicAndEffects) {
  DSoundTest::SetManualClock(false);
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  OpenMusic(OneNoteFile(19200));  // 100 seconds
  ASSERT_TRUE(MediaTest::MixerDriven(*Player));
  EXPECT_TRUE(DSoundTest::OutputOpen());
  IDirectSound* device = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);

  // The audio thread moves the song on.
  Player->Play();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (Player->Position() == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GT(Player->Position(), 0);
  EXPECT_EQ(Player->Mode(), mpPlaying);

  Player->Close();
  EXPECT_TRUE(DSoundTest::OutputOpen());
  device->Release();
  EXPECT_FALSE(DSoundTest::OutputOpen());

  // The other way round: the device first, the player last.
  ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
  Player->Open();
  device->Release();
  EXPECT_TRUE(DSoundTest::OutputOpen());
  Player->Close();
  EXPECT_FALSE(DSoundTest::OutputOpen());
}

TEST_F(MediaPlayerTest, WithoutAnAudioOutputTheSongRunsOnTheClock) {
  DSoundTest::SetManualClock(false);
  ::setenv("SDL_AUDIODRIVER", "brask-no-such-driver", 1);
  ::testing::internal::CaptureStderr();
  OpenMusic(OneNoteFile(19200));
  const std::string log = ::testing::internal::GetCapturedStderr();
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_NE(log.find("no audio output"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_FALSE(MediaTest::MixerDriven(*Player));
  EXPECT_FALSE(DSoundTest::OutputOpen());

  Player->Play();
  EXPECT_EQ(Player->Mode(), mpPlaying);
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  EXPECT_GE(Player->Position(), 40);
  Player->Stop();
  const int at = Player->Position();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(Player->Position(), at);
  Player->Rewind();
  EXPECT_EQ(Player->Position(), 0);
  Player->Close();
}

TEST_F(MediaPlayerTest, HiddenOnItsForm) {
  TTestDriver driver;
  Form->Show();
  driver.Pump(2);
  EXPECT_FALSE(Player->Visible());
  EXPECT_FALSE(Player->Showing());
  EXPECT_EQ(Player->Parent(), Form);
  OpenMusic(OneNoteFile());
  Player->Play();
  Render(10);
  EXPECT_EQ(Player->Position(), 10);
  // The form frees its player, which leaves the mix.
  App.reset();
  Render(10);
}

}  // namespace
