#include "assets/generator/Preview.h"

#include <cmath>

#include "assets/generator/Pictures.h"
#include "assets/generator/Stored.h"
#include "assets/generator/WorldData.h"
#include "world/MapGeometry.h"

namespace {

std::uint32_t Crc32(const std::uint8_t* Data, std::size_t Size, std::uint32_t Crc = 0) {
  static std::uint32_t table[256];
  static bool made = false;
  if (!made) {
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    made = true;
  }
  Crc = ~Crc;
  for (std::size_t i = 0; i < Size; ++i) Crc = table[(Crc ^ Data[i]) & 0xFF] ^ (Crc >> 8);
  return ~Crc;
}

void Put32(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  for (int s = 24; s >= 0; s -= 8) Out.push_back(static_cast<std::uint8_t>(V >> s));
}

void Chunk(std::vector<std::uint8_t>& Out, const char* Type, const std::vector<std::uint8_t>& Data) {
  Put32(Out, static_cast<std::uint32_t>(Data.size()));
  std::vector<std::uint8_t> body(Type, Type + 4);
  body.insert(body.end(), Data.begin(), Data.end());
  Out.insert(Out.end(), body.begin(), body.end());
  Put32(Out, Crc32(body.data(), body.size()));
}

}  // namespace

std::vector<std::uint8_t> PngFile(const TPixelPicture& P, TRgb Background) {
  std::vector<std::uint8_t> raw;
  auto q = [](double v) { return static_cast<std::uint8_t>(std::lround(v * 255)); };
  for (int y = 0; y < P.Height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < P.Width; ++x) {
      if (P.Opaque(x, y)) {
        const std::uint8_t* c = P.At(x, y);
        raw.insert(raw.end(), c, c + 3);
      } else {
        raw.insert(raw.end(), {q(Background.R), q(Background.G), q(Background.B)});
      }
    }
  }
  // zlib stream of stored blocks.
  std::vector<std::uint8_t> z{0x78, 0x01};
  for (std::size_t i = 0; i < raw.size() || i == 0; i += 65535) {
    std::size_t n = std::min<std::size_t>(65535, raw.size() - i);
    bool last = i + n >= raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n));
    z.push_back(static_cast<std::uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(i), raw.begin() + static_cast<std::ptrdiff_t>(i + n));
    if (last) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  Put32(z, (b << 16) | a);

  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  Put32(header, static_cast<std::uint32_t>(P.Width));
  Put32(header, static_cast<std::uint32_t>(P.Height));
  header.insert(header.end(), {8, 2, 0, 0, 0});
  Chunk(out, "IHDR", header);
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", {});
  return out;
}

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
      int x = static_cast<int>(ScrollX + CellPictureX(i, j) + W / 2), y = static_cast<int>(ScrollY + CellPictureY(i, j) + H / 2);
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

namespace {

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

}  // namespace

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

TPixelPicture FigureSheet() { return Sheet({UnitPictures()}, 5); }

TPixelPicture TerrainSheet() { return Sheet({TerrainPictures(), EditorMarkerPictures()}, 4); }

TPixelPicture GlyphSheet() { return Sheet({EditorGlyphs(), GameGlyphs(), GameInterfacePictures()}, 3); }
