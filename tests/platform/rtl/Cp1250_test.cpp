#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/Cp1250.h"

namespace {

struct CasePair {
  const char* Upper;  // UTF-8
  const char* Lower;
  std::uint8_t UpperByte;
  std::uint8_t LowerByte;
};

// The Polish capitals and their small letters, with their code-page bytes.
const CasePair kPolish[] = {
    {"Ą", "ą", 0xA5, 0xB9}, {"Ć", "ć", 0xC6, 0xE6}, {"Ę", "ę", 0xCA, 0xEA},
    {"Ł", "ł", 0xA3, 0xB3}, {"Ń", "ń", 0xD1, 0xF1}, {"Ó", "ó", 0xD3, 0xF3},
    {"Ś", "ś", 0x8C, 0x9C}, {"Ź", "ź", 0x8F, 0x9F}, {"Ż", "ż", 0xAF, 0xBF},
};

}  // namespace

TEST(Cp1250, PolishCapitalsHaveTheirCasePartners) {
  for (const auto& p : kPolish) {
    SCOPED_TRACE(p.Upper);
    std::string upper = Cp(p.Upper), lower = Cp(p.Lower);
    ASSERT_EQ(upper, std::string(1, static_cast<char>(p.UpperByte)));
    ASSERT_EQ(lower, std::string(1, static_cast<char>(p.LowerByte)));
    EXPECT_EQ(Cp1250LowerTable[p.UpperByte], p.LowerByte);
    EXPECT_EQ(Cp1250UpperTable[p.LowerByte], p.UpperByte);
    EXPECT_EQ(Cp1250LowerTable[p.LowerByte], p.LowerByte);
    EXPECT_EQ(Cp1250UpperTable[p.UpperByte], p.UpperByte);
    EXPECT_EQ(AnsiLowerCase(upper), lower);
    EXPECT_EQ(AnsiUpperCase(lower), upper);
    // ASCII-only lower-casing leaves the capital alone.
    EXPECT_EQ(AsciiLowerCase(upper), upper);
  }
  EXPECT_EQ(AnsiLowerCase(Cp("ŁUCZNIK Żółw")), Cp("łucznik żółw"));
  EXPECT_EQ(AnsiUpperCase(Cp("chłop")), Cp("CHŁOP"));
  EXPECT_EQ(AsciiLowerCase(Cp("Łucznik")), Cp("Łucznik"));
  EXPECT_EQ(AsciiLowerCase(Cp("ZAMEK Wieża")), Cp("zamek wieża"));
}

TEST(Cp1250, CaseTablesAreConsistent) {
  for (int b = 0; b < 256; ++b) {
    auto lo = Cp1250LowerTable[b], up = Cp1250UpperTable[b];
    // A byte is never both changed by lower- and by upper-casing, and the pairs invert.
    EXPECT_TRUE(lo == b || up == b) << b;
    if (lo != b) { EXPECT_EQ(Cp1250UpperTable[lo], b) << b; }
    if (up != b) { EXPECT_EQ(Cp1250LowerTable[up], b) << b; }
  }
  // Signs and letters without a single-byte partner stay.
  for (std::uint8_t b : {0xD7, 0xF7, 0xDF, 0xB5, 0xFF, 0x80, 0x00, 0x40, 0x5B})
    EXPECT_EQ(Cp1250LowerTable[b], b) << int(b);
  EXPECT_EQ(Cp1250UpperTable[0xDF], 0xDF);
}

TEST(Cp1250, CompareTextIgnoresCaseByTheCodePage) {
  EXPECT_EQ(AnsiCompareText(Cp("ŁUCZNIK"), Cp("łucznik")), 0);
  EXPECT_TRUE(AnsiSameText("DDraw.dll", "ddraw.DLL"));
  EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
  EXPECT_GT(AnsiCompareText("abcd", "ABC"), 0);
  EXPECT_LT(AnsiCompareText("", "a"), 0);
  EXPECT_NE(AnsiCompareStr("abc", "ABC"), 0);
  EXPECT_EQ(AnsiCompareStr("abc", "abc"), 0);
  // Bytes compare unsigned: a letter above 0x7F sorts after ASCII.
  EXPECT_GT(AnsiCompareStr(Cp("ł"), "z"), 0);
}

TEST(Cp1250, Utf8RoundTripIsLosslessForEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string utf8 = Cp1250ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1250(utf8), all);
  // Each byte has a code point of its own.
  for (int a = 0; a < 256; ++a)
    for (int b = a + 1; b < 256; ++b)
      ASSERT_NE(Cp1250ToUnicode(static_cast<std::uint8_t>(a)), Cp1250ToUnicode(static_cast<std::uint8_t>(b)));
}

TEST(Cp1250, KnownCharactersConvert) {
  const struct {
    std::uint8_t Byte;
    char32_t CodePoint;
    const char* Utf8;
  } cases[] = {
      {0x80, 0x20AC, "€"}, {0x8A, 0x0160, "Š"}, {0x96, 0x2013, "–"},        {0xA3, 0x0141, "Ł"},
      {0xB9, 0x0105, "ą"}, {0xFF, 0x02D9, "˙"}, {0x81, 0x0081, "\xC2\x81"}, {0x41, 0x0041, "A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.Byte));
    EXPECT_EQ(Cp1250ToUnicode(c.Byte), c.CodePoint);
    EXPECT_EQ(Cp1250ToUtf8(std::string(1, static_cast<char>(c.Byte))), c.Utf8);
    std::uint8_t back = 0;
    ASSERT_TRUE(UnicodeToCp1250(c.CodePoint, back));
    EXPECT_EQ(back, c.Byte);
  }
  EXPECT_EQ(Cp("Zła nazwa pliku!"),
            "Z\xB3"
            "a nazwa pliku!");
  EXPECT_EQ(Cp1250ToUtf8(Cp("Wybierz budynki i jednostkę")), "Wybierz budynki i jednostkę");
}

TEST(Cp1250, Utf8ThatTheCodePageCannotHoldIsDropped) {
  const struct {
    const char* Utf8;
    const char* Cp1250;
  } cases[] = {
      {"a\xE2\x82\xAC"
       "b",
       "a\x80"
       "b"},                           // the euro sign is held
      {"a日b", "ab"},                  // CJK: dropped
      {"x😀y", "xy"},                   // outside the basic plane
      {"a\x80z", "az"},                // stray continuation byte
      {"a\xC5", "a"},                  // truncated at the end
      {"a\xC5z", "az"},                // truncated before ASCII: the ASCII stays
      {"\xC0\xAF", ""},                // overlong "/"
      {"\xED\xA0\x80!", "!"},          // surrogate
      {"\xF8\x88\x80\x80\x80!", "!"},  // invalid lead bytes
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToCp1250(c.Utf8), c.Cp1250) << c.Utf8;
}
