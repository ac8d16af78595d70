// brask_assetgen: makes every asset of the two programs.
//   brask_assetgen stored <file.cpp>          the stored component data as C++
//   brask_assetgen folders <play> <mapmaker>  the programs' start folders
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "assets/generator/Folders.h"
#include "assets/generator/Stored.h"

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
    std::fprintf(stderr, "usage: brask_assetgen stored <file.cpp> | folders <play> <mapmaker>\n");
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "brask_assetgen: %s\n", e.what());
    return 1;
  }
}
