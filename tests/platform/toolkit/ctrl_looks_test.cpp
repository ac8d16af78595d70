// How the controls look as a desktop's own: disabled controls grey out and
// ignore presses, and painting leaves nothing behind that outlives the paint.
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <string>

#include "ctrl_fixture.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Graphic.h"
#include "platform/toolkit/MessageBoxes.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/StdCtrls.h"
#include "platform/win/Window.h"

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's count of the heap in use (its runtime provides it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

// A glyph as the game's command buttons have: a black arrow.
class TArrowGlyph : public TTestGlyphBase {
 public:
  TArrowGlyph() : TTestGlyphBase(24) {}

 protected:
  void PaintFigure(TCanvas* ACanvas, const TRect& Rect) override {
    ACanvas->Brush()->SetColor(clBlack);
    for (int i = 0; i < 10; ++i)
      ACanvas->FillRect(::Rect(Rect.left + 4 + i, Rect.top + 4 + i, Rect.left + 20 - i, Rect.top + 6 + i));
  }
};

// What the control shows now: its window, or the view it is drawn on.
QImage Shot(TControl* Control) {
  QWidget* w = nullptr;
  if (auto* g = dynamic_cast<TWidgetGraphicControl*>(Control))
    w = g->View();
  else if (auto* c = dynamic_cast<TWinControl*>(Control))
    w = c->Widget();
  return w ? w->grab().toImage().convertToFormat(QImage::Format_RGB32) : QImage();
}

int Luma(QRgb C) { return (qRed(C) * 299 + qGreen(C) * 587 + qBlue(C) * 114) / 1000; }

// The darkest pixel's brightness: the text's or the glyph's, on a light ground.
int LightestLuma(const QImage& Image) {
  int lightest = 0;
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x) lightest = std::max(lightest, Luma(Image.pixel(x, y)));
  return lightest;
}
int DarkestLuma(const QImage& Image) {
  int darkest = 255;
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x) darkest = std::min(darkest, Luma(Image.pixel(x, y)));
  return darkest;
}

std::size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

class TControlLooksTest : public TControlsTest {
 protected:
  TSpeedButton* CaptionButton() {
    auto* b = Make<TSpeedButton>("SpeedButton4", 8, 8, 81, 22);
    b->SetFlat(true);
    b->SetCaption("Wybierz");
    return b;
  }
  TSpeedButton* GlyphButton(bool Flat = true) {
    auto* b = Make<TSpeedButton>("MenuButton4", 100, 8, 33, 33);
    b->SetFlat(Flat);
    b->SetGlyph(&Glyph);
    return b;
  }
  TArrowGlyph Glyph;
};

}  // namespace

// Each kind of control the programs use, disabled, shows its text or glyph
// greyed (not as it shows enabled, lighter, black on a light ground, and
// still standing out from its ground),
// and a press on it shows nothing.
TEST_F(TControlLooksTest, DisabledControlsShowGreyed) {
  const struct {
    const char* Kind;
    std::function<TControl*()> Make;
  } kinds[] = {
      {"flat speed button with a caption", [this]() -> TControl* { return CaptionButton(); }},
      {"flat speed button with a glyph", [this]() -> TControl* { return GlyphButton(); }},
      {"raised speed button with a glyph", [this]() -> TControl* { return GlyphButton(false); }},
      {"button",
       [this]() -> TControl* {
         auto* b = Make<TButton>("Button1", 8, 60, 90, 25);
         b->SetCaption("Anuluj");
         return b;
       }},
      {"check box",
       [this]() -> TControl* {
         auto* c = Make<TCheckBox>("CheckBox2", 8, 100, 90, 20);
         c->SetCaption(Cp("Śledź"));
         return c;
       }},
      {"edit box",
       [this]() -> TControl* {
         auto* e = Make<TEdit>("Edit1", 8, 130, 120, 21);
         e->SetText("Wpisz");
         return e;
       }},
      {"list box",
       [this]() -> TControl* {
         auto* l = Make<TListBox>("ListBox1", 150, 60, 120, 60);
         l->Items()->Add("Rycerz");
         l->Items()->Add("Łucznik");
         return l;
       }},
  };
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.Kind);
    TControl* c = k.Make();
    ShowMain();
    const QImage enabled = Shot(c);
    ASSERT_FALSE(enabled.isNull());
    c->SetEnabled(false);
    Driver->Pump(2);
    const QImage disabled = Shot(c);
    EXPECT_NE(disabled, enabled) << "drawn the same enabled and disabled";
    EXPECT_GT(DarkestLuma(disabled), DarkestLuma(enabled) + 40) << "the text or glyph is not greyed";
    EXPECT_LT(DarkestLuma(disabled) + 40, LightestLuma(disabled)) << "the greyed text or glyph does not show";
    // A press on it shows nothing.
    Driver->MouseDown(c, c->Width() / 2, c->Height() / 2);
    Driver->Pump(2);
    EXPECT_EQ(Shot(c), disabled) << "a press on the disabled control shows";
    Driver->MouseUp(c, c->Width() / 2, c->Height() / 2);
    c->SetEnabled(true);
    Driver->Pump(2);
    EXPECT_EQ(Shot(c), enabled) << "enabled again, it looks as before";
    c->Free();
  }
}

