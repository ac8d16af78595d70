#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/toolkit/Canvas.h"

namespace {

struct Pixels32 {
  static constexpr LONG W = 40, H = 30;
  std::vector<DWORD> px = std::vector<DWORD>(W * H, 0);
  HDC dc = CreateDCOverBits(px.data(), W, H, W * 4, 32, 0xFF0000, 0xFF00, 0xFF, nullptr, 0);
  ~Pixels32() { DeleteDC(dc); }
  DWORD At(int x, int y) const { return px[y * W + x]; }
  int Count(DWORD v) const {
    int n = 0;
    for (DWORD p : px) n += p == v;
    return n;
  }
};

// A canvas that gets its DC only when asked, as a surface canvas does.
class LazyCanvas : public TCanvas {
 public:
  explicit LazyCanvas(HDC dc) : FDC(dc) {}
  int Requests = 0;
  void Release() { SetHandle(nullptr); }

 protected:
  void CreateHandle() override {
    ++Requests;
    SetHandle(FDC);
  }

 private:
  HDC FDC;
};

}  // namespace

TEST(Canvas, RefusesToDrawWithoutAHandle) {
  TCanvas canvas;
  EXPECT_FALSE(canvas.HandleAllocated());
  try {
    canvas.FillRect(Rect(0, 0, 1, 1));
    FAIL();
  } catch (const EInvalidOperation& e) { EXPECT_STREQ(e.what(), "Canvas does not allow drawing"); }
  EXPECT_THROW(canvas.TextOut(0, 0, "x"), EInvalidOperation);
  EXPECT_THROW(canvas.Handle(), EInvalidOperation);
}

TEST(Canvas, SubclassSuppliesTheHandleOnceAndReleaseKeepsThePenPosition) {
  Pixels32 b;
  LazyCanvas canvas(b.dc);
  canvas.Pen()->SetColor(clRed);
  canvas.MoveTo(1, 1);
  canvas.LineTo(5, 1);
  canvas.LineTo(5, 4);
  EXPECT_EQ(canvas.Requests, 1);
  canvas.Release();
  EXPECT_FALSE(canvas.HandleAllocated());
  canvas.LineTo(1, 4);  // a new DC, continuing from the kept position
  EXPECT_EQ(canvas.Requests, 2);
  EXPECT_EQ(b.At(4, 1), 0xFF0000u);
  EXPECT_EQ(b.At(5, 1), 0xFF0000u);
  EXPECT_EQ(b.At(5, 3), 0xFF0000u);
  EXPECT_EQ(b.At(5, 4), 0xFF0000u);
  EXPECT_EQ(b.At(2, 4), 0xFF0000u);
  EXPECT_EQ(b.At(1, 4), 0u);
  EXPECT_EQ(b.Count(0xFF0000), 4 + 3 + 4);
  canvas.Release();
  // Releasing deselected the canvas's tools, so they can be deleted.
  int live = GdiLiveObjectCount();
  canvas.Pen()->SetColor(clBlue);
  EXPECT_EQ(GdiLiveObjectCount(), live - 1);
}

TEST(Canvas, DrawsShapesWithPenAndBrushAndRaisesChangeEvents) {
  Pixels32 b;
  TCanvas canvas;
  canvas.SetHandle(b.dc);
  int changing = 0, changed = 0;
  canvas.OnChanging = [&](TObject*) { ++changing; };
  canvas.OnChange = [&](TObject*) { ++changed; };
  canvas.Brush()->SetColor(clLime);
  canvas.FillRect(Rect(0, 0, 4, 3));
  EXPECT_EQ(b.Count(0x00FF00), 12);
  canvas.Pen()->SetColor(clBlue);
  canvas.Brush()->SetColor(clYellow);
  canvas.Rectangle(10, 10, 15, 14);
  EXPECT_EQ(b.At(14, 13), 0x0000FFu);
  EXPECT_EQ(b.At(15, 13), 0u);
  EXPECT_EQ(b.At(11, 11), 0xFFFF00u);
  canvas.Brush()->SetColor(clFuchsia);
  canvas.FrameRect(Rect(20, 0, 24, 4));
  EXPECT_EQ(b.Count(0xFF00FF), 12);
  canvas.Pixels[30][20] = clAqua;
  EXPECT_EQ(b.At(30, 20), 0x00FFFFu);  // XRGB of $00FFFF00 (BGR)
  EXPECT_EQ(static_cast<TColor>(canvas.Pixels[30][20]), clAqua);
  canvas.Ellipse(25, 20, 35, 30);
  EXPECT_EQ(b.At(30, 25), 0xFF00FFu);  // filled inside
  EXPECT_EQ(b.At(25, 20), 0u);         // corner outside the ellipse
  EXPECT_EQ(changing, 5);
  EXPECT_EQ(changed, 5);
  canvas.SetHandle(nullptr);
}

