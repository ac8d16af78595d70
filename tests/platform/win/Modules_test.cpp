#include <gtest/gtest.h>

#include "platform/win/Modules.h"

namespace {
int EntryA() { return 1; }
}  // namespace

TEST(Modules, LoadsByNameCaseInsensitivelyAndCountsReferences) {
  ModuleRegistry::Register("Test.dll", {{"EntryA", reinterpret_cast<FARPROC>(&EntryA)}});
  ModuleRegistry::ResetCounters();
  HMODULE a = LoadLibraryA("Test.dll");
  HMODULE b = LoadLibraryA("test.DLL");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(ModuleRegistry::LoadCount("TEST.dll"), 2);
  EXPECT_EQ(GetProcAddress(a, "EntryA"), reinterpret_cast<FARPROC>(&EntryA));
  EXPECT_EQ(GetProcAddress(a, "EntryB"), nullptr);
  ModuleRegistry::SetEntryMissing("Test.dll", "EntryA", true);
  EXPECT_EQ(GetProcAddress(a, "EntryA"), nullptr);
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_FALSE(FreeLibrary(b));
  EXPECT_EQ(ModuleRegistry::References("Test.dll"), 0);
}

TEST(Modules, MissingModulesDoNotLoad) {
  EXPECT_EQ(LoadLibraryA("Nothing.dll"), nullptr);
  ModuleRegistry::Register("Test2.dll", {{"E", reinterpret_cast<FARPROC>(&EntryA)}});
  ModuleRegistry::SetMissing("Test2.dll", true);
  EXPECT_EQ(LoadLibraryA("Test2.dll"), nullptr);
  ModuleRegistry::SetMissing("Test2.dll", false);
  HMODULE m = LoadLibraryA("Test2.dll");
  EXPECT_NE(m, nullptr);
  FreeLibrary(m);
}
