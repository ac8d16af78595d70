#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/rtl/Cp1250.h"
#include "world/ObjectNames.h"
#include "world/World.h"

namespace {
TUnit UnitNamed(const std::string& name, std::int32_t number) {
  TUnit u;
  u.Name = TShortString::From(name);
  u.Number = number;
  return u;
}
}  // namespace

TEST(ObjectIdentifier, NameSpaceAndDecimalNumber) {
  const std::string n98(98, 'a'), n99(99, 'b'), n100(100, 'c');
  const struct {
    std::string Name;
    std::int32_t Number;
    std::string Identifier;
    std::string Stored;  // as an AttackTarget holds it
  } cases[] = {
      {"piechur", 1, "piechur 1", "piechur 1"},
      {"mag", 0, "mag 0", "mag 0"},
      {"mag", -7, "mag -7", "mag -7"},
      {"mag", 120, "mag 120", "mag 120"},
      {"mag", INT_MIN, "mag -2147483648", "mag -2147483648"},
      {"", 3, " 3", " 3"},
      {n98, 5, n98 + " 5", n98 + " 5"},
      {n98, 12, n98 + " 12", n98 + " 1"},
      {n99, 12, n99 + " 12", n99 + " "},
      {n100, 7, n100 + " 7", n100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Identifier);
    TUnit u = UnitNamed(c.Name, c.Number);
    TBuilding b;
    b.Name = u.Name;
    b.Number = c.Number;
    EXPECT_EQ(ObjectIdentifier(u), c.Identifier);
    EXPECT_EQ(ObjectIdentifier(b), c.Identifier);
    EXPECT_EQ(StoredIdentifier(u).Text(), c.Stored);
    // A target stored from the identifier finds the object again, long names included.
    EXPECT_TRUE(IsIdentifiedBy(StoredIdentifier(u), u));
    EXPECT_TRUE(IsIdentifiedBy(StoredIdentifier(b), b));
    EXPECT_TRUE(SameIdentifier(ObjectIdentifier(u), StoredIdentifier(u).Text()));
  }
}

TEST(ObjectIdentifier, TargetsMatchExactly) {
  TUnit u = UnitNamed("Rycerz", 2);
  EXPECT_TRUE(IsIdentifiedBy(TShortString::From("Rycerz 2"), u));
  EXPECT_FALSE(IsIdentifiedBy(TShortString::From("rycerz 2"), u));
  EXPECT_FALSE(IsIdentifiedBy(TShortString::From("Rycerz 20"), u));
  EXPECT_FALSE(IsIdentifiedBy(TShortString::From("Rycerz"), u));
  EXPECT_FALSE(IsIdentifiedBy(TShortString(), u));
  // Two objects whose names differ only behind the 100th character share a stored identifier.
  TUnit a = UnitNamed(std::string(100, 'q'), 1), b = UnitNamed(std::string(100, 'q'), 2);
  EXPECT_TRUE(IsIdentifiedBy(StoredIdentifier(a), b));
  EXPECT_FALSE(SameIdentifier("x 1", "x 2"));
}

TEST(ObjectNumber, OneMoreThanTheLargestOfTheSameName) {
  TUnitTable units{};
  units[1] = UnitNamed("mag", 0);
  units[2] = UnitNamed("rycerz", 9);
  units[3] = UnitNamed("mag", 4);
  units[4] = UnitNamed("mag", 3);
  units[5] = UnitNamed("mag", 100);  // beyond the count given below
  const TShortString mag = TShortString::From("mag");
  // The game: start at 0, look at the slots before the new one.
  EXPECT_EQ(NextObjectNumber(units, 4, 0, mag, 0), 5);
  EXPECT_EQ(NextObjectNumber(units, 4, 0, TShortString::From("mnich"), 0), 0);
  // The editor: start at 1, skip the slot being written.
  EXPECT_EQ(NextObjectNumber(units, 4, 3, mag, 1), 4);
  EXPECT_EQ(NextObjectNumber(units, 4, 2, TShortString::From("rycerz"), 1), 1);
  // Negative numbers never lower the start.
  units[1] = UnitNamed("chłop", -5);
  EXPECT_EQ(NextObjectNumber(units, 1, 0, TShortString::From("chłop"), 0), 0);
  // The largest number wraps instead of overflowing.
  units[1] = UnitNamed("mag", INT_MAX);
  EXPECT_EQ(NextObjectNumber(units, 1, 0, mag, 0), INT_MIN);
  // A count beyond the table stops at its end (slots 3, 4 and 5 raise it on).
  EXPECT_EQ(NextObjectNumber(units, 1000, 0, mag, 0), 101);

  TBuildingTable buildings{};
  buildings[1].Name = TShortString::From("zamek");
  buildings[1].Number = 2;
  EXPECT_EQ(NextObjectNumber(buildings, 1, 0, TShortString::From("zamek"), 0), 3);
}

TEST(PictureName, LowerCasesAsciiOnly) {
  const struct {
    const char* TypeName;  // UTF-8
    const char* Picture;
  } cases[] = {
      {"Piechur", "piechur"},
      {"RYCERZ", "rycerz"},
      {"Łucznik", "Łucznik"},
      {"ŁUCZNIK", "Łucznik"},
      {"Wieża", "wieża"},
      {"ZAMEK 2", "zamek 2"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PictureName(TShortString::From(Cp(c.TypeName))), Cp(c.Picture)) << c.TypeName;
}
