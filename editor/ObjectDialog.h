// What the unit and building dialogs share: the title band, the "Pozycja"
// box with X and Y, the type list, the "Statystyki" box with life, attack
// and defence, the "Gra" box with the activity flag and the group number,
// "OK" and "Anuluj". Showing the dialog to create or to edit a slot, writing
// the slot on OK (or telling the user why not), and resetting the fields on
// Anuluj work the same for both; each dialog adds its own fields and names
// its table. The main window hands itself over when it shows the dialog: the
// dialog works on its state and refreshes its lists.
#pragma once

#include <string>

#include "editor/PlacedObjects.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/Spin.h"
#include "platform/toolkit/StdCtrls.h"

namespace sandreth {

class TForm1;

class TObjectDialog : public TForm {
 public:
  TShape* Shape1 = nullptr;
  TLabel* Label1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;  // "Pozycja"
  TSpinEdit* SpinEdit1 = nullptr;  // X
  TSpinEdit* SpinEdit2 = nullptr;  // Y
  TGroupBox* GroupBox3 = nullptr;  // the type
  TComboBox* ComboBox1 = nullptr;
  TGroupBox* GroupBox4 = nullptr;        // "Statystyki"
  TGroupBox* GroupBox5 = nullptr;        // "Gra"
  TCheckBox* CheckBox1 = nullptr;        // "Aktywność"
  TSpeedButton* SpeedButton1 = nullptr;  // "OK"
  TSpeedButton* SpeedButton2 = nullptr;  // "Anuluj"

  // "Utwórz": a new object of the type chosen in Types (the main window's
  // type list), with the fields as the last use left them. With every slot
  // taken the user is told so and the dialog does not open.
  void ShowToCreate(TForm1* MainWindow, TComboBox* Types);
  // "Edytuj": slot Slot's values in the fields, the type list from Types.
  // Slot 0 (an entry whose object is gone) opens nothing.
  void ShowToEdit(TForm1* MainWindow, int Slot, TComboBox* Types);

  // "OK": writes the slot and closes, or tells the user why not and stays.
  void SpeedButton1Click(TObject* Sender);
  // "Anuluj": closes, then sets every field back to its start value.
  void SpeedButton2Click(TObject* Sender);

 protected:
  // The refusals, UTF-8: OK with no type name / every slot taken.
  TObjectDialog(TComponent* AOwner, const char* NoTypeUtf8, const char* FullUtf8);

  // The parts, made in the order the dialog's stored data lists them, within
  // the dialog's loading pass (LoadForm).
  void MakeFrame(const char* Name, const char* Title, TFormBorderStyle Border, int Width, int Height);
  TGroupBox* MakeGroup(const char* Name, const char* Utf8, int Left, int Top, int Width, int Height);
  // A labelled number field inside a group box.
  TSpinEdit* MakeSpin(TWinControl* Parent, const char* Name, const char* LabelUtf8, int Left, int Top, int LabelWidth,
                      int Width, int Min, int Max, int Value);
  void MakePosition(int Width, int LabelWidth, int SpinWidth);
  void MakeTypeList(const char* CaptionUtf8);
  void MakeStatistics();
  // A percentage of the statistics box, 1 to 100.
  TSpinEdit* MakeStat(const char* Name, const char* LabelUtf8, int Left, int Top);
  // The "Gra" box; returns the group number field.
  TSpinEdit* MakeGame(int Height, int CheckTop, const char* GroupName, int GroupTop);
  void MakeButtons(int Top, int Width);

  // The fields both dialogs have, read and shown. The statistics fields are
  // the dialog's own; it names them in Life, Attack, Defense and Group.
  void ReadCommon(TObjectFields& Fields) const;
  void ShowCommon(const TObjectFields& Fields);
  TSpinEdit* Life = nullptr;
  TSpinEdit* Attack = nullptr;
  TSpinEdit* Defense = nullptr;
  TSpinEdit* Group = nullptr;

  // The table the dialog writes: its objects and its size.
  virtual int Count(const TEditorState& State) const = 0;
  virtual int Capacity() const = 0;
  // Writes the fields into slot EditIndex (0: a new one); the slot, or 0.
  virtual int WriteSlot(TEditorState& State) = 0;
  // The main window's list of placed objects, rebuilt.
  virtual void RefreshList() = 0;
  // The main window that showed the dialog.
  TForm1* Main() const { return FMain; }
  // Shows slot Slot's values in the fields.
  virtual void ShowSlot(const TEditorState& State, int Slot) = 0;
  // Sets the dialog's own fields back to their start values.
  virtual void ResetOwnFields() {}

 private:
  TForm1* FMain = nullptr;
  std::string FNoType, FFull;
  int FBoxWidth = 0;
};

// The type list's choice for a slot's type name: the last equal entry, else
// the name as text.
void SelectTypeName(TComboBox* Combo, const std::string& Name);

}  // namespace sandreth
