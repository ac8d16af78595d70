#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"

namespace fs = std::filesystem;

TEST(StrToInt, TakesOnlyASignedDecimalInTheThirtyTwoBitRange) {
  struct Case {
    const char* Text;
    std::optional<std::int32_t> Value;
  };
  const Case cases[] = {
      {"12", 12},
      {"-3", -3},
      {"0", 0},
      {"+7", 7},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"", std::nullopt},
      {"-", std::nullopt},
      {"+", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"1x", std::nullopt},
      {"--1", std::nullopt},
      {"0x10", std::nullopt},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    std::int32_t v = 55;
    EXPECT_EQ(TryStrToInt(c.Text, v), c.Value.has_value());
    EXPECT_EQ(v, c.Value.value_or(55));  // untouched on failure
    if (c.Value) {
      EXPECT_EQ(StrToInt(c.Text), *c.Value);
    } else {
      try {
        StrToInt(c.Text);
        ADD_FAILURE() << "no exception";
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), std::string("'") + c.Text + "' is not a valid integer value");
      }
    }
  }
  EXPECT_EQ(IntToStr(-2147483648LL), "-2147483648");
  EXPECT_EQ(IntToStr(0), "0");
}

class FileOpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("brask_sysutils_" + std::to_string(::getpid()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }
  void Write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
  std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  // The program's name of a host path (windows-1250).
  std::string Name(const fs::path& p) { return Utf8ToCp1250(p.string()); }
  fs::path Dir;
};

TEST_F(FileOpsTest, RenameReplacesAnExistingTargetAndDeleteRemovesOnlyFiles) {
  const fs::path tmp = Dir / "mapa.tmp", target = Dir / "mapa.map";
  Write(tmp, "new");
  Write(target, "old");
  EXPECT_TRUE(RenameFile(Name(tmp), Name(target)));
  EXPECT_FALSE(fs::exists(tmp));
  EXPECT_EQ(Read(target), "new");
  EXPECT_FALSE(RenameFile(Name(tmp), Name(target)));  // source gone
  EXPECT_EQ(Read(target), "new");

  EXPECT_TRUE(DeleteFile(Name(target)));
  EXPECT_FALSE(fs::exists(target));
  EXPECT_FALSE(DeleteFile(Name(target)));
  fs::create_directory(Dir / "sub");
  EXPECT_FALSE(DeleteFile(Name(Dir / "sub")));
  EXPECT_TRUE(fs::is_directory(Dir / "sub"));
}

TEST_F(FileOpsTest, NamesAreWindows1250WithBackslashes) {
  const fs::path host = Dir / fs::u8path("Łąka.map");
  Write(host, "x");
  const std::string name = Name(Dir) + Cp("\\Łąka.map");
  EXPECT_TRUE(RenameFile(name, Name(Dir) + Cp("\\Żuraw.map")));
  EXPECT_TRUE(fs::exists(Dir / fs::u8path("Żuraw.map")));
  EXPECT_TRUE(DeleteFile(Name(Dir) + Cp("\\Żuraw.map")));
  EXPECT_TRUE(fs::is_empty(Dir));
}
