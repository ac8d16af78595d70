// The game's main window on a real X display: it keeps its designed client
// size (792 x 566) where the window manager honours fixed sizes; where one
// makes it larger all the same, the view, the panels, the code box and the
// game's own cursor follow the size it got.
#include <gtest/gtest.h>

#include <string>

#include "game/CodeBox.h"
#include "tests/desktop/GameSession.h"

using namespace korvel;
using namespace game_desktop;

namespace {

std::string Size(QRect R) { return std::to_string(R.width()) + " x " + std::to_string(R.height()); }

}  // namespace

TEST(GameWindow, KeepsItsSizeOrLaysOutTheOneItGets) {
  TPlayFolder folder;
  TLiveRun::Run(ProgramMain, [](TLiveRun& R) {
    WaitForOpenMapDialog(R);
    const QRect dialog = ClientOnScreen(R, Form6);
    R.Check(dialog.width() == 311 && dialog.height() == 318, "the open-map dialog is 311 x 318, not " + Size(dialog));
    OpenMapFromDialog(R, "dolina.map");
    const QRect client = ClientOnScreen(R, Form1);
    const std::string manager = R.X().ManagerName();
    std::printf("  window manager \"%s\": the main window's client area is %s at (%d, %d)\n", manager.c_str(),
                Size(client).c_str(), client.x(), client.y());
    // Managers that honour the fixed size the window asks for.
    if (manager.empty() || manager == "Openbox")
      R.Check(client.width() == 792 && client.height() == 566,
              "the main window keeps its client size 792 x 566, not " + Size(client));
    R.Check(client.width() >= 792 && client.height() >= 566, "the main window is at least as large as designed");

    // The layout follows the client size the window got.
    const int w = client.width(), h = client.height();
    R.Check(R.OnMain([&] {
      return Form1->ClientWidth() == w && Form1->ClientHeight() == h && Form1->DXDraw1->Width() == w &&
             Form1->DXDraw1->Height() == h - 88 && Form1->Panel2->Top() == h - 88 && Form1->Panel2->Width() == w &&
             Form1->Panel1->Left() == w - 104 && Form1->Panel3->Left() == w - 215;
    }),
            "the view fills the client area above the command bar, the panels keep to the right and bottom edges");

    // The code box opens at the foot of the view, across it, and shows its text there.
    R.Step("Return opens the code box");
    R.X().Key("Return");
    R.WaitFor(
        "the code box shows", [] { return Form1->Edit1->Visible() && Form1->Edit1->Focused(); }, 15);
    R.Check(R.OnMain([&] {
      return Form1->Edit1->Left() == CodeBoxLeft && Form1->Edit1->Top() == h - 88 - 30 &&
             Form1->Edit1->Width() == w - 15 && Form1->Edit1->Height() == CodeBoxHeight;
    }),
            "the code box lies 30 pixels above the command bar, across the view");
    const QRect box = R.OnMain(
        [] { return QRect(Form1->Edit1->Left(), Form1->Edit1->Top(), Form1->Edit1->Width(), Form1->Edit1->Height()); });
    R.Step("the code box's text is painted at its place");
    bool painted = false;
    for (int i = 0; i < 40 && !painted; ++i, R.Sleep(0.05))
      painted = InkShare(R.X().Grab(WindowOf(R, Form1), QRect(box.x(), box.y(), 160, box.height()))) > 0.02;
    R.Check(painted, "the code box's text shows at the foot of the view");
    R.X().Key("Return");
    R.WaitFor(
        "Return closes the code box", [] { return !Form1->Edit1->Visible(); }, 15);

    // The game's own cursor follows the pointer all over the view, the parts
    // beyond the designed 792 x 478 included.
    const QPoint points[] = {
        {w - 150, h - 88 - 40}, {40, 40}, {w / 2, (h - 88) / 2}, {w - 120, 60}, {100, h - 88 - 30}};
    for (const QPoint& p : points) {
      const std::string at = "(" + std::to_string(p.x()) + ", " + std::to_string(p.y()) + ")";
      R.X().MoveTo(client.x() + p.x(), client.y() + p.y());
      R.WaitFor(
          "the game's cursor follows the pointer to " + at,
          [&] { return Form1->State.MouseX == p.x() && Form1->State.MouseY == p.y(); }, 15);
      R.Sleep(0.1);
      const QRect spot(p.x(), p.y(), 24, 24);
      const QImage with = R.X().Grab(WindowOf(R, Form1), spot);
      const QPoint away = p.x() > w / 2 ? QPoint(p.x() - 200, p.y()) : QPoint(p.x() + 200, p.y());
      R.X().MoveTo(client.x() + away.x(), client.y() + away.y());
      R.WaitFor(
          "the cursor moves on", [&] { return Form1->State.MouseX == away.x(); }, 15);
      R.Sleep(0.1);
      const QImage without = R.X().Grab(WindowOf(R, Form1), spot);
      int differ = 0;
      for (int y = 0; y < spot.height(); ++y)
        for (int x = 0; x < spot.width(); ++x)
          if (with.pixel(x, y) != without.pixel(x, y)) ++differ;
      R.Check(differ > 40, "the cursor picture is drawn at " + at + " and goes with the pointer (" +
                               std::to_string(differ) + " pixels changed)");
    }
    CloseGame(R);
  });
}
