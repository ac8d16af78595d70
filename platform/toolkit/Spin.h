// TSpinEdit: an edit box for a whole number with up and down arrows.
#pragma once

#include <string>

#include "platform/toolkit/WidgetControl.h"

class TSpinEdit : public TWidgetControl {
 public:
  explicit TSpinEdit(TComponent* AOwner);

  // The range, up to -2147483647..2147483647.
  int MinValue() const { return FMinValue; }
  void SetMinValue(int Value) { FMinValue = Value; }
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value) { FMaxValue = Value; }
  int Increment() const { return FIncrement; }
  void SetIncrement(int Value) { FIncrement = Value; }
  // Always a value within the range: the text's number, brought into the
  // range; text that is no number reads as the last number the field held.
  int Value() const;
  // Sets the text to Value brought into the range.
  void SetValue(int Value);
  // The text as it stands (the user may be typing it).
  const std::string& Text() const { return FText; }
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);

  TNotifyEvent OnChange;

  void WndProc(TMessage& Message) override;
  void WidgetTextEdited(const std::string& Value);
  // One step of the arrows (Steps up, negative down).
  void StepBy(int Steps);

 protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitWidget() override;
  virtual void Change();

 private:
  int Clamp(long long Value) const;
  void SetText(const std::string& Value);
  int FMinValue = 0;
  int FMaxValue = 0;
  int FIncrement = 1;
  std::string FText = "0";
  mutable int FLastValid = 0;
  int FMaxLength = 0;
};
