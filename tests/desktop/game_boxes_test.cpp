// The game's message boxes on a real X display, under whatever window
// manager the test runs with: a box from the open-map dialog (a map file cut
// short), from the frame timer's handler (an exception escaping a tick) and
// at start-up before the main window shows (a broken type file). Each box
// must paint its text, take Return, Escape, a click on its button and its
// close command, let the process sleep while it waits, and leave the window
// under it working.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "tests/desktop/GameSession.h"

using namespace korvel;
using namespace game_desktop;

namespace {

// The box is up with its text painted, kept above Owner, the window under
// it still shows Under's text, and the process rests while it waits: little
// CPU time and no growing memory.
TSystemDialog CheckBoxWaits(TLiveRun& R, const std::string& What, unsigned long Owner, TControl* Under,
                            double Seconds) {
  TSystemDialog box = WaitForPaintedBox(R, What);
  R.Sleep(0.3);
  R.Check(TextShows(R, Under),
          What + ": the window under the box still shows \"" + R.OnMain([&] { return Under->Name(); }) + "\"");
  R.Check(box.Title == "Brask Engine",
          What + ": the box is titled with the application's title, not \"" + box.Title + "\"");
  R.Check(box.TransientFor == Owner, What + ": the box is kept above the window that was modal (" +
                                         std::to_string(Owner) + "), not " + std::to_string(box.TransientFor));
  if (Seconds > 0) {
    R.Step(What + ": the box waits " + std::to_string(static_cast<int>(Seconds)) + " s");
    const TProcessStats before = ReadProcessStats();
    R.Sleep(Seconds);
    const TProcessStats after = ReadProcessStats();
    const double cpu = after.CpuSeconds - before.CpuSeconds;
    const long grown = after.RssKb - before.RssKb;
    std::printf("  while the box waited %.0f s: CPU %.2f s, resident memory %+ld kB\n", Seconds, cpu, grown);
    R.Check(cpu < 0.1 * Seconds, What + ": the process keeps working while the box waits (" + std::to_string(cpu) +
                                     " s CPU in " + std::to_string(Seconds) + " s)");
    R.Check(grown < 2048, What + ": resident memory grows while the box waits (" + std::to_string(grown) + " kB)");
    R.Check(OpenSystemDialog(R).Open, What + ": the box is still up after waiting");
  }
  return box;
}

enum TDismiss { dsReturn, dsEscape, dsClick, dsClose };

const char* DismissName(TDismiss How) {
  switch (How) {
    case dsReturn: return "Return";
    case dsEscape: return "Escape";
    case dsClick: return "a click on its button";
    default: return "its close command";
  }
}

void Dismiss(TLiveRun& R, const TSystemDialog& Box, TDismiss How, const std::string& What) {
  R.Step(What + ": dismissed by " + DismissName(How));
  switch (How) {
    case dsReturn: R.X().Key("Return"); break;
    case dsEscape: R.X().Key("Escape"); break;
    case dsClick: R.X().Click(Box.Button.x(), Box.Button.y()); break;
    case dsClose: R.X().CloseWindow(Box.Window); break;
  }
  WaitForNoSystemDialog(R, What + ": the box closes on " + DismissName(How), 20);
}

}  // namespace

// A map file cut short, opened from the open-map dialog at start-up: the
// box "Zła nazwa pliku!" over the dialog, four times, each closed another
// way; the dialog stays open and then opens a good map.
TEST(GameBoxes, FromTheOpenMapDialog) {
  TPlayFolder folder;
  folder.AddCutMap("zla.map");
  TLiveRun::Run(ProgramMain, [](TLiveRun& R) {
    WaitForOpenMapDialog(R);
    const unsigned long dialog = WindowOf(R, Form6);
    ChooseMap(R, "zla.map");
    for (TDismiss how : {dsReturn, dsClick, dsEscape, dsClose}) {
      const std::string what = std::string("box over the open-map dialog, closed by ") + DismissName(how);
      ClickControl(R, Form6->SpeedButton1);  // "Otwórz"
      const TSystemDialog box = CheckBoxWaits(R, what, dialog, Form6->Label1, how == dsReturn ? 10 : 0);
      R.Check(box.Text == "Zła nazwa pliku!", what + ": the text is \"Zła nazwa pliku!\", not \"" + box.Text + "\"");
      Dismiss(R, box, how, what);
      R.WaitSteady(what + ": the open-map dialog stays open", [] { return FormUp(Form6); });
      R.Check(R.OnMain([] { return Form1->State.GameRunning == 0 && Form1->State.Map.MapName.Empty(); }),
              what + ": no map is loaded");
    }
    // The dialog still takes clicks: the good map opens.
    ChooseMap(R, "dolina.map");
    ClickControl(R, Form6->SpeedButton1);
    R.WaitFor("the sample map is loaded and the game runs", [] {
      return Form1->State.GameRunning == 1 && !Form1->State.Map.MapName.Empty() && Form1->State.UnitCount > 0 &&
             !Form6->Visible();
    });
    CloseGame(R);
  });
}

