// Writes the description (MapInput.h) of each map file named on the command
// line into a corpus folder, for the map reader's fuzzer to start from:
//   map_seeds <corpus folder> <file.map>...
// Each description is built again and checked to give the file's record.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/world/MapInput.h"
#include "platform/rtl/Exceptions.h"
#include "world/WorldFiles.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <corpus folder> <file.map>...\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  auto file = std::make_unique<TMapFile>();
  std::vector<std::uint8_t> bytes(TMapFile::SerializedSize), built(TMapFile::SerializedSize);
  for (int i = 2; i < argc; ++i) {
    const std::string path = argv[i];
    try {
      ReadMapFile(path, *file);
    } catch (const Exception& e) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
      return 1;
    }
    file->Serialize(bytes.data());
    const std::vector<std::uint8_t> description = mapinput::DescribeMap(*file, bytes.data());
    const std::size_t length = mapinput::BuildMapBytes(description.data(), description.size(), built.data());
    if (length != TMapFile::SerializedSize || built != bytes) {
      std::fprintf(stderr, "%s: its description does not give the map back\n", path.c_str());
      return 1;
    }
    std::string name = path.substr(path.find_last_of('/') + 1);
    name = name.substr(0, name.find_last_of('.'));
    const std::string seed = folder + "/map_" + name;
    std::ofstream out(seed, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(description.data()), static_cast<std::streamsize>(description.size()));
    if (!out) {
      std::fprintf(stderr, "%s: cannot be written\n", seed.c_str());
      return 1;
    }
    std::printf("%s: %zu bytes of description\n", seed.c_str(), description.size());
  }
  return 0;
}
