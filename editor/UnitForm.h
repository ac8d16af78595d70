// The unit dialog "Jednostka": position, target, type, stats as percentages
// of the type's maxima, selection flag and group of one placed unit.
#pragma once

#include "editor/EditorState.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/Spin.h"
#include "platform/toolkit/StdCtrls.h"

class TForm2 : public TForm {
 public:
  explicit TForm2(TComponent* AOwner);

  // The fields as they stand / set from a slot's values.
  TUnitFields Fields() const;
  void SetFields(const TUnitFields& Fields);

  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);

  TShape* Shape1 = nullptr;
  TLabel* Label1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TSpinEdit* SpinEdit1 = nullptr;
  TSpinEdit* SpinEdit2 = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TSpinEdit* SpinEdit3 = nullptr;
  TSpinEdit* SpinEdit4 = nullptr;
  TGroupBox* GroupBox3 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TGroupBox* GroupBox4 = nullptr;
  TSpinEdit* SpinEdit5 = nullptr;
  TSpinEdit* SpinEdit6 = nullptr;
  TSpinEdit* SpinEdit7 = nullptr;
  TSpinEdit* SpinEdit8 = nullptr;
  TGroupBox* GroupBox5 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TSpinEdit* SpinEdit9 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TSpeedButton* SpeedButton2 = nullptr;
};

extern TForm2* Form2;

// The title band of both dialogs: a navy strip with the caption in white
// "Comic Sans MS" bold.
void MakeDialogTitle(TForm* Form, int Width, const char* Utf8, TShape*& Band, TLabel*& Label);
// A labelled number field inside a group box.
TSpinEdit* MakeDialogSpin(TForm* Form, TWinControl* Parent, const char* Name, const char* LabelUtf8, int Left,
                          int Top, int LabelWidth, int Width, int Min, int Max, int Value);
// The type list's choice for a slot's type name: the last equal entry, else
// the name as text.
void SelectTypeName(TComboBox* Combo, const std::string& Name);
