// Reading and writing the world's files: ".unt" and ".bld" type files (one
// record each) and ".map" files (one TMapFile record). A failing open, read,
// write or close raises EInOutError with the runtime's text; a file shorter
// than its record gives "Read beyond end of file" and bytes beyond the first
// record are ignored. The destination is changed only after a complete read.
// Nothing read is validated. A map is written without ever leaving a
// half-written file in its place and keeping what the user set up (a link
// stays a link, the file keeps its permissions and attributes, a file he may
// not write is refused with "File access denied"): see ReplaceFileContents.
// A failure leaves the old file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "world/MapFile.h"
#include "world/Records.h"

void ReadUnitTypeFile(const std::string& FileName, TUnitType& Type);
void ReadBuildingTypeFile(const std::string& FileName, TBuildingType& Type);
void ReadMapFile(const std::string& FileName, TMapFile& Map);

void WriteUnitTypeFile(const std::string& FileName, const TUnitType& Type);
void WriteBuildingTypeFile(const std::string& FileName, const TBuildingType& Type);
void WriteMapFile(const std::string& FileName, const TMapFile& Map);

// The same records decoded from bytes in memory (Size bytes at Data), with the
// same rule for data shorter than the record.
void DecodeUnitType(const std::uint8_t* Data, std::size_t Size, TUnitType& Type);
void DecodeBuildingType(const std::uint8_t* Data, std::size_t Size, TBuildingType& Type);
void DecodeMapFile(const std::uint8_t* Data, std::size_t Size, TMapFile& Map);
