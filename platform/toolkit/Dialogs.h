// Dialogs: the file open and save dialogs (the window system's own, with its
// own modal loop: no idle processing while they are open), and the
// toolkit's InputBox and ShowMessage, which are toolkit forms run by
// ShowModal (the idle slot keeps running inside them).
#pragma once

#include <string>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"

// What a file dialog asks and, once answered, what it gives (for the test
// driver, which answers file dialogs headless).
struct TFileDialogEvent {
  bool Save = false;
  std::string Title;
  std::string Filter;
  int FilterIndex = 1;
  std::string InitialDir;
  // The name shown at the start; set it to the chosen path (windows-1250).
  std::string FileName;
  // Set true to accept FileName; false cancels.
  bool Ok = false;
  bool Answered = false;
};

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* AOwner);

  // "Caption|mask" pairs, bars between: "Pliki map|*.map".
  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& Value) { FFilter = Value; }
  // 1-based index of the filter chosen first (and, after Execute, the one used).
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int Value) { FFilterIndex = Value; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  // The chosen file as the user typed or picked it (windows-1250).
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value) { FFileName = Value; }
  const std::string& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
  // Appended to a typed name without an extension (empty: nothing is added).
  const std::string& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const std::string& Value) { FDefaultExt = Value; }

  // Shows the dialog; true with FileName set when the user chose a file.
  virtual bool Execute();

 protected:
  bool Run(bool Save);

 private:
  std::string FFilter;
  int FFilterIndex = 1;
  std::string FTitle;
  std::string FFileName;
  std::string FInitialDir;
  std::string FDefaultExt;
};

class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  bool Execute() override;
};

// The Qt name filters of a toolkit filter ("Pliki map (*.map)").
std::string FilterToQtFilters(const std::string& Filter);

// The input box's window: a prompt, an edit field, "OK" and "Anuluj".
class TInputBoxForm : public TForm {
 public:
  TInputBoxForm(const std::string& Caption, const std::string& Prompt, const std::string& Default);
  TLabel* Prompt() const { return FPrompt; }
  TEdit* Edit() const { return FEdit; }
  TButton* OkButton() const { return FOk; }
  TButton* CancelButton() const { return FCancel; }

 private:
  void KeyDownHandler(TObject* Sender, WORD& Key, TShiftState Shift);
  TLabel* FPrompt;
  TEdit* FEdit;
  TButton* FOk;
  TButton* FCancel;
};

// The message window of ShowMessage: the text and an "OK" button, captioned
// with the application's title.
class TMessageForm : public TForm {
 public:
  explicit TMessageForm(const std::string& Text);
  const std::string& Text() const { return FText; }
  TLabel* Message() const { return FMessage; }
  TButton* OkButton() const { return FOk; }

 private:
  void KeyDownHandler(TObject* Sender, WORD& Key, TShiftState Shift);
  std::string FText;
  TLabel* FMessage;
  TButton* FOk;
};

// Asks for a line of text: the text on OK, Default when cancelled (Anuluj,
// Escape or the close command).
std::string InputBox(const std::string& Caption, const std::string& Prompt, const std::string& Default);
// Shows Text with an OK button, titled with the application's title.
void ShowMessage(const std::string& Text);

// The hook through which the test driver answers file dialogs (null: the
// real dialog runs). It fills the event and returns true when it answered.
using TFileDialogHook = bool (*)(TFileDialogEvent& Event);
void SetFileDialogHook(TFileDialogHook Hook);
