// The contact sheets and scenes, drawn from the generator's own pictures
// (not through the programs), and the stored waves.
#include "previews/Previews.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "assets/generator/Folders.h"
#include "assets/generator/Pictures.h"
#include "assets/generator/Raster.h"
#include "assets/generator/Sounds.h"
#include "assets/generator/Stored.h"
#include "assets/generator/WorldData.h"
#include "world/MapFile.h"
#include "world/MapGeometry.h"

namespace {

// Writes Picture to the PNG file Path, transparent pixels in Background.
void SavePng(const TPixelPicture& P, TRgb Background, const std::string& Path) {
  auto q = [](double v) { return static_cast<std::uint8_t>(std::lround(v * 255)); };
  const std::uint8_t back[3] = {q(Background.R), q(Background.G), q(Background.B)};
  QImage image(P.Width, P.Height, QImage::Format_RGB888);
  for (int y = 0; y < P.Height; ++y) {
    std::uint8_t* line = image.scanLine(y);
    for (int x = 0; x < P.Width; ++x) std::memcpy(line + 3 * x, P.Opaque(x, y) ? P.At(x, y) : back, 3);
  }
  if (!image.save(QString::fromStdString(Path), "PNG")) throw std::runtime_error("cannot write " + Path);
}

// Draws the terrain of Map as the game does (cell (i, j) at
// 16·(j − i) + W div 2 − 20, 8·(i + j) + H div 2 − 8·e − 40, shifted by the
// scroll) with the game's terrain pictures; with Objects also its buildings
// and units, and with Editor the editor's ground-level sides of raised cells.
TPixelPicture RenderScene(const TMapFile& Map, int W, int H, int ScrollX, int ScrollY, bool Objects, bool Editor) {
  TPixelPicture scene(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) scene.Set(x, y, 0, 0, 0);
  std::vector<TNamedPicture> terrain = TerrainPictures();
  std::vector<TNamedPicture> sides = EditorMarkerPictures();
  const TMapBlock& m = Map.Map;
  for (int i = 1; i <= m.UsedRows(); ++i)
    for (int j = 1; j <= m.UsedCols(); ++j) {
      int k = m.TerrainAt(i, j), e = m.HeightAt(i, j);
      if (k > 6) continue;
      int x = static_cast<int>(ScrollX + CellPictureX(i, j) + W / 2),
          y = static_cast<int>(ScrollY + CellPictureY(i, j) + H / 2);
      if (x < -40 || y < -60 - 8 * e || x > W || y > H + 80) continue;
      scene.Blit(terrain[static_cast<std::size_t>(k)].Picture, x, y - 8 * e);
      if (Editor && k > 2) scene.Blit(sides[static_cast<std::size_t>(k - 1)].Picture, x, y);
    }
  if (!Objects) return scene;
  std::vector<TNamedPicture> units = UnitPictures(), buildings = BuildingPictures();
  auto find = [](const std::vector<TNamedPicture>& List, const TShortString& Name) -> const TPixelPicture* {
    for (const TNamedPicture& p : List)
      if (Name.Equals(p.Name)) return &p.Picture;
    return nullptr;
  };
  for (int b = 1; b <= MaxBuildings; ++b) {
    const TBuilding& o = Map.Buildings[static_cast<std::size_t>(b)];
    if (o.Free()) continue;
    if (const TPixelPicture* p = find(buildings, o.Name))
      scene.Blit(*p, ScrollX + o.X + W / 2 - p->Width / 2, ScrollY + o.Y + H / 2 - p->Height / 2 + 8);
  }
  for (int u = 1; u <= MaxUnits; ++u) {
    const TUnit& o = Map.Units[static_cast<std::size_t>(u)];
    if (o.Free()) continue;
    if (const TPixelPicture* p = find(units, o.Name))
      scene.Blit(*p, ScrollX + o.X + W / 2 - p->Width / 2, ScrollY + o.Y + H / 2 - p->Height / 2 - 8);
  }
  std::vector<TNamedPicture> ui = GameInterfacePictures();
  scene.Blit(ui[3].Picture, W - 280, 20);
  scene.Blit(ui[4].Picture, W - 200, 20);
  scene.Blit(ui[0].Picture, W / 2 + 60 - 16, H / 2 + 40 - 8);
  scene.Blit(ui[6].Picture, W / 2 + 90, H / 2 + 70);
  return scene;
}

TPixelPicture Sheet(const std::vector<std::vector<TNamedPicture>>& rows, int zoom) {
  const int gap = 8;
  int width = 0, height = gap;
  for (const auto& r : rows) {
    int w = gap, h = 0;
    for (const auto& p : r) {
      w += p.Picture.Width * zoom + gap;
      h = std::max(h, p.Picture.Height * zoom);
    }
    width = std::max(width, w);
    height += h + gap;
  }
  TPixelPicture sheet(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) sheet.Set(x, y, 96, 100, 104);
  int y = gap;
  for (const auto& r : rows) {
    int x = gap, h = 0;
    for (const auto& p : r) {
      const TPixelPicture& pic = p.Picture;
      for (int py = 0; py < pic.Height * zoom; ++py)
        for (int px = 0; px < pic.Width * zoom; ++px) {
          int sx = px / zoom, sy = py / zoom;
          if (pic.Opaque(sx, sy)) {
            const std::uint8_t* c = pic.At(sx, sy);
            sheet.Set(x + px, y + py, c[0], c[1], c[2]);
          } else if (((px / 8) + (py / 8)) % 2) {
            sheet.Set(x + px, y + py, 120, 124, 128);
          }
        }
      x += pic.Width * zoom + gap;
      h = std::max(h, pic.Height * zoom);
    }
    y += h + gap;
  }
  return sheet;
}

TPixelPicture ContactSheet() {
  // Every stored list in a row, pictures at twice their size on a grey
  // ground, then the glyphs.
  std::vector<std::vector<TNamedPicture>> rows;
  for (const char* key : {"Sandreth.DXImageList1", "Sandreth.DXImageList2", "Sandreth.DXImageList3",
                          "Sandreth.DXImageList4", "Korvel.DXImageList1"})
    rows.push_back(StoredPictures(key));
  rows.push_back(UnitPictures());
  rows.push_back(EditorGlyphs());
  rows.push_back(GameGlyphs());
  return Sheet(rows, 2);
}

// The unit figures at five times their size.
TPixelPicture FigureSheet() { return Sheet({UnitPictures()}, 5); }

// The terrain and the editor's markers at four times their size.
TPixelPicture TerrainSheet() { return Sheet({TerrainPictures(), EditorMarkerPictures()}, 4); }

// The button glyphs and the game's interface pictures at three times their size.
TPixelPicture GlyphSheet() { return Sheet({EditorGlyphs(), GameGlyphs(), GameInterfacePictures()}, 3); }

}  // namespace

