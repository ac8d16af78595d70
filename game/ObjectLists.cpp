#include "game/ObjectLists.h"

#include "game/Movement.h"
#include "platform/toolkit/StdCtrls.h"
#include "world/ObjectNames.h"

namespace korvel {

void RefreshUnitLists(TGameState& S, TListBox* ListBox1, TListBox* ListBox2) {
  S.ListRows.clear();
  S.ListUnitCount = 0;
  if (ListBox1) ListBox1->Clear();
  auto add = [&](TObjectKind Kind, int Slot, const TShortString& Name, std::int32_t Number, std::uint8_t Selected) {
    TListRow row{Kind, Slot, ObjectIdentifier(Name, Number)};
    if (ListBox1) {
      const int index = ListBox1->Items()->Add(row.Identifier);
      ListBox1->SetSelected(index, Selected != 0);
    }
    S.ListRows.push_back(std::move(row));
  };
  const int units = LiveUnits(S);
  for (int u = 1; u <= units; ++u) add(okUnit, u, S.Units[u].Name, S.Units[u].Number, S.Units[u].Selected);
  S.ListUnitCount = static_cast<std::int32_t>(S.ListRows.size());
  const int buildings = LiveBuildings(S);
  for (int b = 1; b <= buildings; ++b)
    add(okBuilding, b, S.Buildings[b].Name, S.Buildings[b].Number, S.Buildings[b].Selected);

  if (!ListBox2) return;
  ListBox2->Clear();
  // The visible list holds each selected row's name: the row without its
  // space and number.
  for (int u = 1; u <= units; ++u)
    if (S.Units[u].Selected != 0) ListBox2->Items()->Add(S.Units[u].Name.Text());
  for (int b = 1; b <= buildings; ++b)
    if (S.Buildings[b].Selected != 0) ListBox2->Items()->Add(S.Buildings[b].Name.Text());
}

namespace {

const TListRow* RowAt(const TGameState& S, int Row) {
  if (Row < 0 || Row >= static_cast<int>(S.ListRows.size())) return nullptr;
  return &S.ListRows[static_cast<std::size_t>(Row)];
}

}  // namespace

int RowUnitSlot(const TGameState& S, int Row) {
  const TListRow* row = RowAt(S, Row);
  if (!row || row->Kind != okUnit || row->Slot < 1 || row->Slot > LiveUnits(S)) return 0;
  return ObjectIdentifier(S.Units[row->Slot]) == row->Identifier ? row->Slot : 0;
}

int RowBuildingSlot(const TGameState& S, int Row) {
  const TListRow* row = RowAt(S, Row);
  if (!row || row->Kind != okBuilding || row->Slot < 1 || row->Slot > LiveBuildings(S)) return 0;
  return ObjectIdentifier(S.Buildings[row->Slot]) == row->Identifier ? row->Slot : 0;
}

bool RowSelected(const TGameState& S, const TListBox* ListBox1, int Row) {
  if (!ListBox1 || Row < 0 || Row >= ListBox1->Items()->Count()) return false;
  if (RowUnitSlot(S, Row) == 0 && RowBuildingSlot(S, Row) == 0) return false;
  return ListBox1->Selected(Row);
}

}  // namespace korvel
