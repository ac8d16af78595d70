#include "assets/generator/Folders.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "assets/generator/Music.h"
#include "assets/generator/Pictures.h"
#include "assets/generator/Stored.h"
#include "assets/generator/WorldData.h"
#include "platform/rtl/Cp1250.h"
#include "world/WorldFiles.h"

namespace {

template <typename R>
std::vector<std::uint8_t> Record(const R& Value) {
  std::vector<std::uint8_t> bytes(R::SerializedSize);
  Value.Serialize(bytes.data());
  return bytes;
}

bool Holds(const std::string& Path, const std::vector<std::uint8_t>& Bytes) {
  std::ifstream in(std::filesystem::path(Path), std::ios::binary);
  if (!in) return false;
  std::vector<std::uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return old == Bytes;
}

// Type and map files go through the world's own writers (which take
// windows-1250 names); a file that already holds the record is left alone.
template <typename R, typename W>
void WriteRecord(const std::string& Path, const R& Value, W Writer) {
  if (Holds(Path, Record(Value))) return;
  std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
  Writer(Utf8ToCp1250(Path), Value);
}

void WriteMaps(const std::string& Dir) {
  for (const TSampleMap& m : SampleMaps()) WriteRecord(Dir + "/" + m.FileName, m.Map, WriteMapFile);
}

}  // namespace

void WriteHostFile(const std::string& Path, const std::vector<std::uint8_t>& Bytes) {
  std::filesystem::path p(Path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  {
    std::ifstream in(p, std::ios::binary);
    if (in) {
      std::vector<std::uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (old == Bytes) return;
    }
  }
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + Path);
}

void WriteGameFolder(const std::string& Dir) {
  for (const TUnitTypeFile& t : UnitTypes()) WriteRecord(Dir + "/data/units/" + t.FileName, t.Type, WriteUnitTypeFile);
  for (const TBuildingTypeFile& t : BuildingTypes())
    WriteRecord(Dir + "/data/buildings/" + t.FileName, t.Type, WriteBuildingTypeFile);
  // One picture a type, named exactly by the type name.
  for (const TNamedPicture& p : UnitPictures())
    WriteHostFile(Dir + "/data/images/" + Cp1250ToUtf8(p.Name) + ".bmp", BitmapFile(p.Picture));
  for (const TNamedPicture& p : BuildingPictures())
    WriteHostFile(Dir + "/data/images/" + Cp1250ToUtf8(p.Name) + ".bmp", BitmapFile(p.Picture));
  WriteHostFile(Dir + "/data/music/music1.MID", ComposeMusic());
  WriteMaps(Dir);
}

void WriteEditorFolder(const std::string& Dir) {
  for (const TUnitTypeFile& t : UnitTypes())
    if (t.InEditor) WriteRecord(Dir + "/data/" + t.FileName, t.Type, WriteUnitTypeFile);
  for (const TBuildingTypeFile& t : BuildingTypes())
    WriteRecord(Dir + "/data/" + t.FileName, t.Type, WriteBuildingTypeFile);
  WriteMaps(Dir);
}
