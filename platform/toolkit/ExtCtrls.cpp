#include "platform/toolkit/ExtCtrls.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/StdCtrls.h"

namespace {

void Bevel(TCanvas* c, RECT& r, TPanelBevel bevel, int width) {
  if (bevel == bvNone) return;
  const TColor tl = bevel == bvRaised ? clBtnHighlight : clBtnShadow;
  const TColor br = bevel == bvRaised ? clBtnShadow : clBtnHighlight;
  for (int i = 0; i < width && r.right - r.left > 1 && r.bottom - r.top > 1; ++i) {
    c->Pen()->SetColor(tl);
    c->MoveTo(r.left, r.bottom - 1);
    c->LineTo(r.left, r.top);
    c->LineTo(r.right - 1, r.top);
    c->Pen()->SetColor(br);
    c->LineTo(r.right - 1, r.bottom - 1);
    c->LineTo(r.left - 1, r.bottom - 1);
    r.left += 1;
    r.top += 1;
    r.right -= 1;
    r.bottom -= 1;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TPanel

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner), FFont(std::make_unique<TFont>()) {
  SetBounds(0, 0, 185, 41);
  FFont->OnChange = [this](TObject*) { Invalidate(); };
}

void TPanel::SetCaption(const std::string& Value) {
  FCaption = Value;
  Invalidate();
}

void TPanel::SetBevelOuter(TPanelBevel Value) {
  FBevelOuter = Value;
  Invalidate();
}

void TPanel::SetBevelInner(TPanelBevel Value) {
  FBevelInner = Value;
  Invalidate();
}

void TPanel::SetBevelWidth(int Value) {
  FBevelWidth = std::max(1, Value);
  Invalidate();
}

void TPanel::CreateHandle() {
  TCustomControl::CreateHandle();
  CreateGraphicViews(this);
}

void TPanel::VisibleChanged() {
  TCustomControl::VisibleChanged();
  FocusLeavesHidden(this);
}

void TPanel::Paint() {
  TCanvas* c = Canvas();
  RECT r = ClientRect();
  Bevel(c, r, FBevelOuter, FBevelWidth);
  Bevel(c, r, FBevelInner, FBevelWidth);
  if (!FCaption.empty()) {
    c->SetFont(FFont.get());
    c->Brush()->SetStyle(bsClear);
    const std::string text = StripAccelChars(FCaption);
    const SIZE s = c->TextExtent(text);
    c->TextOut((r.left + r.right - s.cx) / 2, (r.top + r.bottom - s.cy) / 2, text);
  }
}

// ---------------------------------------------------------------------------
// TShape

TShape::TShape(TComponent* AOwner)
    : TWidgetGraphicControl(AOwner), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>()) {
  SetBounds(0, 0, 65, 65);
  FBrush->OnChange = [this](TObject*) { Invalidate(); };
  FPen->OnChange = [this](TObject*) { Invalidate(); };
}

void TShape::SetShape(TShapeType Value) {
  FShape = Value;
  Invalidate();
}

void TShape::PaintView(QWidget* View) {
  QPainter p(View);
  const int pw = FPen->Style() == psClear ? 0 : std::max(1, FPen->Width());
  // The outline lies inside the bounds, as the window system draws it.
  QRectF r(pw / 2.0, pw / 2.0, std::max(0, Width() - pw), std::max(0, Height() - pw));
  if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
    const double side = std::min(r.width(), r.height());
    r = QRectF(r.left() + (r.width() - side) / 2, r.top() + (r.height() - side) / 2, side, side);
  }
  if (pw > 0) {
    QPen pen(ToQColor(FPen->Color()));
    pen.setWidth(pw);
    pen.setJoinStyle(Qt::MiterJoin);
    switch (FPen->Style()) {
      case psDash: pen.setStyle(Qt::DashLine); break;
      case psDot: pen.setStyle(Qt::DotLine); break;
      case psDashDot: pen.setStyle(Qt::DashDotLine); break;
      case psDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
      default: break;
    }
    p.setPen(pen);
  } else {
    p.setPen(Qt::NoPen);
  }
  if (FBrush->Style() == bsClear)
    p.setBrush(Qt::NoBrush);
  else
    p.setBrush(ToQColor(FBrush->Color()));
  switch (FShape) {
    case stEllipse:
    case stCircle: p.drawEllipse(r); break;
    case stRoundRect:
    case stRoundSquare: {
      const double radius = std::min(r.width(), r.height()) / 4;
      p.drawRoundedRect(r, radius, radius);
      break;
    }
    default: p.drawRect(r); break;
  }
}
