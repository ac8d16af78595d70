// The unit dialog "Jednostka": position, target, type, stats as percentages
// of the type's maxima, selection flag and group of one placed unit.
#pragma once

#include "editor/ObjectDialog.h"

namespace sandreth {

class TForm2 : public TObjectDialog {
 public:
  explicit TForm2(TComponent* AOwner);

  // The fields as they stand / set from a slot's values.
  TUnitFields Fields() const;
  void SetFields(const TUnitFields& Fields);

  TGroupBox* GroupBox2 = nullptr;  // "Poruszanie"
  TSpinEdit* SpinEdit3 = nullptr;
  TSpinEdit* SpinEdit4 = nullptr;
  TSpinEdit* SpinEdit5 = nullptr;
  TSpinEdit* SpinEdit6 = nullptr;
  TSpinEdit* SpinEdit7 = nullptr;
  TSpinEdit* SpinEdit8 = nullptr;
  TSpinEdit* SpinEdit9 = nullptr;

 protected:
  int Count(const TEditorState& State) const override { return State.UnitCount; }
  int Capacity() const override { return MaxUnits; }
  int WriteSlot(TEditorState& State) override { return WriteUnit(State, Fields()); }
  void RefreshList() override;
  void ShowSlot(const TEditorState& State, int Slot) override { SetFields(UnitFieldsOf(State, Slot, Fields())); }
  void ResetOwnFields() override;
};

extern TForm2* Form2;

}  // namespace sandreth