// Painting the controls over and over keeps no memory: what a paint makes
// goes with it (a cache, if any, stays small).
TEST_F(TControlLooksTest, RepaintingKeepsNoMemory) {
  TSpeedButton* flat = GlyphButton();
  TSpeedButton* raised = Make<TSpeedButton>("MenuButton6", 140, 8, 33, 33);
  raised->SetGlyph(&Glyph);
  TSpeedButton* caption = CaptionButton();
  auto* label = Make<TLabel>("Label2", 8, 60, 81, 13);
  label->SetCaption("X: 1, Y: 1");
  auto* shape = Make<TShape>("Shape1", 8, 80, 50, 20);
  ShowMain();
  auto paintAll = [&](int Times) {
    for (int i = 0; i < Times; ++i) {
      // Pressed and raised, enabled and disabled, as orders and modes change them.
      for (TSpeedButton* b : {flat, raised, caption}) {
        b->SetEnabled(i % 3 != 0);
        b->View()->repaint();
      }
      Driver->MouseDown(raised, 10, 10);
      raised->View()->repaint();
      Driver->MouseUp(raised, 10, 10);
      label->View()->repaint();
      shape->View()->repaint();
    }
  };
  paintAll(50);  // the style's own caches fill first
  const std::size_t before = HeapInUse();
  paintAll(1000);
  const std::size_t after = HeapInUse();
  const long grown = static_cast<long>(after) - static_cast<long>(before);
  EXPECT_LT(grown, 256 * 1024) << "1000 paints kept " << grown << " bytes";
}

namespace {

// What a title bar needs at the least: the caption in bold and room for an
// icon, three buttons and the frame beside it (a stacking window manager's
// title bar shows "Br…e" of "Brask Engine" in 142 pixels).
int CaptionNeeds(const std::string& Caption) {
  QFont bold = QApplication::font();
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(ToQString(Caption)) + 112;
}

}  // namespace

// The system's message boxes and the toolkit's own message and input forms
// are wide enough to show their whole caption, also with a short text.
TEST_F(TControlLooksTest, BoxesAreAsWideAsTheirCaptionNeeds) {
  ShowMain();
  for (const char* caption : {"Brask Engine", "Brask Mapmaker", "Informacja", "Kody"})
    for (const char* text : {"OK", "Za mało many!"}) {
      SCOPED_TRACE(std::string(caption) + ": " + text);
      QMessageBox box(Main->Widget());
      PrepareMessageBox(box, Cp(text), caption, MB_OK | MB_ICONERROR);
      box.show();
      QCoreApplication::processEvents();
      EXPECT_GE(box.width(), CaptionNeeds(caption));
      EXPECT_LE(box.width(), 1000);
      box.hide();
    }
  for (const char* title : {"Brask Engine", "Brask Mapmaker"}) {
    SCOPED_TRACE(title);
    App->SetTitle(title);
    int shown = 0;
    Driver->AnswerNext([&](TDialogEvent& d) {
      shown = d.Form->Width();
      d.SetModalResult(mrOk);
    });
    ShowMessage("OK");
    EXPECT_GE(shown, CaptionNeeds(title));
    Driver->AnswerNext([&](TDialogEvent& d) {
      shown = d.Form->Width();
      d.SetModalResult(mrCancel);
    });
    InputBox(title, Cp("Wpisz liczbę od 1 do 9"), "");
    EXPECT_GE(shown, CaptionNeeds(title));
  }
}
