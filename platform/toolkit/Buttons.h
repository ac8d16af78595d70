// TSpeedButton: a button without a window (it never takes the focus) with a
// caption and a glyph picture, flat or raised. Buttons of one parent with
// the same non-zero GroupIndex work as a group: exactly one of them is down.
#pragma once

#include <memory>
#include <string>

#include "platform/toolkit/Graphic.h"
#include "platform/toolkit/WidgetControl.h"

class TSpeedButton : public TWidgetGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  // Only for a button in a group: setting it raises the others of the
  // group; with AllowAllUp unset the down button of a group stays down.
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  // The glyph is a copy of the picture; its bottom-left pixel's colour is
  // transparent. Null clears it.
  void SetGlyph(TGraphic* Value);
  bool HasGlyph() const;

  void WndProc(TMessage& Message) override;
  void PaintView(QWidget* View) override;

 private:
  struct TGlyph;
  void SetPressed(bool Value);
  std::string FCaption;
  bool FFlat = false;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FPressed = false;
  bool FMouseIn = false;
  std::unique_ptr<TGlyph> FGlyph;
};
