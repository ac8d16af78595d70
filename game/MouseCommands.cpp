#include "game/MouseCommands.h"

#include <algorithm>

#include "game/HitBoxes.h"
#include "game/Movement.h"
#include "game/SpellCasting.h"
#include "world/Arith.h"
#include "world/MapGeometry.h"
#include "world/ObjectNames.h"

namespace korvel {

namespace {

// Buildings closer than this to the press point keep a site from being chosen.
constexpr std::int32_t SiteClearance = 60;
// The rubber band's margins around the band.
constexpr std::int64_t BandUnitMargin = 12;
constexpr std::int64_t BandBuildingMargin = 30;

std::int32_t ControlToWorld(std::int32_t P, std::int32_t Scroll, std::int32_t Size) {
  const std::int32_t half = Size / 2;
  return WrapSub(WrapSub(WrapSub(WrapSub(P, Scroll), half), SafeMod(WrapSub(Scroll, P), 3)), SafeMod(half, 3));
}

bool UnitUnderCursor(const TGameState& S, const TUnit& U) {
  return InBox(U.X, U.Y, PressUnitHalfX, PressUnitHalfY, S.CursorWorldX, S.CursorWorldY);
}

bool BuildingUnderCursor(const TGameState& S, const TBuilding& B) {
  return InBox(B.X, B.Y, PressBuildingHalf, PressBuildingHalf, S.CursorWorldX, S.CursorWorldY);
}

void ClickSelection(TGameState& S, TShiftState Shift) {
  const bool adding = Shift == TShiftState{ssCtrl};
  const int units = LiveUnits(S), buildings = LiveBuildings(S);
  for (int u = 1; u <= units; ++u) {
    TUnit& unit = S.Units[u];
    if (InBox(unit.X, unit.Y, ClickUnitHalf, ClickUnitHalf, S.CursorWorldX, S.CursorWorldY))
      unit.Selected = 1;
    else if (!adding)
      unit.Selected = 0;
  }
  for (int b = 1; b <= buildings; ++b) {
    TBuilding& building = S.Buildings[b];
    if (InBox(building.X, building.Y, ClickBuildingHalf, ClickBuildingHalf, S.CursorWorldX, S.CursorWorldY))
      building.Selected = 1;
    else if (!adding)
      building.Selected = 0;
  }
}

struct TBand {
  std::int64_t Left, Right, Top, Bottom;
};

bool InBand(const TGameState& S, const TBand& Band, std::int64_t Margin, std::int32_t X, std::int32_t Y) {
  const std::int64_t dx = std::int64_t{S.ScrollX} + S.HalfWidth, dy = std::int64_t{S.ScrollY} + S.HalfHeight;
  return Band.Left - dx - Margin < X && X < Band.Right - dx + Margin && Band.Top - dy - Margin < Y &&
         Y < Band.Bottom - dy + Margin;
}

void BandSelection(TGameState& S, const TBand& Band) {
  const int units = LiveUnits(S), buildings = LiveBuildings(S);
  for (int u = 1; u <= units; ++u)
    if (InBand(S, Band, BandUnitMargin, S.Units[u].X, S.Units[u].Y)) S.Units[u].Selected = 1;
  for (int b = 1; b <= buildings; ++b)
    if (InBand(S, Band, BandBuildingMargin, S.Buildings[b].X, S.Buildings[b].Y)) S.Buildings[b].Selected = 1;
}

void ChooseSite(TGameState& S) {
  const int units = LiveUnits(S), buildings = LiveBuildings(S);
  for (int b = 1; b <= buildings; ++b)
    if (Distance(S.ClickX, S.ClickY, S.Buildings[b].X, S.Buildings[b].Y) < SiteClearance) return;
  S.CommandMode = cmNormal;
  for (int u = 1; u <= units; ++u) {
    TUnit& unit = S.Units[u];
    if (unit.Selected != 0 && !unit.BuildName.Empty()) {
      unit.TargetX = S.ClickX;
      unit.TargetY = S.ClickY;
    }
  }
}

}  // namespace

std::int32_t ControlToWorldX(const TGameState& S, int X, int Width) { return ControlToWorld(X, S.ScrollX, Width); }
std::int32_t ControlToWorldY(const TGameState& S, int Y, int Height) { return ControlToWorld(Y, S.ScrollY, Height); }

void AssignAttackTargets(TGameState& S) {
  const int units = LiveUnits(S), buildings = LiveBuildings(S);
  for (int i = 1; i <= units; ++i) {
    if (!UnitUnderCursor(S, S.Units[i])) continue;
    const TShortString id = StoredIdentifier(S.Units[i]);
    for (int j = 1; j <= units; ++j)
      if (j != i && S.Units[j].Selected == 1) S.Units[j].AttackTarget = id;
  }
  for (int b = 1; b <= buildings; ++b) {
    if (!BuildingUnderCursor(S, S.Buildings[b])) continue;
    const TShortString id = StoredIdentifier(S.Buildings[b]);
    for (int j = 1; j <= units; ++j)
      if (S.Units[j].Selected == 1) S.Units[j].AttackTarget = id;
  }
  for (int i = 1; i <= units; ++i) {
    if (!UnitUnderCursor(S, S.Units[i])) continue;
    const TShortString id = StoredIdentifier(S.Units[i]);
    for (int j = 1; j <= buildings; ++j)
      if (S.Buildings[j].Selected == 1) S.Buildings[j].AttackTarget = id;
  }
  for (int i = 1; i <= buildings; ++i) {
    if (!BuildingUnderCursor(S, S.Buildings[i])) continue;
    const TShortString id = StoredIdentifier(S.Buildings[i]);
    for (int j = 1; j <= buildings; ++j)
      if (j != i && S.Buildings[j].Selected == 1) S.Buildings[j].AttackTarget = id;
  }
}

void MousePress(TGameState& S, TMouseButton Button, int X, int Y, int Width, int Height, const TSoundSink& Sound) {
  S.ClickX = Snap3(ControlToWorldX(S, X, Width));
  S.ClickY = Snap3(ControlToWorldY(S, Y, Height));
  const int units = LiveUnits(S), buildings = LiveBuildings(S);

  if (Button == mbLeft) {
    if (S.CommandMode == cmAttack) {
      for (int u = 1; u <= units; ++u) {
        TUnit& unit = S.Units[u];
        if (unit.Selected != 1) continue;
        unit.AttackTarget.Clear();
        unit.TargetX = S.ClickX;
        unit.TargetY = S.ClickY;
      }
      for (int b = 1; b <= buildings; ++b)
        if (S.Buildings[b].Selected == 1) S.Buildings[b].AttackTarget.Clear();
      AssignAttackTargets(S);
    } else {
      S.DragStartX = X;
      S.DragStartY = Y;
    }
    S.Dragging = 1;
  } else if (Button == mbRight) {
    if (Sound) Sound(sndPosition);
    S.MarkerTicks = 16;
    for (int u = 1; u <= units; ++u) {
      TUnit& unit = S.Units[u];
      if (unit.Selected != 1 || unit.BuildProgress != 0 || !unit.BuildName.Empty()) continue;
      unit.AttackTarget.Clear();
      unit.TargetX = S.ClickX;
      unit.TargetY = S.ClickY;
      SnapOntoGrid(S, unit);
    }
    for (int b = 1; b <= buildings; ++b)
      if (S.Buildings[b].Selected == 1) S.Buildings[b].AttackTarget.Clear();
    AssignAttackTargets(S);
  }
}

void MouseRelease(TGameState& S, TMouseButton Button, TShiftState Shift, int X, int Y, int Width, int Height,
                  const TSoundSink& Sound) {
  S.Dragging = 0;
  S.CursorWorldX = ControlToWorldX(S, X, Width);
  S.CursorWorldY = ControlToWorldY(S, Y, Height);
  if (Button != mbLeft) return;

  const bool beganNormal = S.CommandMode == cmNormal;
  TBand band{};
  if (beganNormal) {
    ClickSelection(S, Shift);
    band = TBand{std::min(S.DragStartX, X), std::max(S.DragStartX, X), std::min(S.DragStartY, Y),
                 std::max(S.DragStartY, Y)};
  }
  if (S.CommandMode == cmSpell) CastSpell(S, Sound);
  if (Sound) Sound(sndPosition);
  if (S.CommandMode == cmPlace) ChooseSite(S);
  if (beganNormal) BandSelection(S, band);
  if (S.CommandMode == cmAttack) S.CommandMode = cmNormal;
}

bool MouseMoveOver(TGameState& S, int X, int Y, int Width, int Height) {
  S.MouseX = X;
  S.MouseY = Y;
  // The cell whose ground diamond the scene draws under the pointer, at the
  // scroll position and the size of this control.
  const TMapCell cell = GroundCellUnderPoint(X, Y, S.ScrollX, S.ScrollY, Width, Height);
  if (!OnMap(cell, S.Map.UsedRows(), S.Map.UsedCols())) return false;
  S.HoverRow = static_cast<std::int32_t>(cell.Row);
  S.HoverCol = static_cast<std::int32_t>(cell.Col);
  return true;
}

std::string HoverCaption(const TGameState& S) {
  return "X: " + std::to_string(S.HoverRow) + ", Y: " + std::to_string(S.HoverCol);
}

}  // namespace korvel
