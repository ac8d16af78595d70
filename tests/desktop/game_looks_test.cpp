// The game's dialogs and controls on a real X display, as a desktop's own:
// every modal dialog stands over the window under it with the modal state
// and opens at its designed size; in spell mode the disabled "Wybierz" greys
// out as the disabled command buttons do; the message box is as wide as its
// title needs; and giving orders keeps no memory.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "game/Form2.h"
#include "game/Form3.h"
#include "game/Form4.h"
#include "game/Form5.h"
#include "game/Movement.h"
#include "platform/rtl/Cp1250.h"
#include "tests/desktop/GameSession.h"
#include "tests/desktop/support/WindowHints.h"

using namespace korvel;
using namespace game_desktop;

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's count of the heap in use (its runtime provides it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

constexpr double kReacts = 15;

// The memory the program keeps, in kB: resident memory, or under the address
// sanitizer (whose quarantine holds freed memory resident for a while) the
// heap in use.
long KeptKb(TLiveRun& R) {
#if defined(__SANITIZE_ADDRESS__)
  return R.OnMain([] { return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024); });
#else
  (void)R;
  return ReadProcessStats().RssKb;
#endif
}

TGameState& Game() { return Form1->State; }

// Selects the first unit (or building) of the type alone; false when there is none.
bool SelectFirstUnit(const std::string& Type) {
  bool found = false;
  for (int u = 1; u <= LiveUnits(Game()); ++u) {
    const bool take = !found && Game().Units[u].Name.Text() == Type;
    Game().Units[u].Selected = take ? 1 : 0;
    found = found || take;
  }
  for (int b = 1; b <= LiveBuildings(Game()); ++b) Game().Buildings[b].Selected = 0;
  return found;
}
bool SelectFirstBuilding(const std::string& Type) {
  bool found = false;
  for (int u = 1; u <= LiveUnits(Game()); ++u) Game().Units[u].Selected = 0;
  for (int b = 1; b <= LiveBuildings(Game()); ++b) {
    const bool take = !found && Game().Buildings[b].Name.Text() == Type;
    Game().Buildings[b].Selected = take ? 1 : 0;
    found = found || take;
  }
  return found;
}

// The dialog is up and tells the window manager what a modal dialog does:
// it stands over Owner, is modal, fixed-size and at its designed size.
void CheckModalDialog(TLiveRun& R, TCustomForm* Dialog, const std::string& What, unsigned long Owner, QSize Designed) {
  R.WaitSteady(
      What + " shows", [Dialog] { return FormUp(Dialog); }, 0.5);
  const unsigned long window = WindowOf(R, Dialog);
  const TWindowHints hints = ReadWindowHints(window);
  const QRect shown = R.X().Geometry(window);
  std::printf("  %s: %d x %d; %s\n", What.c_str(), shown.width(), shown.height(), hints.Describe().c_str());
  R.Check(hints.TransientFor == Owner,
          What + " stands over the window under it (" + std::to_string(Owner) + "): " + hints.Describe());
  R.Check(hints.Modal(), What + " carries the modal state: " + hints.Describe());
  R.Check(hints.FixedSize() && hints.MinSize == Designed,
          What + " is fixed-size to the window manager: " + hints.Describe());
  R.Check(shown.size() == Designed, What + " opens at its designed size " + std::to_string(Designed.width()) + " x " +
                                        std::to_string(Designed.height()) + ", not " + std::to_string(shown.width()) +
                                        " x " + std::to_string(shown.height()));
}

int Luma(QRgb C) { return (qRed(C) * 299 + qGreen(C) * 587 + qBlue(C) * 114) / 1000; }
int LightestLuma(const QImage& Image) {
  int lightest = 0;
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x) lightest = std::max(lightest, Luma(Image.pixel(x, y)));
  return lightest;
}
int DarkestLuma(const QImage& Image) {
  int darkest = 255;
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x) darkest = std::min(darkest, Luma(Image.pixel(x, y)));
  return darkest;
}

