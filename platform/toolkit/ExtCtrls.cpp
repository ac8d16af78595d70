#include "platform/toolkit/ExtCtrls.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/StdCtrls.h"

namespace {

class TPanelWidget : public TControlWidget {
 public:
  TPanelWidget(TPanel* Panel, QWidget* Parent) : TControlWidget(Panel, Parent), FPanel(Panel) {}

 protected:
  void paintEvent(QPaintEvent* Event) override {
    TControlWidget::paintEvent(Event);
    if (Control() && FPanel && ControlAlive(FPanel)) {
      TPanel* p = FPanel;
      SafeInvoke(p, [p, this] { p->PaintFrame(this); });
    }
  }

 private:
  TPanel* FPanel;
};

void Bevel(QPainter& p, QRect& r, TPanelBevel bevel, int width) {
  if (bevel == bvNone) return;
  const QColor light = ToQColor(clBtnHighlight), dark = ToQColor(clBtnShadow);
  const QColor tl = bevel == bvRaised ? light : dark, br = bevel == bvRaised ? dark : light;
  for (int i = 0; i < width && r.width() > 1 && r.height() > 1; ++i) {
    p.setPen(tl);
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom());
    p.setPen(br);
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    r.adjust(1, 1, -1, -1);
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

QWidget* TPanel::CreateWidget(QWidget* ParentWidget) { return new TPanelWidget(this, ParentWidget); }

void TPanel::CreateHandle() {
  TCustomControl::CreateHandle();
  CreateGraphicViews(this);
}

void TPanel::VisibleChanged() {
  TCustomControl::VisibleChanged();
  FocusLeavesHidden(this);
}

void TPanel::PaintFrame(QWidget* Widget) {
  QPainter p(Widget);
  QRect r = Widget->rect();
  Bevel(p, r, FBevelOuter, FBevelWidth);
  Bevel(p, r, FBevelInner, FBevelWidth);
  if (!FCaption.empty()) {
    p.setFont(ToQFont(FFont.get()));
    p.setPen(ToQColor(FFont->Color()));
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, ToQString(StripAccelChars(FCaption)));
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
