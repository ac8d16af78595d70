#include <string>
#include <vector>

#include "ctrl_fixture.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/win/Window.h"

TEST_F(TControlsTest, InputBoxGivesTheTextOnOkAndTheDefaultOnCancel) {
  ShowMain();
  Controls->AnswerInputBox("12");
  EXPECT_EQ(InputBox(Cp("Podaj liczbę"), Cp("Wpisz liczbę od 1 do 9"), ""), "12");
  Controls->CancelInputBox();
  EXPECT_EQ(InputBox(Cp("Podaj liczbę"), Cp("Wpisz liczbę od 1 do 9"), "7"), "7");
  ASSERT_EQ(Driver->Dialogs().size(), 2u);
  EXPECT_EQ(Driver->Dialogs()[0].Caption, Cp("Podaj liczbę"));
  // Typed by hand: the field starts with the default, all of it selected.
  Driver->AnswerNext([&](TDialogEvent& d) {
    auto* f = dynamic_cast<TInputBoxForm*>(d.Form);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Prompt()->Caption(), Cp("Wpisz liczbę od 1 do 9"));
    EXPECT_TRUE(f->Edit()->Focused());
    Controls->TypeText("-3");
    Driver->PressKey(VK_RETURN);
  });
  EXPECT_EQ(InputBox(Cp("Podaj liczbę"), Cp("Wpisz liczbę od 1 do 9"), "5"), "-3");
  Driver->AnswerNext([&](TDialogEvent&) { Driver->PressKey(VK_ESCAPE); });
  EXPECT_EQ(InputBox("a", "b", "def"), "def");
  Driver->AnswerNext([&](TDialogEvent& d) { Driver->CloseCommand(d.Form); });
  EXPECT_EQ(InputBox("a", "b", "def"), "def");
  EXPECT_TRUE(Main->Active());
}

TEST_F(TControlsTest, ShowMessageIsTitledWithTheApplicationTitle) {
  ShowMain();
  std::string text;
  Controls->AnswerMessage(&text);
  ShowMessage(Cp("Za mało surowców!"));
  EXPECT_EQ(text, Cp("Za mało surowców!"));
  ASSERT_EQ(Driver->Dialogs().size(), 1u);
  EXPECT_EQ(Driver->Dialogs()[0].Kind, TDialogEvent::dkModalForm);
  EXPECT_EQ(Driver->Dialogs()[0].Caption, "Brask Engine");
  Driver->AnswerNext([&](TDialogEvent& d) {
    auto* f = dynamic_cast<TMessageForm*>(d.Form);
    ASSERT_NE(f, nullptr);
    Driver->Click(f->OkButton(), 5, 5);
  });
  ShowMessage("Budynek jest zajęty!");
  EXPECT_EQ(Driver->UnansweredDialogs(), 0);
}

// The frame timer runs from the idle slot: it goes on inside the toolkit's
// own modal windows, and stops inside the system's message boxes.
TEST_F(TControlsTest, IdleRunsInsideInputBoxAndShowMessageButNotInAMessageBox) {
  ShowMain();
  long ticks = 0;
  App->OnIdle = [&](TObject*, bool& Done) {
    ++ticks;
    Done = true;
  };
  long inside = 0;
  Driver->AnswerNext([&](TDialogEvent& d) {
    Driver->Pump(5);
    inside = ticks;
    d.ClickOk();
  });
  long before = ticks;
  InputBox("a", "b", "");
  EXPECT_GE(inside - before, 5);
  Driver->AnswerNext([&](TDialogEvent& d) {
    before = ticks;
    Driver->Pump(3);
    inside = ticks - before;
    d.ClickOk();
  });
  ShowMessage("x");
  EXPECT_EQ(inside, 3);
  Driver->AnswerNext([&](TDialogEvent& d) {
    before = ticks;
    Driver->Pump(3);
    inside = ticks - before;
    d.ClickOk();
  });
  EXPECT_EQ(App->MessageBox(Cp("Podałeś niewłaściwe wartości!"), Cp("Błąd"), MB_ICONWARNING), IDOK);
  EXPECT_EQ(inside, 0);
  Driver->AnswerNext([](TDialogEvent& d) { d.ClickOk(); });
  App->MessageBox("Sandreth", "Informacja", MB_OK | MB_ICONINFORMATION);
  std::vector<TDialogEvent> boxes = Driver->MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Flags & 0xF0, MB_ICONWARNING);
  EXPECT_EQ(boxes[1].Flags & 0xF0, MB_ICONINFORMATION);
  EXPECT_EQ(boxes[1].Caption, "Informacja");
}
