// The editor's main window on a real X display: it keeps its designed client
// size (792 x 546 below its menu bar) where the window manager honours fixed
// sizes; where one makes it larger, the view and the tabs follow the size it
// got.
#include <gtest/gtest.h>

#include <string>

#include "tests/desktop/EditorSession.h"

using namespace sandreth;
using namespace editor_desktop;

TEST(EditorWindow, KeepsItsSizeOrLaysOutTheOneItGets) {
  TMapmakerFolder folder;
  TLiveRun::Run(RunEditor, [](TLiveRun& R) {
    WaitForEditor(R);
    const QRect window = ClientOnScreen(R, Form1);
    const int bar = R.OnMain([] { return Form1->Widget()->findChild<QMenuBar*>()->height(); });
    const int w = window.width(), h = window.height() - bar;
    const std::string manager = R.X().ManagerName();
    std::printf("  window manager \"%s\": the main window is %d x %d, %d of it the menu bar\n", manager.c_str(),
                window.width(), window.height(), bar);
    if (manager.empty() || manager == "Openbox")
      R.Check(w == 792 && h == 546, "the editor keeps its client size 792 x 546 below the menu bar, not " +
                                        std::to_string(w) + " x " + std::to_string(h));
    R.Check(w >= 792 && h >= 546, "the editor's window is at least as large as designed");
    R.Check(R.OnMain([&] {
      return Form1->ClientWidth() == w && Form1->ClientHeight() == h && Form1->DXDraw1->Width() == w &&
             Form1->DXDraw1->Height() == h - 68 && Form1->PageControl1->Top() == h - 68 &&
             Form1->PageControl1->Width() == w;
    }),
            "the view fills the client area above the tabs, the tabs keep to the bottom edge");
    CloseEditor(R);
  });
}
