#include "world/ObjectNames.h"

#include "platform/rtl/Cp1250.h"

std::string ObjectIdentifier(const TShortString& Name, std::int32_t Number) {
  return Name.Text() + " " + std::to_string(Number);
}

bool SameIdentifier(std::string_view A, std::string_view B) {
  return A.substr(0, ShortStringCapacity) == B.substr(0, ShortStringCapacity);
}

bool IsIdentifiedBy(const TShortString& Target, const TUnit& U) { return Target == StoredIdentifier(U); }

bool IsIdentifiedBy(const TShortString& Target, const TBuilding& B) { return Target == StoredIdentifier(B); }

std::string PictureName(const TShortString& TypeName) { return AsciiLowerCase(TypeName.Text()); }
