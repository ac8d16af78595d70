// One form holding one of each control, driven as a person drives it, then
// written to a PNG file (CTRL_FORM_PNG names it; a temporary file otherwise).
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ctrl_fixture.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ComCtrls.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/FileCtrl.h"
#include "platform/toolkit/Menus.h"
#include "platform/toolkit/Spin.h"
#include "platform/toolkit/StdCtrls.h"

namespace fs = std::filesystem;

namespace {

class TEveryControlTest : public TControlsTest {
 protected:
  void SetUp() override {
    TControlsTest::SetUp();
    Saved = GetCurrentDir();
    Root = fs::temp_directory_path() / ("ctrl_form_" + std::to_string(::getpid()));
    fs::remove_all(Root);
    fs::create_directories(Root / "mapy");
    for (const char* f : {"mapy/wyspa.map", "mapy/dolina.map", "mapy/opis.txt"}) std::ofstream(Root / f) << "x";
    SetCurrentDir(Root.string());
  }
  void TearDown() override {
    SetCurrentDir(Saved);
    fs::remove_all(Root);
    TControlsTest::TearDown();
  }
  void UseComicFont(TFont* f, TColor color) {
    f->SetName("Comic Sans MS");
    f->SetStyle({fsBold});
    f->SetColor(color);
    f->SetHeight(-13);
  }
  std::string Saved;
  fs::path Root;
};

}  // namespace

