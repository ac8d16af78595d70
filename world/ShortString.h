// The records' string type: one length byte and 100 character bytes of
// windows-1250 text. Only the first Len characters count; the bytes behind
// them are kept as they are when a record is copied, read or written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::size_t ShortStringCapacity = 100;

struct TShortString {
  static constexpr std::size_t SerializedSize = 1 + ShortStringCapacity;

  // The length byte as stored. A file may hold any value; text is never taken
  // from beyond the 100 character bytes.
  std::uint8_t Len = 0;
  std::array<std::uint8_t, ShortStringCapacity> Chars{};

  // Number of significant characters: Len, at most 100.
  std::size_t Size() const { return Len < ShortStringCapacity ? Len : ShortStringCapacity; }
  bool Empty() const { return Len == 0; }
  std::string Text() const { return std::string(reinterpret_cast<const char*>(Chars.data()), Size()); }

  // Takes the first 100 characters of S; the bytes behind them stay.
  void Assign(std::string_view S);
  // Empties the string; the character bytes stay.
  void Clear() { Len = 0; }
  static TShortString From(std::string_view S) {
    TShortString s;
    s.Assign(S);
    return s;
  }

  // Equal lengths and equal significant characters, byte for byte (a stored
  // length above 100 counts as 100, like the text it stands for).
  friend bool operator==(const TShortString& A, const TShortString& B);
  // Whether the significant characters are exactly S.
  bool Equals(std::string_view S) const { return Text() == S; }

  void Serialize(std::uint8_t* Out) const;
  void Deserialize(const std::uint8_t* In);
};

static_assert(TShortString::SerializedSize == 101);
