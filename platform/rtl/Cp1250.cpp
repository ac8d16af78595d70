#include "platform/rtl/Cp1250.h"

#include <algorithm>

namespace {

// Code points of the bytes 0x80 to 0xFF; bytes below 0x80 are ASCII.
constexpr char16_t kHighHalf[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// Upper-case byte, lower-case byte: every case pair of the code page outside
// ASCII. 0xC0..0xDE pair with 0xE0..0xFE except the sign 0xD7 (and 0xDF, which
// has no single-byte capital).
constexpr std::uint8_t kPairs[][2] = {
    {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F},
    {0xA3, 0xB3}, {0xA5, 0xB9}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xBC, 0xBE},
};

struct CaseTables {
  std::array<std::uint8_t, 256> Lower{};
  std::array<std::uint8_t, 256> Upper{};
};

constexpr CaseTables MakeCaseTables() {
  CaseTables t;
  for (int b = 0; b < 256; ++b) {
    t.Lower[b] = static_cast<std::uint8_t>(b);
    t.Upper[b] = static_cast<std::uint8_t>(b);
  }
  auto pair = [&t](int upper, int lower) {
    t.Lower[upper] = static_cast<std::uint8_t>(lower);
    t.Upper[lower] = static_cast<std::uint8_t>(upper);
  };
  for (int b = 'A'; b <= 'Z'; ++b) pair(b, b + 32);
  for (const auto& p : kPairs) pair(p[0], p[1]);
  for (int b = 0xC0; b <= 0xDE; ++b)
    if (b != 0xD7) pair(b, b + 32);
  return t;
}

constexpr CaseTables kCase = MakeCaseTables();

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    // Every code point of the code page lies in the basic plane.
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

int CompareBytes(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<std::uint8_t>(a[i]);
    auto y = static_cast<std::uint8_t>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

const std::array<std::uint8_t, 256> Cp1250LowerTable = kCase.Lower;
const std::array<std::uint8_t, 256> Cp1250UpperTable = kCase.Upper;

char32_t Cp1250ToUnicode(std::uint8_t Byte) {
  return Byte < 0x80 ? static_cast<char32_t>(Byte) : static_cast<char32_t>(kHighHalf[Byte - 0x80]);
}

bool UnicodeToCp1250(char32_t CodePoint, std::uint8_t& Byte) {
  if (CodePoint < 0x80) {
    Byte = static_cast<std::uint8_t>(CodePoint);
    return true;
  }
  for (int i = 0; i < 128; ++i) {
    if (kHighHalf[i] == CodePoint) {
      Byte = static_cast<std::uint8_t>(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string AnsiLowerCase(std::string_view S) {
  std::string out(S);
  for (char& c : out) c = AnsiLowerChar(c);
  return out;
}

std::string AnsiUpperCase(std::string_view S) {
  std::string out(S);
  for (char& c : out) c = AnsiUpperChar(c);
  return out;
}

int AnsiCompareText(std::string_view A, std::string_view B) {
  std::size_t n = std::min(A.size(), B.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto x = Cp1250LowerTable[static_cast<std::uint8_t>(A[i])];
    auto y = Cp1250LowerTable[static_cast<std::uint8_t>(B[i])];
    if (x != y) return x < y ? -1 : 1;
  }
  if (A.size() == B.size()) return 0;
  return A.size() < B.size() ? -1 : 1;
}

int AnsiCompareStr(std::string_view A, std::string_view B) { return CompareBytes(A, B); }

std::string AsciiLowerCase(std::string_view S) {
  std::string out(S);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

std::string Cp1250ToUtf8(std::string_view S) {
  std::string out;
  out.reserve(S.size() * 2);
  for (char c : S) AppendUtf8(out, Cp1250ToUnicode(static_cast<std::uint8_t>(c)));
  return out;
}

std::string Utf8ToCp1250(std::string_view S) {
  std::string out;
  out.reserve(S.size());
  std::size_t i = 0;
  const std::size_t n = S.size();
  while (i < n) {
    auto lead = static_cast<std::uint8_t>(S[i]);
    int len;
    char32_t cp;
    char32_t min;
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      len = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      len = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      len = 4, cp = lead & 0x07, min = 0x10000;
    } else {
      ++i;  // a stray continuation byte or an invalid lead byte
      continue;
    }
    int k = 1;
    for (; k < len && i + k < n; ++k) {
      auto c = static_cast<std::uint8_t>(S[i + k]);
      if ((c & 0xC0) != 0x80) break;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (k < len) {
      i += k;  // truncated sequence: drop what was taken, resume at the breaking byte
      continue;
    }
    i += len;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) continue;
    std::uint8_t b;
    if (UnicodeToCp1250(cp, b)) out += static_cast<char>(b);
  }
  return out;
}