// The same box from the panel's "Otwórz" during play: the dialog over the
// running game, the box over the dialog; afterwards the game goes on.
TEST(GameBoxes, FromTheOpenMapDialogDuringPlay) {
  TPlayFolder folder;
  folder.AddCutMap("zla.map");
  TLiveRun::Run(ProgramMain, [](TLiveRun& R) {
    WaitForOpenMapDialog(R);
    ChooseMap(R, "dolina.map");
    ClickControl(R, Form6->SpeedButton1);
    R.WaitSteady("the game runs", [] { return Form1->State.GameRunning == 1 && FormUp(Form1) && !Form6->Visible(); });
    ClickControl(R, Form1->SpeedButton6);  // the panel's "Otwórz"
    WaitForOpenMapDialog(R);
    ChooseMap(R, "zla.map");
    ClickControl(R, Form6->SpeedButton1);
    const TSystemDialog box =
        CheckBoxWaits(R, "box over the open-map dialog during play", WindowOf(R, Form6), Form6->Label1, 0);
    Dismiss(R, box, dsClick, "box over the open-map dialog during play");
    R.WaitSteady("the open-map dialog stays open", [] { return FormUp(Form6); });
    ClickControl(R, Form6->SpeedButton2);  // "Anuluj"
    R.WaitFor("the dialog closes and the map stays",
              [] { return !Form6->Visible() && Form1->State.UnitCount > 0 && Form1->Caption() != "Korvel"; });
    const int tick = R.OnMain([] { return Form1->State.Tick; });
    R.WaitFor("the game goes on", [tick] { return Form1->State.Tick != tick; });
    CloseGame(R);
  });
}

// An exception that escapes the frame timer's handler: the error box from
// inside the idle loop, over the running game; once closed by Return and
// once by a click, and the game goes on.
TEST(GameBoxes, FromTheFrameHandler) {
  TPlayFolder folder;
  TLiveRun::Run(ProgramMain, [](TLiveRun& R) {
    WaitForOpenMapDialog(R);
    ChooseMap(R, "dolina.map");
    ClickControl(R, Form6->SpeedButton1);
    R.WaitSteady("the game runs", [] { return Form1->State.GameRunning == 1 && FormUp(Form1); });
    const unsigned long main = WindowOf(R, Form1);
    for (TDismiss how : {dsReturn, dsClick}) {
      const std::string what = std::string("box from the frame handler, closed by ") + DismissName(how);
      // The next tick throws after doing its work, once.
      R.OnMain([] {
        auto tick = Form1->DXTimer1->OnTimer;
        auto armed = std::make_shared<bool>(true);
        Form1->DXTimer1->OnTimer = TDXTimerEvent([tick, armed](TObject* Sender, std::int32_t Lag) {
          tick(Sender, Lag);
          if (*armed) {
            *armed = false;
            throw Exception(Cp("Ramka nie wyszła"));
          }
        });
      });
      const TSystemDialog box = CheckBoxWaits(R, what, main, Form1->SpeedButton6, how == dsReturn ? 10 : 0);
      R.Check(box.Text == "Ramka nie wyszła", what + ": the box shows the exception's text, not \"" + box.Text + "\"");
      Dismiss(R, box, how, what);
      const int tick = R.OnMain([] { return Form1->State.Tick; });
      R.WaitFor(what + ": the game goes on", [tick] { return Form1->State.Tick != tick; });
    }
    CloseGame(R);
  });
}

// A unit type file cut short: start-up fails at the first activation of the
// main window, before it is shown, with the runtime's error in the box; the
// window then stays until it is closed. Once closed by Return, once by a
// click.
TEST(GameBoxes, AtStartUp) {
  for (TDismiss how : {dsReturn, dsClick}) {
    TPlayFolder folder;
    folder.AddFile("data/units/zzz.unt", std::vector<std::uint8_t>(10, 1));
    TLiveRun::Run(ProgramMain, [how](TLiveRun& R) {
      const std::string what = std::string("box at start-up, closed by ") + DismissName(how);
      R.WaitFor(what + ": the main window exists", [] { return Form1 && Form1->Widget(); });
      const TSystemDialog box =
          CheckBoxWaits(R, what, WindowOf(R, Form1), Form1->SpeedButton6, how == dsReturn ? 10 : 0);
      R.Check(box.Text == "Read beyond end of file",
              what + ": the box shows the runtime's error, not \"" + box.Text + "\"");
      Dismiss(R, box, how, what);
      R.WaitSteady(what + ": the main window stays, without the open-map dialog",
                   [] { return FormUp(Form1) && !Form6->Visible() && Form1->State.GameRunning == 0; });
      CloseGame(R);
    });
  }
}
