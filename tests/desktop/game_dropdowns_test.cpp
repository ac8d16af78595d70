// The open-map dialog's drop-down lists on a real X display: the click that
// picks an entry and the very next click both reach their targets.
#include <gtest/gtest.h>

#include "tests/desktop/GameSession.h"

using namespace korvel;
using namespace game_desktop;

TEST(GameDropDowns, TheNextClickReachesItsTarget) {
  TPlayFolder folder;
  TLiveRun::Run(ProgramMain, [](TLiveRun& R) {
    WaitForOpenMapDialog(R);
    // The file-type list (which lists the folder again), then one click on a
    // file of the file list.
    PickFromDropDown(R, Form6->FilterComboBox1, 0);
    R.Check(!PopupOpen(R), "no pop-up stays open");
    const int row = R.OnMain([] { return RowOf(Form6->FileListBox1, "dolina.map"); });
    R.Check(row >= 0, "the dialog lists dolina.map");
    const QPoint file = ListRowPoint(R, Form6->FileListBox1, row);
    R.X().Click(file.x(), file.y());
    R.WaitFor(
        "the first click on the file list after the file-type list chooses the file",
        [row] { return Form6->FileListBox1->ItemIndex() == row; }, 15);
    // The drive list, then one click on "Otwórz".
    PickFromDropDown(R, Form6->DriveComboBox1, 0);
    R.Check(R.OnMain([row] { return Form6->FileListBox1->ItemIndex() == row; }), "the file stays chosen");
    ClickControl(R, Form6->SpeedButton1);
    R.WaitFor(
        "the first click on \"Otwórz\" after the drive list opens the map",
        [] { return Form1->State.GameRunning == 1 && !Form1->State.Map.MapName.Empty(); }, 15);
    CloseGame(R);
  });
}
