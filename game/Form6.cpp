#include "game/Form6.h"

#include "game/Form1.h"
#include "platform/rtl/Cp1250.h"

TForm6* Form6 = nullptr;

namespace {

template <class T>
T* Make(TComponent* Owner, const char* Name, TWinControl* Parent, int Left, int Top, int Width, int Height) {
  T* c = new T(Owner);
  c->BeginLoading();
  c->SetName(Name);
  c->SetParent(Parent);
  c->SetBounds(Left, Top, Width, Height);
  return c;
}

}  // namespace

TForm6::TForm6(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("Form6");
  SetCaption(Cp("Otwórz mapę"));
  SetBorderStyle(bsNone);
  SetPosition(poScreenCenter);
  SetClientWidth(311);
  SetClientHeight(318);

  // A title band of its own, since the window has no border.
  Shape1 = Make<TShape>(this, "Shape1", this, 0, 0, 311, 25);
  Label1 = Make<TLabel>(this, "Label1", this, 6, 3, 90, 19);
  Label1->SetCaption(Cp("Otwórz mapę"));
  Label1->Font()->SetName("Comic Sans MS");
  Label1->Font()->SetStyle(TFontStyles{fsBold});
  Label1->Font()->SetColor(clBlack);
  Label1->SetTransparent(true);
  Shape2 = Make<TShape>(this, "Shape2", this, 0, 25, 311, 293);
  Shape2->Brush()->SetColor(clBtnFace);
  Shape2->Pen()->SetColor(clBtnFace);

  DriveComboBox1 = Make<TDriveComboBox>(this, "DriveComboBox1", this, 8, 40, 145, 19);
  DirectoryListBox1 = Make<TDirectoryListBox>(this, "DirectoryListBox1", this, 8, 64, 145, 185);
  FilterComboBox1 = Make<TFilterComboBox>(this, "FilterComboBox1", this, 160, 40, 145, 21);
  FilterComboBox1->SetFilter("Pliki mapy|*.map");
  FileListBox1 = Make<TFileListBox>(this, "FileListBox1", this, 160, 64, 145, 185);
  FileListBox1->SetMask("*.map");
  Edit1 = Make<TEdit>(this, "Edit1", this, 8, 256, 297, 21);
  Edit1->SetText("*.map");
  SpeedButton1 = Make<TSpeedButton>(this, "SpeedButton1", this, 8, 288, 145, 22);
  SpeedButton1->SetFlat(true);
  SpeedButton1->SetCaption(Cp("Otwórz"));
  SpeedButton1->OnClick = TNotifyEvent(this, &TForm6::SpeedButton1Click);
  SpeedButton2 = Make<TSpeedButton>(this, "SpeedButton2", this, 160, 288, 145, 22);
  SpeedButton2->SetFlat(true);
  SpeedButton2->SetCaption("Anuluj");
  SpeedButton2->OnClick = TNotifyEvent(this, &TForm6::SpeedButton2Click);

  // The lists follow each other as the dialog links them.
  DriveComboBox1->SetDirList(DirectoryListBox1);
  DirectoryListBox1->SetFileList(FileListBox1);
  FilterComboBox1->SetFileList(FileListBox1);
  FileListBox1->SetFileEdit(Edit1);

  for (int i = 0; i < ComponentCount(); ++i) Components(i)->Loaded();
  Loaded();
}

void TForm6::SpeedButton1Click(TObject*) { Form1->OpenButtonClick(this); }

void TForm6::SpeedButton2Click(TObject*) {
  if (!Form1->State.Map.MapName.Empty())
    Close();
  else
    Application->Terminate();
}
