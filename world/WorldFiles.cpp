#include "world/WorldFiles.h"

#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileReplace.h"
#include "platform/rtl/RecordFile.h"

namespace {

template <typename R>
void Decode(const std::uint8_t* data, std::size_t size, R& record) {
  if (size < R::SerializedSize) throw EInOutError(ioReadBeyondEnd);
  record.Deserialize(data);
}

template <typename R>
void ReadFile(const std::string& fileName, R& record) {
  std::vector<std::uint8_t> buffer(R::SerializedSize);
  ReadRecordFile(fileName, buffer.data(), buffer.size());
  record.Deserialize(buffer.data());
}

template <typename R>
void WriteFile(const std::string& fileName, const R& record) {
  std::vector<std::uint8_t> buffer(R::SerializedSize);
  record.Serialize(buffer.data());
  WriteRecordFile(fileName, buffer.data(), buffer.size());
}

}  // namespace

void ReadUnitTypeFile(const std::string& FileName, TUnitType& Type) { ReadFile(FileName, Type); }
void ReadBuildingTypeFile(const std::string& FileName, TBuildingType& Type) { ReadFile(FileName, Type); }
void ReadMapFile(const std::string& FileName, TMapFile& Map) { ReadFile(FileName, Map); }

void WriteUnitTypeFile(const std::string& FileName, const TUnitType& Type) { WriteFile(FileName, Type); }
void WriteBuildingTypeFile(const std::string& FileName, const TBuildingType& Type) { WriteFile(FileName, Type); }
void WriteMapFile(const std::string& FileName, const TMapFile& Map) {
  std::vector<std::uint8_t> bytes(TMapFile::SerializedSize);
  Map.Serialize(bytes.data());
  ReplaceFileContents(FileName, bytes.data(), bytes.size());
}

void DecodeUnitType(const std::uint8_t* Data, std::size_t Size, TUnitType& Type) { Decode(Data, Size, Type); }
void DecodeBuildingType(const std::uint8_t* Data, std::size_t Size, TBuildingType& Type) { Decode(Data, Size, Type); }
void DecodeMapFile(const std::uint8_t* Data, std::size_t Size, TMapFile& Map) { Decode(Data, Size, Map); }
