#include <QCoreApplication>
#include <QFontInfo>
#include <QWidget>
#include <string>
#include <vector>

#include "ctrl_fixture.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/Canvas.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/StdCtrls.h"
#include "platform/toolkit/WidgetControl.h"
#include "platform/toolkit/XPMan.h"

namespace {

class TSpeedButtonTest : public TControlsTest {
 protected:
  // The seven terrain tools of the editor: one group, the first down.
  void MakeTools() {
    Panel = Make<TPanel>("Panel1", 10, 10, 300, 60);
    for (int i = 0; i < 7; ++i) {
      auto* b = Make<TSpeedButton>(("Tool" + std::to_string(i)).c_str(), 8 + 40 * i, 8, 33, 33, Panel);
      b->SetFlat(true);
      b->SetGroupIndex(1);
      b->OnClick = [this, i](TObject*) { Chosen.push_back(i); };
      Tools.push_back(b);
    }
    Tools[0]->SetDown(true);
  }
  std::vector<int> DownOnes() const {
    std::vector<int> down;
    for (size_t i = 0; i < Tools.size(); ++i)
      if (Tools[i]->Down()) down.push_back(static_cast<int>(i));
    return down;
  }
  TPanel* Panel = nullptr;
  std::vector<TSpeedButton*> Tools;
  std::vector<int> Chosen;
};

}  // namespace

TEST_F(TSpeedButtonTest, ExactlyOneButtonOfAGroupIsDown) {
  MakeTools();
  auto* edit = Make<TEdit>("Edit1", 10, 100, 100, 21);
  ShowMain();
  edit->SetFocus();
  Driver->Click(Tools[3], 10, 10);
  EXPECT_EQ(DownOnes(), (std::vector<int>{3}));
  Driver->Click(Tools[3], 10, 10);  // the down button stays down, and clicks
  EXPECT_EQ(DownOnes(), (std::vector<int>{3}));
  Driver->Click(Tools[6], 10, 10);
  EXPECT_EQ(DownOnes(), (std::vector<int>{6}));
  EXPECT_EQ(Chosen, (std::vector<int>{3, 3, 6}));
  EXPECT_TRUE(edit->Focused());  // speed buttons never take the focus
  Tools[1]->SetDown(true);       // code too keeps one down
  EXPECT_EQ(DownOnes(), (std::vector<int>{1}));
  Tools[1]->SetDown(false);
  EXPECT_EQ(DownOnes(), (std::vector<int>{1}));
  Tools[1]->SetAllowAllUp(true);
  Tools[1]->SetDown(false);
  EXPECT_EQ(DownOnes(), (std::vector<int>{}));
}

TEST_F(TSpeedButtonTest, ReleaseOutsideOrDisabledIsNoClick) {
  MakeTools();
  ShowMain();
  Driver->Drag(Tools[2], 5, 5, 100, 40);
  EXPECT_TRUE(Chosen.empty());
  EXPECT_EQ(DownOnes(), (std::vector<int>{0}));
  Tools[4]->SetEnabled(false);
  Driver->Click(Tools[4], 10, 10);
  EXPECT_TRUE(Chosen.empty());
  // A button outside any group never stays down.
  auto* plain = Make<TSpeedButton>("Plain", 10, 100, 80, 22);
  plain->SetCaption(Cp("Otwórz"));
  int clicks = 0;
  plain->OnClick = [&](TObject*) { ++clicks; };
  Driver->Click(plain, 10, 10);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(plain->Down());
}

TEST_F(TSpeedButtonTest, HintsAreTheControlsTooltips) {
  MakeTools();
  Tools[0]->SetHint("Zaznacz");
  Tools[0]->SetShowHint(true);
  Tools[1]->SetHint("Odznacz");  // ShowHint not set: no tooltip
  auto* list = Make<TListBox>("ListBox2", 10, 100, 100, 60);
  list->SetHint(Cp("Ctrl - wielokrotne zaznaczanie."));
  list->SetShowHint(true);
  ShowMain();
  EXPECT_EQ(Controls->HintOf(Tools[0]), "Zaznacz");
  EXPECT_EQ(Controls->HintOf(Tools[1]), "");
  EXPECT_EQ(Controls->HintOf(list), Cp("Ctrl - wielokrotne zaznaczanie."));
}

TEST_F(TSpeedButtonTest, AFormsShowHintReachesTheControlsThatTakeTheirParents) {
  MakeTools();
  auto* panel = Make<TPanel>("Panel2", 200, 80, 150, 100);
  new TXPManifest(Main);  // the visual-styles component changes nothing here
  auto* inner = Make<TSpeedButton>("Inner", 5, 5, 40, 22, panel);
  auto* own = Make<TSpeedButton>("Own", 50, 5, 40, 22, panel);
  for (TControl* c : {static_cast<TControl*>(Tools[0]), static_cast<TControl*>(inner), static_cast<TControl*>(own)})
    c->SetHint(c->Name());
  own->SetShowHint(false);  // its own setting: ParentShowHint goes off
  EXPECT_TRUE(inner->ParentShowHint());
  EXPECT_FALSE(own->ParentShowHint());
  ShowMain();
  EXPECT_EQ(Controls->HintOf(Tools[0]), "");

  Main->SetShowHint(true);
  EXPECT_TRUE(inner->ShowHint());
  EXPECT_EQ(Controls->HintOf(Tools[0]), "Tool0");
  EXPECT_EQ(Controls->HintOf(inner), "Inner");
  EXPECT_EQ(Controls->HintOf(own), "");

  // A control placed later takes the setting too.
  auto* late = Make<TSpeedButton>("Late", 100, 5, 40, 22, panel);
  late->SetHint("Late");
  Driver->Pump();
  EXPECT_EQ(Controls->HintOf(late), "Late");

  // Back to the parent's setting, and the form's switch reaches everyone again.
  own->SetParentShowHint(true);
  EXPECT_EQ(Controls->HintOf(own), "Own");
  Main->SetShowHint(false);
  EXPECT_EQ(Controls->HintOf(inner), "");
  EXPECT_EQ(Controls->HintOf(own), "");
  inner->SetParentShowHint(false);  // keeps what it shows
  Main->SetShowHint(true);
  EXPECT_FALSE(inner->ShowHint());
}

