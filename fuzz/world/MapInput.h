// Map files described in a few bytes. A map file is one fixed record of
// 228 145 bytes; what its readers derive from it hangs on a handful of fields
// (the sizes in use, the name, which slots are named, the lengths of short
// strings, running numbers and targets). A description sets those fields one
// by one on an empty record, so that a small input reaches any of them and
// every input is a whole file (or one cut short on purpose).
//
// A description, read front to back; bytes missing at the end read as 0:
//   flags         1 byte; bit 0: the file is cut short, to the length given
//                 by the next 3 bytes (little-endian, modulo the record size)
//   MapRows       4 bytes (little-endian, as every number below)
//   MapCols       4 bytes
//   MapName       a short string: its length byte, then as many characters
//                 as it counts (at most 100)
// then entries up to the end, each a kind byte (taken modulo 6) and its fields:
//   0  unit slot      slot (1 + byte % 150), Name, Number, AttackTarget,
//                     BuildName, HP, Attack, Defense, Mana, BuildProgress,
//                     X, Y, TargetX, TargetY, Selected (1 byte), Group
//   1  building slot  slot (1 + byte % 150), Name, Number, AttackTarget,
//                     TrainUnit, HP, Attack, Defense, TrainProgress, X, Y,
//                     Selected (1 byte), Group
//   2  player         player (1 + byte % 4), Gold, Wood, Name
//   3  terrain run    first cell (2 bytes, modulo 62 500), count (1 + byte),
//                     value (1 byte)
//   4  height run     as a terrain run
//   5  raw bytes      offset in the file (3 bytes, modulo the record size),
//                     count (1 + byte), the bytes (cut at the record's end)
// Entries apply in order, each over what the earlier ones wrote: a slot or a
// player entry writes the whole record of it. Raw bytes reach every byte of
// the file (the characters behind a short string's length among them).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "world/ByteOrder.h"
#include "world/MapFile.h"

// Building the file from a description is kept out of the coverage the fuzzer
// follows: its branches would reward inputs for what they do to this code
// rather than to the reader, and tracing them costs more than the reading.
#define BRASK_NO_COVERAGE __attribute__((no_sanitize("coverage")))

namespace mapinput {

enum : std::uint8_t { kUnit, kBuilding, kPlayer, kTerrainRun, kHeightRun, kRawBytes, kKinds };

class TDescriptionReader {
 public:
  TDescriptionReader(const std::uint8_t* Data, std::size_t Size) : FData(Data), FSize(Size) {}
  BRASK_NO_COVERAGE bool AtEnd() const { return FAt >= FSize; }
  BRASK_NO_COVERAGE std::uint8_t Byte() { return FAt < FSize ? FData[FAt++] : 0; }
  BRASK_NO_COVERAGE std::uint32_t Unsigned(int Bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < Bytes; ++i) v |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return v;
  }
  BRASK_NO_COVERAGE std::int32_t Int() { return static_cast<std::int32_t>(Unsigned(4)); }
  BRASK_NO_COVERAGE TShortString Str() {
    TShortString s;
    s.Len = Byte();
    for (std::size_t i = 0; i < s.Size(); ++i) s.Chars[i] = Byte();
    return s;
  }

 private:
  const std::uint8_t* FData;
  std::size_t FSize;
  std::size_t FAt = 0;
};

class TDescriptionWriter {
 public:
  void Byte(std::uint8_t V) { Out.push_back(V); }
  void Unsigned(std::uint32_t V, int Bytes) {
    for (int i = 0; i < Bytes; ++i) Byte(static_cast<std::uint8_t>(V >> (8 * i)));
  }
  void Int(std::int32_t V) { Unsigned(static_cast<std::uint32_t>(V), 4); }
  void Str(const TShortString& S) {
    Byte(S.Len);
    for (std::size_t i = 0; i < S.Size(); ++i) Byte(S.Chars[i]);
  }
  std::vector<std::uint8_t> Out;
};

