// The building dialog "Budynek": position, type, stats as percentages of the
// type's maxima, selection flag and group of one placed building.
#pragma once

#include "editor/EditorState.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/Spin.h"
#include "platform/toolkit/StdCtrls.h"

class TForm3 : public TForm {
 public:
  explicit TForm3(TComponent* AOwner);

  TBuildingFields Fields() const;
  void SetFields(const TBuildingFields& Fields);

  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);

  TShape* Shape1 = nullptr;
  TLabel* Label1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TSpinEdit* SpinEdit1 = nullptr;
  TSpinEdit* SpinEdit2 = nullptr;
  TGroupBox* GroupBox3 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TGroupBox* GroupBox4 = nullptr;
  TSpinEdit* SpinEdit3 = nullptr;
  TSpinEdit* SpinEdit4 = nullptr;
  TSpinEdit* SpinEdit5 = nullptr;
  TGroupBox* GroupBox5 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TSpinEdit* SpinEdit6 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TSpeedButton* SpeedButton2 = nullptr;
};

extern TForm3* Form3;
