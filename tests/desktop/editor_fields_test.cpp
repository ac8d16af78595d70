// The fields of the editor's "Dane" page on a real X display, typed into
// through the X server: a number field left with Tab or Shift+Tab shows the
// value it holds, brought into its range, and the saved map holds it; a map
// name with Polish letters, typed as typing tools type letters the layout
// has no key for, shows and is held as typed and leaves no key held, so the
// view does not scroll by itself afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "editor/MainForm.h"
#include "platform/rtl/Cp1250.h"
#include "platform/win/KeyState.h"
#include "tests/desktop/EditorSession.h"
#include "world/WorldFiles.h"

using namespace sandreth;
using namespace editor_desktop;

namespace {

// What a field shows on the screen (UTF-8): its Qt line edit's text.
std::string Shown(TWinControl* Field) {
  QWidget* w = Field->Widget();
  auto* edit = qobject_cast<QLineEdit*>(w);
  if (!edit && w) edit = w->findChild<QLineEdit*>();
  return edit ? edit->text().toStdString() : std::string("(no line edit)");
}

// Whether the keyboard focus is in Field's widget.
bool FocusIn(TWinControl* Field) {
  QWidget* f = QApplication::focusWidget();
  return f && Field->Widget() && (f == Field->Widget() || Field->Widget()->isAncestorOf(f));
}

// Clicks into Field (left of a number field's arrows) and waits for it to
// take the keyboard.
void ClickInto(TLiveRun& R, TWinControl* Field, const std::string& What) {
  const int x = R.OnMain([&] { return Field->Width() / 3; });
  ClickControl(R, Field, x);
  R.WaitFor(
      "\"" + What + "\" takes the keyboard", [&] { return Form1->ActiveControl() == Field; }, 15);
}

// Lets the program take in a changed keyboard mapping before a key comes:
// the server's notice reaches the program's connection, and the message
// thread goes round its loop twice.
void SettleMapping(TLiveRun& R) {
  R.Sleep(0.05);
  R.OnMain([] {});
  R.OnMain([] {});
}

// The keys and buttons the program's key state holds down, by virtual key
// and by scan code ("" when none).
std::string HeldKeys() {
  std::string held;
  for (int vk = 1; vk < 256; ++vk)
    if (GetKeyState(vk) < 0) {
      char name[16];
      if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        std::snprintf(name, sizeof name, " '%c'", static_cast<char>(vk));
      else
        std::snprintf(name, sizeof name, " vk 0x%02X", vk);
      held += name;
    }
  for (UINT scan = 1; scan < 512; ++scan)
    if (KeyStateScanDown(scan)) {
      char name[16];
      std::snprintf(name, sizeof name, " scan 0x%02X", scan);
      held += name;
    }
  return held;
}

// Waits for every key to come up in the program's key state (the last
// release may still be on its way); a failure naming What with the keys
// still held otherwise.
void CheckNoKeyHeld(TLiveRun& R, const std::string& What) {
  std::string down;
  for (int i = 0; i < 100; ++i) {
    down = R.OnMain(HeldKeys);
    if (down.empty()) return;
    R.Sleep(0.05);
  }
  R.Fail(What + "; held:" + down);
}

}  // namespace

// Each field typed into and left with Tab (Shift+Tab in one case): it shows
// the end of its range that the typed number lies beyond, and the map saved
// afterwards holds the gold it shows.
TEST(EditorFields, ANumberOutOfRangeShowsTheValueHeldOnTab) {
  TMapmakerFolder folder;
  const std::string saved = folder.HostPathOf("zloto.map");
  TLiveRun::Run(RunEditor, [&](TLiveRun& R) {
    WaitForEditor(R);
    ShowTab(R, 0);
    struct TCase {
      const char* What;  // UTF-8
      TSpinEdit* Field;
      const char* Typed;
      bool Back;  // Shift+Tab
      const char* Shown;
    };
    const TCase cases[] = {
        {"Złoto", Form1->SpinEdit5, "-5", false, "0"},
        {"Losowość", Form1->SpinEdit3, "77", false, "50"},
        {"Losowość", Form1->SpinEdit3, "0", false, "1"},
        {"Złoto", Form1->SpinEdit5, "-5", true, "0"},
    };
    int shot = 0;
    for (const TCase& c : cases) {
      const std::string what = std::string(c.What) + " " + c.Typed + (c.Back ? " Shift+Tab" : " Tab");
      R.Step(what);
      ClickInto(R, c.Field, c.What);
      R.X().Chord("Control_L", "a");
      R.X().Type(c.Typed);
      R.WaitFor(
          std::string("\"") + c.What + "\" shows " + c.Typed + " as typed",
          [&] { return Shown(c.Field) == c.Typed && c.Field->Text() == c.Typed; }, 15);
      if (c.Back)
        R.X().Chord("Shift_L", "Tab");
      else
        R.X().Key("Tab");
      R.WaitFor(
          what + " moves the keyboard focus on", [&] { return !FocusIn(c.Field); }, 15);
      R.WaitFor(
          what + " shows " + c.Shown, [&] { return Shown(c.Field) == c.Shown; }, 15);
      const auto [text, value] = R.OnMain([&] { return std::make_pair(c.Field->Text(), c.Field->Value()); });
      R.Screenshot("fields-" + std::to_string(++shot));
      R.Check(R.OnMain([&] { return Form1->ActiveControl() != c.Field; }),
              what + ": the form's active control follows the focus");
      R.Check(text == c.Shown, what + ": the field's text is " + c.Shown + ", not \"" + text + "\"");
      R.Check(std::to_string(value) == c.Shown,
              what + ": the field holds " + c.Shown + ", not " + std::to_string(value));
    }

    const auto file = SaveAndReadBack(R, saved);
    R.Check(file->Players[1].Gold == 0,
            "the saved map holds the gold shown, 0, not " + std::to_string(file->Players[1].Gold));
    // The keys of Ctrl+S came up while the save dialog had the keyboard.
    CheckNoKeyHeld(R, "no key is held after Ctrl+S and the save dialog");
    CloseEditor(R);
  });
}

