// A user's session of the editor on a real X display, every step through
// the X server and checked on the editor's map, its lists and the saved
// file: the map named, water painted where the pointer is, units and a
// building placed through their dialogs, a unit picked in the drop-down
// list and deleted with the very next click, the map saved, the editor
// started again and the map opened with everything in it.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "editor/BuildingForm.h"
#include "editor/MainForm.h"
#include "editor/TerrainEditing.h"
#include "editor/UnitForm.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "tests/desktop/EditorSession.h"
#include "world/WorldFiles.h"

using namespace sandreth;
using namespace editor_desktop;

namespace {

struct TCell {
  int Row = 0, Col = 0;
};

// A point of the view near Near that lies over a cell of the map by the
// editor's own cell test (the cell whose drawn ground diamond holds it), the
// pointer put there, and the cell the editor finds under it.
std::pair<QPoint, TCell> HoverNear(TLiveRun& R, QPoint Near) {
  const auto aim = R.OnMain([&] {
    for (int dy = 0; dy < 16; ++dy)
      for (int dx = 0; dx < 32; ++dx) {
        TCell c;
        if (HitTestCell(Form1->State(), Form1->MapRows(), Form1->MapCols(), Form1->DXDraw1->Width(),
                        Form1->DXDraw1->Height(), Near.x() + dx, Near.y() + dy, c.Row, c.Col))
          return std::make_pair(QPoint(Near.x() + dx, Near.y() + dy), c);
      }
    return std::make_pair(QPoint(), TCell{});
  });
  R.Check(aim.second.Row > 0, "a point near the middle of the view lies over a cell");
  const QPoint p = ScreenPoint(R, Form1->DXDraw1, aim.first.x(), aim.first.y());
  R.X().MoveTo(p.x(), p.y());
  R.WaitFor(
      "the editor finds the cell under the pointer",
      [&] { return Form1->State().HoverRow == aim.second.Row && Form1->State().HoverCol == aim.second.Col; }, 15);
  return aim;
}

void PlaceUnit(TLiveRun& R, int TypeIndex) {
  PickFromDropDown(R, Form1->ComboBox1, TypeIndex);
  const int count = R.OnMain([] { return Form1->State().UnitCount; });
  ClickControl(R, Form1->SpeedButton9);  // "Utwórz"
  R.WaitSteady("the unit dialog shows", [] { return FormUp(Form2); });
  ClickControl(R, Form2->SpeedButton1);  // "OK"
  R.WaitFor(
      "OK places the unit", [count] { return !Form2->Visible() && Form1->State().UnitCount == count + 1; }, 15);
}

}  // namespace

