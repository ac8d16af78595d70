// The scene at the world's limits (250 x 250 cells of every kind and
// elevation, terrain pictures of different sizes, 150 units and 150
// buildings all selected, with names, progress labels, bars, buildings under
// construction, the rubber band and the border), drawn as the game draws it
// and drawn the slow way: every cell of the map tried and every text painted
// by Qt on a copy of its cell. The two must agree byte for byte, wherever
// the view is scrolled to and wherever a terrain kind without a picture
// stops the terrain.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "game/Scene.h"
#include "platform/win/Gdi.h"
#include "tests/game/core_scene_rig.h"

using namespace korvel;

namespace {

// The terrain the plain way: every cell in drawing order.
void DrawMapEveryCell(TGameState& S, const TScene& Scene) {
  Scene.Surface->Canvas()->Release();
  TPictureCollection* tiles = Scene.DXImageList4->Items();
  try {
    for (int i = 1; i <= S.Map.UsedRows(); ++i)
      for (int j = 1; j <= S.Map.UsedCols(); ++j) {
        TPictureCollectionItem* tile = tiles->GetItem(S.Map.Terrain[TMapBlock::CellIndex(i, j)]);
        const TPoint p = CellPosition(S, Scene.Width, Scene.Height, i, j);
        if (p.x >= Scene.Width || p.y >= Scene.Height || p.x + tile->GetWidth() <= 0 || p.y + tile->GetHeight() <= 0)
          continue;
        tile->Draw(Scene.Surface, p.x, p.y, 0);
      }
  } catch (...) {}
}

class SceneAtTheLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    Rig = std::make_unique<TSceneRig>(false);
    for (const TRigPicture& p : TSceneRig::InterfacePictures()) TSceneRig::AddPicture(Rig->Lists[0], p);
    // Terrain pictures of several sizes: trees stand tall, raised ground is wide.
    const TRigPicture terrain[] = {{"tile", 40, 24, 0x208020}, {"tree", 40, 64, 0x105010}, {"water", 40, 24, 0xC06020},
                                   {"up1", 40, 32, 0x3070A0},  {"up2", 56, 32, 0x4080B0},  {"up3", 40, 40, 0x5090C0},
                                   {"up4", 72, 48, 0x60A0D0}};
    for (const TRigPicture& p : terrain) TSceneRig::AddPicture(Rig->Lists[3], p);
    const char* unitNames[] = {"Wojownik", "\xA3ucznik", "Mag", "Robotnik"};  // "Łucznik", windows-1250
    for (int t = 0; t < 4; ++t) {
      TUnitType& type = Rig->AddUnitType(unitNames[t], 24 + 4 * t, 32, static_cast<TColor>(0x2040A0 + t * 0x1010));
      type.MaxHP = 100;
      type.MaxMana = t == 2 ? 80 : 0;
      type.TrainTime = 40;
    }
    for (const char* name : {"Koszary", "Wieza"}) {
      TBuildingType& type = Rig->AddBuildingType(name, 80, 60, 0x806040);
      type.MaxHP = 500;
      type.BuildTime = 300;
    }
    TGameState& S = Rig->S;
    S.Map.MapRows = S.Map.MapCols = MapSize;
    unsigned seed = 11;
    for (std::size_t c = 0; c < MapCells; ++c) {
      seed = seed * 1103515245u + 12345u;
      S.Map.Terrain[c] = static_cast<std::uint8_t>((seed >> 16) % 7);
      S.Map.Heights[c] = static_cast<std::uint8_t>((seed >> 20) % (MaxElevation + 1));
    }
    for (int u = 1; u <= MaxUnits; ++u) {
      TUnit& unit = S.Units[u];
      unit.Name = S.UnitTypes[1 + u % 4].Name;
      unit.Number = u;
      unit.X = unit.TargetX = (u % 15) * 51 - 380;
      unit.Y = unit.TargetY = (u / 15) * 40 - 200;
      unit.HP = u % 101;
      unit.Mana = u % 81;
      unit.Selected = 1;
      if (u % 3 == 0) {
        unit.BuildName = S.BuildingTypes[1 + u % 2].Name;
        unit.BuildProgress = u;
      }
    }
    S.UnitCount = MaxUnits;
    for (int b = 1; b <= MaxBuildings; ++b) {
      TBuilding& building = S.Buildings[b];
      building.Name = S.BuildingTypes[1 + b % 2].Name;
      building.Number = b;
      building.X = (b % 15) * 50 - 400;
      building.Y = (b / 15) * 45 - 220;
      building.HP = b * 3;
      building.Selected = 1;
      if (b % 4 == 0) {
        building.TrainUnit = S.UnitTypes[1 + b % 4].Name;
        building.TrainProgress = b % 40;
      }
    }
    S.BuildingCount = MaxBuildings;
    S.Player.Gold = 12345;
    S.Player.Wood = 678;
    Rig->Show();
    S.Dragging = 1;
    S.DragStartX = 100;
    S.DragStartY = 90;
    S.MouseX = 420;
    S.MouseY = 300;
    GdiClearTextCache();
  }
  void TearDown() override {
    SetGdiTextThroughPainter(false);
    Rig.reset();
  }

  // Every step of the scene onto a cleared back surface; the bytes of the
  // surface after it.
  std::vector<BYTE> Frame(bool Slow) {
    TScene scene = Rig->Scene();
    scene.ShowBorder = true;
    TGameState& S = Rig->S;
    SetGdiTextThroughPainter(Slow);
    Rig->Clear();
    if (Slow)
      DrawMapEveryCell(S, scene);
    else
      DrawMap(S, scene);
    S.MarkerTicks = 10;
    DrawClickMarker(S, scene);
    DrawObjects(S, scene);
    DrawConstruction(S, scene);
    DrawCursorAndIcons(S, scene);
    DrawNumbersAndFrames(S, scene);
    DrawSelectionLabels(S, scene);
    SetGdiTextThroughPainter(false);
    scene.Surface->Canvas()->Release();
    DDSURFACEDESC desc;
    EXPECT_TRUE(scene.Surface->Lock(nullptr, desc));
    const auto* bits = static_cast<const BYTE*>(desc.lpSurface);
    std::vector<BYTE> out(bits, bits + static_cast<std::ptrdiff_t>(desc.lPitch) * desc.dwHeight);
    scene.Surface->Unlock();
    return out;
  }

  // The first differing byte as a pixel position, for the failure message.
  ::testing::AssertionResult SameFrame(const std::vector<BYTE>& Fast, const std::vector<BYTE>& Slow) {
    if (Fast.size() != Slow.size()) return ::testing::AssertionFailure() << "sizes differ";
    const DDSURFACEDESC& d = Rig->Back()->SurfaceDesc();
    for (size_t i = 0; i < Fast.size(); ++i)
      if (Fast[i] != Slow[i])
        return ::testing::AssertionFailure()
               << "first difference at (" << (i % d.lPitch) * 8 / d.ddpfPixelFormat.dwRGBBitCount << ", "
               << i / d.lPitch << ")";
    return ::testing::AssertionSuccess();
  }

  std::unique_ptr<TSceneRig> Rig;
};

