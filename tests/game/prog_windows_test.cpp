// The program's windows as a player finds them: the six windows in their
// order with their captions, the main window's controls where the command
// panel and the code box put them, the resize rule and the code box keys.
#include <string>

#include "game/Form2.h"
#include "game/Form3.h"
#include "game/Form4.h"
#include "game/Form5.h"
#include "platform/rtl/Cp1250.h"
#include "platform/win/KeyState.h"
#include "tests/game/prog_fixture.h"

using namespace korvel;

TEST_F(GameProgramTest, TheSixWindowsAreMadeInOrderWithTheirCaptions) {
  CreateForms();
  EXPECT_EQ(Application->Title(), "Brask Engine");
  const TCustomForm* forms[] = {Form1, Form2, Form3, Form4, Form5, Form6};
  const char* captions[] = {"Korvel",
                            "Wybierz",
                            "Wybierz jednostki i czar",
                            "Wybierz budynki i jednostkę",
                            "Wybierz budowniczych i budynek",
                            "Otwórz mapę"};
  int index = 0;
  for (int i = 0; i < Application->ComponentCount(); ++i) {
    auto* form = dynamic_cast<TCustomForm*>(Application->Components(i));
    if (!form) continue;
    ASSERT_LT(index, 6);
    EXPECT_EQ(form, forms[index]) << i;
    EXPECT_EQ(form->Caption(), Cp(captions[index]));
    ++index;
  }
  EXPECT_EQ(index, 6);
  EXPECT_EQ(Application->MainForm(), Form1);
  EXPECT_EQ(Form1->ClientWidth(), 792);
  EXPECT_EQ(Form1->ClientHeight(), 566);
  EXPECT_EQ(Form6->ClientWidth(), 311);
  EXPECT_EQ(Form6->ClientHeight(), 318);
  EXPECT_EQ(Form6->BorderStyle(), bsNone);
}

TEST_F(GameProgramTest, TheMainWindowsControlsStandWhereThePanelsPutThem) {
  AddStandardData();
  AddMap("m.map", *MakeMap("M"));
  Start("m.map");
  const struct {
    const char* Name;
    int Left, Top, Width, Height;
    const char* Hint;
  } controls[] = {
      {"DXDraw1", 0, 0, 792, 478, ""},
      {"Panel1", 688, 8, 97, 289, ""},
      {"SpeedButton3", 8, 8, 81, 22, "Ukrywa lub pokazuje menu."},
      {"SpeedButton2", 8, 72, 81, 22, "Resetuje pozycję mapy względem jednostki."},
      {"SpeedButton4", 8, 104, 81, 22, "Pozwala wybrać jednostkę."},
      {"CheckBox2", 8, 144, -1, -1, "Utrzymuje jednostkę w centrum ekranu."},
      {"CheckBox3", 8, 168, -1, -1, "Rysuje granicę mapy."},
      {"MusicButton1", 8, 200, 33, 25, "Odtwarza muzykę."},
      {"MusicButton2", 56, 200, 33, 25, "Zatrzymuje muzykę."},
      {"Label2", 8, 232, 81, -1, ""},
      {"Panel2", 0, 478, 792, 88, ""},
      {"ListBox2", 8, 8, 561, 73, "Ctrl - wielokrotne zaznaczanie."},
      {"Panel3", 577, 0, 215, 88, ""},
      {"MenuButton1", 8, 8, 33, 33, "Zaznacz"},
      {"MenuButton5", 168, 8, 33, 33, "Zawołaj"},
      {"MenuButton9", 128, 48, 33, 33, "Zbuduj"},
      {"Edit1", 8, 448, 777, 24, ""},
  };
  for (const auto& c : controls) {
    auto* control = dynamic_cast<TControl*>(Form1->FindComponent(c.Name));
    ASSERT_NE(control, nullptr) << c.Name;
    EXPECT_EQ(control->Left(), c.Left) << c.Name;
    EXPECT_EQ(control->Top(), c.Top) << c.Name;
    if (c.Width >= 0) { EXPECT_EQ(control->Width(), c.Width) << c.Name; }
    if (c.Height >= 0) { EXPECT_EQ(control->Height(), c.Height) << c.Name; }
    EXPECT_EQ(control->Hint(), Cp(c.Hint)) << c.Name;
  }
  for (TControl* hidden : {static_cast<TControl*>(Form1->ListBox1), static_cast<TControl*>(Form1->Edit1),
                           static_cast<TControl*>(Form1->OpenButton), static_cast<TControl*>(Form1->FileListBox1),
                           static_cast<TControl*>(Form1->MediaPlayer1)})
    EXPECT_FALSE(hidden->Visible()) << hidden->Name();
  EXPECT_EQ(Form1->SpeedButton3->Caption(), "Ukryj");
  EXPECT_EQ(Form1->SpeedButton6->Caption(), Cp("Otwórz"));
  EXPECT_EQ(Form1->Label2->Caption(), "X: 1, Y: 1");
  EXPECT_EQ(Form1->Edit1->Text(), Cp("Wprowadź kod."));
  EXPECT_EQ(Form1->Edit1->MaxLength(), 50);
  EXPECT_TRUE(Form1->MenuButton1->HasGlyph());
  EXPECT_TRUE(Form1->MusicButton2->HasGlyph());
  // The stored pictures and waves came with the window.
  ASSERT_EQ(Form1->DXImageList1->Items()->Count(), 10);
  EXPECT_EQ(Form1->DXImageList1->Items()->Items(9)->Name(), "attack");
  ASSERT_EQ(Form1->DXImageList4->Items()->Count(), 7);
  EXPECT_EQ(Form1->DXImageList4->Items()->Items(0)->Name(), "tile");
  ASSERT_EQ(Form1->DXWaveList1->Items()->Count(), 9);
  EXPECT_EQ(Form1->DXWaveList1->Items()->Items(8)->Name(), "train");
  EXPECT_TRUE(Form1->DXTimer1->ActiveOnly());
  EXPECT_EQ(Form1->DXTimer1->Interval(), 1u);
  EXPECT_TRUE(Form1->DXDraw1->Options().Contains(doWaitVBlank));
}

