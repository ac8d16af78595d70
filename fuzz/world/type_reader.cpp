// ".unt" and ".bld" records from untrusted bytes: decoding must stay inside the
// record, short data must fail as a short file does, and a decoded record must
// write back the bytes it was read from.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "world/ObjectNames.h"
#include "world/World.h"
#include "world/WorldFiles.h"

namespace {

template <typename R, typename Decode>
bool RoundTrip(const std::uint8_t* data, std::size_t size, Decode decode, R& record) {
  try {
    decode(data, size, record);
  } catch (const EInOutError&) {
    if (size >= R::SerializedSize) std::abort();
    return false;
  }
  if (size < R::SerializedSize) std::abort();
  std::vector<std::uint8_t> out(R::SerializedSize);
  record.Serialize(out.data());
  if (std::memcmp(out.data(), data, out.size()) != 0) std::abort();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Input, std::size_t InputSize) {
  // Short inputs whose first byte is odd are repeated up to a whole unit type
  // record, so that most runs decode something.
  std::vector<std::uint8_t> bytes(Input, Input + InputSize);
  if (InputSize > 0 && InputSize < TUnitType::SerializedSize && (Input[0] & 1)) {
    bytes.resize(TUnitType::SerializedSize);
    for (std::size_t at = InputSize; at < bytes.size(); at += InputSize)
      std::memcpy(bytes.data() + at, Input, std::min(InputSize, bytes.size() - at));
  }
  const std::uint8_t* Data = bytes.data();
  const std::size_t Size = bytes.size();
  static TWorldTables world;
  unsigned sum = 0;
  TUnitType ut;
  if (RoundTrip(Data, Size, DecodeUnitType, ut)) {
    if (!AddUnitType(world, ut)) world.UnitTypeCount = 0;
    sum += static_cast<unsigned>(PictureName(ut.Name).size());
    for (int i = 1; i <= UnitTypeSpellSlots; ++i) sum += static_cast<unsigned>(ut.Spells[i].Text().size());
    for (int i = 1; i <= UnitTypeBuildingSlots; ++i) sum += ut.Buildings[i] == ut.Name ? 1u : 0u;
  }
  TBuildingType bt;
  if (RoundTrip(Data, Size, DecodeBuildingType, bt)) {
    if (!AddBuildingType(world, bt)) world.BuildingTypeCount = 0;
    sum += static_cast<unsigned>(PictureName(bt.Name).size());
    for (int i = 1; i <= BuildingTypeUnitSlots; ++i) sum += static_cast<unsigned>(bt.Units[i].Size());
  }
  volatile unsigned sink = sum;
  (void)sink;
  return 0;
}
