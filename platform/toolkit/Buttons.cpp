#include "platform/toolkit/Buttons.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QWidget>

#include "platform/toolkit/Canvas.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/StdCtrls.h"

// The glyph and the icon made of it once: painting draws the same icon every
// time, so the style's greyed and scaled forms of it are made once and kept
// in Qt's bounded pixmap cache, not made anew at each paint.
struct TSpeedButton::TGlyph {
  QImage Image;
  QIcon Icon;
};

TSpeedButton::TSpeedButton(TComponent* AOwner) : TWidgetGraphicControl(AOwner), FGlyph(std::make_unique<TGlyph>()) {
  SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetCaption(const std::string& Value) {
  FCaption = Value;
  Invalidate();
}

void TSpeedButton::SetFlat(bool Value) {
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int Value) {
  FGroupIndex = Value;
  if (FGroupIndex == 0 && FDown) {
    FDown = false;
    Invalidate();
  }
}

void TSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = Value;
  if (FDown && Parent()) {
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
      auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
      if (b && b != this && b->FGroupIndex == FGroupIndex && b->FDown) {
        b->FDown = false;
        b->Invalidate();
      }
    }
  }
  Invalidate();
}

void TSpeedButton::SetGlyph(TGraphic* Value) {
  FGlyph->Image = QImage();
  FGlyph->Icon = QIcon();
  if (Value && !Value->Empty() && Value->Width() > 0 && Value->Height() > 0) {
    const int w = Value->Width(), h = Value->Height();
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    HDC dc = CreateDCOverBits(img.bits(), w, h, static_cast<LONG>(img.bytesPerLine()), 32, 0xFF0000, 0x00FF00, 0x0000FF,
                              nullptr, 0);
    if (dc) {
      {
        TCanvas canvas;
        canvas.SetHandle(dc);
        canvas.Draw(0, 0, Value);
        canvas.SetHandle(nullptr);
      }
      DeleteDC(dc);
      QImage glyph = img.convertToFormat(QImage::Format_ARGB32);
      const QRgb key = glyph.pixel(0, h - 1) & 0xFFFFFF;
      for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(glyph.scanLine(y));
        for (int x = 0; x < w; ++x)
          if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
      }
      FGlyph->Image = glyph;
      FGlyph->Icon = QIcon(QPixmap::fromImage(glyph));
    }
  }
  Invalidate();
}

bool TSpeedButton::HasGlyph() const { return !FGlyph->Image.isNull(); }

void TSpeedButton::SetPressed(bool Value) {
  if (Value == FPressed) return;
  FPressed = Value;
  Invalidate();
}

void TSpeedButton::WndProc(TMessage& Message) {
  const int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
  const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (Enabled()) {
        SetPressed(true);
        FMouseIn = true;
      }
      // A double click counts as a second press of the button.
      if (Message.Msg == WM_LBUTTONDBLCLK) {
        Message.Msg = WM_LBUTTONDOWN;
        TWidgetGraphicControl::WndProc(Message);
        Message.Msg = WM_LBUTTONDBLCLK;
        return;
      }
      break;
    case WM_MOUSEMOVE:
      if (FMouseIn && FPressed != inside) SetPressed(inside);
      break;
    case WM_LBUTTONUP: {
      const bool wasPressed = FMouseIn;
      FMouseIn = false;
      SetPressed(false);
      if (wasPressed && inside && Enabled()) {
        if (FGroupIndex != 0) SetDown(!FDown);
        Click();
        if (!ControlAlive(this)) return;
      }
      MouseUp(mbLeft, KeysToShiftState(Message.WParam), x, y);
      return;
    }
    default: break;
  }
  TWidgetGraphicControl::WndProc(Message);
}

void TSpeedButton::PaintView(QWidget* View) {
  // The view's own palette carries the font's colour while enabled and the
  // system's grey text while disabled (the glyph the style greys itself). It
  // changes only with the colour: the style keeps the bevels it draws in Qt's
  // pixmap cache under the palette's key, so a palette made anew at each
  // paint would add an entry every time.
  const QColor text = ToQColor(Font()->Color()), grey = ToQColor(clGrayText);
  const QPalette& now = View->palette();
  if (now.color(QPalette::Active, QPalette::ButtonText) != text ||
      now.color(QPalette::Inactive, QPalette::ButtonText) != text ||
      now.color(QPalette::Disabled, QPalette::ButtonText) != grey) {
    QPalette palette = now;
    palette.setColor(QPalette::Active, QPalette::ButtonText, text);
    palette.setColor(QPalette::Inactive, QPalette::ButtonText, text);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, grey);
    View->setPalette(palette);
  }
  QPainter p(View);
  QStyleOptionToolButton opt;
  opt.initFrom(View);
  opt.rect = View->rect();
  opt.text = ToQString(StripAccelChars(FCaption));
  opt.font = ToQFont(Font());
  opt.state = QStyle::State_None;
  if (Enabled()) opt.state |= QStyle::State_Enabled;
  const bool sunken = FPressed || FDown;
  opt.state |= sunken ? QStyle::State_Sunken : QStyle::State_Raised;
  if (FDown) opt.state |= QStyle::State_On;
  if (FFlat) opt.state |= QStyle::State_AutoRaise;
  if (!FGlyph->Image.isNull()) {
    opt.icon = FGlyph->Icon;
    opt.iconSize = FGlyph->Image.size();
  }
  opt.toolButtonStyle = opt.icon.isNull()    ? Qt::ToolButtonTextOnly
                        : opt.text.isEmpty() ? Qt::ToolButtonIconOnly
                                             : Qt::ToolButtonTextBesideIcon;
  opt.subControls = QStyle::SC_ToolButton;
  opt.activeSubControls = sunken ? QStyle::SC_ToolButton : QStyle::SC_None;
  p.setFont(opt.font);
  View->style()->drawComplexControl(QStyle::CC_ToolButton, &opt, &p, View);
}