// "Łódź" typed into "Nazwa mapy" on borrowed keycodes, with the letters' own
// keysyms and with AltGr, each keycode mapped back right after its key comes
// up or while it is still down (the program then reads the release on the
// empty mapping, as another keysym): the field shows the name and holds its
// windows-1250 bytes, no key is held afterwards, and on the map page the
// view keeps its place (a letter's key left held, the L of "Ł", scrolls it).
TEST(EditorFields, APolishNameLeavesNoKeyHeld) {
  TMapmakerFolder folder;
  TLiveRun::Run(RunEditor, [&](TLiveRun& R) {
    WaitForEditor(R);
    using TMapBack = TXServer::TMapBack;
    struct TWay {
      const char* What;
      const char* Shot;
      void (TXServer::*Type)(const std::u32string&, TMapBack, const std::function<void()>&);
      TMapBack When;
    };
    const TWay ways[] = {
        {"the letters' keysyms, mapped back after the release", "keysyms-after", &TXServer::TypeText,
         TMapBack::AfterRelease},
        {"the letters' keysyms, mapped back while down", "keysyms-down", &TXServer::TypeText, TMapBack::WhileDown},
        {"AltGr, mapped back after the release", "altgr-after", &TXServer::TypeTextWithAltGr, TMapBack::AfterRelease},
        {"AltGr, mapped back while down", "altgr-down", &TXServer::TypeTextWithAltGr, TMapBack::WhileDown},
    };
    const std::string name = "Łódź";
    for (const TWay& way : ways) {
      R.Step(std::string("\"Łódź\" typed with ") + way.What);
      ShowTab(R, 0);
      ClickInto(R, Form1->Edit1, "Nazwa mapy");
      R.X().Chord("Control_L", "a");
      R.X().KeyDown("BackSpace");
      R.X().KeyUp("BackSpace");
      R.WaitFor(
          "\"Nazwa mapy\" is empty", [] { return Form1->Edit1->Text().empty(); }, 15);
      (R.X().*way.Type)(U"Łódź", way.When, [&R] { SettleMapping(R); });
      R.WaitFor(
          "\"Nazwa mapy\" shows \"Łódź\"", [&] { return Shown(Form1->Edit1) == name; }, 15);
      R.Screenshot(std::string("name-") + way.Shot);
      const std::string held = R.OnMain([] { return Form1->Edit1->Text(); });
      R.Check(held == Cp(name),
              "the name held is the windows-1250 bytes of \"Łódź\", not \"" + Cp1250ToUtf8(held) + "\"");

      CheckNoKeyHeld(R, std::string("no key is held after typing with ") + way.What);

      ShowTab(R, 1);
      R.Sleep(0.2);
      const auto before = R.OnMain([] { return std::make_pair(Form1->State().ScrollX, Form1->State().ScrollY); });
      R.Sleep(1.0);
      const auto after = R.OnMain([] { return std::make_pair(Form1->State().ScrollX, Form1->State().ScrollY); });
      R.Screenshot(std::string("map-") + way.Shot);
      R.Check(before == after, std::string("the view keeps its place after typing with ") + way.What + ": (" +
                                   std::to_string(before.first) + ", " + std::to_string(before.second) + ") became (" +
                                   std::to_string(after.first) + ", " + std::to_string(after.second) + ")");
    }
    CloseEditor(R);
  });
}
