// What a desktop script needs to know about the program's windows to aim
// its input and read its pixels: where a control is on the screen, which X
// window shows it, whether a window is up, the system message box or file
// dialog that is open, and the drop-down list of a combo box. Each function
// runs its reading on the message thread through the run.
#pragma once

#include <QPoint>
#include <QRect>
#include <string>

#include "tests/desktop/support/LiveRun.h"

class TControl;
class TWinControl;
class TCustomForm;
class TCustomListBox;
class TComboBox;

// A client point of Control on the screen (the centre when X, Y are -1).
QPoint ScreenPoint(TLiveRun& Run, TControl* Control, int X = -1, int Y = -1);
// Clicks there through the X server.
void ClickControl(TLiveRun& Run, TControl* Control, int X = -1, int Y = -1, int Button = 1);
// The centre of row Index of a list, on the screen.
QPoint ListRowPoint(TLiveRun& Run, TCustomListBox* List, int Index);
// The X window of the form (0 while it has none).
unsigned long WindowOf(TLiveRun& Run, TCustomForm* Form);
// The form's client area on the screen as the X server has it.
QRect ClientOnScreen(TLiveRun& Run, TCustomForm* Form);
// Where Control lies in its form's X window.
QRect RectInWindow(TLiveRun& Run, TControl* Control);
// Whether the text of Control shows on the screen (pixels of its form's
// window where it lies).
bool TextShows(TLiveRun& Run, TControl* Control);
// Whether the form is visible and its window shown by the server (to be
// called on the message thread, inside a condition).
bool FormUp(TCustomForm* Form);

// The system's message box or file dialog that is open (the last one shown).
struct TSystemDialog {
  bool Open = false;
  bool Exposed = false;
  unsigned long Window = 0;
  std::string Title;               // UTF-8
  std::string Text;                // UTF-8, a message box's text
  QRect TextRect;                  // the text's label, in the window's coordinates
  QPoint Button;                   // the centre of its first button, on the screen
  QPoint Edit;                     // a file dialog's file-name field, on the screen
  unsigned long TransientFor = 0;  // the window it is kept above, as Qt set it
};
TSystemDialog OpenSystemDialog(TLiveRun& Run);
// Waits until a message box is up and its text is painted on the screen
// (pixels of its label); a failure naming What otherwise.
TSystemDialog WaitForPaintedBox(TLiveRun& Run, const std::string& What, double Seconds = 20);
void WaitForNoSystemDialog(TLiveRun& Run, const std::string& What, double Seconds = 20);

// A combo box's drop-down list: opens it with a click on the box and picks
// row Index with a click on that row.
void PickFromDropDown(TLiveRun& Run, TComboBox* Combo, int Index);
// Whether a pop-up (a drop-down list, a menu) of the program is open.
bool PopupOpen(TLiveRun& Run);