void WritePreviewPictures(const std::string& Dir) {
  SavePng(ContactSheet(), Rgb(96, 100, 104), Dir + "/contact-sheet.png");
  SavePng(FigureSheet(), Rgb(96, 100, 104), Dir + "/figures.png");
  SavePng(GlyphSheet(), Rgb(96, 100, 104), Dir + "/glyphs.png");
  SavePng(TerrainSheet(), Rgb(96, 100, 104), Dir + "/terrain.png");
  for (std::size_t i = 0; i < StoredWaves().size(); ++i)
    WriteHostFile(Dir + "/" + StoredWaves()[i].Name + ".wav", SynthesizeWave(i));
  std::vector<TSampleMap> maps = SampleMaps();
  const TMapFile& small = maps[0].Map;
  const TBuilding& castle = small.Buildings[1];
  SavePng(RenderScene(small, 792, 478, -castle.X - 60, -castle.Y - 40, true, false), Rgb(0, 0, 0),
          Dir + "/scene-game.png");
  SavePng(RenderScene(small, 1000, 600, 0, -240, true, false), Rgb(0, 0, 0), Dir + "/map-small.png");
  // The first view of each map.
  for (std::size_t k = 0; k < maps.size(); ++k)
    SavePng(RenderScene(maps[k].Map, 792, 478, 0, 0, true, false), Rgb(0, 0, 0),
            Dir + "/first-view-" + std::to_string(k + 1) + ".png");
  SavePng(RenderScene(small, 792, 478, 0, -200, false, true), Rgb(0, 0, 0), Dir + "/scene-editor.png");
  const TMapFile& large = maps[1].Map;
  {
    // The whole large map, reduced eight times.
    const int w = 32 * 242, h = 16 * 242 + 120;
    TPixelPicture full = RenderScene(large, w, h, 0, -h / 2 + 60, true, false);
    TPixelPicture small8(w / 8, h / 8);
    for (int y = 0; y < small8.Height; ++y)
      for (int x = 0; x < small8.Width; ++x) {
        int r = 0, g = 0, b = 0;
        for (int dy = 0; dy < 8; ++dy)
          for (int dx = 0; dx < 8; ++dx) {
            const std::uint8_t* c = full.At(x * 8 + dx, y * 8 + dy);
            r += c[0];
            g += c[1];
            b += c[2];
          }
        small8.Set(x, y, static_cast<std::uint8_t>(r / 64), static_cast<std::uint8_t>(g / 64),
                   static_cast<std::uint8_t>(b / 64));
      }
    SavePng(small8, Rgb(0, 0, 0), Dir + "/map-large.png");
  }
  const TBuilding& seat = large.Buildings[1];
  SavePng(RenderScene(large, 792, 478, -seat.X, -seat.Y - 60, true, false), Rgb(0, 0, 0), Dir + "/scene-large.png");
}
