// The start folders laid out beside the built programs: the game's (data
// folder with type files, type pictures and music, the sample maps beside
// it) and the editor's (type files directly in its data folder, the sample
// maps beside it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes Bytes to the host file Path (UTF-8) unless it already holds them.
void WriteHostFile(const std::string& Path, const std::vector<std::uint8_t>& Bytes);

void WriteGameFolder(const std::string& Dir);
void WriteEditorFolder(const std::string& Dir);
