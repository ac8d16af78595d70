#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/RecordFile.h"

namespace fs = std::filesystem;

namespace {

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/brask_rtl_XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    Dir = templ;
    SavedCwd = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(SavedCwd);
    std::error_code ec;
    fs::permissions(Dir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(Dir, ec);
  }
  std::string Path(const std::string& name) const { return (fs::path(Dir) / name).string(); }
  void WriteBytes(const std::string& name, std::size_t n, std::uint8_t seed = 1) const {
    std::ofstream f(Path(name), std::ios::binary);
    for (std::size_t i = 0; i < n; ++i) f.put(static_cast<char>(seed + i));
  }
  static std::string IoText(const std::function<void()>& action) {
    try {
      action();
    } catch (const EInOutError& e) { return e.Message(); }
    return "no error";
  }
  std::string Dir;
  fs::path SavedCwd;
};

using RecordFile = TempDir;
using DirectoryHelpers = TempDir;

}  // namespace

TEST_F(RecordFile, ReadsOneRecordAndIgnoresTheRest) {
  WriteBytes("a.unt", 10);
  std::uint8_t rec[4] = {};
  ReadRecordFile(Path("a.unt"), rec, 4);
  EXPECT_EQ(rec[0], 1);
  EXPECT_EQ(rec[3], 4);

  TRecordFile f(4);
  f.Assign(Path("a.unt"));
  f.Reset();
  f.Read(rec);
  f.Read(rec);
  EXPECT_EQ(rec[0], 5);
  // Two bytes are left: the third record is incomplete.
  EXPECT_EQ(IoText([&] { f.Read(rec); }), "Read beyond end of file");
  f.Close();
  EXPECT_FALSE(f.IsOpen());
}

