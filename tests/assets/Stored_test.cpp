// The stored component data as the programs read it: every image list and
// the wave list load through the component reader into the library's own
// components, with the names, order, sizes, key colour and wave formats the
// programs rely on; glyphs load as bitmap files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "assets/generator/Pictures.h"
#include "assets/generator/Sounds.h"
#include "assets/stored/StoredData.h"
#include "display/DIB.h"
#include "display/DXImageList.h"
#include "input_sound/WaveList.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/Filer.h"
#include "platform/toolkit/Graphics.h"

namespace {

struct TListCase {
  const char* Key;
  std::vector<std::string> Names;  // UTF-8
  std::vector<std::pair<int, int>> Sizes;
};

std::vector<std::pair<int, int>> Repeat(int N, int W, int H) { return std::vector<std::pair<int, int>>(N, {W, H}); }

std::vector<TListCase> ListCases() {
  auto terrain = std::vector<std::string>{"tile", "tree", "water", "up1", "up2", "up3", "up4"};
  auto markerSizes = Repeat(6, 34, 50);
  markerSizes[1] = {32, 32};
  return {
      {"Sandreth.DXImageList1", terrain, Repeat(7, 34, 50)},
      {"Sandreth.DXImageList2", {"grid", "hand", "up1", "up2", "up3", "up4"}, markerSizes},
      {"Sandreth.DXImageList3", {"piechur", "rycerz", "łucznik", "mag", "mnich", "chłop"}, Repeat(6, 38, 50)},
      {"Sandreth.DXImageList4", {"zamek", "wieża"}, Repeat(2, 98, 110)},
      {"Korvel.DXImageList1",
       {"c1", "c2", "c3", "gold", "wood", "grid", "hand", "select", "spell", "attack"},
       {{32, 16}, {32, 16}, {32, 16}, {20, 20}, {20, 20}, {34, 50}, {32, 32}, {32, 32}, {32, 32}, {32, 32}}},
      {"Korvel.DXImageList4", terrain, Repeat(7, 34, 50)},
  };
}

// Whether the picture's pixel (X, Y from the top) is the key colour.
bool IsKey(TDIB* Dib, int X, int Y) {
  const BYTE* p = Dib->TopBits() + static_cast<std::ptrdiff_t>(Y) * Dib->NextLine() + X * 3;
  return p[0] == 0xFF && p[1] == 0 && p[2] == 0xFF;
}

TEST(StoredImageLists, EveryListReadsBackWithItsNamesOrderSizesAndKeyColour) {
  for (const TListCase& c : ListCases()) {
    SCOPED_TRACE(c.Key);
    TDXImageList list(nullptr);
    ReadStoredComponent(&list, c.Key);
    ASSERT_EQ(list.Items()->Count(), static_cast<int>(c.Names.size()));
    for (int i = 0; i < list.Items()->Count(); ++i) {
      SCOPED_TRACE(i);
      TPictureCollectionItem* item = list.Items()->Items(i);
      EXPECT_EQ(item->Name(), Cp(c.Names[static_cast<std::size_t>(i)]));
      EXPECT_EQ(list.Items()->IndexOf(item->Name()), i);
      EXPECT_EQ(item->GetWidth(), c.Sizes[static_cast<std::size_t>(i)].first);
      EXPECT_EQ(item->GetHeight(), c.Sizes[static_cast<std::size_t>(i)].second);
      EXPECT_EQ(item->PatternWidth(), 0);
      EXPECT_EQ(item->PatternHeight(), 0);
      EXPECT_EQ(item->SkipWidth(), 0);
      EXPECT_EQ(item->SkipHeight(), 0);
      EXPECT_FALSE(item->SystemMemory());
      EXPECT_TRUE(item->Transparent());
      EXPECT_EQ(item->TransparentColor(), clFuchsia);
      auto* dib = dynamic_cast<TDIB*>(item->Picture()->Graphic());
      ASSERT_NE(dib, nullptr);
      EXPECT_EQ(dib->BitCount(), 24);
      // Every picture has transparent parts in the key colour and opaque
      // ones in other colours.
      int key = 0, opaque = 0;
      for (int y = 0; y < dib->Height(); ++y)
        for (int x = 0; x < dib->Width(); ++x) (IsKey(dib, x, y) ? key : opaque)++;
      EXPECT_GT(key, 0);
      EXPECT_GT(opaque, 0);
    }
    // The collection's colour table is stored as 1024 zero bytes.
    for (const RGBQUAD& q : list.Items()->ColorTable())
      EXPECT_TRUE(q.rgbBlue == 0 && q.rgbGreen == 0 && q.rgbRed == 0 && q.rgbReserved == 0);
  }
}

TDIB* PictureOf(TDXImageList& List, const char* Name) {
  return dynamic_cast<TDIB*>(List.Items()->Find(Name)->Picture()->Graphic());
}

TEST(StoredImageLists, CursorsPointWithTheirTopLeftPixelAndMarkersSitWhereTheyAreDrawn) {
  TDXImageList game(nullptr), editor(nullptr);
  ReadStoredComponent(&game, "Korvel.DXImageList1");
  ReadStoredComponent(&editor, "Sandreth.DXImageList2");
  for (const char* cursor : {"hand", "select", "spell", "attack"}) {
    SCOPED_TRACE(cursor);
    EXPECT_FALSE(IsKey(PictureOf(game, cursor), 0, 0));
  }
  EXPECT_FALSE(IsKey(PictureOf(editor, "hand"), 0, 0));
  // The click marker is drawn at the pointer − (16, 8): each frame is
  // centred there, and each is smaller than the one before.
  int previous = 1 << 30;
  for (const char* frame : {"c1", "c2", "c3"}) {
    SCOPED_TRACE(frame);
    TDIB* dib = PictureOf(game, frame);
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1, count = 0;
    for (int y = 0; y < dib->Height(); ++y)
      for (int x = 0; x < dib->Width(); ++x)
        if (!IsKey(dib, x, y)) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
          ++count;
        }
    EXPECT_NEAR((left + right + 1) / 2.0, 16, 1);
    EXPECT_NEAR((top + bottom + 1) / 2.0, 8, 1);
    EXPECT_LT(right - left, previous);
    previous = right - left;
  }
  // Grid markers lie on the ground diamond of the cell they mark.
  for (TDXImageList* list : {&game, &editor}) {
    TDIB* dib = PictureOf(*list, "grid");
    for (int y = 0; y < dib->Height(); ++y)
      for (int x = 0; x < dib->Width(); ++x)
        if (!IsKey(dib, x, y)) { EXPECT_TRUE(InGroundDiamond(x, y)) << x << "," << y; }
  }
}