// What the control shows on the screen.
QImage Pixels(TLiveRun& R, TControl* Control) { return R.X().Grab(WindowOf(R, Form1), RectInWindow(R, Control)); }

// Greyed as a desktop's disabled control: not as it shows enabled, its
// darkest ink lighter, and still standing out from its ground.
void CheckGreyed(TLiveRun& R, const QImage& Enabled, const QImage& Disabled, const std::string& What) {
  R.Check(!Enabled.isNull() && !Disabled.isNull(), What + ": its pixels are on the screen");
  R.Check(Enabled != Disabled, What + ": disabled, it does not look as enabled");
  R.Check(DarkestLuma(Disabled) > DarkestLuma(Enabled) + 40,
          What + ": disabled, its text or glyph is greyed (darkest " + std::to_string(DarkestLuma(Disabled)) +
              ", enabled " + std::to_string(DarkestLuma(Enabled)) + ")");
  R.Check(DarkestLuma(Disabled) + 40 < LightestLuma(Disabled),
          What + ": disabled, its greyed text or glyph still shows (darkest " + std::to_string(DarkestLuma(Disabled)) +
              ", lightest " + std::to_string(LightestLuma(Disabled)) + ")");
}

}  // namespace

TEST(GameLooks, DialogsButtonsAndBoxes) {
  TPlayFolder folder;
  folder.AddCutMap("zla.map");
  TLiveRun::Run(ProgramMain, [](TLiveRun& R) {
    R.WaitFor("the main window shows", [] { return Form1 && FormUp(Form1); });
    const unsigned long main = WindowOf(R, Form1);
    CheckModalDialog(R, Form6, "the open-map dialog at start-up", main, QSize(311, 318));
    OpenMapFromDialog(R, "dolina.map");
    R.Sleep(0.5);
    const QImage wybierz = Pixels(R, Form1->SpeedButton4), ustal = Pixels(R, Form1->MenuButton4);

    // Spell mode: "Wybierz", "Ustal" and "Zawołaj" disabled, each greyed.
    R.Check(R.OnMain([] { return SelectFirstUnit("Mag"); }), "the map has a mage");
    ClickControl(R, Form1->MenuButton7);  // "Czaruj"
    CheckModalDialog(R, Form3, "the spell dialog", main, QSize(360, 246));
    ClickControl(R, Form3->SpeedButton1);  // "OK"
    R.WaitFor(
        "spell mode, the three buttons disabled",
        [] {
          return Game().CommandMode == cmSpell && !Form1->SpeedButton4->Enabled() && !Form1->MenuButton4->Enabled();
        },
        kReacts);
    R.Sleep(0.5);
    R.Screenshot("spell-mode");
    CheckGreyed(R, wybierz, Pixels(R, Form1->SpeedButton4), "\"Wybierz\" in spell mode");
    CheckGreyed(R, ustal, Pixels(R, Form1->MenuButton4), "\"Ustal\" in spell mode");
    // A click on the disabled "Wybierz" opens nothing and shows nothing.
    const QImage greyed = Pixels(R, Form1->SpeedButton4);
    ClickControl(R, Form1->SpeedButton4);
    R.Sleep(0.3);
    R.Check(R.OnMain([] { return !Form2->Visible(); }), "a click on the disabled \"Wybierz\" opens no dialog");
    R.Check(Pixels(R, Form1->SpeedButton4) == greyed, "a click on the disabled \"Wybierz\" shows nothing");
    // The cast: the buttons enabled again, looking as before.
    ClickControl(R, Form1->DXDraw1, 150, 150);
    R.WaitFor(
        "the cast ends spell mode and enables the buttons",
        [] {
          return Game().CommandMode == cmNormal && Form1->SpeedButton4->Enabled() && Form1->MenuButton4->Enabled();
        },
        kReacts);
    R.X().MoveTo(5, 5);
    R.WaitSteady(
        "\"Wybierz\" looks enabled again", [&] { return true; }, 0.5);
    R.Check(Pixels(R, Form1->SpeedButton4) == wybierz, "\"Wybierz\" looks as before once enabled again");

    // The select, train and build dialogs.
    ClickControl(R, Form1->SpeedButton4);  // "Wybierz"
    CheckModalDialog(R, Form2, "the select dialog", main, QSize(185, 255));
    ClickControl(R, Form2->SpeedButton2);  // "Anuluj"
    R.WaitFor(
        "the select dialog closes", [] { return !Form2->Visible(); }, kReacts);
    R.Check(R.OnMain([] { return SelectFirstBuilding("Zamek"); }), "the map has a castle");
    ClickControl(R, Form1->MenuButton8);  // "Wyszkol"
    CheckModalDialog(R, Form4, "the train dialog", main, QSize(358, 246));
    ClickControl(R, Form4->SpeedButton2);
    R.WaitFor(
        "the train dialog closes", [] { return !Form4->Visible(); }, kReacts);
    R.Check(R.OnMain([] { return SelectFirstUnit(Cp("Chłop")); }), "the map has a peasant");
    ClickControl(R, Form1->MenuButton9);  // "Zbuduj"
    CheckModalDialog(R, Form5, "the build dialog", main, QSize(360, 246));
    ClickControl(R, Form5->SpeedButton2);
    R.WaitFor(
        "the build dialog closes", [] { return !Form5->Visible(); }, kReacts);

    // The open-map dialog during play, and the error box over it: as wide
    // as its title "Brask Engine" needs.
    ClickControl(R, Form1->SpeedButton6);  // "Otwórz"
    CheckModalDialog(R, Form6, "the open-map dialog during play", main, QSize(311, 318));
    ChooseMap(R, "zla.map");
    ClickControl(R, Form6->SpeedButton1);
    const TSystemDialog box = WaitForPaintedBox(R, "the box over the open-map dialog");
    const int room = R.OnMain([&] { return TitleBarRoom(box.Title); });
    const QRect shown = R.X().Geometry(box.Window);
    R.Screenshot("error-box");
    R.Check(shown.width() >= room, "the box titled \"" + box.Title + "\" is " + std::to_string(shown.width()) +
                                       " wide, its title needs " + std::to_string(room));
    R.Check(box.TransientFor == WindowOf(R, Form6), "the box stands over the open-map dialog");
    R.X().Key("Return");
    WaitForNoSystemDialog(R, "Return closes the box");
    ClickControl(R, Form6->SpeedButton2);  // "Anuluj"
    R.WaitFor(
        "the open-map dialog closes", [] { return !Form6->Visible(); }, kReacts);
    CloseGame(R);
  });
}

