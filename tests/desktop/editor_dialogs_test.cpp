// The editor's system dialogs on a real X display, under whatever window
// manager the test runs with: the file dialog and the box it opens over
// itself, and the about box from the menu.
#include <gtest/gtest.h>

#include <QMessageBox>

#include "platform/rtl/Cp1250.h"
#include "tests/desktop/EditorSession.h"

using namespace sandreth;
using namespace editor_desktop;

namespace {

bool Visible(const char* Class) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->inherits(Class)) return true;
  return false;
}

}  // namespace

// A mistyped name in the open dialog: the file dialog's own box says so,
// Return closes it, and the dialog then takes the right name.
TEST(EditorDialogs, TheFileDialogsBox) {
  TMapmakerFolder folder;
  TLiveRun::Run(RunEditor, [&](TLiveRun& R) {
    WaitForEditor(R);
    R.X().Chord("Control_L", "o");
    WaitForFileDialog(R);
    TypeFileName(R, folder.HostPathOf("dolna.map"));
    const TSystemDialog box = WaitForPaintedBox(R, "the file dialog's box about a missing file");
    R.Check(box.Text.find("dolna.map") != std::string::npos, "the box names the file, not \"" + box.Text + "\"");
    R.X().Key("Return");
    R.WaitSteady("Return closes the box and the file dialog stays",
                 [] { return !Visible("QMessageBox") && Visible("QFileDialog"); });
    TypeFileName(R, folder.HostPathOf("dolina.map"));
    WaitForNoSystemDialog(R, "the file dialog closes");
    R.WaitFor(
        "the map is open", [] { return Form1->State().Map.MapName.Text() == Cp("Dolina nad Wartką"); }, 20);
    CloseEditor(R);
  });
}

// "Pomoc" -> "O programie": the about box over the main window, painted,
// closed by Return, by a click on its button and by its close command.
TEST(EditorDialogs, TheAboutBox) {
  TMapmakerFolder folder;
  TLiveRun::Run(RunEditor, [&](TLiveRun& R) {
    WaitForEditor(R);
    const unsigned long main = WindowOf(R, Form1);
    for (int how = 0; how < 3; ++how) {
      ChooseMenuItem(R, Form1->Pomoc1, Form1->Oprogramie1);
      const TSystemDialog box = WaitForPaintedBox(R, "the about box");
      R.Check(box.Title == "Informacja", "the about box is titled \"Informacja\", not \"" + box.Title + "\"");
      R.Check(box.TransientFor == main, "the about box is kept above the main window");
      if (how == 0) R.X().Key("Return");
      if (how == 1) R.X().Click(box.Button.x(), box.Button.y());
      if (how == 2) R.X().CloseWindow(box.Window);
      WaitForNoSystemDialog(R, "the about box closes");
    }
    // The main window takes the keyboard again: Ctrl+O opens the file dialog.
    R.X().Chord("Control_L", "o");
    WaitForFileDialog(R);
    R.X().Key("Escape");
    WaitForNoSystemDialog(R, "Escape closes the file dialog");
    CloseEditor(R);
  });
}
