// The tick's own simulation steps over the game state: the tick counter and
// mana, training, construction, scrolling by the input states, follow mode
// and the cursor's world position. Each works on the state alone, so the
// tick and the tests call the same code.
#pragma once

#include <cstdint>

#include "game/Combat.h"
#include "game/GameState.h"
#include "input_sound/DXInput.h"
#include "platform/win/Types.h"

namespace korvel {

// Progress added per tick to training and construction: 10 while the
// speed-up code is the code entered last, else 1.
std::int32_t ProgressStep(const TGameState& Game);

// Tick := (Tick + 1) mod 1000; on ticks 1, 51, ..., 951 every unit whose
// type is of class 2 gains one mana (the cap comes later in the tick).
void AdvanceTickAndMana(TGameState& Game);

// Buildings with training under way advance; a training that reaches its
// type's time adds the unit in the next slot, a few pixels below and right
// of the building. With the unit table full the training waits, holding its
// progress, until a slot frees.
void AdvanceTraining(TGameState& Game, const TSoundSink& Sound);
// Builders standing on their target advance (not while a building is being
// placed); a construction that reaches its type's time adds the building
// 45 pixels above the builder. With the building table full it waits the
// same way.
void AdvanceConstruction(TGameState& Game, const TSoundSink& Sound);

// Scrolls by half the lag count for each held direction.
void ScrollByInput(TGameState& Game, const TInputStates& States, std::int32_t LagCount);

// With Follow set, the view centres on the selected unit in the highest slot.
void FollowSelected(TGameState& Game, bool Follow);

// The cursor's world position from a point in the drawing control's own
// coordinates on a control of the given size; equal to what a mouse release
// at that point stores.
void SetCursorWorld(TGameState& Game, POINT ControlPoint, int ControlWidth, int ControlHeight);

}  // namespace korvel
