#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "world/WorldFiles.h"

namespace fs = std::filesystem;

namespace {

class WorldFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/brask_world_XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    Dir = templ;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  std::string Path(const std::string& name) const { return (fs::path(Dir) / name).string(); }
  void WriteBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream f(Path(name), std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<std::uint8_t> ReadBytes(const std::string& name) const {
    std::ifstream f(Path(name), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
  }
  static std::vector<std::uint8_t> Random(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
  }
  static std::string IoText(const std::function<void()>& action) {
    try {
      action();
    } catch (const EInOutError& e) { return e.Message(); }
    return "no error";
  }
  std::string Dir;
};

}  // namespace

TEST_F(WorldFiles, WholeMapRoundTripsByteForByte) {
  // Random bytes: short-string lengths of every value, bytes behind them, any numbers.
  auto bytes = Random(TMapFile::SerializedSize, 11);
  // Make sure some lengths are small so that bytes behind them matter, and some exceed 100.
  bytes[125000] = 3;
  bytes[TMapFile::UnitsOffset + 20] = 0;
  bytes[TMapFile::UnitsOffset + 146] = 200;
  WriteBytes("in.map", bytes);

  auto map = std::make_unique<TMapFile>();
  ReadMapFile(Path("in.map"), *map);
  EXPECT_EQ(map->Map.MapName.Len, 3);
  EXPECT_TRUE(map->Units[1].Free());
  EXPECT_EQ(map->Units[1].AttackTarget.Size(), 100u);
  WriteMapFile(Path("out.map"), *map);
  EXPECT_EQ(ReadBytes("out.map"), bytes);

  auto again = std::make_unique<TMapFile>();
  ReadMapFile(Path("out.map"), *again);
  EXPECT_TRUE(*again == *map);
}

TEST_F(WorldFiles, MapWrittenFromFieldsReadsBack) {
  auto map = std::make_unique<TMapFile>();
  map->Map.MapName = TShortString::From("Bez nazwy");
  map->Map.MapRows = 48;
  map->Map.MapCols = 250;
  map->Map.SetTerrainAt(48, 250, 2);
  map->Players[1].Gold = 1000;
  map->Players[1].Wood = 999;
  for (int i = 1; i <= 3; ++i) {
    map->Units[i].Name = TShortString::From("piechur");
    map->Units[i].Number = i;
    map->Units[i].X = -3 * i;
  }
  WriteMapFile(Path("a.map"), *map);
  EXPECT_EQ(fs::file_size(Path("a.map")), 228145u);
  auto back = std::make_unique<TMapFile>();
  ReadMapFile(Path("a.map"), *back);
  EXPECT_TRUE(*back == *map);
  EXPECT_EQ(CountNamedSlots(back->Units), 3);
  EXPECT_EQ(back->Map.TerrainAt(48, 250), 2);
  // Empty slots are zero bytes.
  auto bytes = ReadBytes("a.map");
  for (std::size_t i = TMapFile::UnitsOffset + 3 * TUnit::SerializedSize; i < bytes.size(); ++i)
    ASSERT_EQ(bytes[i], 0) << i;
}

TEST_F(WorldFiles, ShortFilesFailAndLongerFilesGiveTheirFirstRecord) {
  auto unitBytes = Random(TUnitType::SerializedSize, 1);
  auto buildingBytes = Random(TBuildingType::SerializedSize, 2);
  WriteBytes("short.unt", std::vector<std::uint8_t>(unitBytes.begin(), unitBytes.end() - 1));
  WriteBytes("short.bld", std::vector<std::uint8_t>(buildingBytes.begin(), buildingBytes.begin() + 100));
  WriteBytes("empty.unt", {});
  WriteBytes("short.map", std::vector<std::uint8_t>(TMapFile::SerializedSize - 1, 0));

  TUnitType ut;
  ut.Name = TShortString::From("keep");
  TBuildingType bt;
  bt.MaxHP = 77;
  auto map = std::make_unique<TMapFile>();
  map->Map.MapRows = 12;
  EXPECT_EQ(IoText([&] { ReadUnitTypeFile(Path("short.unt"), ut); }), "Read beyond end of file");
  EXPECT_EQ(IoText([&] { ReadUnitTypeFile(Path("empty.unt"), ut); }), "Read beyond end of file");
  EXPECT_EQ(IoText([&] { ReadBuildingTypeFile(Path("short.bld"), bt); }), "Read beyond end of file");
  EXPECT_EQ(IoText([&] { ReadMapFile(Path("short.map"), *map); }), "Read beyond end of file");
  EXPECT_EQ(IoText([&] { ReadUnitTypeFile(Path("none.unt"), ut); }), "File not found");
  EXPECT_EQ(IoText([&] { ReadMapFile(Path("none.map"), *map); }), "File not found");
  EXPECT_EQ(IoText([&] { WriteMapFile(Path("no-folder/x.map"), *map); }), "File not found");
  // A failed read leaves the destination as it was.
  EXPECT_EQ(ut.Name.Text(), "keep");
  EXPECT_EQ(bt.MaxHP, 77);
  EXPECT_EQ(map->Map.MapRows, 12);

  auto longer = unitBytes;
  longer.insert(longer.end(), 50, 0xAB);
  WriteBytes("long.unt", longer);
  ReadUnitTypeFile(Path("long.unt"), ut);
  std::vector<std::uint8_t> out(TUnitType::SerializedSize);
  ut.Serialize(out.data());
  EXPECT_EQ(out, unitBytes);

  WriteBytes("exact.bld", buildingBytes);
  ReadBuildingTypeFile(Path("exact.bld"), bt);
  WriteBuildingTypeFile(Path("copy.bld"), bt);
  EXPECT_EQ(ReadBytes("copy.bld"), buildingBytes);
  WriteUnitTypeFile(Path("copy.unt"), ut);
  EXPECT_EQ(ReadBytes("copy.unt"), unitBytes);
}

TEST_F(WorldFiles, DecodingFromMemoryFollowsTheSameRule) {
  auto bytes = Random(TBuildingType::SerializedSize + 5, 3);
  TBuildingType bt;
  EXPECT_EQ(IoText([&] { DecodeBuildingType(bytes.data(), TBuildingType::SerializedSize - 1, bt); }),
            "Read beyond end of file");
  DecodeBuildingType(bytes.data(), bytes.size(), bt);
  EXPECT_EQ(bt.Reserved, bytes[630]);
  TUnitType ut;
  EXPECT_EQ(IoText([&] { DecodeUnitType(bytes.data(), bytes.size(), ut); }), "Read beyond end of file");
  auto map = std::make_unique<TMapFile>();
  EXPECT_EQ(IoText([&] { DecodeMapFile(nullptr, 0, *map); }), "Read beyond end of file");
}
