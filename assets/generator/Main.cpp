// brask_assetgen: makes every asset of the two programs.
//   brask_assetgen stored <file.cpp>          the stored component data as C++
//   brask_assetgen folders <play> <mapmaker>  the programs' start folders
//   brask_assetgen preview <dir>              contact sheet and scenes as PNG, the waves
#include <cstdio>
#include <exception>
#include <string>

#include "assets/generator/Folders.h"
#include "assets/generator/Preview.h"
#include "assets/generator/Sounds.h"
#include "assets/generator/Stored.h"
#include "assets/generator/WorldData.h"

int main(int argc, char** argv) {
  try {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "stored" && argc == 3) {
      std::string source = StoredSource(StoredBlobs());
      WriteHostFile(argv[2], std::vector<std::uint8_t>(source.begin(), source.end()));
      return 0;
    }
    if (mode == "folders" && argc == 4) {
      WriteGameFolder(argv[2]);
      WriteEditorFolder(argv[3]);
      return 0;
    }
    if (mode == "preview" && argc == 3) {
      std::string dir = argv[2];
      WriteHostFile(dir + "/contact-sheet.png", PngFile(ContactSheet(), Rgb(96, 100, 104)));
      WriteHostFile(dir + "/figures.png", PngFile(FigureSheet(), Rgb(96, 100, 104)));
      WriteHostFile(dir + "/glyphs.png", PngFile(GlyphSheet(), Rgb(96, 100, 104)));
      WriteHostFile(dir + "/terrain.png", PngFile(TerrainSheet(), Rgb(96, 100, 104)));
      for (std::size_t i = 0; i < StoredWaves().size(); ++i)
        WriteHostFile(dir + "/" + StoredWaves()[i].Name + ".wav", SynthesizeWave(i));
      std::vector<TSampleMap> maps = SampleMaps();
      const TMapFile& small = maps[0].Map;
      const TBuilding& castle = small.Buildings[1];
      WriteHostFile(dir + "/scene-game.png",
                    PngFile(RenderScene(small, 792, 478, -castle.X - 60, -castle.Y - 40, true, false), Rgb(0, 0, 0)));
      WriteHostFile(dir + "/map-small.png",
                    PngFile(RenderScene(small, 1000, 600, 0, -240, true, false), Rgb(0, 0, 0)));
      // The first view of each map.
      for (std::size_t k = 0; k < maps.size(); ++k)
        WriteHostFile(dir + "/first-view-" + std::to_string(k + 1) + ".png",
                      PngFile(RenderScene(maps[k].Map, 792, 478, 0, 0, true, false), Rgb(0, 0, 0)));
      WriteHostFile(dir + "/scene-editor.png",
                    PngFile(RenderScene(small, 792, 478, 0, -200, false, true), Rgb(0, 0, 0)));
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
        WriteHostFile(dir + "/map-large.png", PngFile(small8, Rgb(0, 0, 0)));
      }
      const TBuilding& seat = large.Buildings[1];
      WriteHostFile(dir + "/scene-large.png",
                    PngFile(RenderScene(large, 792, 478, -seat.X, -seat.Y - 60, true, false), Rgb(0, 0, 0)));
      return 0;
    }
    std::fprintf(stderr, "usage: brask_assetgen stored <file.cpp> | folders <play> <mapmaker> | preview <dir>\n");
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "brask_assetgen: %s\n", e.what());
    return 1;
  }
}
