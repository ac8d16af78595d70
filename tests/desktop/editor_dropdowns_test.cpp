// The editor's drop-down lists and menus on a real X display: the click that
// picks an entry and the very next click both reach their targets, and no
// pop-up keeps the mouse.
#include <gtest/gtest.h>

#include <string>

#include "editor/BuildingForm.h"
#include "editor/MainForm.h"
#include "editor/UnitForm.h"
#include "platform/rtl/Cp1250.h"
#include "tests/desktop/EditorSession.h"

using namespace sandreth;
using namespace editor_desktop;

namespace {

std::string UnitIds() {
  std::string ids;
  for (int i = 1; i <= Form1->State().UnitCount; ++i) ids += UnitId(i) + ";";
  return ids;
}

}  // namespace

// Each list of the editor's tabs and of the unit dialog: an entry picked in
// the drop-down, then one click on the button that works on it.
TEST(EditorDropDowns, TheNextClickReachesItsTarget) {
  TMapmakerFolder folder;
  TLiveRun::Run(RunEditor, [&](TLiveRun& R) {
    WaitForEditor(R);
    OpenMap(R, folder.HostPathOf("dolina.map"));
    const int units = R.OnMain([] { return Form1->State().UnitCount; });
    R.Check(units >= 3, "the sample map has a few units");

    ShowTab(R, 2);  // "Jednostki"
    // The unit list: the second unit picked, then "Usuń" once.
    PickFromDropDown(R, Form1->ComboBox2, 1);
    const std::string picked = R.OnMain([] { return Form1->ComboBox2->Text(); });
    R.Check(R.OnMain([] { return Form1->ComboBox2->ItemIndex(); }) == 1, "the drop-down list's pick is the entry");
    R.Check(!PopupOpen(R), "no pop-up stays open");
    ClickControl(R, Form1->SpeedButton11);  // "Usuń"
    R.WaitFor(
        "the first click on \"Usuń\" after the list deletes " + Cp1250ToUtf8(picked),
        [&] { return Form1->State().UnitCount == units - 1 && UnitIds().find(picked + ";") == std::string::npos; }, 15);

    // The type list, then "Utwórz" once: the unit dialog opens with that type.
    PickFromDropDown(R, Form1->ComboBox1, 2);
    const std::string type = R.OnMain([] { return Form1->ComboBox1->Text(); });
    ClickControl(R, Form1->SpeedButton9);  // "Utwórz"
    R.WaitSteady("the first click on \"Utwórz\" after the list opens the unit dialog", [] { return FormUp(Form2); });
    R.Check(R.OnMain([] { return Form2->ComboBox1->Text(); }) == type, "the unit dialog has the type picked");
    // The dialog's own type list, then "OK" once.
    PickFromDropDown(R, Form2->ComboBox1, 0);
    const std::string chosen = R.OnMain([] { return Form2->ComboBox1->Text(); });
    ClickControl(R, Form2->SpeedButton1);  // "OK"
    R.WaitFor(
        "the first click on \"OK\" after the dialog's list creates the unit",
        [&] {
          return !Form2->Visible() && Form1->State().UnitCount == units &&
                 Form1->State().Units[Form1->State().UnitCount].Name.Text() == chosen;
        },
        15);

    ShowTab(R, 3);  // "Budynki"
    const int buildings = R.OnMain([] { return Form1->State().BuildingCount; });
    R.Check(buildings >= 1, "the sample map has buildings");
    PickFromDropDown(R, Form1->ComboBox4, buildings - 1);
    ClickControl(R, Form1->SpeedButton14);  // "Usuń"
    R.WaitFor(
        "the first click on \"Usuń\" after the building list deletes the building",
        [&] { return Form1->State().BuildingCount == buildings - 1; }, 15);
    CloseEditor(R);
  });
}

// The main menu: an item chosen from the pop-up menu, then the next click on
// a tab reaches the tab.
TEST(EditorDropDowns, TheNextClickAfterTheMenu) {
  TMapmakerFolder folder;
  TLiveRun::Run(RunEditor, [&](TLiveRun& R) {
    WaitForEditor(R);
    // "Teren" -> "Losuj": random terrain.
    ChooseMenuItem(R, Form1->Teren1, Form1->Losuj1);
    R.WaitFor(
        "the menu item fills the map with random terrain",
        [] {
          for (int i = 1; i <= 48; ++i)
            for (int j = 1; j <= 48; ++j)
              if (Form1->State().Map.TerrainAt(i, j) != 0) return true;
          return false;
        },
        15);
    R.Check(!PopupOpen(R), "no pop-up stays open after the menu");
    ShowTab(R, 1);  // "Teren": one click
    R.Check(R.OnMain([] { return Form1->PageControl1->ActivePageIndex(); }) == 1,
            "the first click after the menu changes the tab");
    CloseEditor(R);
  });
}
