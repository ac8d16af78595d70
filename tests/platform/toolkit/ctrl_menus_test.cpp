#include <QWidget>
#include <string>
#include <vector>

#include "ctrl_fixture.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ComCtrls.h"
#include "platform/toolkit/Menus.h"
#include "platform/toolkit/StdCtrls.h"

namespace {

class TMenuTest : public TControlsTest {
 protected:
  TMenuItem* Item(TMenuItem* parent, const char* caption, TShortCut sc, const char* tag) {
    auto* i = new TMenuItem(Main);
    i->SetCaption(Cp(caption));
    i->SetShortCut(sc);
    if (tag) i->OnClick = [this, tag](TObject*) { Log.push_back(tag); };
    parent->Add(i);
    return i;
  }
  // The editor's menu.
  void MakeMenu() {
    Menu = new TMainMenu(Main);
    Menu->SetName("MainMenu1");
    TMenuItem* plik = Item(Menu->Items(), "&Plik", scNone, nullptr);
    Nowy = Item(plik, "&Nowy", ShortCut('N', {ssCtrl}), "Nowy");
    Item(plik, "&Otwórz", ShortCut('O', {ssCtrl}), "Otwórz");
    Item(plik, "&Zapisz", ShortCut('S', {ssCtrl}), "Zapisz");
    Item(plik, "-", scNone, nullptr);
    Zamknij = Item(plik, "Za&mknij", ShortCut(VK_F1 + 11, {ssCtrl}), "Zamknij");
    TMenuItem* teren = Item(Menu->Items(), "&Teren", scNone, nullptr);
    Item(teren, "&Losuj", ShortCut('L', {ssCtrl}), "Losuj");
    Item(teren, "&Zeruj", ShortCut('K', {ssCtrl}), "Zeruj");
    TMenuItem* pomoc = Item(Menu->Items(), "P&omoc", scNone, nullptr);
    Item(pomoc, "O programie", ShortCut(VK_F1, {}), "O programie");
    Main->SetMenu(Menu);
  }
  TMainMenu* Menu = nullptr;
  TMenuItem* Nowy = nullptr;
  TMenuItem* Zamknij = nullptr;
  std::vector<std::string> Log;
};

}  // namespace

TEST(ShortCuts, TextsOfTheMenuShortcuts) {
  EXPECT_EQ(ShortCutToText(ShortCut('N', {ssCtrl})), "Ctrl+N");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F1 + 11, {ssCtrl})), "Ctrl+F12");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F1, {})), "F1");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, {ssShift, ssAlt})), "Shift+Alt+Del");
  EXPECT_EQ(ShortCutToText(scNone), "");
  EXPECT_EQ(ShortCut('N', {ssCtrl}), 0x4000 | 'N');
}

TEST_F(TMenuTest, ShortcutsChooseTheirItemsWhereverTheFocusIs) {
  MakeMenu();
  auto* edit = Make<TEdit>("Edit1", 8, 40, 100, 21);
  std::vector<WORD> editKeys;
  edit->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) { editKeys.push_back(Key); };
  ShowMain();
  Driver->PressKey('N', "", {ssCtrl});
  Driver->PressKey(VK_F1 + 11, "", {ssCtrl});
  Driver->PressKey(VK_F1);
  edit->SetFocus();
  Driver->PressKey('L', "", {ssCtrl});  // taken by the menu before the edit box
  Driver->PressKey('N');                // no shortcut: the edit box has it
  EXPECT_EQ(Log, (std::vector<std::string>{"Nowy", "Zamknij", "O programie", "Losuj"}));
  EXPECT_EQ(editKeys, (std::vector<WORD>{'N'}));
  EXPECT_EQ(edit->Text(), "");  // PressKey sends no text
  Nowy->SetEnabled(false);
  Driver->PressKey('N', "", {ssCtrl});
  EXPECT_EQ(Log.size(), 4u);
}

TEST_F(TMenuTest, TheBarShowsTheItemsAndChoosesThem) {
  MakeMenu();
  ShowMain();
  EXPECT_GT(Menu->BarHeight(), 0);
  EXPECT_TRUE(Controls->ChooseMenuItem(Zamknij));
  EXPECT_EQ(Log, (std::vector<std::string>{"Zamknij"}));
  Main->SetMenu(nullptr);
  EXPECT_FALSE(Controls->ChooseMenuItem(Zamknij));
  Driver->PressKey('N', "", {ssCtrl});
  EXPECT_EQ(Log.size(), 1u);
}

TEST_F(TMenuTest, FreeingTheMenuDetachesItFromTheForm) {
  MakeMenu();
  ShowMain();
  Menu->Free();
  EXPECT_EQ(Main->Menu(), nullptr);
  Driver->PressKey('N', "", {ssCtrl});
  EXPECT_TRUE(Log.empty());
}

TEST_F(TControlsTest, PageControlTabsShowOnePageAtATime) {
  auto* pages = Make<TPageControl>("PageControl1", 0, 200, 400, 90);
  std::vector<TTabSheet*> sheets;
  for (const char* caption : {"Dane", "Teren", "Jednostki", "Budynki"}) {
    auto* s = new TTabSheet(Main);
    s->SetPageControl(pages);
    s->SetCaption(caption);
    sheets.push_back(s);
  }
  auto* onTeren = Make<TEdit>("Edit1", 8, 8, 100, 21, sheets[1]);
  int changes = 0;
  pages->OnChange = [&](TObject*) { ++changes; };
  ShowMain();
  EXPECT_EQ(pages->ActivePageIndex(), 0);
  EXPECT_EQ(pages->TabIndex(), 0);
  Controls->ClickTab(pages, 2);
  EXPECT_EQ(pages->ActivePageIndex(), 2);
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(sheets[2]->Visible());
  EXPECT_FALSE(sheets[1]->Visible());
  EXPECT_FALSE(onTeren->Showing());
  pages->SetActivePageIndex(1);  // by code: no OnChange
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(onTeren->Showing());
  RECT d = pages->DisplayRect();
  EXPECT_EQ(sheets[1]->Top(), d.top);
  EXPECT_EQ(sheets[1]->Height(), d.bottom - d.top);
  sheets[0]->SetTabVisible(false);
  EXPECT_EQ(pages->TabIndex(), 0);
  EXPECT_EQ(pages->ActivePageIndex(), 1);
}

// The bar lies above the client area, as the window system puts it: the
// client area keeps its size and its controls their places.
TEST_F(TMenuTest, TheClientAreaStartsBelowTheBar) {
  auto* button = Make<TButton>("Button1", 0, 0, 80, 25);
  auto* tool = Make<TSpeedButton>("Tool", 100, 0, 30, 30);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  tool->OnClick = [&](TObject*) { ++clicks; };
  ShowMain();
  const POINT before = Main->ClientOrigin();
  MakeMenu();
  const int bar = Menu->BarHeight();
  ASSERT_GT(bar, 0);
  EXPECT_EQ(Main->ClientHeight(), 300);
  EXPECT_EQ(Main->Widget()->height(), 300 + bar);
  EXPECT_EQ(button->Widget()->geometry().top(), bar);
  EXPECT_EQ(Main->ClientOrigin().y, before.y + bar);
  Driver->Click(button, 5, 5);
  Driver->Click(tool, 5, 5);
  EXPECT_EQ(clicks, 2);
  Main->SetMenu(nullptr);
  EXPECT_EQ(Main->Widget()->height(), 300);
  EXPECT_EQ(button->Widget()->geometry().top(), 0);
}
