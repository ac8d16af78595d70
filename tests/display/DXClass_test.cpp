#include "display/DXClass.h"

#include <gtest/gtest.h>

#include "platform/win/Modules.h"

namespace {

int EntryOne() { return 1; }
int EntryTwo() { return 2; }

FARPROC Addr(int (*f)()) { return reinterpret_cast<FARPROC>(f); }

class LibraryLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeBoundLibraries();
    ModuleRegistry::Register("Fake.dll", {{"One", Addr(&EntryOne)}, {"Two", Addr(&EntryTwo)}});
    ModuleRegistry::Register("Other.dll", {{"One", Addr(&EntryOne)}});
    ModuleRegistry::ResetCounters();
  }
  void TearDown() override {
    FreeBoundLibraries();
    ModuleRegistry::ResetCounters();
  }
};

std::string MessageOf(const std::string& dll, const std::string& proc) {
  try {
    BindLibraryProc(dll, proc);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no exception";
}

}  // namespace

TEST(IntMinMax, Clamp) {
  EXPECT_EQ(IntMax(3, -7), 3);
  EXPECT_EQ(IntMax(-7, 3), 3);
  EXPECT_EQ(IntMin(3, -7), -7);
  EXPECT_EQ(IntMax(INT32_MIN, INT32_MAX), INT32_MAX);
  EXPECT_EQ(IntMin(INT32_MIN, INT32_MAX), INT32_MIN);
}

TEST_F(LibraryLoader, OneLoadPerNameWhateverItsSpelling) {
  EXPECT_EQ(BindLibraryProc("Fake.dll", "One"), Addr(&EntryOne));
  EXPECT_EQ(BindLibraryProc("fake.dll", "Two"), Addr(&EntryTwo));
  EXPECT_EQ(BindLibraryProc("FAKE.DLL", "One"), Addr(&EntryOne));
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 1);
  EXPECT_EQ(ModuleRegistry::References("Fake.dll"), 1);
}

TEST_F(LibraryLoader, MissingEntryNamesTheLibraryAndKeepsItLoaded) {
  EXPECT_EQ(MessageOf("Fake.dll", "Three"), "Fake.dll not loaded");
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 1);
  EXPECT_EQ(BindLibraryProc("Fake.dll", "Two"), Addr(&EntryTwo));
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 1);
}

TEST_F(LibraryLoader, LibraryThatFailsToLoadIsTriedAgain) {
  ModuleRegistry::SetMissing("Fake.dll", true);
  EXPECT_EQ(MessageOf("Fake.dll", "One"), "Fake.dll not loaded");
  EXPECT_EQ(MessageOf("fAKE.dll", "One"), "fAKE.dll not loaded");
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 0);
  ModuleRegistry::SetMissing("Fake.dll", false);
  EXPECT_EQ(BindLibraryProc("Fake.dll", "One"), Addr(&EntryOne));
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 1);
  EXPECT_EQ(MessageOf("Unknown.dll", "One"), "Unknown.dll not loaded");
}

TEST_F(LibraryLoader, FreeBoundLibrariesFreesEachOnceAndForgetsThem) {
  BindLibraryProc("Other.dll", "One");
  BindLibraryProc("Fake.dll", "One");
  BindLibraryProc("fake.dll", "Two");
  FreeBoundLibraries();
  EXPECT_EQ(ModuleRegistry::FreeCount("Fake.dll"), 1);
  EXPECT_EQ(ModuleRegistry::FreeCount("Other.dll"), 1);
  EXPECT_EQ(ModuleRegistry::References("Fake.dll"), 0);
  FreeBoundLibraries();
  EXPECT_EQ(ModuleRegistry::FreeCount("Fake.dll"), 1);
  // A new bind loads the library again.
  BindLibraryProc("Fake.dll", "One");
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 2);
}

namespace {
class TCountingDirectX : public TDirectX {
 public:
  int Errors = 0;

 protected:
  void DoError() override { ++Errors; }
};
}  // namespace

TEST(DirectX, CheckRecordsEveryResultAndReportsNonZero) {
  TCountingDirectX dx;
  EXPECT_EQ(dx.LastResult(), 0);
  struct {
    HRESULT value;
    int errorsAfter;
  } cases[] = {{0, 0}, {S_FALSE, 1}, {E_FAIL, 2}, {0, 2}, {42, 3}};
  for (const auto& c : cases) {
    dx.Check(c.value);
    EXPECT_EQ(dx.LastResult(), c.value);
    EXPECT_EQ(dx.Errors, c.errorsAfter);
  }
}

TEST(DirectX, ErrorIsAnException) {
  try {
    throw EDirectXError("x");
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "x");
  }
}
