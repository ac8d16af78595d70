#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>

#include "input_sound/Wave.h"
#include "input_sound/WaveStream.h"
#include "platform/toolkit/Filer.h"
#include "tests/input_sound/WaveTestFiles.h"

namespace {

using namespace WaveTestFiles;

Bytes FormatOf(const TWave& w) { return Bytes(w.Format(), w.Format() + w.FormatSize()); }
Bytes DataOf(const TWave& w) { return Bytes(w.Data(), w.Data() + w.Size()); }

void Load(TWave& w, const Bytes& File) {
  TBytesStream s(File.data(), static_cast<std::int64_t>(File.size()));
  w.LoadFromStream(s);
}

Bytes Save(TWave& w) {
  TMemoryStream m;
  w.SaveToStream(m);
  return m.Bytes();
}

class NotAWave : public TPersistent {};

std::uint32_t Le(const Bytes& b, std::size_t o) {
  return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (static_cast<std::uint32_t>(b[o + 3]) << 24);
}

TEST(Wave, SamplesGrowInBlocks) {
  TWave w;
  EXPECT_EQ(w.DataCapacity(), 0);
  w.SetSize(1);
  EXPECT_EQ(w.DataCapacity(), 8096);
  w.Data()[0] = 0x5A;
  const std::uint8_t* block = w.Data();
  w.SetSize(8096);  // same block count: nothing moves
  EXPECT_EQ(w.Data(), block);
  EXPECT_EQ(w.Size(), 8096);
  w.SetSize(8097);
  EXPECT_EQ(w.DataCapacity(), 16192);
  EXPECT_EQ(w.Data()[0], 0x5A);  // contents kept
  w.SetSize(8000);
  EXPECT_EQ(w.DataCapacity(), 8096);
  EXPECT_EQ(w.Data()[0], 0x5A);
  w.SetSize(0);
  EXPECT_EQ(w.Data(), nullptr);
  EXPECT_EQ(w.DataCapacity(), 0);
  w.SetSize(-5);
  EXPECT_EQ(w.Size(), 0);

  w.SetFormatSize(18);
  EXPECT_EQ(w.FormatSize(), 18);
  w.SetFormatSize(-1);
  EXPECT_EQ(w.FormatSize(), 0);
  EXPECT_EQ(w.Format(), nullptr);
}

TEST(Wave, Assign) {
  TWave a;
  Load(a, Riff({Chunk("fmt ", PcmFormat(1, 11025, 8, false)), Chunk("data", Samples(100))}));
  TWave b;
  b.Assign(&a);
  EXPECT_EQ(FormatOf(b), FormatOf(a));
  EXPECT_EQ(DataOf(b), DataOf(a));
  EXPECT_NE(b.Data(), a.Data());  // a copy
  b.Assign(&b);
  EXPECT_EQ(DataOf(b), DataOf(a));
  b.Assign(nullptr);
  EXPECT_EQ(b.Size(), 0);
  EXPECT_EQ(b.FormatSize(), 0);
  NotAWave other;
  EXPECT_THROW(b.Assign(&other), EConvertError);
}

// The stored waves: a 16-byte format (8-bit mono 22050 Hz, even data) and an
// 18-byte one with an extra size of 0 (8000 Hz, odd data).
TEST(Wave, StoredWavesRoundTripByteForByte) {
  const Bytes files[] = {
      Riff({Chunk("fmt ", PcmFormat(1, 22050, 8, false)), Chunk("data", Samples(1606, 7))}),
      Riff({Chunk("fmt ", PcmFormat(1, 8000, 8, true)), Chunk("data", Samples(7941, 9))}),
      Riff({Chunk("fmt ", PcmFormat(2, 22050, 8, false)), Chunk("data", Samples(224794, 3))}),
  };
  for (const Bytes& file : files) {
    TWave w;
    Load(w, file);
    EXPECT_EQ(w.FormatSize(), static_cast<std::int32_t>(Le(file, 16)));
    EXPECT_EQ(w.Size(), static_cast<std::int32_t>(file.size()) - 28 - w.FormatSize());
    EXPECT_EQ(Save(w), file);
  }
}

TEST(Wave, SavingEdgeCases) {
  TWave w;
  EXPECT_TRUE(Save(w).empty());  // empty wave: empty value
  w.SetSize(10);
  EXPECT_TRUE(Save(w).empty());  // samples but no format: nothing to describe them
  w.SetSize(0);
  w.SetFormatSize(16);
  Bytes fmt = PcmFormat(1, 11025, 8, false);
  std::memcpy(w.Format(), fmt.data(), 16);
  // A format without samples keeps its format, with an empty "data" chunk.
  Bytes saved = Save(w);
  EXPECT_EQ(saved, Riff({Chunk("fmt ", fmt), Chunk("data", {})}));
  TWave back;
  Load(back, saved);
  EXPECT_EQ(FormatOf(back), fmt);
  EXPECT_EQ(back.Size(), 0);

  // An empty value loads as an empty wave.
  Load(back, {});
  EXPECT_EQ(back.FormatSize(), 0);
  EXPECT_EQ(back.Size(), 0);
}

TEST(Wave, SavingIntoAStreamCountsOnlyTheWave) {
  // A stream that already holds more bytes than the wave, written from a
  // position inside it: the sizes count only what was written.
  TWave w;
  const Bytes file = Riff({Chunk("fmt ", PcmFormat(1, 11025, 8, false)), Chunk("data", Samples(10))});
  Load(w, file);
  TMemoryStream m;
  const Bytes old(200, 0xEE);
  m.WriteBuffer(old.data(), 200);
  m.SetPosition(5);
  w.SaveToStream(m);
  EXPECT_EQ(m.Position(), 5 + static_cast<std::int64_t>(file.size()));
  const Bytes& out = m.Bytes();
  ASSERT_EQ(out.size(), 200u);
  EXPECT_EQ(Bytes(out.begin() + 5, out.begin() + 5 + static_cast<std::ptrdiff_t>(file.size())), file);
  m.SetPosition(5);
  TWave back;
  back.LoadFromStream(m);
  EXPECT_EQ(DataOf(back), Samples(10));
}

struct ReadCase {
  const char* name;
  Bytes file;
  std::optional<Bytes> format;  // expected; nullopt: the load fails
  Bytes data;
  const char* message = nullptr;  // EWaveStreamError text, or null for EReadError
};

TEST(Wave, ChunkOrderAndTruncation) {
  const Bytes fmt = PcmFormat(1, 11025, 8, false);
  const Bytes fmt2 = PcmFormat(2, 22050, 16, true);
  const Bytes data = Samples(33);
  const Bytes good = Riff({Chunk("fmt ", fmt), Chunk("data", data)});
  auto cut = [](Bytes b, std::size_t n) {
    b.resize(n);
    return b;
  };
  auto with = [](Bytes b, const Bytes& tail) {
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
  };
  const ReadCase cases[] = {
      {"plain", good, fmt, data},
      {"data before fmt", Riff({Chunk("data", data), Chunk("fmt ", fmt)}), fmt, data},
      {"other chunks between",
       Riff({Chunk("LIST", Samples(6)), Chunk("fmt ", fmt), Chunk("fact", {4, 0, 0, 0}), Chunk("data", data)}), fmt,
       data},
      {"odd chunk with a pad byte", Riff({Chunk("fmt ", fmt), Chunk("LIST", Samples(5), true), Chunk("data", data)}),
       fmt, data},
      {"odd chunk without a pad byte", Riff({Chunk("fmt ", fmt), Chunk("LIST", Samples(5)), Chunk("data", data)}), fmt,
       data},
      {"odd data with a pad byte, then a chunk",
       Riff({Chunk("fmt ", fmt), Chunk("data", data, true), Chunk("LIST", Samples(4))}), fmt, data},
      {"a later fmt replaces an earlier one", Riff({Chunk("fmt ", fmt), Chunk("data", data), Chunk("fmt ", fmt2)}),
       fmt2, data},
      {"a later data replaces an earlier one",
       Riff({Chunk("data", Samples(3)), Chunk("fmt ", fmt), Chunk("data", data)}), fmt, data},
      {"no data chunk", Riff({Chunk("fmt ", fmt)}), fmt, {}},
      {"no fmt chunk", Riff({Chunk("data", data)}), Bytes{}, data},
      {"a zero identifier ends the walk",
       Riff({Chunk("fmt ", fmt), Header(std::string(4, '\0'), 0), Chunk("data", data)}),
       fmt,
       {}},
      {"a short header at the end ends the walk", with(good, {'L', 'I', 'S', 'T', 9}), fmt, data},
      {"an unknown chunk running past the end", with(good, Header("JUNK", 0xFFFFFFFFu)), fmt, data},
      {"an unknown chunk of 2^31 bytes",
       Riff({Chunk("fmt ", fmt), Header("JUNK", 0x80000000u), Chunk("data", data)}),
       fmt,
       {}},
      {"not RIFF",
       [&] {
         Bytes b = good;
         b[0] = 'X';
         return b;
       }(),
       std::nullopt,
       {},
       "Wave is invalid"},
      {"not WAVE",
       [&] {
         Bytes b = good;
         b[11] = 'X';
         return b;
       }(),
       std::nullopt,
       {},
       "Wave is invalid"},
      {"shorter than the RIFF header", cut(good, 7), std::nullopt, {}, nullptr},
      {"fmt running past the end", cut(good, 30), std::nullopt, {}, "Wave is invalid"},
      {"data running past the end", cut(good, good.size() - 1), std::nullopt, {}, "Wave is invalid"},
      {"data of 2^32 - 16 bytes",
       Riff({Chunk("fmt ", fmt), Header("data", 0xFFFFFFF0u)}),
       std::nullopt,
       {},
       "Wave is invalid"},
      {"fmt of 2^31 bytes",
       Riff({Header("fmt ", 0x80000000u), Chunk("data", data)}),
       std::nullopt,
       {},
       "Wave is invalid"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    TWave w;
    Load(w, good);  // a failed load must not leave this behind
    if (c.format) {
      ASSERT_NO_THROW(Load(w, c.file));
      EXPECT_EQ(FormatOf(w), *c.format);
      EXPECT_EQ(DataOf(w), c.data);
      continue;
    }
    if (c.message) {
      try {
        Load(w, c.file);
        ADD_FAILURE() << "loaded";
      } catch (const EWaveStreamError& e) { EXPECT_EQ(e.Message(), c.message); }
    } else {
      EXPECT_THROW(Load(w, c.file), EReadError);
    }
    EXPECT_EQ(w.FormatSize(), 0);
    EXPECT_EQ(w.Size(), 0);
  }
}

}  // namespace

namespace {

// The stored form of a wave's properties: "WAVE", vaBinary, the length, the
// file, and the end of the list.
Bytes StoredProperties(const Bytes& File) {
  Bytes b{4, 'W', 'A', 'V', 'E', vaBinary};
  Put32(b, static_cast<std::uint32_t>(File.size()));
  b.insert(b.end(), File.begin(), File.end());
  b.push_back(vaNull);
  return b;
}

TEST(WaveProperty, IsStoredAsAWholeFile) {
  const Bytes file = Riff({Chunk("fmt ", PcmFormat(1, 11025, 8, false)), Chunk("data", Samples(4361, 5))});
  TWave w;
  Load(w, file);
  TMemoryStream out;
  WritePersistentProperties(&out, &w);
  EXPECT_EQ(out.Bytes(), StoredProperties(file));

  TWave back;
  out.SetPosition(0);
  ReadPersistentProperties(&out, &back);
  EXPECT_EQ(FormatOf(back), FormatOf(w));
  EXPECT_EQ(DataOf(back), DataOf(w));
  EXPECT_EQ(out.Position(), out.Size());
}

TEST(WaveProperty, AnEmptyWaveIsStoredAndReadAsAnEmptyValue) {
  TWave w;
  TMemoryStream out;
  WritePersistentProperties(&out, &w);
  EXPECT_EQ(out.Bytes(), StoredProperties({}));
  TWave back;
  Load(back, Riff({Chunk("fmt ", PcmFormat(1, 11025, 8, false)), Chunk("data", Samples(8))}));
  out.SetPosition(0);
  ReadPersistentProperties(&out, &back);
  EXPECT_EQ(back.FormatSize(), 0);
  EXPECT_EQ(back.Size(), 0);
}

TEST(WaveProperty, ABrokenValueFailsTheReadAndLeavesTheWaveEmpty) {
  Bytes file = Riff({Chunk("fmt ", PcmFormat(1, 11025, 8, false)), Chunk("data", Samples(8))});
  file.pop_back();  // the "data" chunk now runs past the value
  const Bytes stored = StoredProperties(file);
  TBytesStream in(stored.data(), static_cast<std::int64_t>(stored.size()));
  TWave w;
  try {
    ReadPersistentProperties(&in, &w);
    ADD_FAILURE() << "read";
  } catch (const EWaveStreamError& e) { EXPECT_EQ(e.Message(), "Wave is invalid"); }
  EXPECT_EQ(w.Size(), 0);
}

}  // namespace
