#include "display/DXImageList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/DXTimer.h"
#include "platform/rtl/Format.h"
#include "platform/toolkit/Bitmap.h"
#include "tests/display/DXDrawFixtures.h"

namespace {

constexpr TColor Magenta = 0xFF00FF;

// A picture on a magenta background (the transparent colour) with a filled
// ellipse and a frame in the given colours.
std::unique_ptr<TBitmap> Sprite(int Width, int Height, TColor Fill, TColor Frame) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(Width, Height);
  TCanvas* c = bitmap->Canvas();
  c->Brush()->SetColor(Magenta);
  c->FillRect(TRect{0, 0, Width, Height});
  c->Brush()->SetColor(Fill);
  c->Pen()->SetColor(Frame);
  c->Ellipse(0, 0, Width, Height);
  return bitmap;
}

// The frame cycle of both programs: a drawing control filling its form, an
// image list of named pictures bound to it, and a frame timer of 1 ms whose
// every tick clears the back surface, draws the pictures by name, writes on
// the surface's canvas, releases it and flips.
class ImageListFrames : public DrawControlTest {
 protected:
  void Build() {
    Draw = new TDXDraw(Form);
    Draw->BeginLoading();
    Draw->SetName("DXDraw1");
    Draw->SetParent(Form);
    Draw->SetAlign(alClient);
    Draw->Loaded();

    List = new TDXImageList(Form);
    List->BeginLoading();
    List->SetName("DXImageList1");
    const struct {
      const char* Name;
      int W, H;
      TColor Fill, Frame;
    } sprites[] = {
        {"tile", 32, 16, clGreen, clLime}, {"tree", 24, 32, clLime, clBlack}, {"hand", 16, 16, clRed, clWhite}};
    for (const auto& s : sprites) {
      auto picture = Sprite(s.W, s.H, s.Fill, s.Frame);
      TPictureCollectionItem* item = List->Items()->Add();
      item->SetName(s.Name);
      item->SetPicture(picture.get());
      item->SetTransparentColor(Magenta);
    }
    List->Loaded();
    List->SetDXDraw(Draw);

    Timer = new TDXTimer(Form);
    Timer->BeginLoading();
    Timer->SetName("DXTimer1");
    Timer->SetActiveOnly(false);
    Timer->SetInterval(1);
    Timer->OnTimer = [this](TObject*, std::int32_t lag) { Tick(lag); };
    Timer->Loaded();
  }

  void Tick(std::int32_t Lag) {
    ++Ticks;
    Lags.push_back(Lag);
    if (!Draw->CanDraw()) return;
    TDirectDrawSurface* back = Draw->Surface();
    back->Fill(back->ColorMatch(clNavy));
    TPictureCollectionItem* tile = List->Items()->Find("tile");
    for (int row = 0; row < 6; ++row)
      for (int col = 0; col < 8; ++col) tile->Draw(back, 16 + col * 36, 40 + row * 20, 0);
    List->Items()->Find("TREE")->Draw(back, 40 + Ticks * 4, 60, 0);
    List->Items()->Find("Hand")->Draw(back, 290, 200, 0);
    TCanvas* canvas = back->Canvas();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(clYellow);
    canvas->TextOut(8, 8, Format("Frame %d, lag %d", Ticks, Lag));
    back->Canvas()->Release();
    Draw->Flip();
  }

  TDXDraw* Draw = nullptr;
  TDXImageList* List = nullptr;
  TDXTimer* Timer = nullptr;
  int Ticks = 0;
  std::vector<std::int32_t> Lags;
};

TEST_F(ImageListFrames, EveryTickDrawsNamedPicturesThroughTheImageList) {
  Build();
  EXPECT_EQ(List->Items()->Items(0)->SurfaceCount(), 0);
  Form->Show();
  ASSERT_TRUE(Draw->Initialized());
  ASSERT_EQ(Draw->SurfaceWidth(), 320);
  ASSERT_EQ(Draw->SurfaceHeight(), 240);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(List->Items()->Items(i)->SurfaceCount(), 1);

  AdvanceManualClock(20000);
  for (int i = 0; i < 10; ++i) Driver->Pump(1);
  EXPECT_EQ(Ticks, 10);
  for (size_t i = 2; i < Lags.size(); ++i) {
    EXPECT_GE(Lags[i], 16);
    EXPECT_LE(Lags[i], 17);
  }

  TPixels p = Driver->ReadPixels(Draw);
  ASSERT_EQ(p.Width, 320);
  const DWORD navy = 0x000080, green = 0x008000, red = 0xFF0000;
  EXPECT_EQ(p.At(1, 239), navy);
  EXPECT_EQ(p.At(16 + 16, 40 + 8), green);  // the middle of the first tile
  EXPECT_EQ(p.At(16, 40), navy);            // its magenta corner is keyed out
  EXPECT_EQ(p.At(290 + 8, 200 + 8), red);   // the hand
  EXPECT_EQ(p.At(290, 200), navy);

  if (const char* path = std::getenv("BRASK_SCREENSHOT")) {
    // On a real display: thirty more frames paced by the real clock, their
    // lag counts shown, then the window saved.
    UseRealClock();
    Lags.clear();
    while (Lags.size() < 30) Driver->Pump(1);
    std::string shown;
    for (std::int32_t lag : Lags) shown.append(Format(" %d", lag));
    std::printf("lag counts on the real clock:%s\n", shown.c_str());
    EXPECT_TRUE(Driver->SaveScreenshot(Form, path));
    UseManualClock(ClockMicroseconds());
  }

  // Closing the window finalises the control: the pictures lose their
  // surfaces and the ticks draw nothing, without an exception.
  Form->Perform(WM_DESTROY);
  EXPECT_EQ(List->Items()->Items(0)->SurfaceCount(), 0);
  const int before = Ticks;
  for (int i = 0; i < 3; ++i) {
    AdvanceManualClock(2000);
    Driver->Pump(1);
  }
  EXPECT_EQ(Ticks, before + 3);
  EXPECT_TRUE(Driver->MessageBoxes().empty());
}

TEST_F(ImageListFrames, RemovingTheControlUnbindsTheList) {
  Build();
  Form->Show();
  Timer->Free();
  Draw->Free();
  EXPECT_EQ(List->DXDraw(), nullptr);
  EXPECT_EQ(List->Items()->DXDraw(), nullptr);
  EXPECT_EQ(List->Items()->Items(0)->SurfaceCount(), 0);
}

TEST_F(ImageListFrames, TakingTheControlFromItsOwnerUnbindsTheListForGood) {
  Build();
  Form->Show();
  ASSERT_EQ(List->Items()->Items(0)->SurfaceCount(), 1);
  Timer->Free();
  // The control stays alive (still on the form) but leaves its owner.
  Form->RemoveComponent(Draw);
  EXPECT_EQ(List->DXDraw(), nullptr);
  EXPECT_EQ(Draw->ListenerCount(), 0);
  EXPECT_EQ(List->Items()->Items(0)->SurfaceCount(), 0);
  // The list goes first; the control's later notifications must not reach it.
  List->Free();
  Form->Perform(WM_DESTROY);
  Draw->Free();
}

}  // namespace
