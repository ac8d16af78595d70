// Writes the description (MapInput.h) of each map file named on the command
// line into a corpus folder, for the map reader's fuzzer to start from:
//   map_seeds <corpus folder> <file.map>...
// Each description is checked on the way: field by field it must read back as
// the map's records, and whole it must build the map's bytes exactly.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/world/MapInput.h"
#include "platform/rtl/Exceptions.h"
#include "world/WorldFiles.h"

namespace {

bool Builds(const std::vector<std::uint8_t>& Description, std::vector<std::uint8_t>& Bytes, TMapFile& Read) {
  Bytes.resize(TMapFile::SerializedSize);
  const std::size_t length = mapinput::BuildMapBytes(Description.data(), Description.size(), Bytes.data());
  if (length != TMapFile::SerializedSize) return false;
  DecodeMapFile(Bytes.data(), Bytes.size(), Read);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <corpus folder> <file.map>...\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  auto file = std::make_unique<TMapFile>();
  auto read = std::make_unique<TMapFile>();
  std::vector<std::uint8_t> bytes(TMapFile::SerializedSize), built;
  for (int i = 2; i < argc; ++i) {
    const std::string path = argv[i];
    try {
      ReadMapFile(path, *file);
    } catch (const Exception& e) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
      return 1;
    }
    file->Serialize(bytes.data());
    std::vector<std::uint8_t> description = mapinput::DescribeFields(*file);
    if (!Builds(description, built, *read) || !(*read == *file)) {
      std::fprintf(stderr, "%s: its description does not read back as the map\n", path.c_str());
      return 1;
    }
    const std::size_t fields = description.size();
    mapinput::AppendRawDifferences(description, *file);
    if (!Builds(description, built, *read) || built != bytes) {
      std::fprintf(stderr, "%s: its description does not give the map's bytes\n", path.c_str());
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
    std::printf("%s: %zu bytes of fields, %zu of raw bytes\n", seed.c_str(), fields, description.size() - fields);
  }
  return 0;
}
