#include <string>
#include <vector>

#include "ctrl_fixture.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Spin.h"
#include "platform/toolkit/StdCtrls.h"

TEST_F(TControlsTest, EditTakesTypedTextAsCodePageTextAndDropsTheRest) {
  auto* e = Make<TEdit>("Edit1", 8, 8, 200, 21);
  e->SetMaxLength(8);
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  ShowMain();
  e->SetFocus();
  // "ж" and the emoji have no place in the code page.
  Controls->TypeText("Zażółć ж🙂gęś");
  EXPECT_EQ(e->Text(), Cp("Zażółć g"));  // eight characters at most
  EXPECT_EQ(changes, 8);
  e->SetText("abc");
  EXPECT_EQ(e->Text(), "abc");
  EXPECT_EQ(changes, 9);
}

TEST_F(TControlsTest, EditKeyDownSeesTheKeyByReferenceAndCanConsumeIt) {
  auto* e = Make<TEdit>("Edit1", 8, 8, 200, 21);
  std::vector<WORD> keys;
  e->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) {
    keys.push_back(Key);
    if (Key == 'X') Key = 0;  // consumed: the edit box never gets it
  };
  ShowMain();
  e->SetFocus();
  Controls->TypeText("axb");
  EXPECT_EQ(e->Text(), "ab");
  EXPECT_EQ(keys, (std::vector<WORD>{'A', 'X', 'B'}));
}

// The game's code box: Enter on the form opens it, Enter in it stores the
// text and hides it; hidden, it gives the focus back to the form.
TEST_F(TControlsTest, HidingTheFocusedEditGivesTheFocusToTheForm) {
  auto* e = Make<TEdit>("Edit1", 8, 8, 200, 21);
  e->SetText(Cp("Wprowadź kod."));
  e->SetVisible(false);
  std::string entered;
  int formEnters = 0;
  Main->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) {
    if (Key != VK_RETURN) return;
    ++formEnters;
    Key = 0;
    e->SetVisible(true);
    e->SetFocus();
  };
  e->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) {
    if (Key != VK_RETURN) return;
    entered = e->Text();
    e->SetVisible(false);
  };
  ShowMain();
  Driver->PressKey(VK_RETURN);
  EXPECT_EQ(formEnters, 1);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(e->SelText(), Cp("Wprowadź kod."));  // AutoSelect
  Controls->TypeText("Lumina");
  Driver->PressKey(VK_RETURN);
  EXPECT_EQ(entered, "Lumina");
  EXPECT_FALSE(e->Visible());
  EXPECT_EQ(Main->ActiveControl(), nullptr);
  EXPECT_TRUE(Main->Focused());
  Driver->PressKey(VK_RETURN);  // the form has the keys again
  EXPECT_EQ(formEnters, 2);
  EXPECT_EQ(e->Text(), "Lumina");
}

TEST_F(TControlsTest, ComboTextThatMatchesNoItemLeavesNoItemIndex) {
  auto* c = Make<TComboBox>("ComboBox2", 8, 8, 160, 21);
  for (const char* s : {"Piechur 1", "Piechur 2", "Mag 1"}) c->Items()->Add(s);
  int changes = 0;
  c->OnChange = [&](TObject*) { ++changes; };
  ShowMain();
  c->SetItemIndex(0);
  EXPECT_EQ(c->Text(), "Piechur 1");
  EXPECT_EQ(changes, 0);
  c->SetFocus();
  Driver->PressKey(VK_END);
  Driver->PressKey(VK_BACK);
  Controls->TypeText("7");
  EXPECT_EQ(c->Text(), "Piechur 7");
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(changes, 2);
  Driver->PressKey(VK_BACK);
  Controls->TypeText("2");
  EXPECT_EQ(c->Text(), "Piechur 2");
  EXPECT_EQ(c->ItemIndex(), 1);  // typed text equal to an item selects it
  Controls->PickComboItem(c, 2);
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(c->Text(), "Mag 1");
  c->Items()->Clear();  // emptying the list empties the field
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), "");
}

TEST_F(TControlsTest, SpinEditValueStaysInsideTheRange) {
  auto* s = Make<TSpinEdit>("SpinEdit1", 8, 8, 80, 22);
  s->SetMinValue(10);
  s->SetMaxValue(250);
  s->SetMaxLength(3);
  s->SetValue(48);
  auto* other = Make<TEdit>("Other", 8, 40, 80, 21);
  ShowMain();
  s->SetFocus();
  struct TCase {
    const char* Typed;
    const char* Text;
    int Value;
  };
  const TCase cases[] = {
      {"999", "999", 250},   // above the range: the maximum
      {"5", "5", 10},        // below: the minimum
      {"1234", "123", 123},  // at most three digits
      {"-", "-", 123},       // no number: the last number it held
      {"", "", 123},
  };
  for (const TCase& c : cases) {
    Driver->PressKey('A', "", {ssCtrl});
    Driver->PressKey(VK_DELETE);
    Controls->TypeText(c.Typed);
    EXPECT_EQ(s->Text(), c.Text) << c.Typed;
    EXPECT_EQ(s->Value(), c.Value) << c.Typed;
  }
  Controls->TypeText("400");
  other->SetFocus();  // leaving the field writes the value back
  EXPECT_EQ(s->Text(), "250");
  s->SetValue(-5);
  EXPECT_EQ(s->Value(), 10);
  s->SetFocus();
  Driver->PressKey(VK_UP);
  EXPECT_EQ(s->Value(), 11);
  Driver->PressKey(VK_DOWN);
  Driver->PressKey(VK_DOWN);
  EXPECT_EQ(s->Value(), 10);
}

TEST_F(TControlsTest, SpinEditTakesTheWholeIntegerRange) {
  auto* s = new TSpinEdit(Main);  // no window at all
  s->SetMinValue(-2147483647);
  s->SetMaxValue(2147483647);
  s->SetValue(-2147483647);
  EXPECT_EQ(s->Value(), -2147483647);
  s->StepBy(-1);
  EXPECT_EQ(s->Value(), -2147483647);
  s->SetValue(2147483647);
  s->StepBy(1);
  EXPECT_EQ(s->Value(), 2147483647);
  s->SetMinValue(0);
  s->SetMaxValue(9);
  EXPECT_EQ(s->Value(), 9);
}

TEST_F(TControlsTest, CheckBoxClickComesWithEveryChangeOfChecked) {
  auto* b = Make<TCheckBox>("CheckBox2", 8, 8, 100, 17);
  b->SetCaption(Cp("Śledź"));
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  std::vector<WORD> keys;
  b->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) { keys.push_back(Key); };
  ShowMain();
  Driver->Click(b, 5, 8);
  EXPECT_TRUE(b->Checked());
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(b->Focused());
  Driver->PressKey(VK_RETURN);
  EXPECT_EQ(keys, (std::vector<WORD>{VK_RETURN}));
  b->SetChecked(false);
  EXPECT_EQ(clicks, 2);
  b->SetChecked(false);
  EXPECT_EQ(clicks, 2);
}

TEST_F(TControlsTest, ButtonClickOnReleaseInsideAndModalResult) {
  auto* b = Make<TButton>("Button1", 8, 8, 80, 25);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  ShowMain();
  Driver->Click(b, 10, 10);
  EXPECT_EQ(clicks, 1);
  Driver->Drag(b, 10, 10, 200, 200);  // released outside: no click
  EXPECT_EQ(clicks, 1);
  b->SetEnabled(false);
  Driver->Click(b, 10, 10);
  EXPECT_EQ(clicks, 1);
  b->Click();  // code may click it all the same
  EXPECT_EQ(clicks, 2);
}
