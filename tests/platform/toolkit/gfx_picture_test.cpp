#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/rtl/Files.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/toolkit/Picture.h"
#include "platform/win/Clipboard.h"

namespace {

// A graphic holding a line of text; its stream form is the text.
class TTextGraphic : public TGraphic {
 public:
  std::string Text;
  bool Empty() const override { return Text.empty(); }
  int Width() const override { return static_cast<int>(Text.size()); }
  void SetWidth(int) override {}
  int Height() const override { return 1; }
  void SetHeight(int) override {}
  void LoadFromStream(TStream* s) override {
    Text.resize(static_cast<size_t>(s->Size() - s->Position()));
    s->ReadBuffer(Text.data(), static_cast<std::int64_t>(Text.size()));
  }
  void SaveToStream(TStream* s) override { s->WriteBuffer(Text.data(), static_cast<std::int64_t>(Text.size())); }
  void LoadFromClipboardFormat(WORD, HANDLE data, HPALETTE) override {
    Text.assign(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
    GlobalUnlock(data);
  }
  void SaveToClipboardFormat(WORD& f, HANDLE& d, HPALETTE& p) override {
    f = static_cast<WORD>(RegisterClipboardFormatA("Text graphic"));
    d = GlobalAlloc(GHND, Text.size());
    std::memcpy(GlobalLock(d), Text.data(), Text.size());
    GlobalUnlock(d);
    p = nullptr;
  }
  void Assign(const TPersistent* Source) override {
    if (auto* t = dynamic_cast<const TTextGraphic*>(Source)) {
      Text = t->Text;
      return;
    }
    TGraphic::Assign(Source);
  }

 protected:
  void Draw(TCanvas*, const TRect&) override {}
};

std::string TempName(const char* name) { return testing::TempDir() + name; }

}  // namespace

TEST(Picture, LoadsFilesThroughTheClassOfTheirExtension) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(4, 3);
  bmp.Canvas()->SetPixel(3, 2, clBlue);
  std::string file = TempName("picture_test.BMP");
  bmp.SaveToFile(file);

  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  pic.LoadFromFile(file);
  ASSERT_NE(dynamic_cast<TBitmap*>(pic.Graphic()), nullptr);
  EXPECT_EQ(pic.Width(), 4);
  EXPECT_EQ(pic.Height(), 3);
  EXPECT_EQ(pic.Bitmap()->Canvas()->GetPixel(3, 2), clBlue);
  EXPECT_EQ(changes, 1);
  pic.Bitmap()->Canvas()->SetPixel(0, 0, clRed);  // the graphic's changes reach the picture
  EXPECT_EQ(changes, 2);

  try {
    pic.LoadFromFile(TempName("picture_test.png"));
    FAIL();
  } catch (const EInvalidGraphic& e) { EXPECT_STREQ(e.what(), "Unknown picture file extension (.png)"); }
  // A file that fails to load leaves the picture as it was.
  std::string bad = TempName("broken.bmp");
  FILE* f = std::fopen(bad.c_str(), "wb");
  std::fputs("BMnonsense", f);
  std::fclose(f);
  EXPECT_THROW(pic.LoadFromFile(bad), EInvalidGraphic);
  EXPECT_EQ(pic.Width(), 4);
  // A missing file: the toolkit's text with the name as given and the system's reason.
  const std::string missing = TempName("missing.bmp");
  try {
    pic.LoadFromFile(missing);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file \"" + missing + "\". " + SysErrorMessage(ENOENT));
  }
  EXPECT_EQ(pic.Width(), 4);
  std::remove(file.c_str());
  std::remove(bad.c_str());
}