TEST(EditorPlayThrough, ASessionOfTheEditor) {
  TMapmakerFolder folder;
  const std::string saved = folder.HostPathOf("wyspa.map");
  TCell painted;
  std::string kept;  // the identifier of the unit that stays

  TLiveRun::Run(RunEditor, [&](TLiveRun& R) {
    WaitForEditor(R);
    // "Dane": the map's name.
    ShowTab(R, 0);
    ClickControl(R, Form1->Edit1);
    R.X().Type("Wyspa");
    R.WaitFor(
        "the name field takes the name", [] { return Form1->Edit1->Text() == "Wyspa"; }, 15);

    // "Teren": water, painted by a stroke that starts where the pointer is.
    ShowTab(R, 1);
    ClickControl(R, Form1->SpeedButton5);
    R.WaitFor(
        "the water tool is chosen", [] { return Form1->State().PaintTerrain == 2; }, 15);
    const QPoint middle = R.OnMain([] { return QPoint(Form1->DXDraw1->Width() / 2, Form1->DXDraw1->Height() / 2); });
    const auto [start, cell] = HoverNear(R, middle);
    painted = cell;
    R.Check(R.OnMain([&] { return Form1->State().Map.TerrainAt(painted.Row, painted.Col); }) == 0,
            "the cell under the pointer is plain ground");
    const QPoint a = ScreenPoint(R, Form1->DXDraw1, start.x(), start.y());
    // A neighbouring pixel over the same cell: painting follows the moves.
    const int within = R.OnMain([&] {
      for (int dx : {1, -1}) {
        TCell c;
        if (HitTestCell(Form1->State(), Form1->MapRows(), Form1->MapCols(), Form1->DXDraw1->Width(),
                        Form1->DXDraw1->Height(), start.x() + dx, start.y(), c.Row, c.Col) &&
            c.Row == cell.Row && c.Col == cell.Col)
          return dx;
      }
      return 0;
    });
    R.Check(within != 0, "the cell under the pointer is wider than a pixel");
    // Pressed there, moved a pixel within the cell, then on to the south-east.
    R.Step("a stroke of water");
    R.X().ButtonDown();
    R.WaitFor(
        "the press starts a stroke", [] { return Form1->State().Painting; }, 15);
    R.X().MoveTo(a.x() + within, a.y());
    R.WaitFor(
        "the cell under the pointer is water",
        [&] { return Form1->State().Map.TerrainAt(painted.Row, painted.Col) == 2; }, 15);
    for (int i = 1; i <= 8; ++i) R.X().MoveTo(a.x() + within + 8 * i, a.y() + 4 * i);
    R.X().ButtonUp();
    R.WaitFor(
        "the release ends the stroke", [&] { return !Form1->State().Painting; }, 15);

    // "Jednostki": two units, then the first picked in the list and deleted
    // with the very next click.
    ShowTab(R, 2);
    PlaceUnit(R, 0);
    PlaceUnit(R, 1);
    R.WaitFor(
        "the unit list holds both", [] { return Form1->ComboBox2->Items()->Count() == 2; }, 15);
    PickFromDropDown(R, Form1->ComboBox2, 0);
    const std::string gone = R.OnMain([] { return Form1->ComboBox2->Text(); });
    kept = R.OnMain([] { return Form1->ComboBox2->Items()->Strings(1); });
    ClickControl(R, Form1->SpeedButton11);  // "Usuń"
    R.WaitFor(
        "the first click on \"Usuń\" deletes " + Cp1250ToUtf8(gone),
        [&] { return Form1->State().UnitCount == 1 && UnitId(1) == kept; }, 15);

    // "Budynki": a building.
    ShowTab(R, 3);
    PickFromDropDown(R, Form1->ComboBox3, 0);
    ClickControl(R, Form1->SpeedButton12);  // "Utwórz"
    R.WaitSteady("the building dialog shows", [] { return FormUp(Form3); });
    ClickControl(R, Form3->SpeedButton1);  // "OK"
    R.WaitFor(
        "OK places the building", [] { return !Form3->Visible() && Form1->State().BuildingCount == 1; }, 15);

    // Saved, then read back from the file.
    const auto file = SaveAndReadBack(R, saved);
    R.Check(file->Map.MapName.Text() == "Wyspa", "the file holds the map's name");
    R.Check(file->Map.TerrainAt(painted.Row, painted.Col) == 2, "the file holds the water");
    R.Check(ObjectIdentifier(file->Units[1]) == kept && file->Units[2].Name.Empty(),
            "the file holds the unit that stayed, and only it");
    R.Check(!file->Buildings[1].Name.Empty() && file->Buildings[2].Name.Empty(), "the file holds the building");
    CloseEditor(R);
  });

  // Started again from its start folder: the map opens with everything in it.
  if (::testing::Test::HasFailure()) return;  // nothing was saved to open
  SetCurrentDir(folder.Path());
  TLiveRun::Run(RunEditor, [&](TLiveRun& R) {
    WaitForEditor(R);
    OpenMap(R, saved);
    R.Check(R.OnMain([] { return Form1->State().Map.MapName.Text() == "Wyspa" && Form1->Edit1->Text() == "Wyspa"; }),
            "the opened map has its name");
    R.Check(R.OnMain([&] { return Form1->State().Map.TerrainAt(painted.Row, painted.Col) == 2; }),
            "the opened map has the water");
    R.Check(R.OnMain([&] {
      return Form1->State().UnitCount == 1 && UnitId(1) == kept && Form1->ComboBox2->Items()->Count() == 1 &&
             Form1->ComboBox2->Items()->Strings(0) == kept;
    }),
            "the opened map has the unit, listed");
    R.Check(R.OnMain([] { return Form1->State().BuildingCount == 1 && Form1->ComboBox4->Items()->Count() == 1; }),
            "the opened map has the building, listed");
    CloseEditor(R);
  });
}