TEST(Canvas, TextFollowsFontAndBrush) {
  Pixels32 b;
  TCanvas canvas;
  canvas.SetHandle(b.dc);
  canvas.Font()->SetName("Comic Sans MS");
  canvas.Font()->SetSize(10);
  EXPECT_EQ(canvas.Font()->Height(), -13);
  EXPECT_EQ(canvas.Font()->Size(), 10);
  canvas.Font()->SetColor(clWhite);
  canvas.Brush()->SetColor(clNavy);
  int w = canvas.TextWidth("Ab");
  int h = canvas.TextHeight("Ab");
  EXPECT_GT(w, 4);
  EXPECT_GT(h, 8);
  canvas.TextOut(2, 2, "Ab");
  EXPECT_EQ(canvas.PenPos(), Point(2 + w, 2));
  EXPECT_EQ(b.At(2, 2 + h - 1), 0x000080u);  // opaque cell in the brush colour
  EXPECT_GT(b.Count(0xFFFFFF), 5);
  int white = b.Count(0xFFFFFF);
  // Bold text is wider or heavier.
  canvas.Font()->SetStyle({fsBold});
  canvas.Brush()->SetStyle(bsClear);
  canvas.TextOut(2, 15, "Ab");
  EXPECT_GT(b.Count(0xFFFFFF), white);
  EXPECT_EQ(b.At(2, 15 + h - 1), 0u);  // clear brush: no background
  // Giving a clear brush a colour makes it solid again.
  canvas.Brush()->SetColor(clNavy);
  EXPECT_EQ(canvas.Brush()->Style(), bsSolid);
  // TextRect clips to its rectangle.
  Pixels32 c;
  TCanvas clip;
  clip.SetHandle(c.dc);
  clip.Font()->SetColor(clRed);
  clip.Brush()->SetColor(clBlack);
  clip.TextRect(Rect(0, 0, 3, 40), 0, 0, "WWWW");
  for (int y = 0; y < Pixels32::H; ++y)
    for (int x = 3; x < Pixels32::W; ++x) EXPECT_EQ(c.At(x, y), 0u);
  clip.SetHandle(nullptr);
  canvas.SetHandle(nullptr);
}

TEST(Canvas, CopyRectStretchesWithTheCopyMode) {
  Pixels32 src, dst;
  TCanvas a, b;
  a.SetHandle(src.dc);
  b.SetHandle(dst.dc);
  a.Pixels[0][0] = clRed;
  a.Pixels[1][0] = clLime;
  b.CopyRect(Rect(0, 0, 4, 2), &a, Rect(0, 0, 2, 1));
  EXPECT_EQ(dst.At(0, 0), 0xFF0000u);
  EXPECT_EQ(dst.At(1, 1), 0xFF0000u);
  EXPECT_EQ(dst.At(2, 0), 0x00FF00u);
  EXPECT_EQ(dst.At(3, 1), 0x00FF00u);
  b.SetCopyMode(cmSrcInvert);
  b.CopyRect(Rect(0, 0, 2, 1), &a, Rect(0, 0, 2, 1));
  EXPECT_EQ(dst.At(0, 0), 0u);
  EXPECT_EQ(dst.At(1, 0), 0xFF0000u ^ 0x00FF00u);
  a.SetHandle(nullptr);
  b.SetHandle(nullptr);
}

TEST(Canvas, SystemColoursResolveAndLockCounts) {
  EXPECT_LT(clBtnFace, 0);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(192, 192, 192));
  EXPECT_EQ(ColorToRGB(clWindowText), RGB(0, 0, 0));
  EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
  TCanvas canvas;
  canvas.Lock();
  canvas.Lock();
  EXPECT_EQ(canvas.LockCount(), 2);
  canvas.Unlock();
  canvas.Unlock();
  EXPECT_EQ(canvas.LockCount(), 0);
}
