// The generated assets: the same bytes on every run, cell pictures that tile
// the map, type pictures that both programs' lookups find, type files and
// sample maps that the world's readers take back, and music that parses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "assets/generator/Folders.h"
#include "assets/generator/Pictures.h"
#include "assets/generator/Stored.h"
#include "assets/generator/WorldData.h"
#include "assets/stored/StoredData.h"
#include "display/DIB.h"
#include "display/DXImageList.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "world/ObjectNames.h"
#include "world/WorldFiles.h"

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::vector<std::uint8_t>> ReadTree(const fs::path& Root) {
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (const auto& e : fs::recursive_directory_iterator(Root)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    files[fs::relative(e.path(), Root).generic_string()] =
        std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  return files;
}

class TempDir {
 public:
  TempDir() {
    Path = fs::temp_directory_path() /
           ("brask_assets_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Path);
    fs::create_directories(Path);
  }
  ~TempDir() { fs::remove_all(Path); }
  fs::path Path;
};

// The start folders the build laid out.
const fs::path PlayDir = BRASK_PLAY_DIR;
const fs::path MapmakerDir = BRASK_MAPMAKER_DIR;

TEST(AssetBytes, EveryRunMakesTheSameBytes) {
  // Twice in this process, and once more in the build's own run of the
  // generator, whose output is linked in and laid out in the build tree.
  std::vector<TStoredBlob> a = StoredBlobs(), b = StoredBlobs();
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE(a[i].Key);
    EXPECT_EQ(a[i].Key, b[i].Key);
    EXPECT_TRUE(a[i].Bytes == b[i].Bytes);
    TStoredData linked = StoredComponentData(a[i].Key);
    ASSERT_EQ(linked.Size, a[i].Bytes.size());
    EXPECT_TRUE(std::equal(a[i].Bytes.begin(), a[i].Bytes.end(), linked.Data));
  }
  EXPECT_EQ(StoredComponentKeys().size(), a.size());

  TempDir one, two;
  WriteGameFolder((one.Path / "play").string());
  WriteEditorFolder((one.Path / "mapmaker").string());
  WriteGameFolder((two.Path / "play").string());
  WriteEditorFolder((two.Path / "mapmaker").string());
  auto playOne = ReadTree(one.Path / "play"), playTwo = ReadTree(two.Path / "play");
  EXPECT_TRUE(playOne == playTwo);
  EXPECT_TRUE(playOne == ReadTree(PlayDir));
  EXPECT_TRUE(ReadTree(one.Path / "mapmaker") == ReadTree(MapmakerDir));
}

TEST(AssetBytes, TheStartFoldersHoldWhatTheProgramsLoad) {
  std::set<std::string> expected{"data/units/chlop.unt",
                                 "data/units/lucznik.unt",
                                 "data/units/mag.unt",
                                 "data/units/mnich.unt",
                                 "data/units/piechur.unt",
                                 "data/units/rycerz.unt",
                                 "data/units/zwiadowca.unt",
                                 "data/buildings/wieza.bld",
                                 "data/buildings/zamek.bld",
                                 "data/images/Chłop.bmp",
                                 "data/images/Łucznik.bmp",
                                 "data/images/Mag.bmp",
                                 "data/images/Mnich.bmp",
                                 "data/images/Piechur.bmp",
                                 "data/images/Rycerz.bmp",
                                 "data/images/Zwiadowca.bmp",
                                 "data/images/Wieża.bmp",
                                 "data/images/Zamek.bmp",
                                 "data/music/music1.MID",
                                 "dolina.map",
                                 "krolestwo.map"};
  std::set<std::string> found;
  for (auto& [name, bytes] : ReadTree(PlayDir)) found.insert(name);
  EXPECT_EQ(found, expected);
  std::set<std::string> editor;
  for (auto& [name, bytes] : ReadTree(MapmakerDir)) editor.insert(name);
  EXPECT_EQ(editor, (std::set<std::string>{"data/chlop.unt", "data/lucznik.unt", "data/mag.unt", "data/mnich.unt",
                                           "data/piechur.unt", "data/rycerz.unt", "data/wieza.bld", "data/zamek.bld",
                                           "dolina.map", "krolestwo.map"}));
}

// ---- Cell geometry ----

// The stored terrain pictures of a list, decoded.
std::vector<TPixelPicture> StoredCells(const char* Key) {
  TDXImageList list(nullptr);
  ReadStoredComponent(&list, Key);
  std::vector<TPixelPicture> out;
  for (int i = 0; i < list.Items()->Count(); ++i) {
    auto* dib = dynamic_cast<TDIB*>(list.Items()->Items(i)->Picture()->Graphic());
    TPixelPicture p(dib->Width(), dib->Height());
    for (int y = 0; y < dib->Height(); ++y)
      for (int x = 0; x < dib->Width(); ++x) {
        const BYTE* c = dib->TopBits() + static_cast<std::ptrdiff_t>(y) * dib->NextLine() + x * 3;
        if (!(c[0] == 0xFF && c[1] == 0 && c[2] == 0xFF)) p.Set(x, y, c[2], c[1], c[0]);
      }
    out.push_back(p);
  }
  return out;
}

// A surface with every cell of a Rows × Cols map drawn as both programs draw
// their terrain (rows outer, columns inner), and the cell each pixel's
// ground diamond belongs to.
struct TRendered {
  TPixelPicture Surface;
  std::vector<int> Owner;  // row * 1000 + column, 0 outside every diamond
};

constexpr int SurfaceW = 792, SurfaceH = 478;

int CellX(int I, int J) { return 16 * (J - I) + SurfaceW / 2 - 20; }
int CellY(int I, int J) { return 8 * (I + J) + SurfaceH / 2 - 40; }

TRendered Render(const std::vector<TPixelPicture>& Cells, const std::vector<TPixelPicture>* Sides,
                 const std::vector<std::vector<int>>& Kinds, const std::vector<std::vector<int>>& Heights) {
  TRendered r{TPixelPicture(SurfaceW, SurfaceH), std::vector<int>(SurfaceW * SurfaceH, 0)};
  const int rows = static_cast<int>(Kinds.size()), cols = static_cast<int>(Kinds[0].size());
  for (int i = 1; i <= rows; ++i)
    for (int j = 1; j <= cols; ++j) {
      int k = Kinds[i - 1][j - 1], e = Heights[i - 1][j - 1];
      r.Surface.Blit(Cells[static_cast<std::size_t>(k)], CellX(i, j), CellY(i, j) - 8 * e);
      if (Sides && k > 2) r.Surface.Blit((*Sides)[static_cast<std::size_t>(k - 1)], CellX(i, j), CellY(i, j));
      for (int y = 0; y < CellHeight; ++y)
        for (int x = 0; x < CellWidth; ++x)
          if (InGroundDiamond(x, y)) {
            int& owner = r.Owner[static_cast<std::size_t>((CellY(i, j) + y) * SurfaceW + CellX(i, j) + x)];
            EXPECT_EQ(owner, 0) << "diamonds of two cells overlap";
            owner = i * 1000 + j;
          }
    }
  return r;
}

TEST(CellGeometry, GroundDiamondsOfA10x10MapMeetWithoutGapsOrOverlaps) {
  std::vector<TPixelPicture> cells = StoredCells("Korvel.DXImageList4");
  std::vector<std::vector<int>> kinds(10, std::vector<int>(10, 0)), heights(10, std::vector<int>(10, 0));
  TRendered r = Render(cells, nullptr, kinds, heights);
  // The map's outline: its ground diamond as a whole, 16 pixels across and
  // 8 down per cell, centred where the cells' diamonds are.
  int inside = 0;
  for (int y = 0; y < SurfaceH; ++y)
    for (int x = 0; x < SurfaceW; ++x) {
      // Cell coordinates of the pixel centre relative to cell (1, 1)'s diamond.
      double px = x + 0.5 - (CellX(1, 1) + DiamondCX), py = y + 0.5 - (CellY(1, 1) + DiamondCY);
      double col = (py / 8 + px / 16) / 2, row = (py / 8 - px / 16) / 2;
      bool inMap = col > -0.5 && row > -0.5 && col < 9.5 && row < 9.5;
      int owner = r.Owner[static_cast<std::size_t>(y * SurfaceW + x)];
      EXPECT_EQ(inMap, owner != 0) << x << "," << y;
      if (!inMap) continue;
      ++inside;
      ASSERT_TRUE(r.Surface.Opaque(x, y)) << "gap at " << x << "," << y;
      // What shows inside a cell's diamond is that cell's own picture.
      int i = owner / 1000, j = owner % 1000;
      const std::uint8_t* shown = r.Surface.At(x, y);
      const std::uint8_t* own = cells[0].At(x - CellX(i, j), y - CellY(i, j));
      ASSERT_TRUE(std::equal(own, own + 3, shown)) << x << "," << y;
    }
  EXPECT_EQ(inside, 100 * 32 * 16 / 2);
}

TEST(CellGeometry, PointerHitRectangleLiesInTheMiddleOfTheCellsDiamond) {
  // The programs find the hovered cell by the 16 × 8 rectangle at
  // (16·(j − i) + W div 2 − 12, 8·(i + j) + H div 2 − 15): inside the diamond
  // of the cell's picture.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_TRUE(InGroundDiamond(8 + x, 25 + y));
  EXPECT_EQ(CellX(1, 1) + 8, 16 * 0 + SurfaceW / 2 - 12);
  EXPECT_EQ(CellY(1, 1) + 25, 8 * 2 + SurfaceH / 2 - 15);
}

TEST(CellGeometry, MixedGroundWithGentleSlopesShowsNoGapInsideTheMap) {
  // Every kind, elevations changing by at most one step between
  // neighbours: no background shows through inside the map, with the
  // game's pictures and with the editor's pictures and sides.
  std::vector<std::vector<int>> kinds(10, std::vector<int>(10)), heights(10, std::vector<int>(10));
  for (int i = 0; i < 10; ++i)
    for (int j = 0; j < 10; ++j) {
      kinds[i][j] = (i * 3 + j * 5 + i * j) % 7;
      heights[i][j] = std::min(std::min(i, j), std::min(9 - i, 9 - j));
    }
  std::vector<TPixelPicture> sides = StoredCells("Sandreth.DXImageList2");
  for (bool editor : {false, true}) {
    SCOPED_TRACE(editor ? "editor" : "game");
    std::vector<TPixelPicture> cells = StoredCells(editor ? "Sandreth.DXImageList1" : "Korvel.DXImageList4");
    TRendered r = Render(cells, editor ? &sides : nullptr, kinds, heights);
    for (int y = 0; y < SurfaceH; ++y)
      for (int x = 0; x < SurfaceW; ++x) {
        int owner = r.Owner[static_cast<std::size_t>(y * SurfaceW + x)];
        if (owner == 0) continue;
        int i = owner / 1000, j = owner % 1000;
        if (i == 10 || j == 10) continue;  // the near edges show cliffs over nothing
        ASSERT_TRUE(r.Surface.Opaque(x, y)) << "gap at " << x << "," << y << " in cell " << i << "," << j;
      }
  }
}

TEST(CellGeometry, FiguresStandOnTheirCellAndBuildingsCoverTheirFootprint) {
  for (const TNamedPicture& u : UnitPictures()) {
    SCOPED_TRACE(Cp1250ToUtf8(u.Name));
    // The lowest opaque row is the feet, at the unit's position.
    int lowest = -1, highest = -1;
    for (int y = 0; y < UnitHeight; ++y)
      for (int x = 0; x < UnitWidth; ++x)
        if (u.Picture.Opaque(x, y)) {
          lowest = y;
          if (highest < 0) highest = y;
        }
    EXPECT_GE(lowest, UnitFeetY);
    EXPECT_LE(lowest, UnitFeetY + 3);
    EXPECT_LE(highest, 6);  // tall enough to see
  }
  for (const TNamedPicture& b : BuildingPictures()) {
    SCOPED_TRACE(Cp1250ToUtf8(b.Name));
    // The footprint's corners of 3 × 3 cells: the picture reaches each of them.
    const int corners[4][2] = {{1, 85}, {96, 85}, {49, 62}, {49, 108}};
    for (auto& c : corners) {
      bool near = false;
      for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx) {
          int x = c[0] + dx, y = c[1] + dy;
          if (x >= 0 && y >= 0 && x < BuildingWidth && y < BuildingHeight && b.Picture.Opaque(x, y)) near = true;
        }
      EXPECT_TRUE(near) << c[0] << "," << c[1];
    }
  }
}