TEST(StoredImageLists, StreamsNameTheirComponent) {
  for (const TListCase& c : ListCases()) {
    TStoredData data = StoredComponentData(c.Key);
    ASSERT_GT(data.Size, 4u);
    EXPECT_EQ(std::memcmp(data.Data, "TPF0", 4), 0);
    TMemoryStream stream;
    stream.WriteBuffer(data.Data, static_cast<std::int64_t>(data.Size));
    stream.SetPosition(0);
    TReader reader(&stream);
    TDXImageList list(nullptr);
    std::string cls, name;
    reader.ReadRootObject(&list, &cls, &name);
    EXPECT_EQ(cls, "TDXImageList");
    std::string key = c.Key;
    EXPECT_EQ(name, key.substr(key.find('.') + 1));
    EXPECT_EQ(stream.Position(), stream.Size());
  }
}

TEST(StoredData, UnknownKeysHaveNoDataAndRaiseWhenRead) {
  EXPECT_EQ(StoredComponentData("Korvel.DXImageList2").Size, 0u);
  EXPECT_EQ(StoredComponentData("").Data, nullptr);
  TDXImageList list(nullptr);
  EXPECT_THROW(ReadStoredComponent(&list, "Sandreth.DXImageList9"), EReadError);
}

std::uint32_t U32(const std::uint8_t* P) {
  return P[0] | P[1] << 8 | P[2] << 16 | static_cast<std::uint32_t>(P[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* P) { return static_cast<std::uint16_t>(P[0] | P[1] << 8); }

TEST(StoredWaves, TheNineWavesHaveTheirFormatsAndChunkLayout) {
  struct TRow {
    const char* Name;
    int Channels, Rate, Bytes, FormatSize;
  };
  const TRow rows[] = {
      {"position", 1, 22050, 1606, 16},   {"warrior", 1, 11025, 4361, 16}, {"archer", 1, 11025, 7812, 16},
      {"buildcrash", 1, 11025, 1828, 16}, {"death", 1, 8000, 7941, 18},    {"boom", 1, 11025, 23540, 16},
      {"magic", 1, 11025, 6653, 16},      {"build", 2, 22050, 224794, 16}, {"train", 1, 11025, 19382, 16}};
  TDXWaveList list(nullptr);
  ReadStoredComponent(&list, "Korvel.DXWaveList1");
  ASSERT_EQ(list.Items()->Count(), 9);
  for (int i = 0; i < 9; ++i) {
    const TRow& r = rows[i];
    SCOPED_TRACE(r.Name);
    TWaveCollectionItem* item = list.Items()->Items(i);
    EXPECT_EQ(item->Name(), r.Name);
    EXPECT_FALSE(item->Looped());
    EXPECT_EQ(item->MaxPlayingCount(), 0);
    TWave* wave = item->Wave();
    ASSERT_EQ(wave->FormatSize(), r.FormatSize);
    const std::uint8_t* f = wave->Format();
    EXPECT_EQ(U16(f), 1);  // PCM
    EXPECT_EQ(U16(f + 2), r.Channels);
    EXPECT_EQ(U32(f + 4), static_cast<std::uint32_t>(r.Rate));
    EXPECT_EQ(U32(f + 8), static_cast<std::uint32_t>(r.Rate * r.Channels));
    EXPECT_EQ(U16(f + 12), r.Channels);
    EXPECT_EQ(U16(f + 14), 8);
    if (r.FormatSize == 18) { EXPECT_EQ(U16(f + 16), 0); }
    EXPECT_EQ(wave->Size(), r.Bytes);

    // The stored value is the whole file: RIFF header, "fmt ", "data".
    TMemoryStream file;
    wave->SaveToStream(file);
    const auto* b = static_cast<const std::uint8_t*>(file.Memory());
    ASSERT_EQ(file.Size(), 12 + 8 + r.FormatSize + 8 + r.Bytes);
    EXPECT_EQ(std::memcmp(b, "RIFF", 4), 0);
    EXPECT_EQ(U32(b + 4), static_cast<std::uint32_t>(file.Size() - 8));
    EXPECT_EQ(std::memcmp(b + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(U32(b + 16), static_cast<std::uint32_t>(r.FormatSize));
    EXPECT_EQ(std::memcmp(b + 20 + r.FormatSize, "data", 4), 0);
    EXPECT_EQ(U32(b + 24 + r.FormatSize), static_cast<std::uint32_t>(r.Bytes));

    // Each sounds: the samples move well away from the silent middle, and
    // end quietly.
    int loud = 0;
    for (int s = 0; s < wave->Size(); ++s) loud += std::abs(wave->Data()[s] - 128) > 15;
    EXPECT_GT(loud, wave->Size() / 200);
    EXPECT_LE(std::abs(wave->Data()[wave->Size() - 1] - 128), 2);
  }
}

TEST(StoredGlyphs, EveryToolAndCommandButtonHasABitmapFile) {
  std::vector<std::string> controls;
  for (const char* c : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton5", "SpeedButton6",
                        "SpeedButton7", "SpeedButton8", "SpeedButton9", "SpeedButton10", "SpeedButton11",
                        "SpeedButton12", "SpeedButton13", "SpeedButton14", "TerrainButton1"})
    controls.push_back(std::string("Sandreth.Glyph.") + c);
  for (const char* c : {"MusicButton1", "MusicButton2", "MenuButton1", "MenuButton2", "MenuButton3", "MenuButton4",
                        "MenuButton5", "MenuButton6", "MenuButton7", "MenuButton8", "MenuButton9"})
    controls.push_back(std::string("Korvel.Glyph.") + c);
  for (const std::string& key : controls) {
    SCOPED_TRACE(key);
    TStoredData data = StoredComponentData(key);
    ASSERT_GT(data.Size, 54u);
    TMemoryStream stream;
    stream.WriteBuffer(data.Data, static_cast<std::int64_t>(data.Size));
    stream.SetPosition(0);
    TBitmap bitmap;
    bitmap.LoadFromStream(&stream);
    EXPECT_GE(bitmap.Width(), 16);
    EXPECT_GE(bitmap.Height(), 16);
    // The bottom-left pixel, which a glyph leaves out, is the key colour.
    EXPECT_EQ(bitmap.Canvas()->GetPixel(0, bitmap.Height() - 1), clFuchsia);
  }
}

}  // namespace
