// The test driver's reach into the standard controls: rows of lists picked
// with the mouse (and modifiers), text typed as a person types it (UTF-8,
// any characters), combo items picked from their drop-down, tabs clicked,
// menu items chosen from the bar, file dialogs answered with a path, input
// boxes and messages answered, hints read.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/ComCtrls.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/toolkit/Menus.h"
#include "platform/toolkit/StdCtrls.h"
#include "platform/toolkit/TestDriver.h"

using TFileDialogAnswer = std::function<void(TFileDialogEvent& Dialog)>;

class TControlsDriver {
 public:
  // Works through Driver; one at a time. File dialogs opened while it exists
  // take the queued answers (none queued: cancelled, counted unanswered).
  explicit TControlsDriver(TTestDriver& Driver);
  ~TControlsDriver();
  TControlsDriver(const TControlsDriver&) = delete;
  TControlsDriver& operator=(const TControlsDriver&) = delete;

  TTestDriver& Driver() const { return FDriver; }

  // A click on a row of a shown list (Shift and Ctrl as the person holds them).
  void ClickListRow(TCustomListBox* List, int Row, TShiftState Shift = {});
  void DoubleClickListRow(TCustomListBox* List, int Row);
  // Types Utf8 into the focused control of the active form, one key per
  // character (letters and digits with their keys, others as text only).
  void TypeText(const std::string& Utf8);
  // Picks an item from a combo box's drop-down list.
  void PickComboItem(TComboBox* Combo, int Index);
  // A click on a visible tab of a page control.
  void ClickTab(TPageControl* Pages, int TabIndex);
  // Chooses an item from its form's menu bar; false when it is not on one.
  bool ChooseMenuItem(TMenuItem* Item);
  // The hint shown as the tooltip of a control ("" when none shows).
  std::string HintOf(TControl* Control) const;

  // Dialog answers, used in the order queued.
  void AnswerFileDialog(TFileDialogAnswer Answer);
  // Answers the next file dialog with Path (OK) / cancels it.
  void AnswerFileDialogWith(const std::string& Path);
  void CancelFileDialog();
  const std::vector<TFileDialogEvent>& FileDialogs() const { return FFileDialogs; }
  int UnansweredFileDialogs() const { return FUnanswered; }
  // Answers the next modal form, an input box, with Text and OK / with Anuluj.
  void AnswerInputBox(const std::string& Text);
  void CancelInputBox();
  // Answers the next modal form, a message, with OK; its text goes to *Text.
  void AnswerMessage(std::string* Text = nullptr);

  // Makes every light view of Form (labels, shapes, speed buttons) and lets
  // Qt lay out and paint, then writes the form's window to a PNG file.
  bool SaveScreenshot(TCustomForm* Form, const std::string& PngPath);

  // Called by the file dialogs.
  bool FileDialogOpened(TFileDialogEvent& Event);

 private:
  TTestDriver& FDriver;
  std::deque<TFileDialogAnswer> FAnswers;
  std::vector<TFileDialogEvent> FFileDialogs;
  int FUnanswered = 0;
};