// ---- Types and their pictures ----

std::vector<TUnitType> ReadUnitTypes(const fs::path& Dir) {
  std::vector<TUnitType> out;
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(Dir))
    if (e.path().extension() == ".unt") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) {
    TUnitType t;
    ReadUnitTypeFile(Utf8ToCp1250(f.string()), t);
    out.push_back(t);
  }
  return out;
}

std::vector<TBuildingType> ReadBuildingTypes(const fs::path& Dir) {
  std::vector<TBuildingType> out;
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(Dir))
    if (e.path().extension() == ".bld") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) {
    TBuildingType t;
    ReadBuildingTypeFile(Utf8ToCp1250(f.string()), t);
    out.push_back(t);
  }
  return out;
}

TEST(TypePictures, TheGameFindsEveryTypesPictureLoadedFromItsImagesFolder) {
  // As the game's start-up: one item per type, loaded from
  // data\images\<Name>.bmp, named by the ASCII-lower-cased type name; then
  // the drawing finds it by that name.
  const std::string appDir = Utf8ToCp1250(PlayDir.string());
  for (bool units : {true, false}) {
    TDXImageList list(nullptr);
    std::vector<std::string> names;
    if (units) {
      for (const TUnitType& t : ReadUnitTypes(PlayDir / "data/units")) names.push_back(t.Name.Text());
    } else {
      for (const TBuildingType& t : ReadBuildingTypes(PlayDir / "data/buildings")) names.push_back(t.Name.Text());
    }
    ASSERT_EQ(names.size(), units ? 7u : 2u);
    for (const std::string& name : names) {
      TPictureCollectionItem* item = list.Items()->Add();
      item->Picture()->LoadFromFile(appDir + "\\data\\images\\" + name + ".bmp");
      item->SetTransparentColor(clFuchsia);
      item->SetName(PictureName(TShortString::From(name)));
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
      SCOPED_TRACE(Cp1250ToUtf8(names[i]));
      TPictureCollectionItem* found = list.Items()->Find(PictureName(TShortString::From(names[i])));
      EXPECT_EQ(found->Index(), static_cast<int>(i));
      EXPECT_EQ(found->GetWidth(), units ? UnitWidth : BuildingWidth);
      EXPECT_EQ(found->GetHeight(), units ? UnitHeight : BuildingHeight);
    }
  }
}

