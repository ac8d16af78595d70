// The building dialog "Budynek": position, type, stats as percentages of the
// type's maxima, selection flag and group of one placed building.
#pragma once

#include "editor/ObjectDialog.h"

namespace sandreth {

class TForm3 : public TObjectDialog {
 public:
  explicit TForm3(TComponent* AOwner);

  TBuildingFields Fields() const;
  void SetFields(const TBuildingFields& Fields);

  TSpinEdit* SpinEdit3 = nullptr;
  TSpinEdit* SpinEdit4 = nullptr;
  TSpinEdit* SpinEdit5 = nullptr;
  TSpinEdit* SpinEdit6 = nullptr;

 protected:
  int Count(const TEditorState& State) const override { return State.BuildingCount; }
  int Capacity() const override { return MaxBuildings; }
  int WriteSlot(TEditorState& State) override { return WriteBuilding(State, Fields()); }
  void RefreshList() override;
  void ShowSlot(const TEditorState& State, int Slot) override { SetFields(BuildingFieldsOf(State, Slot, Fields())); }
};

extern TForm3* Form3;

}  // namespace sandreth