TEST_F(TControlsTest, PanelMovesAndSizesItsChildrenWithIt) {
  auto* panel = Make<TPanel>("Panel1", 688, 8, 97, 289);
  auto* button = Make<TSpeedButton>("SpeedButton3", 8, 8, 81, 22, panel);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  Main->SetBounds(0, 0, 800, 400);
  ShowMain();
  panel->SetHeight(40);
  panel->SetLeft(600);
  EXPECT_EQ(panel->BoundsRect().left, 600);
  EXPECT_EQ(panel->Height(), 40);
  EXPECT_EQ(panel->Widget()->geometry(), QRect(600, 8, 97, 40));
  Driver->Click(button, 5, 5);
  EXPECT_EQ(clicks, 1);
  // A control beyond the panel's height is clipped away with it.
  auto* low = Make<TSpeedButton>("Low", 8, 60, 81, 22, panel);
  Controls->SaveScreenshot(Main, "/dev/null");
  QWidget* v = low->View();
  ASSERT_NE(v, nullptr);
  EXPECT_TRUE(v->visibleRegion().isEmpty());
}

TEST_F(TControlsTest, LabelSizesToItsCaptionInComicNeue) {
  auto* label = Make<TLabel>("Label1", 6, 3, 10, 10);
  label->Font()->SetName("Comic Sans MS");
  label->Font()->SetStyle({fsBold});
  label->Font()->SetHeight(-16);
  label->SetTransparent(true);
  label->SetCaption(Cp("Otwórz mapę"));
  EXPECT_GT(label->Width(), 60);
  EXPECT_GE(label->Height(), 16);
  QFontInfo info(ToQFont(label->Font()));
  EXPECT_EQ(info.family(), QStringLiteral("Comic Neue"));
  EXPECT_TRUE(info.bold());
  auto* centred = Make<TLabel>("Label2", 8, 232, 81, 17);
  centred->SetAutoSize(false);
  centred->SetAlignment(taCenter);
  centred->SetCaption("X: 1, Y: 1");
  EXPECT_EQ(centred->Width(), 81);
}

TEST_F(TControlsTest, ShapePaintsItsBrushInsideItsPen) {
  auto* shape = Make<TShape>("Shape1", 0, 0, 40, 20);
  shape->Brush()->SetColor(clYellow);
  shape->Pen()->SetColor(clBlue);
  ShowMain();
  Controls->SaveScreenshot(Main, "/dev/null");
  TPixels px = Driver->ReadPixels(Main);
  ASSERT_GE(px.Width, 40);
  EXPECT_EQ(px.At(0, 0), 0x0000FFu);  // the pen (blue)
  EXPECT_EQ(px.At(39, 19), 0x0000FFu);
  EXPECT_EQ(px.At(20, 10), 0xFFFF00u);  // the brush (yellow)
  shape->Pen()->SetStyle(psClear);
  shape->Brush()->SetColor(clRed);
  QCoreApplication::processEvents();
  px = Driver->ReadPixels(Main);
  EXPECT_EQ(px.At(0, 0), 0xFF0000u);
}

namespace {

// A picture that paints a red square on a fuchsia ground.
class TTestGlyph : public TTestGlyphBase {
 public:
  TTestGlyph() : TTestGlyphBase(16) {}

 protected:
  void PaintFigure(TCanvas* ACanvas, const TRect& Rect) override {
    ACanvas->Brush()->SetColor(clRed);
    ACanvas->FillRect(::Rect(Rect.left + 4, Rect.top + 4, Rect.left + 12, Rect.top + 12));
  }
};

}  // namespace

TEST_F(TControlsTest, SpeedButtonGlyphIsTransparentInItsBottomLeftColour) {
  auto* b = Make<TSpeedButton>("MusicButton1", 8, 8, 33, 25);
  b->SetFlat(true);
  TTestGlyph glyph;
  b->SetGlyph(&glyph);
  EXPECT_TRUE(b->HasGlyph());
  ShowMain();
  Controls->SaveScreenshot(Main, "/dev/null");
  TPixels px = Driver->ReadPixels(Main);
  const DWORD centre = px.At(8 + 16, 8 + 12);
  EXPECT_EQ(centre, 0xFF0000u);
  int fuchsia = 0;
  for (int y = 8; y < 33; ++y)
    for (int x = 8; x < 41; ++x)
      if (px.At(x, y) == 0xFF00FFu) ++fuchsia;
  EXPECT_EQ(fuchsia, 0);
  b->SetGlyph(nullptr);
  EXPECT_FALSE(b->HasGlyph());
}