TEST(TypePictures, TheEditorFindsEveryTypesStoredPicture) {
  // The editor's types (its own data folder) and its stored lists, looked up
  // by the same picture name: "Łucznik" finds "łucznik", "Wieża" "wieża".
  TDXImageList units(nullptr), buildings(nullptr);
  ReadStoredComponent(&units, "Sandreth.DXImageList3");
  ReadStoredComponent(&buildings, "Sandreth.DXImageList4");
  std::vector<TUnitType> unitTypes = ReadUnitTypes(MapmakerDir / "data");
  std::vector<TBuildingType> buildingTypes = ReadBuildingTypes(MapmakerDir / "data");
  ASSERT_EQ(unitTypes.size(), 6u);
  ASSERT_EQ(buildingTypes.size(), 2u);
  for (const TUnitType& t : unitTypes) {
    SCOPED_TRACE(Cp1250ToUtf8(t.Name.Text()));
    EXPECT_NO_THROW(units.Items()->Find(PictureName(t.Name)));
    EXPECT_TRUE(AnsiSameText(units.Items()->Find(PictureName(t.Name))->Name(), t.Name.Text()));
  }
  for (const TBuildingType& t : buildingTypes) {
    SCOPED_TRACE(Cp1250ToUtf8(t.Name.Text()));
    EXPECT_TRUE(AnsiSameText(buildings.Items()->Find(PictureName(t.Name))->Name(), t.Name.Text()));
  }
  EXPECT_THROW(units.Items()->Find(Cp("Zwiadowca")), EPictureCollectionError);
}

