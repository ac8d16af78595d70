#include "tools/assetgen/Folders.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/rtl/Cp1250.h"
#include "tools/assetgen/Music.h"
#include "tools/assetgen/Pictures.h"
#include "tools/assetgen/Stored.h"
#include "tools/assetgen/WorldData.h"

namespace {

template <typename R>
std::vector<std::uint8_t> Record(const R& Value) {
  std::vector<std::uint8_t> bytes(R::SerializedSize);
  Value.Serialize(bytes.data());
  return bytes;
}

void WriteMaps(const std::string& Dir) {
  for (const TSampleMap& m : SampleMaps()) WriteHostFile(Dir + "/" + m.FileName, Record(m.Map));
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
  for (const TUnitTypeFile& t : UnitTypes()) WriteHostFile(Dir + "/data/units/" + t.FileName, Record(t.Type));
  for (const TBuildingTypeFile& t : BuildingTypes())
    WriteHostFile(Dir + "/data/buildings/" + t.FileName, Record(t.Type));
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
    if (t.InEditor) WriteHostFile(Dir + "/data/" + t.FileName, Record(t.Type));
  for (const TBuildingTypeFile& t : BuildingTypes()) WriteHostFile(Dir + "/data/" + t.FileName, Record(t.Type));
  WriteMaps(Dir);
}