// "Atakuj" and a left click on the ground, again and again: resident memory
// stays flat.
TEST(GameLooks, AttackOrdersKeepNoMemory) {
  TPlayFolder folder;
  TLiveRun::Run(ProgramMain, [](TLiveRun& R) {
    WaitForOpenMapDialog(R);
    OpenMapFromDialog(R, "dolina.map");
    const QPoint attack = ScreenPoint(R, Form1->MenuButton6);
    const QPoint ground = ScreenPoint(R, Form1->DXDraw1, 150, 150);
    auto orders = [&](int Count) {
      for (int i = 0; i < Count; ++i) {
        R.X().Click(attack.x(), attack.y());
        R.WaitFor(
            "\"Atakuj\": attack mode", [] { return Game().CommandMode == cmAttack; }, kReacts);
        R.X().Click(ground.x(), ground.y());
        R.WaitFor(
            "the click on the ground ends attack mode", [] { return Game().CommandMode == cmNormal; }, kReacts);
      }
    };
    R.Step("20 orders first");
    orders(20);
    const long before = KeptKb(R);
    R.Step("100 attack orders");
    orders(100);
    const long grown = KeptKb(R) - before;
    std::printf("  100 attack orders: memory kept %+ld kB\n", grown);
    R.Check(grown < 512, "100 attack orders keep " + std::to_string(grown) + " kB more memory");
    CloseGame(R);
  });
}
