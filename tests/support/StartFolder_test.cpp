#include "tests/support/StartFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/Forms.h"
#include "world/WorldFiles.h"

namespace fs = std::filesystem;

namespace {
std::vector<std::uint8_t> ReadHost(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
}
}  // namespace

TEST(StartFolder, IsCurrentWhileItLivesAndGoesWithEverythingInIt) {
  const fs::path before = fs::current_path();
  fs::path host;
  {
    TTempStartFolder start;
    host = fs::current_path();
    EXPECT_NE(host, before);
    EXPECT_EQ(GetCurrentDir(), start.Path());
    EXPECT_EQ(start.PathOf("data\\units"), start.Path() + "\\data\\units");
    start.AddFolder("data\\buildings");
    start.AddFolder(Cp("dane/Łąki"));
    EXPECT_TRUE(fs::is_directory(host / "data" / "buildings"));
    EXPECT_TRUE(fs::is_directory(host / "dane" / fs::u8path("Łąki")));

    TUnitType unit;
    unit.Name.Assign(Cp("Łucznik"));
    unit.Range = 120;
    start.AddUnitType("data\\units", "lucznik.unt", unit);
    TBuildingType building;
    building.Name.Assign("Koszary");
    start.AddBuildingType("data\\buildings", "koszary.bld", building);
    TMapFile map;
    map.Map.MapName.Assign("Test");
    map.Map.MapRows = 3;
    map.Map.MapCols = 4;
    start.AddMap("maps\\test.map", map);
    EXPECT_EQ(fs::file_size(host / "data/units/lucznik.unt"), TUnitType::SerializedSize);
    EXPECT_EQ(fs::file_size(host / "maps/test.map"), TMapFile::SerializedSize);
    TUnitType readUnit;
    ReadUnitTypeFile("data\\units\\lucznik.unt", readUnit);
    EXPECT_EQ(readUnit, unit);
    TBuildingType readBuilding;
    ReadBuildingTypeFile(start.PathOf("data\\buildings\\koszary.bld"), readBuilding);
    EXPECT_EQ(readBuilding, building);
    TMapFile readMap;
    ReadMapFile("maps\\test.map", readMap);
    EXPECT_EQ(readMap, map);
  }
  EXPECT_EQ(fs::current_path(), before);
  EXPECT_FALSE(fs::exists(host));
}

TEST(StartFolder, BitmapsLoadAsTwentyFourBitPicturesOfTheirColour) {
  TApplication app;
  TTempStartFolder start;
  start.AddBitmap(Cp("data\\images\\łucznik.bmp"), 5, 3, 0x3366CC);  // 5 pixels: rows padded
  TBitmap bmp;
  bmp.LoadFromFile(Cp("data\\images\\Łucznik.bmp"));
  EXPECT_EQ(bmp.Width(), 5);
  EXPECT_EQ(bmp.Height(), 3);
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  EXPECT_EQ(bmp.Canvas()->GetPixel(0, 0), 0x3366CC);
  EXPECT_EQ(bmp.Canvas()->GetPixel(4, 2), 0x3366CC);
  const auto bytes = TTempStartFolder::BitmapBytes(5, 3, 0x3366CC);
  EXPECT_EQ(bytes.size(), 14u + 40u + 3u * 16u);
}

TEST(StartFolder, TheMidiFileIsOneTrackOfFormatZeroWithOneNote) {
  TTempStartFolder start;
  start.AddMidi("data\\music\\music1.mid");
  const auto m = ReadHost(fs::current_path() / "data/music/music1.mid");
  ASSERT_EQ(m, TTempStartFolder::MidiBytes());
  ASSERT_GE(m.size(), 22u);
  EXPECT_EQ(std::string(m.begin(), m.begin() + 4), "MThd");
  EXPECT_EQ(m[9], 0);   // format 0
  EXPECT_EQ(m[11], 1);  // one track
  EXPECT_EQ(std::string(m.begin() + 14, m.begin() + 18), "MTrk");
  const std::size_t length =
      (std::size_t{m[18]} << 24) | (std::size_t{m[19]} << 16) | (std::size_t{m[20]} << 8) | m[21];
  EXPECT_EQ(m.size(), 22 + length);
  // One note on and its note off, then the end of the track.
  int on = 0, off = 0;
  for (std::size_t i = 22; i + 2 < m.size(); ++i) {
    on += m[i] == 0x90 && m[i + 1] == 0x3C;
    off += m[i] == 0x80 && m[i + 1] == 0x3C;
  }
  EXPECT_EQ(on, 1);
  EXPECT_EQ(off, 1);
  EXPECT_EQ(std::vector<std::uint8_t>(m.end() - 3, m.end()), (std::vector<std::uint8_t>{0xFF, 0x2F, 0x00}));
}