TEST_F(GameProgramTest, AResizeKeepsTheViewPanelAtTheRightEdge) {
  AddStandardData();
  AddMap("m.map", *MakeMap("M"));
  Start("m.map");
  // The list takes the command bar's width before the change.
  Form1->SetClientWidth(900);
  EXPECT_EQ(Form1->Panel1->Left(), 900 - 104);
  EXPECT_EQ(Form1->ListBox2->Width(), 792 - 231);
  Form1->SetClientWidth(792);
  EXPECT_EQ(Form1->Panel1->Left(), 688);
  EXPECT_EQ(Form1->ListBox2->Width(), 900 - 231);
}

TEST_F(GameProgramTest, EnterOpensTheCodeBoxAndEnterInItEntersTheCode) {
  AddStandardData();
  AddMap("m.map", *MakeMap("M"));
  Start("m.map");
  EXPECT_EQ(Form1->State.Player.Gold, 500);
  Driver->PressKey(VK_RETURN);
  ASSERT_TRUE(Form1->Edit1->Visible());
  EXPECT_TRUE(Form1->Edit1->Focused());
  Form1->Edit1->SetText("Bring copper to the Mill");
  Driver->PressKey(VK_RETURN);
  EXPECT_FALSE(Form1->Edit1->Visible());
  EXPECT_EQ(Form1->State.EnteredCode, "Bring copper to the Mill");
  EXPECT_EQ(Form1->State.Player.Gold, 1500);
  EXPECT_EQ(Form1->State.Player.Wood, 1300);

  // The help code shows its box, a system box, during which no frame runs.
  Driver->PressKey(VK_RETURN);
  ASSERT_TRUE(Form1->Edit1->Visible());
  Form1->Edit1->SetText("Lumina");
  int ticksDuringBox = -1;
  Driver->AnswerNext([&](TDialogEvent& D) {
    const int before = Form1->State.Tick;
    Ticks(5);
    ticksDuringBox = Form1->State.Tick - before;
    D.ClickOk();
  });
  Driver->PressKey(VK_RETURN);
  ASSERT_EQ(Driver->MessageBoxes().size(), 1u);
  EXPECT_EQ(Driver->MessageBoxes()[0].Caption, "Kody");
  EXPECT_EQ(ticksDuringBox, 0);
}
