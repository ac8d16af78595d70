#include "game/Form6.h"

#include <string>

#include "game/DialogFrame.h"
#include "game/Form1.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/FormBuilder.h"

namespace korvel {

TForm6* Form6 = nullptr;

TForm6::TForm6(TComponent* AOwner) : TForm(AOwner) {
  LoadForm(this, [this] {
    const std::string title = Cp("Otwórz mapę");
    const TDialogFrame frame = MakeDialogFrame(this, "Form6", title, title, 311, 318);
    Shape1 = frame.Shape1;
    Label1 = frame.Label1;
    Shape2 = frame.Shape2;
    DriveComboBox1 = MakeComponent<TDriveComboBox>(this, "DriveComboBox1", this, 8, 40, 145, 19);
    DirectoryListBox1 = MakeComponent<TDirectoryListBox>(this, "DirectoryListBox1", this, 8, 64, 145, 185);
    FilterComboBox1 = MakeComponent<TFilterComboBox>(this, "FilterComboBox1", this, 160, 40, 145, 21);
    FilterComboBox1->SetFilter("Pliki mapy|*.map");
    FileListBox1 = MakeComponent<TFileListBox>(this, "FileListBox1", this, 160, 64, 145, 185);
    FileListBox1->SetMask("*.map");
    Edit1 = MakeComponent<TEdit>(this, "Edit1", this, 8, 256, 297, 21);
    Edit1->SetText("*.map");
    SpeedButton1 = MakeDialogButton(this, "SpeedButton1", 8, 288, 145, Cp("Otwórz"));
    SpeedButton1->OnClick = TNotifyEvent(this, &TForm6::SpeedButton1Click);
    SpeedButton2 = MakeDialogButton(this, "SpeedButton2", 160, 288, 145, "Anuluj");
    SpeedButton2->OnClick = TNotifyEvent(this, &TForm6::SpeedButton2Click);

    // The lists follow each other as the dialog links them.
    DriveComboBox1->SetDirList(DirectoryListBox1);
    DirectoryListBox1->SetFileList(FileListBox1);
    FilterComboBox1->SetFileList(FileListBox1);
    FileListBox1->SetFileEdit(Edit1);
  });
}

void TForm6::SpeedButton1Click(TObject*) { Form1->OpenButtonClick(this); }

void TForm6::SpeedButton2Click(TObject*) {
  if (!Form1->State.Map.MapName.Empty())
    Close();
  else
    Application->Terminate();
}

}  // namespace korvel
