// TPanel (a framed container with an optional centred caption) and TShape
// (a rectangle or ellipse drawn with a pen and a brush).
#pragma once

#include <memory>
#include <string>

#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Graphics.h"
#include "platform/toolkit/WidgetControl.h"

enum TPanelBevel { bvNone, bvLowered, bvRaised };

// A container: its children are placed in its client area and clipped to it.
class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* AOwner);

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel Value);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* Value) { FFont->Assign(Value); }

 protected:
  // The bevels and the caption, over the panel's colour.
  void Paint() override;
  void CreateHandle() override;
  void VisibleChanged() override;

 private:
  std::string FCaption;
  TPanelBevel FBevelOuter = bvRaised;
  TPanelBevel FBevelInner = bvNone;
  int FBevelWidth = 1;
  std::unique_ptr<TFont> FFont;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TWidgetGraphicControl {
 public:
  explicit TShape(TComponent* AOwner);

  TShapeType Shape() const { return FShape; }
  void SetShape(TShapeType Value);
  TBrush* Brush() const { return FBrush.get(); }
  TPen* Pen() const { return FPen.get(); }
  void SetBrush(const TBrush* Value) { FBrush->Assign(Value); }
  void SetPen(const TPen* Value) { FPen->Assign(Value); }

  void PaintView(QWidget* View) override;

 private:
  TShapeType FShape = stRectangle;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
};
