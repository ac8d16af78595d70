// The component data stored in the programs: the image lists and the wave
// list as component streams, written by the library's own filer from the
// library's own components, and the button glyphs as bitmap files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/generator/Pictures.h"

struct TStoredBlob {
  std::string Key;
  std::vector<std::uint8_t> Bytes;
};

// A 24-bit bitmap file of the picture; transparent pixels hold the key colour.
std::vector<std::uint8_t> BitmapFile(const TPixelPicture& Picture);
// The "TPF0" stream of one image list named ComponentName holding Pictures
// (transparent colour magenta).
std::vector<std::uint8_t> ImageListStream(const std::string& ComponentName, const std::vector<TNamedPicture>& Pictures);
// The "TPF0" stream of the game's wave list.
std::vector<std::uint8_t> WaveListStream(const std::string& ComponentName);

// The pictures of each stored image list, by key ("Sandreth.DXImageList1").
std::vector<TNamedPicture> StoredPictures(const std::string& Key);
// Every stored blob: the image lists, the wave list and the glyphs.
std::vector<TStoredBlob> StoredBlobs();
// A C++ source that defines StoredComponentData over the blobs.
std::string StoredSource(const std::vector<TStoredBlob>& Blobs);
