#include <QApplication>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <string>

#include "ctrl_fixture.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/Spin.h"
#include "platform/toolkit/StdCtrls.h"

namespace {

class TSpinEditTest : public TControlsTest {
 protected:
  TSpinEdit* MakeSpin(const char* Name, int Left, int Width, int Min, int Max, int Value, int MaxLength) {
    auto* s = Make<TSpinEdit>(Name, Left, 8, Width, 22);
    s->SetMinValue(Min);
    s->SetMaxValue(Max);
    s->SetMaxLength(MaxLength);
    s->SetValue(Value);
    return s;
  }
  static QSpinBox* SpinWidget(TSpinEdit* s) { return qobject_cast<QSpinBox*>(s->Widget()); }
  // What the field shows on the screen.
  static std::string Shown(TSpinEdit* s) { return FromQString(SpinWidget(s)->findChild<QLineEdit*>()->text()); }
};

}  // namespace

// Tab out of a field with a number outside its range: the field shows the
// value it holds, the nearest end of its range, as a click elsewhere does.
TEST_F(TSpinEditTest, TabOutOfTheFieldShowsTheValueItHolds) {
  TSpinEdit* gold = MakeSpin("SpinEdit5", 8, 54, 0, 99999, 100, 5);
  TSpinEdit* chance = MakeSpin("SpinEdit3", 80, 40, 1, 50, 10, 2);
  auto* after = Make<TEdit>("Edit1", 140, 8, 80, 21);
  ShowMain();
  struct TCase {
    TSpinEdit* Field;
    const char* Typed;
    const char* Shown;
    int Value;
  };
  const TCase cases[] = {
      {gold, "-5", "0", 0},      // below the range
      {chance, "77", "50", 50},  // above
      {chance, "0", "1", 1},     // below
      {gold, "12345", "12345", 12345},
  };
  for (const TCase& c : cases) {
    c.Field->SetFocus();
    Driver->PressKey('A', "", {ssCtrl});
    Driver->PressKey(VK_DELETE);
    Controls->TypeText(c.Typed);
    ASSERT_EQ(Shown(c.Field), c.Typed);
    Driver->PressKey(VK_TAB);
    Driver->Pump(1);
    EXPECT_NE(Main->ActiveControl(), c.Field) << c.Typed << ": Tab moves the focus on";
    EXPECT_EQ(c.Field->Text(), c.Shown) << c.Typed;
    EXPECT_EQ(Shown(c.Field), c.Shown) << c.Typed;
    EXPECT_EQ(c.Field->Value(), c.Value) << c.Typed;
  }
  // Shift+Tab leaves the field the other way, with the same result.
  chance->SetFocus();
  Driver->PressKey('A', "", {ssCtrl});
  Controls->TypeText("99");
  Driver->PressKey(VK_TAB, "", {ssShift});
  Driver->Pump(1);
  EXPECT_EQ(Shown(chance), "50");
  (void)after;
}

// The largest number a field takes shows whole at the font in use: no digit
// lies under the arrows.
TEST_F(TSpinEditTest, TheLargestNumberShowsWhole) {
  struct TCase {
    int Width, Max, MaxLength;
  };
  // The editor's fields: resources, map size, landscape randomness, height.
  const TCase cases[] = {{54, 99999, 5}, {46, 999, 3}, {40, 50, 2}, {36, 9, 1}};
  int left = 4;
  std::vector<TSpinEdit*> fields;
  for (const TCase& c : cases) {
    fields.push_back(
        MakeSpin(("SpinEdit" + std::to_string(left)).c_str(), left, c.Width, 0, c.Max, c.Max, c.MaxLength));
    left += c.Width + 8;
  }
  ShowMain();
  for (TSpinEdit* s : fields) {
    QSpinBox* w = SpinWidget(s);
    QLineEdit* e = w->findChild<QLineEdit*>();
    QStyleOptionSpinBox opt;
    opt.initFrom(w);
    opt.rect = w->rect();
    opt.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown | QStyle::SC_SpinBoxFrame;
    opt.buttonSymbols = w->buttonSymbols();
    opt.frame = w->hasFrame();
    const QRect up = w->style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxUp, w);
    const QString text = e->text();
    // The edit's text starts and ends 2 pixels inside it; the arrows start
    // where the edit box has to end.
    const int need = e->fontMetrics().horizontalAdvance(text) + 2 * 2;
    const QRect inner = e->contentsRect().marginsRemoved(e->textMargins());
    EXPECT_GE(inner.width(), need) << FromQString(text) << " in a field " << s->Width() << " px wide";
    EXPECT_LE(e->geometry().right(), up.left()) << FromQString(text) << ": the edit lies under the arrows";
  }
}