TEST_F(RecordFile, FailuresCarryTheRuntimeTexts) {
  WriteBytes("short.bld", 638);
  WriteBytes("locked.bld", 639);
  ::chmod(Path("locked.bld").c_str(), 0);
  fs::create_directory(Path("folder"));
  std::vector<std::uint8_t> rec(639);
  const struct {
    std::string Name;
    std::string Text;
  } cases[] = {
      {Path("short.bld"), "Read beyond end of file"}, {Path("missing.bld"), "File not found"},
      {Path("folder"), "File access denied"},         {Path("missing-folder/x.bld"), "File not found"},
      {Path("short.bld/x.bld"), "Path not found"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IoText([&] { ReadRecordFile(c.Name, rec.data(), rec.size()); }), c.Text) << c.Name;
  if (::geteuid() != 0) {  // root reads any file
    EXPECT_EQ(IoText([&] { ReadRecordFile(Path("locked.bld"), rec.data(), rec.size()); }), "File access denied");
  }
  EXPECT_EQ(IoText([&] { WriteRecordFile(Path("missing-folder/x.map"), rec.data(), rec.size()); }), "File not found");

  TRecordFile closed(4);
  EXPECT_EQ(IoText([&] { closed.Read(rec.data()); }), "I/O error 103");
  EXPECT_EQ(IoText([&] { closed.Flush(); }), "I/O error 103");
}

TEST_F(RecordFile, RewriteTruncatesAndWritesWholeRecords) {
  WriteBytes("m.map", 100, 7);
  std::uint8_t rec[3] = {9, 8, 7};
  WriteRecordFile(Path("m.map"), rec, 3);
  EXPECT_EQ(fs::file_size(Path("m.map")), 3u);
  TRecordFile f(3);
  f.Assign(Path("n.map"));
  f.Rewrite();
  f.Write(rec);
  f.Flush();  // on the disk before the close
  f.Close();
  EXPECT_EQ(fs::file_size(Path("n.map")), 3u);
  std::uint8_t back[3] = {};
  ReadRecordFile(Path("m.map"), back, 3);
  EXPECT_EQ(std::vector<std::uint8_t>(back, back + 3), std::vector<std::uint8_t>(rec, rec + 3));
}

TEST_F(RecordFile, NamesAreWindows1250WithBackslashes) {
  fs::create_directories(fs::path(Dir) / "data" / "units");
  std::ofstream(fs::path(Dir) / "data" / "units" / "łucznik.unt", std::ios::binary) << "xyz";
  std::uint8_t rec[3] = {};
  ReadRecordFile(Cp1250ToUtf8(Utf8ToCp1250(Dir)) + Cp("\\data\\units\\łucznik.unt"), rec, 3);
  EXPECT_EQ(rec[2], 'z');
  EXPECT_EQ(HostFileName(Cp("a\\b\\żółw.bmp")), "a/b/żółw.bmp");
}

TEST_F(DirectoryHelpers, CurrentDirectoryAndListing) {
  fs::create_directories(fs::path(Dir) / "data" / "sub");
  for (const char* name : {"b.unt", "A.unt", "c.UNT", "zamek.bld", "Łucznik.unt", "x.unt.bak", "a.map"})
    std::ofstream(fs::path(Dir) / "data" / name) << "x";
  std::ofstream(fs::path(Dir) / "data" / "\xff\xfe.unt") << "x";  // not UTF-8: cannot be named in 8-bit text

  ASSERT_TRUE(SetCurrentDir(Utf8ToCp1250(Dir) + "\\data"));
  EXPECT_EQ(GetCurrentDir(), Utf8ToCp1250((fs::path(Dir) / "data").string()));
  EXPECT_FALSE(SetCurrentDir(Utf8ToCp1250(Dir) + "\\nothing"));

  std::vector<std::string> all = ListFiles(".");
  std::vector<std::string> expected = {"a.map", "A.unt", "b.unt", "c.UNT", "x.unt.bak", "zamek.bld", Cp("Łucznik.unt")};
  EXPECT_EQ(all, expected);
  EXPECT_EQ(ListFiles(".", "*.map"), std::vector<std::string>{"a.map"});
  EXPECT_EQ(ListFiles(".", "*.unt"), (std::vector<std::string>{"A.unt", "b.unt", "c.UNT", Cp("Łucznik.unt")}));
  EXPECT_EQ(ListDirectories("."), std::vector<std::string>{"sub"});
  EXPECT_TRUE(ListFiles("no-such-folder").empty());
  EXPECT_TRUE(FileExists("b.unt"));
  EXPECT_FALSE(FileExists("sub"));
  EXPECT_TRUE(DirectoryExists("sub"));
}

TEST(Mask, Wildcards) {
  const struct {
    const char* Name;
    const char* Mask;
    bool Match;
  } cases[] = {
      {"a.map", "*.map", true}, {"A.MAP", "*.map", true}, {"a.mapx", "*.map", false},
      {".map", "*.map", true},  {"map", "*.map", false},  {"x.map.map", "*.map", true},
      {"abc", "a?c", true},     {"ac", "a?c", false},     {"anything", "*", true},
      {"", "*", true},          {"a.b", "*.*", true},     {"abc", "abc", true},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Match) << c.Name << " " << c.Mask;
  EXPECT_TRUE(MatchesMask(Cp("ŁUK.map"), Cp("łuk.*")));
}

TEST(FileNames, NamePartAndExtension) {
  const struct {
    const char* Path;
    const char* Name;
    const char* Ext;
  } cases[] = {
      {"C:\\maps\\a.map", "a.map", ".map"},
      {"/tmp/maps\\b.MAP", "b.MAP", ".MAP"},
      {"x.unt.bak", "x.unt.bak", ".bak"},
      {"piechur", "piechur", ""},
      {"dir.d\\plain", "plain", ""},
      {"dir\\", "", ""},
      {"d:", "", ""},
      {".unt", ".unt", ".unt"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFileName(c.Path), c.Name) << c.Path;
    EXPECT_EQ(ExtractFileExt(c.Path), c.Ext) << c.Path;
  }
}
