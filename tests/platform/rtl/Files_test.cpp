#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/RecordFile.h"
#include "platform/rtl/Streams.h"
#include "tests/support/PermissionsApply.h"

namespace fs = std::filesystem;

namespace {

// A folder made current for the test, with host files named in UTF-8.
class CaseBlindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/brask_files_XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    Dir = templ;
    SavedCwd = fs::current_path();
    fs::current_path(Dir);
  }
  void TearDown() override {
    fs::current_path(SavedCwd);
    fs::remove_all(Dir);
  }
  static void Put(const std::string& utf8Path, const std::string& text = "x") {
    fs::path p = fs::u8path(utf8Path);
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
  }
  static std::string Read(const std::string& name) {
    TFileStream s(name, fmOpenRead);
    std::string out(static_cast<size_t>(s.Size()), '\0');
    s.ReadBuffer(out.data(), static_cast<std::int32_t>(out.size()));
    return out;
  }
  fs::path Dir, SavedCwd;
};

}  // namespace

TEST_F(CaseBlindTest, NamesResolveToTheSingleEntryThatMatchesIgnoringCase) {
  Put("data/images/łucznik.bmp");
  Put("data/images/Wojownik.bmp");
  Put("data/music/music1.mid");
  Put("data/units/mapa.map");
  Put("data/units/MAPA.map");  // differs from the one above only in case
  Put("data/units/Ala.unt");
  Put("data/units/ala.unt");
  Put("twice/x.txt");
  Put("TWICE/x.txt");
  struct Case {
    const char* Name;  // as the program writes it (UTF-8 here, windows-1250 when asked)
    const char* Host;
  };
  const Case cases[] = {
      {"data\\images\\Wojownik.bmp", "data/images/Wojownik.bmp"},  // exact
      {"data\\images\\WOJOWNIK.BMP", "data/images/Wojownik.bmp"},  // other case
      {"Data\\Images\\wojownik.bmp", "data/images/Wojownik.bmp"},  // folders too
      {"data\\images\\Łucznik.BMP", "data/images/łucznik.bmp"},    // Polish letters
      {"DATA\\IMAGES\\ŁUCZNIK.bmp", "data/images/łucznik.bmp"},
      {"data\\music\\music1.MID", "data/music/music1.mid"},
      {"data\\units\\Mapa.map", "data/units/Mapa.map"},          // two candidates: as written
      {"data\\units\\ala.unt", "data/units/ala.unt"},            // exact wins over the other
      {"data\\units\\ALA.unt", "data/units/ALA.unt"},            // two candidates
      {"Twice\\x.txt", "Twice/x.txt"},                           // two folders
      {"data\\images\\Lucznik.bmp", "data/images/Lucznik.bmp"},  // none: "L" is not "Ł"
      {"Data\\Nowy\\plik.map", "data/Nowy/plik.map"},            // resolved as far as it goes
      {"data\\images\\..\\IMAGES\\wojownik.BMP", "data/images/../images/Wojownik.bmp"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(HostFileName(Cp(c.Name)), c.Host);
  }
  // Absolute names walk from the root.
  const std::string abs = Utf8ToCp1250(Dir.string());
  EXPECT_EQ(HostFileName(abs + Cp("\\DATA\\Images\\łUCZNIK.bmp")), Dir.string() + "/data/images/łucznik.bmp");
}

TEST_F(CaseBlindTest, EverythingThatOpensByNameFindsTheFile) {
  Put("data/buildings/Koszary.bld", "koszary");
  Put("data/images/łucznik.bmp", "obraz");
  EXPECT_TRUE(FileExists(Cp("DATA\\buildings\\koszary.BLD")));
  EXPECT_TRUE(DirectoryExists(Cp("Data\\Buildings")));
  EXPECT_EQ(Read(Cp("data\\IMAGES\\Łucznik.bmp")), "obraz");
  std::uint8_t record[7] = {};
  ReadRecordFile(Cp("Data\\Buildings\\KOSZARY.bld"), record, sizeof record);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record), 7), "koszary");
  // Listing gives the names as they are on disk, sorted; the folder is found ignoring case.
  EXPECT_EQ(ListFiles(Cp("DATA\\Buildings")), std::vector<std::string>{"Koszary.bld"});
  EXPECT_TRUE(SetCurrentDir(Cp("data\\BUILDINGS")));
  EXPECT_EQ(fs::current_path(), Dir / "data" / "buildings");
}

TEST_F(CaseBlindTest, AMissingOrAmbiguousNameFailsAsWritten) {
  Put("data/units/a.unt");
  Put("data/units/A.unt");
  for (const char* name : {"data\\units\\b.unt", "data\\Units\\b.unt", "Data\\units\\A.UNT"}) {
    SCOPED_TRACE(name);
    TRecordFile f(1);
    f.Assign(name);
    try {
      f.Reset();
      ADD_FAILURE() << "opened";
    } catch (const EInOutError& e) { EXPECT_EQ(e.Message(), "File not found"); }
  }
  // A new file goes into the folder found ignoring case, under the name as given.
  { TFileStream s(Cp("DATA\\Units\\Nowa.map"), fmCreate); }
  EXPECT_TRUE(fs::exists(Dir / "data/units/Nowa.map"));
}

// Changing folder reports the actual failure with the runtime's text: a
// folder that is not there (or a file in its place), and one that may not be
// entered, or lies in a folder that may not be searched.
TEST_F(CaseBlindTest, ChangingFolderTellsAMissingFolderFromALockedOne) {
  Put("data/units/a.unt");
  Put("plik");
  fs::create_directories(Dir / "zamkniety/units");
  fs::permissions(Dir / "zamkniety", fs::perms::none);
  const struct {
    const char* Folder;
    int Error;
  } cases[] = {
      {"data\\units", 0},
      {"brak", ioPathNotFound},
      {"brak\\units", ioPathNotFound},
      {"plik", ioPathNotFound},
      {"plik\\units", ioPathNotFound},
      {"zamkniety", ioAccessDenied},
      {"zamkniety\\units", ioAccessDenied},
  };
  {
    TPermissionsApply permissions;
    ASSERT_TRUE(permissions.Applies());
    for (const auto& c : cases) {
      SCOPED_TRACE(c.Folder);
      fs::current_path(Dir);
      EXPECT_EQ(ChangeCurrentDir(c.Folder), c.Error);
      EXPECT_EQ(fs::current_path(), c.Error == 0 ? Dir / "data/units" : Dir);
    }
  }
  EXPECT_EQ(EInOutError(ioAccessDenied).Message(), "File access denied");
  EXPECT_EQ(EInOutError(ioPathNotFound).Message(), "Path not found");
  fs::current_path(Dir);
  fs::permissions(Dir / "zamkniety", fs::perms::owner_all);
}