// One field list per slot kind serves both directions.
template <typename IO, typename U>
BRASK_NO_COVERAGE void UnitEntryFields(IO& io, U& u) {
  io.Str(u.Name), io.Int(u.Number), io.Str(u.AttackTarget), io.Str(u.BuildName);
  io.Int(u.HP), io.Int(u.Attack), io.Int(u.Defense), io.Int(u.Mana), io.Int(u.BuildProgress);
  io.Int(u.X), io.Int(u.Y), io.Int(u.TargetX), io.Int(u.TargetY);
  io.Byte(u.Selected), io.Int(u.Group);
}

template <typename IO, typename B>
BRASK_NO_COVERAGE void BuildingEntryFields(IO& io, B& b) {
  io.Str(b.Name), io.Int(b.Number), io.Str(b.AttackTarget), io.Str(b.TrainUnit);
  io.Int(b.HP), io.Int(b.Attack), io.Int(b.Defense), io.Int(b.TrainProgress);
  io.Int(b.X), io.Int(b.Y);
  io.Byte(b.Selected), io.Int(b.Group);
}

// Adapters from the reader's value-returning calls to the field lists' form.
struct TFieldReader {
  TDescriptionReader& R;
  BRASK_NO_COVERAGE void Str(TShortString& S) { S = R.Str(); }
  BRASK_NO_COVERAGE void Int(std::int32_t& V) { V = R.Int(); }
  BRASK_NO_COVERAGE void Byte(std::uint8_t& V) { V = R.Byte(); }
};

// The map block's fields behind its two layers of cells, as a file stores them.
constexpr std::size_t kNameOffset = 2 * MapCells;
constexpr std::size_t kRowsOffset = kNameOffset + TShortString::SerializedSize;
constexpr std::size_t kColsOffset = kRowsOffset + 4;
static_assert(kColsOffset + 4 == TMapBlock::SerializedSize);

// Writes the file a description stands for into Bytes (TMapFile::Serialized-
// Size of them): an empty record, each field and slot the description sets
// written in with the records' own serialisers. Returns the length of the
// file, shorter than the record when the description cuts it.
BRASK_NO_COVERAGE inline std::size_t BuildMapBytes(const std::uint8_t* Data, std::size_t Size, std::uint8_t* Bytes) {
  static const std::uint8_t* const empty = [] {
    auto* bytes = new std::uint8_t[TMapFile::SerializedSize];
    auto file = std::make_unique<TMapFile>();
    file->Serialize(bytes);
    return bytes;
  }();
  std::memcpy(Bytes, empty, TMapFile::SerializedSize);
  TDescriptionReader in(Data, Size);
  TFieldReader fields{in};
  const std::uint8_t flags = in.Byte();
  std::size_t length = TMapFile::SerializedSize;
  if (flags & 1) length = in.Unsigned(3) % TMapFile::SerializedSize;
  PutInt32(Bytes + kRowsOffset, in.Int());
  PutInt32(Bytes + kColsOffset, in.Int());
  in.Str().Serialize(Bytes + kNameOffset);

  while (!in.AtEnd()) {
    const std::uint8_t kind = in.Byte() % kKinds;
    switch (kind) {
      case kUnit: {
        const std::size_t slot = in.Byte() % MaxUnits;
        TUnit u;
        UnitEntryFields(fields, u);
        u.Serialize(Bytes + TMapFile::UnitsOffset + slot * TUnit::SerializedSize);
        break;
      }
      case kBuilding: {
        const std::size_t slot = in.Byte() % MaxBuildings;
        TBuilding b;
        BuildingEntryFields(fields, b);
        b.Serialize(Bytes + TMapFile::BuildingsOffset + slot * TBuilding::SerializedSize);
        break;
      }
      case kPlayer: {
        const std::size_t player = in.Byte() % MapPlayers;
        TPlayer p;
        p.Gold = in.Int();
        p.Wood = in.Int();
        p.Name = in.Str();
        p.Serialize(Bytes + TMapFile::PlayersOffset + player * TPlayer::SerializedSize);
        break;
      }
      case kTerrainRun:
      case kHeightRun: {
        const std::size_t first = in.Unsigned(2) % MapCells;
        const std::size_t count = std::min<std::size_t>(1 + std::size_t{in.Byte()}, MapCells - first);
        std::memset(Bytes + (kind == kTerrainRun ? 0 : MapCells) + first, in.Byte(), count);
        break;
      }
      case kRawBytes: {
        const std::size_t at = in.Unsigned(3) % TMapFile::SerializedSize;
        const std::size_t count = 1 + std::size_t{in.Byte()};
        for (std::size_t i = 0; i < count; ++i) {
          const std::uint8_t v = in.Byte();
          if (at + i < TMapFile::SerializedSize) Bytes[at + i] = v;
        }
        break;
      }
    }
  }
  return length;
}

