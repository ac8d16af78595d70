// How units and buildings name each other and their pictures: the object
// identifier ("<type name> <number>"), the running number per type name and
// the picture name of a type.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "world/Arith.h"
#include "world/Records.h"
#include "world/ShortString.h"

// The identifier text: Name, one space, Number in decimal (a minus sign when
// negative, no leading zeros). It may be longer than 100 characters.
std::string ObjectIdentifier(const TShortString& Name, std::int32_t Number);
inline std::string ObjectIdentifier(const TUnit& U) { return ObjectIdentifier(U.Name, U.Number); }
inline std::string ObjectIdentifier(const TBuilding& B) { return ObjectIdentifier(B.Name, B.Number); }

// The identifier as a record stores it (AttackTarget): its first 100 characters.
inline TShortString StoredIdentifier(const TUnit& U) { return TShortString::From(ObjectIdentifier(U)); }
inline TShortString StoredIdentifier(const TBuilding& B) { return TShortString::From(ObjectIdentifier(B)); }

// Whether two identifiers name the same object; both are taken at their
// first 100 characters, as they would be stored.
bool SameIdentifier(std::string_view A, std::string_view B);
// Whether a stored target (an AttackTarget) names the object. The object's
// identifier is cut to 100 characters as it was when it was stored, so an
// object with a long name can still be found as a target.
bool IsIdentifiedBy(const TShortString& Target, const TUnit& U);
bool IsIdentifiedBy(const TShortString& Target, const TBuilding& B);

// The running number of a new object named Name: Start, raised past the
// Number of every slot 1 to Count (except slot Skip) that has the same Name,
// in slot order. The result is Start or one more than the largest such
// number, whichever is greater. The game starts training and construction at
// 0 and skips no slot (it looks at the slots before the new one); the editor
// starts at 1 and skips the slot being written.
template <typename TSlot, std::size_t N>
std::int32_t NextObjectNumber(const std::array<TSlot, N>& Table, int Count, int Skip, const TShortString& Name,
                              std::int32_t Start) {
  std::int32_t number = Start;
  const int last = Count < static_cast<int>(N) - 1 ? Count : static_cast<int>(N) - 1;
  for (int j = 1; j <= last; ++j) {
    if (j == Skip || !(Table[j].Name == Name)) continue;
    if (Table[j].Number >= number) number = WrapAdd(Table[j].Number, 1);
  }
  return number;
}

// The name under which a type's picture is kept in an image list: the type
// name lower-cased in the ASCII range only ("Ł" and the like stay).
std::string PictureName(const TShortString& TypeName);
