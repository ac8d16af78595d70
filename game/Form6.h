// The open-map dialog: drive, folder, file-type and file lists over an edit
// box with the chosen name, and the buttons "Otwórz" (reads the chosen map
// through the main window) and "Anuluj". Made at program start and kept,
// with its folder and choice, between showings.
#pragma once

#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/FileCtrl.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"

namespace korvel {

class TForm6 : public TForm {
 public:
  explicit TForm6(TComponent* AOwner);

  TShape* Shape1 = nullptr;
  TLabel* Label1 = nullptr;
  TShape* Shape2 = nullptr;
  TDriveComboBox* DriveComboBox1 = nullptr;
  TDirectoryListBox* DirectoryListBox1 = nullptr;
  TFilterComboBox* FilterComboBox1 = nullptr;
  TFileListBox* FileListBox1 = nullptr;
  TEdit* Edit1 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;  // "Otwórz"
  TSpeedButton* SpeedButton2 = nullptr;  // "Anuluj"

  // Hands over to the main window's map reader.
  void SpeedButton1Click(TObject* Sender);
  // Closes the dialog when a map is loaded; otherwise ends the program.
  void SpeedButton2Click(TObject* Sender);
};

extern TForm6* Form6;

}  // namespace korvel
