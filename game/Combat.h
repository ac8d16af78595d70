// The four combat passes of the tick: unit against unit (A), building
// against unit (B), unit against building (C), building against building
// (D), run in that order by RunCombat. An object fights the object its
// AttackTarget names; the attacker's type gives range and interval, and a
// strike lands on ticks where Tick mod AttackInterval = 1, the remainder
// taking the sign of the tick (an interval of 0 never strikes). Objects whose hit points reach 0 are removed when
// a pass visits them as its outer object. Sounds go to the sink by their
// wave index (sndWarrior ... sndBoom); an empty sink keeps the passes silent.
#pragma once

#include <functional>

#include "game/GameState.h"

namespace korvel {

using TSoundSink = std::function<void(int WaveIndex)>;

void RunCombat(TGameState& S, const TSoundSink& Sound);

// The passes one by one, as RunCombat calls them.
void RunUnitsAgainstUnits(TGameState& S, const TSoundSink& Sound);
void RunBuildingsAgainstUnits(TGameState& S, const TSoundSink& Sound);
void RunUnitsAgainstBuildings(TGameState& S, const TSoundSink& Sound);
void RunBuildingsAgainstBuildings(TGameState& S, const TSoundSink& Sound);

// Whether a strike lands on this tick for that interval.
bool StrikesOnTick(std::int32_t Tick, std::int32_t AttackInterval);

}  // namespace korvel
