// The editor's unit and building dialogs on a real X display: while each
// runs modally its window stands over the main window (WM_TRANSIENT_FOR),
// says it is modal (_NET_WM_STATE_MODAL), and opens at its designed size
// under every window manager; a fixed-size one offers no resizing, a
// sizeable one no shrinking below what its controls need.
#include <gtest/gtest.h>

#include "editor/BuildingForm.h"
#include "editor/UnitForm.h"
#include "tests/desktop/EditorSession.h"
#include "tests/desktop/support/WindowHints.h"

using namespace sandreth;
using namespace editor_desktop;

namespace {

struct TDialogCase {
  const char* What;
  int Tab;
  TSpeedButton* (*Opener)();
  TObjectDialog* (*Dialog)();
  QSize Designed;
  bool Sizeable;
};

void CheckDialogHints(TLiveRun& R, const TDialogCase& C, unsigned long Main) {
  ShowTab(R, C.Tab);
  ClickControl(R, C.Opener());
  TObjectDialog* dialog = C.Dialog();
  R.WaitSteady(
      std::string(C.What) + " shows", [dialog] { return FormUp(dialog); }, 0.5);
  const unsigned long window = WindowOf(R, dialog);
  const TWindowHints hints = ReadWindowHints(window);
  const QRect shown = R.X().Geometry(window);
  std::printf("  %s: %d x %d at (%d, %d); %s\n", C.What, shown.width(), shown.height(), shown.x(), shown.y(),
              hints.Describe().c_str());
  R.Screenshot(std::string("modal-") + C.What);
  R.Check(hints.TransientFor == Main,
          std::string(C.What) + " stands over the main window (" + std::to_string(Main) + "): " + hints.Describe());
  R.Check(hints.Modal(), std::string(C.What) + " carries the modal state: " + hints.Describe());
  R.Check(shown.size() == C.Designed, std::string(C.What) + " opens at its designed size " +
                                          std::to_string(C.Designed.width()) + " x " +
                                          std::to_string(C.Designed.height()) + ", not " +
                                          std::to_string(shown.width()) + " x " + std::to_string(shown.height()));
  if (C.Sizeable)
    R.Check(hints.HasMinSize && hints.MinSize.width() >= C.Designed.width() &&
                hints.MinSize.height() >= C.Designed.height(),
            std::string(C.What) + " cannot be shrunk below its designed size: " + hints.Describe());
  else
    R.Check(hints.FixedSize() && hints.MinSize == C.Designed,
            std::string(C.What) + " is fixed-size to the window manager: " + hints.Describe());
  ClickControl(R, dialog->SpeedButton2);  // "Anuluj"
  R.WaitFor(
      std::string(C.What) + " closes on \"Anuluj\"", [dialog] { return !dialog->Visible(); }, 15);
}

}  // namespace

TEST(EditorModalHints, TheUnitAndBuildingDialogs) {
  TMapmakerFolder folder;
  TLiveRun::Run(RunEditor, [](TLiveRun& R) {
    WaitForEditor(R);
    const unsigned long main = WindowOf(R, Form1);
    const TDialogCase cases[] = {
        {"Jednostka", 2, [] { return Form1->SpeedButton9; }, []() -> TObjectDialog* { return Form2; }, QSize(314, 339),
         false},
        {"Budynek", 3, [] { return Form1->SpeedButton12; }, []() -> TObjectDialog* { return Form3; }, QSize(322, 330),
         true},
    };
    // Each twice: the hints hold at every showing, not only the first.
    for (int round = 0; round < 2; ++round)
      for (const TDialogCase& c : cases) CheckDialogHints(R, c, main);
    CloseEditor(R);
  });
}

// A map file cut short, opened through the file dialog: the error box titled
// "Brask Mapmaker" is as wide as its title needs, and stands over the main
// window.
TEST(EditorModalHints, TheErrorBoxIsAsWideAsItsTitle) {
  TMapmakerFolder folder;
  folder.AddFile("krotka.map", std::vector<std::uint8_t>(1000, 0));
  TLiveRun::Run(RunEditor, [&](TLiveRun& R) {
    WaitForEditor(R);
    const unsigned long main = WindowOf(R, Form1);
    R.X().Chord("Control_L", "o");
    WaitForFileDialog(R);
    TypeFileName(R, folder.HostPathOf("krotka.map"));
    const TSystemDialog box = WaitForPaintedBox(R, "the error box about the short map");
    R.Check(box.Title == "Brask Mapmaker", "the box is titled \"Brask Mapmaker\", not \"" + box.Title + "\"");
    const int room = R.OnMain([&] { return TitleBarRoom(box.Title); });
    const QRect shown = R.X().Geometry(box.Window);
    std::printf("  the error box: %d x %d, its title needs %d\n", shown.width(), shown.height(), room);
    R.Check(shown.width() >= room, "the box titled \"" + box.Title + "\" is " + std::to_string(shown.width()) +
                                       " wide, its title needs " + std::to_string(room));
    R.Check(box.TransientFor == main, "the box stands over the main window");
    R.X().Key("Return");
    WaitForNoSystemDialog(R, "Return closes the box");
    CloseEditor(R);
  });
}
