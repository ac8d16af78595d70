// Pictures for a person to look at: a contact sheet of every generated
// picture and scenes drawn the way the programs draw their view, written as
// PNG files.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/generator/Raster.h"
#include "world/MapFile.h"

// A PNG file of the picture; transparent pixels are drawn in Background.
std::vector<std::uint8_t> PngFile(const TPixelPicture& Picture, TRgb Background);

// Draws the terrain of Map as the game does (cell (i, j) at
// 16·(j − i) + W div 2 − 20, 8·(i + j) + H div 2 − 8·e − 40, shifted by the
// scroll) with the game's terrain pictures; with Objects also its buildings
// and units, and with Editor the editor's ground-level sides of raised cells.
TPixelPicture RenderScene(const TMapFile& Map, int W, int H, int ScrollX, int ScrollY, bool Objects, bool Editor);

TPixelPicture ContactSheet();
// The unit figures at five times their size.
TPixelPicture FigureSheet();
// The terrain and the editor's markers at four times their size.
TPixelPicture TerrainSheet();
// The button glyphs and the game's interface pictures at three times their size.
TPixelPicture GlyphSheet();
