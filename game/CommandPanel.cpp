#include "game/CommandPanel.h"

#include "game/Movement.h"
#include "game/ObjectLists.h"
#include "platform/rtl/SysUtils.h"
#include "platform/toolkit/StdCtrls.h"
#include "world/Arith.h"

namespace korvel {

namespace {

int RowCount(const TListBox* ListBox1) { return ListBox1 ? ListBox1->Items()->Count() : 0; }

// Calls OnUnit(slot) / OnBuilding(slot) for every selected row that still
// stands for its object.
template <typename FU, typename FB>
void ForMarkedRows(const TGameState& S, const TListBox* ListBox1, FU&& OnUnit, FB&& OnBuilding) {
  const int rows = RowCount(ListBox1);
  for (int r = 0; r < rows; ++r) {
    if (!RowSelected(S, ListBox1, r)) continue;
    if (const int u = RowUnitSlot(S, r)) OnUnit(u);
    if (const int b = RowBuildingSlot(S, r)) OnBuilding(b);
  }
}

}  // namespace

void SelectMarkedRows(TGameState& S, const TListBox* ListBox1) {
  const int units = LiveUnits(S), buildings = LiveBuildings(S);
  for (int u = 1; u <= units; ++u) S.Units[u].Selected = 0;
  for (int b = 1; b <= buildings; ++b) S.Buildings[b].Selected = 0;
  ForMarkedRows(
      S, ListBox1, [&S](int u) { S.Units[u].Selected = 1; }, [&S](int b) { S.Buildings[b].Selected = 1; });
}

void DeselectMarkedRows(TGameState& S, const TListBox* ListBox1) {
  ForMarkedRows(
      S, ListBox1, [&S](int u) { S.Units[u].Selected = 0; }, [&S](int b) { S.Buildings[b].Selected = 0; });
}

void StopMarkedRows(TGameState& S, const TListBox* ListBox1) {
  S.CommandMode = cmNormal;
  S.SpellName.clear();
  ForMarkedRows(
      S, ListBox1,
      [&S](int u) {
        TUnit& unit = S.Units[u];
        unit.TargetX = unit.X;
        unit.TargetY = unit.Y;
        unit.AttackTarget.Clear();
        unit.BuildName.Clear();
        unit.BuildProgress = 0;
      },
      [&S](int b) {
        TBuilding& building = S.Buildings[b];
        building.AttackTarget.Clear();
        building.TrainUnit.Clear();
        building.TrainProgress = 0;
      });
}

bool ReadGroupNumber(const std::string& Text, std::int32_t& Number) {
  std::int32_t n = 0;
  if (!TryStrToInt(Text, n)) {
    Number = 0;
    return false;
  }
  if (n > 9) n = 9;
  if (n == 0) n = 1;
  Number = n;
  return true;
}

void SetGroup(TGameState& S, std::int32_t Number) {
  const int units = LiveUnits(S), buildings = LiveBuildings(S);
  for (int u = 1; u <= units; ++u) {
    TUnit& unit = S.Units[u];
    if (unit.Group == Number) unit.Group = 0;
    if (unit.Selected == 1) unit.Group = Number;
  }
  for (int b = 1; b <= buildings; ++b) {
    TBuilding& building = S.Buildings[b];
    if (building.Group == Number) building.Group = 0;
    if (building.Selected == 1) building.Group = Number;
  }
}

void CallGroup(TGameState& S, std::int32_t Number) {
  const int units = LiveUnits(S), buildings = LiveBuildings(S);
  for (int u = 1; u <= units; ++u) S.Units[u].Selected = S.Units[u].Group == Number ? 1 : 0;
  for (int b = 1; b <= buildings; ++b) S.Buildings[b].Selected = S.Buildings[b].Group == Number ? 1 : 0;
}

void EnterAttackMode(TGameState& S) {
  if (S.CommandMode != cmPlace) S.CommandMode = cmAttack;
}

bool CentreOnSelectedUnit(TGameState& S) {
  bool any = false;
  const int units = LiveUnits(S);
  for (int u = 1; u <= units; ++u) {
    if (S.Units[u].Selected != 1) continue;
    S.ScrollX = WrapSub(0, S.Units[u].X);
    S.ScrollY = WrapSub(0, S.Units[u].Y);
    any = true;
  }
  return any;
}

void MarkRowsOfSelectedNames(const TGameState& S, TListBox* ListBox1, const TListBox* ListBox2) {
  if (!ListBox1 || !ListBox2) return;
  const int rows = ListBox1->Items()->Count();
  const int units = LiveUnits(S), buildings = LiveBuildings(S);
  for (int r = 0; r < ListBox2->Items()->Count(); ++r) {
    const std::string& name = ListBox2->Items()->Strings(r);
    const bool marked = ListBox2->Selected(r);
    for (int u = 1; u <= units; ++u) {
      const int row = u - 1;
      if (S.Units[u].Selected == 1 && S.Units[u].Name.Equals(name) && row < rows && RowUnitSlot(S, row) == u)
        ListBox1->SetSelected(row, marked);
    }
    for (int b = 1; b <= buildings; ++b) {
      const int row = b - 1 + S.ListUnitCount;
      if (S.Buildings[b].Selected == 1 && S.Buildings[b].Name.Equals(name) && row < rows &&
          RowBuildingSlot(S, row) == b)
        ListBox1->SetSelected(row, marked);
    }
  }
}

}  // namespace korvel
