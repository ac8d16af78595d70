// The mouse over the game surface turned into commands: the press records the
// world point and gives move and attack orders (right button, or left in
// attack mode), the release selects by click and rubber band, casts a spell
// in spell-target mode and chooses a building site in placement mode, and
// the move finds the hovered map cell. Every point is in the drawing
// control's own coordinates; Width and Height are the control's size.
//
// The band selects only on a release that began in normal mode: a release
// that ends spell-target or placement mode selects nothing by band.
#pragma once

#include <cstdint>
#include <string>

#include "game/Combat.h"
#include "game/GameState.h"
#include "platform/toolkit/Controls.h"

namespace korvel {

// The world point of a control point (not snapped).
std::int32_t ControlToWorldX(const TGameState& S, int X, int Width);
std::int32_t ControlToWorldY(const TGameState& S, int Y, int Height);

// The four attack-target passes at the cursor's world position: each selected
// unit and building aims at the object under the cursor (units 16 x 20,
// buildings 60 x 60; buildings win over units, higher slots over lower),
// never at itself.
void AssignAttackTargets(TGameState& S);

void MousePress(TGameState& S, TMouseButton Button, int X, int Y, int Width, int Height, const TSoundSink& Sound);
// The caller rebuilds the object lists after a left release.
void MouseRelease(TGameState& S, TMouseButton Button, TShiftState Shift, int X, int Y, int Width, int Height,
                  const TSoundSink& Sound);
// Records the pointer and the hovered cell: the cell whose ground diamond is
// drawn under the pointer (elevation left aside). False when no cell of the
// map is drawn there (the hovered cell then stays as it was).
bool MouseMoveOver(TGameState& S, int X, int Y, int Width, int Height);

// The caption of the hovered cell: "X: <row>, Y: <column>".
std::string HoverCaption(const TGameState& S);

}  // namespace korvel
