// Text in the windows-1250 code page: the 8-bit character set of every string
// inside the programs. Holds the code page's case tables, the case-insensitive
// helpers built on them, and the conversions to and from UTF-8 used where text
// meets the window system or a host file name.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Lower-case and upper-case form of every byte under the code page's rules
// (A-Z, the Polish and other Central European letters; bytes without a case
// partner map to themselves).
extern const std::array<std::uint8_t, 256> Cp1250LowerTable;
extern const std::array<std::uint8_t, 256> Cp1250UpperTable;

// The Unicode code point of a byte. The five bytes the code page leaves
// undefined (0x81, 0x83, 0x88, 0x90, 0x98) map to the C1 control of the same
// value, so every byte has its own code point and conversions round-trip.
char32_t Cp1250ToUnicode(std::uint8_t Byte);
// The byte for a code point; false when the code page cannot hold it.
bool UnicodeToCp1250(char32_t CodePoint, std::uint8_t& Byte);

inline char AnsiLowerChar(char C) { return static_cast<char>(Cp1250LowerTable[static_cast<std::uint8_t>(C)]); }
inline char AnsiUpperChar(char C) { return static_cast<char>(Cp1250UpperTable[static_cast<std::uint8_t>(C)]); }

std::string AnsiLowerCase(std::string_view S);
std::string AnsiUpperCase(std::string_view S);
// Case-insensitive comparison under the code page's rules: both texts are
// lower-cased and compared byte by byte. Negative, 0 or positive.
int AnsiCompareText(std::string_view A, std::string_view B);
inline bool AnsiSameText(std::string_view A, std::string_view B) { return AnsiCompareText(A, B) == 0; }
// Byte-wise comparison (case-sensitive). Negative, 0 or positive.
int AnsiCompareStr(std::string_view A, std::string_view B);

// Lower-cases A to Z only; every other byte stays.
std::string AsciiLowerCase(std::string_view S);

// windows-1250 bytes to UTF-8. Lossless: Utf8ToCp1250 gives the bytes back.
std::string Cp1250ToUtf8(std::string_view S);
// UTF-8 to windows-1250. Characters the code page cannot hold and malformed
// UTF-8 sequences are dropped.
std::string Utf8ToCp1250(std::string_view S);

// A literal written in the source as UTF-8, as windows-1250 bytes:
// Cp("Zła nazwa pliku!").
inline std::string Cp(std::string_view Utf8) { return Utf8ToCp1250(Utf8); }
