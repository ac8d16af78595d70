// The editor's pictures as the program carries them: each image list's
// stored component data and the tool buttons' glyphs.
#pragma once

#include <string>

class TDXImageList;
class TSpeedButton;

// Reads the stored data kept under Key into List (its items and "DIB"
// pictures); false when the program carries none.
bool ReadStoredPictures(TDXImageList* List, const std::string& Key);
// Gives Button the stored bitmap kept under Key as its glyph; false when there
// is none.
bool LoadStoredGlyph(TSpeedButton* Button, const std::string& Key);