TEST(TypeFiles, TypesCoverEveryClassAndNameWhatExists) {
  std::vector<TUnitType> units = ReadUnitTypes(PlayDir / "data/units");
  std::vector<TBuildingType> buildings = ReadBuildingTypes(PlayDir / "data/buildings");
  const std::set<std::string> spells{"Kula Ognia", Cp("Błyskawica"), "Uzdrowienie", "Teleportacja"};
  std::set<std::string> unitNames, buildingNames, castSpells;
  std::set<int> classes;
  for (const TUnitType& t : units) unitNames.insert(t.Name.Text());
  for (const TBuildingType& t : buildings) buildingNames.insert(t.Name.Text());
  std::set<std::string> trainable;
  for (const TBuildingType& b : buildings) {
    SCOPED_TRACE(Cp1250ToUtf8(b.Name.Text()));
    EXPECT_GT(b.MaxHP, 0);
    EXPECT_GT(b.AttackInterval, 0);
    EXPECT_GT(b.BuildTime, 0);
    EXPECT_GT(b.GoldCost + b.WoodCost, 0);
    int count = 0;
    for (int i = 1; i <= BuildingTypeUnitSlots; ++i) {
      if (b.Units[static_cast<std::size_t>(i)].Empty()) continue;
      ++count;
      EXPECT_TRUE(unitNames.count(b.Units[static_cast<std::size_t>(i)].Text()));
      trainable.insert(b.Units[static_cast<std::size_t>(i)].Text());
    }
    EXPECT_GE(count, 3);
  }
  EXPECT_EQ(trainable, unitNames);  // every unit type can be trained somewhere
  for (const TUnitType& t : units) {
    SCOPED_TRACE(Cp1250ToUtf8(t.Name.Text()));
    classes.insert(t.Class);
    EXPECT_GT(t.MaxHP, 0);
    EXPECT_GT(t.Attack, t.Defense);
    EXPECT_GT(t.Range, 0);
    EXPECT_GT(t.AttackInterval, 0);
    EXPECT_EQ(1000 % t.AttackInterval, 0);
    EXPECT_GT(t.TrainTime, 0);
    EXPECT_GT(t.GoldCost, 0);
    int spellCount = 0, buildCount = 0;
    for (int i = 1; i <= UnitTypeSpellSlots; ++i)
      if (!t.Spells[static_cast<std::size_t>(i)].Empty()) {
        ++spellCount;
        EXPECT_TRUE(spells.count(t.Spells[static_cast<std::size_t>(i)].Text()));
        castSpells.insert(t.Spells[static_cast<std::size_t>(i)].Text());
      }
    for (int i = 1; i <= UnitTypeBuildingSlots; ++i)
      if (!t.Buildings[static_cast<std::size_t>(i)].Empty()) {
        ++buildCount;
        EXPECT_TRUE(buildingNames.count(t.Buildings[static_cast<std::size_t>(i)].Text()));
      }
    // Casters have mana and spells, builders buildings; nobody else does.
    EXPECT_EQ(t.Class == 2, spellCount > 0);
    EXPECT_EQ(t.Class == 2, t.MaxMana > 0);
    EXPECT_EQ(t.Class == 3, buildCount == static_cast<int>(buildingNames.size()));
  }
  EXPECT_EQ(classes, (std::set<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(castSpells, spells);
}

// ---- Sample maps ----

TEST(SampleMaps, BothMapsReadBackWithEveryObjectOnTheMapAndOfAKnownType) {
  std::vector<TUnitType> unitTypes = ReadUnitTypes(PlayDir / "data/units");
  std::vector<TBuildingType> buildingTypes = ReadBuildingTypes(PlayDir / "data/buildings");
  // The editor opens the same maps: every unit there is of a type it knows.
  std::set<std::string> editorTypes;
  for (const TUnitType& t : ReadUnitTypes(MapmakerDir / "data")) editorTypes.insert(t.Name.Text());
  struct TCase {
    const char* File;
    int MinSize, MaxSize;
  };
  for (const TCase& c : {TCase{"dolina.map", 25, 40}, TCase{"krolestwo.map", 200, 250}}) {
    SCOPED_TRACE(c.File);
    EXPECT_EQ(fs::file_size(PlayDir / c.File), TMapFile::SerializedSize);
    EXPECT_TRUE(fs::exists(MapmakerDir / c.File));
    TMapFile map;
    ReadMapFile(Utf8ToCp1250((PlayDir / c.File).string()), map);
    const TMapBlock& m = map.Map;
    EXPECT_FALSE(m.MapName.Empty());
    EXPECT_GE(m.MapRows, c.MinSize);
    EXPECT_LE(m.MapRows, c.MaxSize);
    EXPECT_GE(m.MapCols, c.MinSize);
    EXPECT_LE(m.MapCols, c.MaxSize);
    EXPECT_GT(map.Players[1].Gold, 0);
    EXPECT_GT(map.Players[1].Wood, 0);
    for (int p = 2; p <= MapPlayers; ++p) EXPECT_EQ(map.Players[static_cast<std::size_t>(p)], TPlayer{});

    // Varied ground: every kind appears, elevations vary, slopes are gentle.
    std::set<int> kinds, heights;
    for (int r = 1; r <= m.MapRows; ++r)
      for (int col = 1; col <= m.MapCols; ++col) {
        kinds.insert(m.TerrainAt(r, col));
        heights.insert(m.HeightAt(r, col));
        if (r > 1) { EXPECT_LE(std::abs(m.HeightAt(r, col) - m.HeightAt(r - 1, col)), 1); }
        if (col > 1) { EXPECT_LE(std::abs(m.HeightAt(r, col) - m.HeightAt(r, col - 1)), 1); }
      }
    EXPECT_GE(kinds.size(), 5u);
    EXPECT_GE(heights.size(), 2u);
    EXPECT_LE(*kinds.rbegin(), 6);
    EXPECT_LE(*heights.rbegin(), 9);

    // Objects stand in slots 1..n with every other slot empty.
    int units = 0, buildings = 0;
    while (units < MaxUnits && !map.Units[static_cast<std::size_t>(units + 1)].Free()) ++units;
    while (buildings < MaxBuildings && !map.Buildings[static_cast<std::size_t>(buildings + 1)].Free()) ++buildings;
    for (int i = units + 1; i <= MaxUnits; ++i) EXPECT_EQ(map.Units[static_cast<std::size_t>(i)], TUnit{});
    for (int i = buildings + 1; i <= MaxBuildings; ++i)
      EXPECT_EQ(map.Buildings[static_cast<std::size_t>(i)], TBuilding{});
    EXPECT_GE(units, 10);
    EXPECT_GE(buildings, 2);

    std::set<std::string> unitKinds, buildingKinds, identifiers;
    for (int i = 1; i <= units; ++i) {
      const TUnit& u = map.Units[static_cast<std::size_t>(i)];
      SCOPED_TRACE(ObjectIdentifier(u));
      auto type =
          std::find_if(unitTypes.begin(), unitTypes.end(), [&](const TUnitType& t) { return t.Name == u.Name; });
      ASSERT_NE(type, unitTypes.end());
      unitKinds.insert(u.Name.Text());
      EXPECT_TRUE(editorTypes.count(u.Name.Text()));
      EXPECT_TRUE(identifiers.insert(ObjectIdentifier(u)).second);
      EXPECT_EQ(u.HP, type->MaxHP);
      EXPECT_EQ(u.Mana, type->MaxMana);
      EXPECT_EQ(u.X % 3, 0);
      EXPECT_EQ(u.Y % 3, 0);
      EXPECT_EQ(u.TargetX, u.X);
      EXPECT_EQ(u.TargetY, u.Y);
      // Inside the map's diamond (none of the game's edge clamps applies),
      // free to walk, and not pushed by a building.
      EXPECT_GE(2 * u.Y, u.X);
      EXPECT_LE(-2 * u.Y, u.X);
      EXPECT_GE(32 * m.MapRows + u.X, 2 * u.Y);
      EXPECT_GE(32 * m.MapCols - 2 * u.Y, u.X);
      EXPECT_FALSE(BlockingAt(m, u.X, u.Y));
      for (int b = 1; b <= buildings; ++b) {
        const TBuilding& w = map.Buildings[static_cast<std::size_t>(b)];
        double dx = w.X - u.X, dy = w.Y - u.Y;
        EXPECT_GE(dx * dx + dy * dy, 40.0 * 40.0);
      }
    }
    for (int i = 1; i <= buildings; ++i) {
      const TBuilding& b = map.Buildings[static_cast<std::size_t>(i)];
      SCOPED_TRACE(ObjectIdentifier(b));
      auto type = std::find_if(buildingTypes.begin(), buildingTypes.end(),
                               [&](const TBuildingType& t) { return t.Name == b.Name; });
      ASSERT_NE(type, buildingTypes.end());
      buildingKinds.insert(b.Name.Text());
      EXPECT_TRUE(identifiers.insert(ObjectIdentifier(b)).second);
      EXPECT_EQ(b.HP, type->MaxHP);
      EXPECT_GE(2 * b.Y + 76, b.X);
      EXPECT_LE(-2 * (b.Y + 38), b.X);
    }
    // A new player can select, move, attack, train, build and cast at once.
    EXPECT_GE(unitKinds.size(), 6u);
    EXPECT_EQ(buildingKinds.size(), 2u);
  }
}

}  // namespace
