// Pictures for a person to look at, not carried by the programs: contact
// sheets of the generated pictures, scenes drawn the way the programs draw
// their view, the stored waves, and the sample maps as the game itself shows
// them. Written as PNG and WAV files into one folder.
#pragma once

#include <string>

// The contact sheets, the scenes and the waves into Dir.
void WritePreviewPictures(const std::string& Dir);

// Screenshots of the sample maps, each at nine places, as the game started
// in its start folder Start shows them: <map>-<place>.png in Out.
void WriteMapViews(const std::string& Start, const std::string& Out);