TEST(Picture, RegistryTakesNewClassesAndForgetsThemAgain) {
  TPicture::RegisterFileFormat("txg", "Text graphics", GraphicClassOf<TTextGraphic>());
  std::string file = TempName("hello.txg");
  FILE* f = std::fopen(file.c_str(), "wb");
  std::fputs("hello", f);
  std::fclose(f);
  TPicture pic;
  pic.LoadFromFile(file);
  auto* t = dynamic_cast<TTextGraphic*>(pic.Graphic());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Text, "hello");
  EXPECT_TRUE(TPicture::FindGraphicClass("(anonymous namespace)::TTextGraphic"));

  // Copies keep their class.
  TPicture copy;
  copy.Assign(&pic);
  ASSERT_NE(dynamic_cast<TTextGraphic*>(copy.Graphic()), nullptr);
  EXPECT_NE(copy.Graphic(), pic.Graphic());
  // Bitmap replaces another kind of graphic by an empty bitmap.
  EXPECT_TRUE(copy.Bitmap()->Empty());

  // Clipboard formats registered for the class.
  UINT fmt = RegisterClipboardFormatA("Text graphic");
  EXPECT_EQ(RegisterClipboardFormatA("TEXT GRAPHIC"), fmt);
  EXPECT_GE(fmt, 0xC000u);
  EXPECT_FALSE(TPicture::SupportsClipboardFormat(static_cast<WORD>(fmt)));
  TPicture::RegisterClipboardFormat(static_cast<WORD>(fmt), GraphicClassOf<TTextGraphic>());
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(static_cast<WORD>(fmt)));
  WORD format;
  HANDLE data;
  HPALETTE palette;
  pic.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, fmt);
  TPicture fromClip;
  fromClip.LoadFromClipboardFormat(format, data, palette);
  EXPECT_EQ(static_cast<TTextGraphic*>(fromClip.Graphic())->Text, "hello");
  GlobalFree(data);

  TPicture::UnregisterGraphicClass("(anonymous namespace)::TTextGraphic");
  EXPECT_FALSE(TPicture::SupportsClipboardFormat(static_cast<WORD>(fmt)));
  EXPECT_THROW(pic.LoadFromFile(file), EInvalidGraphic);
  try {
    fromClip.LoadFromClipboardFormat(static_cast<WORD>(fmt), nullptr, nullptr);
    FAIL();
  } catch (const EInvalidGraphic& e) { EXPECT_STREQ(e.what(), "Unsupported clipboard format"); }
  std::remove(file.c_str());
}

TEST(Picture, BitmapsGoThroughTheClipboard) {
  TPicture pic;
  pic.Bitmap()->SetPixelFormat(pf8bit);
  pic.Bitmap()->SetSize(3, 3);
  pic.Bitmap()->Canvas()->SetPixel(1, 1, clRed);
  WORD format;
  HANDLE data;
  HPALETTE palette;
  pic.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, CF_BITMAP);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, data);
  SetClipboardData(CF_PALETTE, palette);
  CloseClipboard();
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));

  TPicture back;
  back.LoadFromClipboardFormat(CF_BITMAP, GetClipboardData(CF_BITMAP),
                               static_cast<HPALETTE>(GetClipboardData(CF_PALETTE)));
  EXPECT_EQ(back.Bitmap()->PixelFormat(), pf8bit);
  EXPECT_EQ(back.Bitmap()->Canvas()->GetPixel(1, 1), clRed);
  EXPECT_EQ(back.Bitmap()->Canvas()->GetPixel(0, 0), clWhite);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();  // frees the bitmap and palette
  CloseClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));

  // Byte data.
  ASSERT_TRUE(SetClipboardBytes(CF_DIB, "abc", 3));
  std::string bytes;
  ASSERT_TRUE(GetClipboardBytes(CF_DIB, bytes));
  EXPECT_EQ(bytes, "abc");
}

TEST(SharedImage, TheLastReleaseFreesTheHandle) {
  static int freed = 0;
  class Image : public TSharedImage {
   protected:
    void FreeHandle() override { ++freed; }
  };
  auto* image = new Image;
  image->Reference();
  image->Reference();
  EXPECT_EQ(image->RefCount(), 2);
  image->Release();
  EXPECT_EQ(freed, 0);
  image->Release();
  EXPECT_EQ(freed, 1);
}
