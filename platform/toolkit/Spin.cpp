#include "platform/toolkit/Spin.h"

#include <QEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/toolkit/QtBridge.h"

namespace {

// The number a text holds (spaces around allowed), or false.
bool ParseNumber(const std::string& text, long long& value) {
  size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  while (n > i && text[n - 1] == ' ') --n;
  if (i == n) return false;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') {
    negative = text[i] == '-';
    ++i;
  }
  if (i == n) return false;
  long long v = 0;
  for (; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > 1LL << 40) v = 1LL << 40;
  }
  value = negative ? -v : v;
  return true;
}

class TSpinWidget : public QSpinBox {
 public:
  TSpinWidget(TSpinEdit* Control, QWidget* Parent) : QSpinBox(Parent), FControl(Control) {
    setRange(INT_MIN, INT_MAX);
    setKeyboardTracking(true);
  }
  void stepBy(int Steps) override {
    if (FControl && ControlAlive(FControl)) {
      TSpinEdit* c = FControl;
      SafeInvoke(c, [c, Steps] { c->StepBy(Steps); });
    }
  }
  QLineEdit* Edit() const { return lineEdit(); }

 protected:
  StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
  void resizeEvent(QResizeEvent* Event) override {
    QSpinBox::resizeEvent(Event);
    FitEdit();
  }
  void showEvent(QShowEvent* Event) override {
    QSpinBox::showEvent(Event);
    FitEdit();
  }
  void changeEvent(QEvent* Event) override {
    QSpinBox::changeEvent(Event);
    if (Event->type() == QEvent::StyleChange || Event->type() == QEvent::FontChange) FitEdit();
  }

 private:
  // The number takes all the room from the frame line to the arrows, with
  // a pixel less of the edit's own margin on each side: the style's wide
  // margins hid the last digit of a field sized to its largest number.
  void FitEdit() {
    QStyleOptionSpinBox opt;
    initStyleOption(&opt);
    const QRect field = style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, this);
    const QRect up = style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxUp, this);
    const int left = std::min(field.left(), 1);
    const int right = std::max(field.right(), up.left() - 1);
    if (right <= left) return;
    lineEdit()->setGeometry(QRect(QPoint(left, field.top()), QPoint(right, field.bottom())));
    lineEdit()->setTextMargins(-1, 0, -1, 0);
  }

  TSpinEdit* FControl;
};

}  // namespace

TSpinEdit::TSpinEdit(TComponent* AOwner) : TWidgetControl(AOwner) {
  SetBounds(0, 0, 121, 22);
  SetColor(clWindow);
}

int TSpinEdit::Clamp(long long Value) const {
  if (FMaxValue < FMinValue) return FMinValue;
  if (Value < FMinValue) return FMinValue;
  if (Value > FMaxValue) return FMaxValue;
  return static_cast<int>(Value);
}

int TSpinEdit::Value() const {
  long long v = 0;
  if (ParseNumber(FText, v)) FLastValid = Clamp(v);
  FLastValid = Clamp(FLastValid);
  return FLastValid;
}

void TSpinEdit::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  if (auto* s = dynamic_cast<TSpinWidget*>(Widget())) {
    TSyncScope sync(this);
    QSignalBlocker block(s);
    QSignalBlocker blockEdit(s->Edit());
    long long v = 0;
    if (ParseNumber(FText, v) && v >= INT_MIN && v <= INT_MAX)
      s->setValue(static_cast<int>(v));
    else
      s->Edit()->setText(ToQString(FText));
  }
  Change();
}

void TSpinEdit::SetValue(int Value) {
  FLastValid = Clamp(Value);
  SetText(std::to_string(FLastValid));
}

void TSpinEdit::SetMaxLength(int Value) {
  FMaxLength = Value < 0 ? 0 : Value;
  if (auto* s = dynamic_cast<TSpinWidget*>(Widget())) s->Edit()->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

void TSpinEdit::StepBy(int Steps) {
  const long long v = static_cast<long long>(Value()) + static_cast<long long>(Steps) * FIncrement;
  SetValue(Clamp(v));
}

void TSpinEdit::WidgetTextEdited(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  long long v = 0;
  if (ParseNumber(FText, v)) FLastValid = Clamp(v);
  Change();
}

void TSpinEdit::Change() {
  if (OnChange) OnChange(this);
}

void TSpinEdit::WndProc(TMessage& Message) {
  // Leaving the field puts its value, brought into the range, back as text.
  if (Message.Msg == WM_KILLFOCUS) {
    const int v = Value();
    if (FText != std::to_string(v)) SetValue(v);
    if (!ControlAlive(this)) return;
  }
  TWidgetControl::WndProc(Message);
}

QWidget* TSpinEdit::CreateWidget(QWidget* ParentWidget) {
  auto* s = new TSpinWidget(this, ParentWidget);
  QObject::connect(s->Edit(), &QLineEdit::textEdited, s, [this, s](const QString& text) {
    if (!ControlAlive(this) || Widget() != s || Syncing()) return;
    SafeInvoke(this, [&] { WidgetTextEdited(FromQString(text)); });
  });
  return s;
}

void TSpinEdit::InitWidget() {
  auto* s = static_cast<TSpinWidget*>(Widget());
  RouteMouseOf(s->Edit());
  s->Edit()->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
  QSignalBlocker block(s);
  long long v = 0;
  if (ParseNumber(FText, v) && v >= INT_MIN && v <= INT_MAX)
    s->setValue(static_cast<int>(v));
  else
    s->Edit()->setText(ToQString(FText));
}
