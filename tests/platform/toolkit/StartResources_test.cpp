// A start the system cannot give what it needs: with too little address
// space left, or with no room for the painting's worker threads, the check
// says why and the program ends with 1 before any form is made; with room,
// the start goes on. Each case runs in a child process of its own, under a
// limit on its address space set just above what it holds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/ProgramMain.h"
#include "tests/support/AddressSpaceLimit.h"

namespace {

class StartResources : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!AddressSpaceLimitsWork) GTEST_SKIP() << "address-space limits mean nothing under the address sanitizer";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
  }
};

TEST_F(StartResources, TooLittleAddressSpaceEndsTheStartBeforeTheForms) {
  EXPECT_EXIT(
      {
        // The limit leaves the program half the room it asks for, once its
        // application exists.
        TApplication app;
        if (!LimitAddressSpace(StartHeadroom / 2)) std::_Exit(3);
        bool made = false;
        const int code = RunProgram("Brask Engine", [&] { made = true; });
        std::_Exit(made ? 4 : code);
      },
      ::testing::ExitedWithCode(1), "Brask Engine: cannot start: not enough memory .the program needs 256 MB");
}

TEST_F(StartResources, NoRoomForTheWorkerThreadsIsSaidAndDoesNotHang) {
  // Room for one megabyte more, none for a thread's stack.
  EXPECT_EXIT(
      {
        TApplication app;
        if (!LimitAddressSpace(std::size_t(4) << 20)) std::_Exit(3);
        const std::string why = StartShortage(std::size_t(1) << 20);
        std::fprintf(stderr, "[%s]\n", why.c_str());
        std::_Exit(why.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(1), "\\[the system refused the threads the program needs\\]");
}

TEST_F(StartResources, WithRoomTheStartGoesOnAndTheFormsAreMade) {
  EXPECT_EXIT(
      {
        if (!LimitAddressSpace(StartHeadroom * 3)) std::_Exit(3);
        bool made = false;
        const int code = RunProgram("Brask Mapmaker", [&] {
          made = true;
          Application->Terminate();
        });
        std::fprintf(stderr, "[%s]\n", StartShortage(StartHeadroom).c_str());
        std::_Exit(made && code == 0 ? 0 : 5);
      },
      ::testing::ExitedWithCode(0), "\\[\\]");
}

}  // namespace