TEST_F(TEveryControlTest, OneOfEachControlDrivenAndShown) {
  Main->SetCaption("Sandreth");
  Main->SetBorderStyle(bsSingle);
  Main->SetBounds(20, 20, 640, 420);
  std::vector<std::string> log;
  auto logger = [&log](const char* what) { return [&log, what](TObject*) { log.push_back(what); }; };

  // Menu with shortcuts.
  auto* menu = new TMainMenu(Main);
  auto* plik = new TMenuItem(Main);
  plik->SetCaption("&Plik");
  menu->Items()->Add(plik);
  for (auto [caption, sc, tag] : {std::tuple{"&Nowy", ShortCut('N', {ssCtrl}), "Nowy"}, std::tuple{"-", scNone, ""},
                                  std::tuple{"Za&mknij", ShortCut(VK_F1 + 11, {ssCtrl}), "Zamknij"}}) {
    auto* i = new TMenuItem(Main);
    i->SetCaption(caption);
    i->SetShortCut(sc);
    if (*tag) i->OnClick = logger(tag);
    plik->Add(i);
  }
  auto* pomoc = new TMenuItem(Main);
  pomoc->SetCaption("P&omoc");
  menu->Items()->Add(pomoc);
  auto* about = new TMenuItem(Main);
  about->SetCaption("O programie");
  about->SetShortCut(ShortCut(VK_F1, {}));
  about->OnClick = logger("O programie");
  pomoc->Add(about);
  Main->SetMenu(menu);

  // Title band.
  auto* band = Make<TShape>("Shape1", 0, 0, 640, 25);
  band->Brush()->SetColor(clNavy);
  auto* title = Make<TLabel>("Label1", 6, 3, 10, 10);
  UseComicFont(title->Font(), clWhite);
  title->SetTransparent(true);
  title->SetCaption(Cp("Otwórz mapę"));

  // File controls, linked as the open-map dialog links them.
  auto* drives = Make<TDriveComboBox>("DriveComboBox1", 8, 32, 145, 22);
  auto* dirs = Make<TDirectoryListBox>("DirectoryListBox1", 8, 58, 145, 120);
  auto* filter = Make<TFilterComboBox>("FilterComboBox1", 160, 32, 145, 22);
  auto* files = Make<TFileListBox>("FileListBox1", 160, 58, 145, 120);
  auto* fileEdit = Make<TEdit>("Edit1", 8, 182, 297, 22);
  files->SetMask("*.map");
  files->SetFileEdit(fileEdit);
  filter->SetFilter("Pliki mapy|*.map|Wszystkie pliki|*.*");
  filter->SetFileList(files);
  dirs->SetFileList(files);
  drives->SetDirList(dirs);

  // Selection list in the game's colours.
  auto* list = Make<TListBox>("ListBox2", 320, 32, 310, 70);
  list->SetColor(clBlack);
  UseComicFont(list->Font(), clYellow);
  list->SetItemHeight(16);
  list->SetColumns(3);
  list->SetMultiSelect(true);
  list->SetHint(Cp("Ctrl - wielokrotne zaznaczanie."));
  list->SetShowHint(true);
  for (const char* s : {"Piechur", "Rycerz", "Łucznik", "Mag", "Mnich", "Chłop", "Zamek", "Wieża"})
    list->Items()->Add(Cp(s));

  auto* combo = Make<TComboBox>("ComboBox2", 320, 108, 150, 22);
  for (const char* s : {"Piechur 1", "Mag 1"}) combo->Items()->Add(s);
  combo->SetItemIndex(0);
  auto* spin = Make<TSpinEdit>("SpinEdit1", 480, 108, 70, 22);
  spin->SetMinValue(10);
  spin->SetMaxValue(250);
  spin->SetMaxLength(3);
  spin->SetValue(48);
  auto* check = Make<TCheckBox>("CheckBox2", 560, 108, 75, 20);
  check->SetCaption(Cp("Śledź"));

  // A panel of tools: a group of three and a button of its own.
  auto* panel = Make<TPanel>("Panel1", 320, 136, 310, 44);
  std::vector<TSpeedButton*> tools;
  for (int i = 0; i < 3; ++i) {
    auto* b = Make<TSpeedButton>(("Tool" + std::to_string(i)).c_str(), 6 + 36 * i, 6, 33, 33, panel);
    b->SetGroupIndex(1);
    b->SetFlat(true);
    b->SetCaption(std::string(1, static_cast<char>('A' + i)));
    tools.push_back(b);
  }
  tools[0]->SetDown(true);
  auto* ustal = Make<TSpeedButton>("MenuButton4", 120, 6, 80, 33, panel);
  ustal->SetCaption("Ustal");
  std::string group = "?";
  ustal->OnClick = [&](TObject*) { group = InputBox(Cp("Podaj liczbę"), Cp("Wpisz liczbę od 1 do 9"), ""); };
  auto* ok = Make<TButton>("Button1", 210, 8, 90, 28, panel);
  ok->SetCaption("OK");
  ok->OnClick = logger("OK");

  // Pages with a group box.
  auto* pages = Make<TPageControl>("PageControl1", 8, 212, 622, 120);
  std::vector<TTabSheet*> sheets;
  for (const char* caption : {"Dane", "Teren", "Jednostki"}) {
    auto* s = new TTabSheet(Main);
    s->SetPageControl(pages);
    s->SetCaption(caption);
    sheets.push_back(s);
  }
  auto* box = Make<TGroupBox>("GroupBox1", 8, 4, 200, 70, sheets[0]);
  box->SetCaption("Pozycja");
  auto* x = Make<TSpinEdit>("SpinEdit2", 40, 22, 120, 22, box);
  x->SetMinValue(-2147483647);
  x->SetMaxValue(2147483647);
  auto* xLabel = Make<TLabel>("Label3", 10, 26, 20, 17, box);
  xLabel->SetCaption("X:");
  auto* hover = Make<TLabel>("Label2", 320, 340, 120, 17);
  hover->SetAutoSize(false);
  hover->SetAlignment(taCenter);
  hover->SetCaption("X: 1, Y: 1");

  ShowMain();

  // The list's extended selection.
  Controls->ClickListRow(list, 1);
  Controls->ClickListRow(list, 4, {ssCtrl});
  Controls->ClickListRow(list, 6, {ssShift});
  std::vector<int> selected;
  for (int i = 0; i < list->Items()->Count(); ++i)
    if (list->Selected(i)) selected.push_back(i);
  EXPECT_EQ(selected, (std::vector<int>{4, 5, 6}));

  // The combo's free text.
  combo->SetFocus();
  Driver->PressKey('A', "", {ssCtrl});
  Controls->TypeText("Kapłan 3");
  EXPECT_EQ(combo->Text(), Cp("Kapłan 3"));
  EXPECT_EQ(combo->ItemIndex(), -1);

  // The spin edit's clamping.
  spin->SetFocus();
  Driver->PressKey('A', "", {ssCtrl});
  Controls->TypeText("999");
  EXPECT_EQ(spin->Value(), 250);
  check->SetFocus();
  EXPECT_EQ(spin->Text(), "250");

  // The speed-button group.
  Driver->Click(tools[2], 5, 5);
  EXPECT_TRUE(tools[2]->Down());
  EXPECT_FALSE(tools[0]->Down());
  EXPECT_TRUE(check->Focused());

  // The menu shortcuts.
  Driver->PressKey('N', "", {ssCtrl});
  Driver->PressKey(VK_F1);
  Driver->Click(ok, 5, 5);
  EXPECT_EQ(log, (std::vector<std::string>{"Nowy", "O programie", "OK"}));

  // The file list's directory change and mask.
  EXPECT_TRUE(files->Items()->Count() == 0);
  Controls->DoubleClickListRow(dirs, dirs->Items()->IndexOf("mapy"));
  EXPECT_EQ(GetCurrentDir(), (Root / "mapy").string());
  ASSERT_EQ(files->Items()->Count(), 2);
  EXPECT_EQ(files->Items()->Strings(0), "dolina.map");
  Controls->ClickListRow(files, 1);
  EXPECT_EQ(fileEdit->Text(), "wyspa.map");
  EXPECT_EQ(files->FileName(), (Root / "mapy").string() + "\\wyspa.map");
  Controls->PickComboItem(filter, 1);
  EXPECT_EQ(files->Items()->Count(), 3);

  // InputBox's cancel.
  Controls->CancelInputBox();
  Driver->Click(ustal, 5, 5);
  EXPECT_EQ(group, "");

  // Pages, and the window as Qt shows it.
  Controls->ClickTab(pages, 0);
  EXPECT_EQ(pages->ActivePageIndex(), 0);
  const char* env = std::getenv("CTRL_FORM_PNG");
  const std::string png = env ? std::string(env) : (Root / "form.png").string();
  ASSERT_TRUE(Controls->SaveScreenshot(Main, png));
  EXPECT_GT(fs::file_size(png), 1000u);
  TPixels px = Driver->ReadPixels(Main);
  EXPECT_EQ(px.Width, 640);
  EXPECT_EQ(px.Height, 420 + menu->BarHeight());
  // The title band is navy under the menu bar; the list's background black.
  EXPECT_EQ(px.At(300, menu->BarHeight() + 20), 0x000080u);
  EXPECT_EQ(px.At(625, menu->BarHeight() + 95), 0x000000u);
}
