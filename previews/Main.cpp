// brask_previews <start folder> <output folder>: writes every preview into
// the output folder: the contact sheets, scenes and waves from the
// generator's code, then the sample maps' views from the game started in
// the start folder (the game's start folder the build laid out).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "game/ProgramMain.h"
#include "previews/Previews.h"

using namespace korvel;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: brask_previews <start folder> <output folder>\n");
    return 2;
  }
  try {
    const std::string out = std::filesystem::absolute(argv[2]).string();
    std::filesystem::create_directories(out);
    const std::string start = std::filesystem::absolute(argv[1]).string();
    WritePreviewPictures(out);
    RegisterGameModules();
    WriteMapViews(start, out);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "brask_previews: %s\n", e.what());
    return 1;
  }
}