TEST_F(SceneAtTheLimits, EqualsEveryCellAndPaintedTextWhereverTheViewIs) {
  struct TView {
    std::int32_t ScrollX, ScrollY;
  };
  // The map's top corner, the middle of the map, its far corner, a view off
  // the map, and a scroll too far for the visible-cell ranges (every cell is
  // tried then).
  const TView views[] = {{0, 0}, {0, -1800}, {1900, -1900}, {-3800, -3900}, {5000, 400}, {1 << 29, -(1 << 29)}};
  for (const TView& v : views) {
    SCOPED_TRACE(testing::Message() << "scroll " << v.ScrollX << ", " << v.ScrollY);
    Rig->S.ScrollX = v.ScrollX;
    Rig->S.ScrollY = v.ScrollY;
    const std::vector<BYTE> slow = Frame(true);
    EXPECT_TRUE(SameFrame(Frame(false), slow));
    // Drawn again, from the text cache.
    EXPECT_TRUE(SameFrame(Frame(false), slow));
  }
}

TEST_F(SceneAtTheLimits, AKindWithoutAPictureStopsTheTerrainWhereEveryCellWouldStop) {
  TGameState& S = Rig->S;
  Rig->S.ScrollY = -1800;
  struct TStop {
    int Row, Col;
  };
  // In the view, in a row above the view (nothing of the terrain is drawn
  // after it), and in the last cell of the map.
  const TStop stops[] = {{115, 112}, {20, 30}, {MapSize, MapSize}};
  for (const TStop& stop : stops) {
    SCOPED_TRACE(testing::Message() << "stop at " << stop.Row << ", " << stop.Col);
    const std::uint8_t kept = S.Map.TerrainAt(stop.Row, stop.Col);
    S.Map.SetTerrainAt(stop.Row, stop.Col, 7);
    const std::vector<BYTE> slow = Frame(true);
    EXPECT_TRUE(SameFrame(Frame(false), slow));
    S.Map.SetTerrainAt(stop.Row, stop.Col, kept);
  }
}

}  // namespace