// A description of File field by field: its sizes and name, every slot and
// player that is not empty and the runs of cells that are not 0. Built and
// read again, it gives records equal to File's.
inline std::vector<std::uint8_t> DescribeFields(const TMapFile& File) {
  TDescriptionWriter out;
  out.Byte(0);
  out.Int(File.Map.MapRows);
  out.Int(File.Map.MapCols);
  out.Str(File.Map.MapName);
  for (int i = 1; i <= MapPlayers; ++i) {
    const TPlayer& p = File.Players[static_cast<std::size_t>(i)];
    if (p == TPlayer{}) continue;
    out.Byte(kPlayer), out.Byte(static_cast<std::uint8_t>(i - 1));
    out.Int(p.Gold), out.Int(p.Wood), out.Str(p.Name);
  }
  for (int i = 1; i <= MaxUnits; ++i) {
    const TUnit& u = File.Units[static_cast<std::size_t>(i)];
    if (u == TUnit{}) continue;
    out.Byte(kUnit), out.Byte(static_cast<std::uint8_t>(i - 1));
    UnitEntryFields(out, u);
  }
  for (int i = 1; i <= MaxBuildings; ++i) {
    const TBuilding& b = File.Buildings[static_cast<std::size_t>(i)];
    if (b == TBuilding{}) continue;
    out.Byte(kBuilding), out.Byte(static_cast<std::uint8_t>(i - 1));
    BuildingEntryFields(out, b);
  }
  for (std::uint8_t kind : {kTerrainRun, kHeightRun}) {
    const auto& cells = kind == kTerrainRun ? File.Map.Terrain : File.Map.Heights;
    for (std::size_t at = 0; at < MapCells;) {
      std::size_t n = 1;
      while (n < 256 && at + n < MapCells && cells[at + n] == cells[at]) ++n;
      if (cells[at] != 0) {
        out.Byte(kind), out.Unsigned(static_cast<std::uint32_t>(at), 2);
        out.Byte(static_cast<std::uint8_t>(n - 1)), out.Byte(cells[at]);
      }
      at += n;
    }
  }
  return out.Out;
}

// Appends raw bytes for whatever the description builds differently from the
// file File is written as (such as characters kept behind a short string's
// length), so that it gives the file's bytes exactly.
inline void AppendRawDifferences(std::vector<std::uint8_t>& Description, const TMapFile& File) {
  std::vector<std::uint8_t> bytes(TMapFile::SerializedSize), built(TMapFile::SerializedSize);
  File.Serialize(bytes.data());
  BuildMapBytes(Description.data(), Description.size(), built.data());
  TDescriptionWriter out;
  for (std::size_t at = 0; at < built.size();) {
    if (built[at] == bytes[at]) {
      ++at;
      continue;
    }
    const std::size_t n = std::min<std::size_t>(256, built.size() - at);
    out.Byte(kRawBytes), out.Unsigned(static_cast<std::uint32_t>(at), 3), out.Byte(static_cast<std::uint8_t>(n - 1));
    for (std::size_t i = 0; i < n; ++i) out.Byte(bytes[at + i]);
    at += n;
  }
  Description.insert(Description.end(), out.Out.begin(), out.Out.end());
}

}  // namespace mapinput
