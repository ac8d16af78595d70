// A sound font loads under a tight limit on the address space: the loading
// stays on the calling thread, so a limit that leaves no room for a thread a
// processor core neither ends the process nor keeps the music from playing.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "platform/dsound/DSoundTest.h"
#include "platform/media/MidiPlayback.h"
#include "tests/support/AddressSpaceLimit.h"

namespace {

std::string InstalledSoundFont() {
  for (const std::string& path : DefaultSoundFontSearch()) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return path;
  }
  return "";
}

TEST(SoundFontLimit, LoadsWithNoRoomForWorkerThreads) {
  if (!AddressSpaceLimitsWork) GTEST_SKIP() << "address-space limits mean nothing under the address sanitizer";
  const std::string font = InstalledSoundFont();
  if (font.empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The child asks its parallel runtime for eight threads whatever the
  // machine has (read when the runtime loads), so the fault shows everywhere.
  setenv("OMP_NUM_THREADS", "8", 1);
  struct stat st {};
  ::stat(font.c_str(), &st);
  // Room for the font's samples and the synthesizer, not for seven stacks.
  const std::size_t room = std::size_t(st.st_size) * 2 + (std::size_t(32) << 20);
  EXPECT_EXIT(
      {
        mallopt(M_ARENA_MAX, 1);
        DSoundTest::SetManualClock(true);
        TMidiPlayback playback;
        if (!LimitAddressSpace(room)) std::_Exit(3);
        playback.Open(TMidiSong{});
        std::fprintf(stderr, "[%s]\n", playback.SoundFont().c_str());
        std::_Exit(playback.SoundFont() == font ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "\\[/");
  unsetenv("OMP_NUM_THREADS");
}

}  // namespace
