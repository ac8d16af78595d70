// The code box: a hidden one-line edit (Edit1 on the main window) in which
// the player types codes. Enter on the main window opens it; Enter in it
// stores its text as EnteredCode and closes it.
//
// The form's handlers call these rules:
//   FormKeyDown (main window, CheckBox2, the hidden file list): when
//     OpensCodeBox(Key), set Key := 0, show Edit1 and give it the focus.
//   Edit1KeyDown: when Key is VK_RETURN (13), leave Key as it is, then
//     bool help = EnterCode(State, Edit1->Text());
//     hide Edit1 (its text stays);
//     if (help) message box with CodeHelpText(), title CodeHelpTitle(),
//       MB_ICONINFORMATION.
// Edit1 is made with CodeBoxLeft/Top/Width/Height, CodeBoxMaxLength and
// CodeBoxInitialText(), hidden, borderless, black with bold yellow
// "Comic Sans MS" text.
#pragma once

#include <cstdint>
#include <string>

#include "game/GameState.h"

namespace korvel {

// The three codes, compared whole and case-sensitive.
inline constexpr const char* HelpCode = "Lumina";
inline constexpr const char* ResourcesCode = "Bring copper to the Mill";
inline constexpr const char* SpeedUpCode = "Harvest of the Old Moon";

constexpr int CodeBoxLeft = 8, CodeBoxTop = 448, CodeBoxWidth = 777, CodeBoxHeight = 24;
// The drawing surface the code box is placed on, as the window is designed.
constexpr int DesignedViewWidth = 792, DesignedViewHeight = 478;
constexpr int CodeBoxMaxLength = 50;
// "Wprowadź kod." in windows-1250.
std::string CodeBoxInitialText();

// Whether a key pressed on the main window opens the code box (Enter).
bool OpensCodeBox(std::uint16_t Key);

// Enter in the code box with Text: EnteredCode := Text; the resources code
// adds 1000 gold and 1000 wood. Answers whether the help box is to be shown
// (the help code).
bool EnterCode(TGameState& S, const std::string& Text);

// The help box: title "Kody", two lines naming the speed-up and the
// resources codes (windows-1250).
std::string CodeHelpTitle();
std::string CodeHelpText();

// Whether training and construction advance 10 per tick: the last entered
// code is the speed-up code.
bool SpeedUpActive(const TGameState& S);

}  // namespace korvel
