// Inside the joystick layer: the system's sticks through SDL2, and the play
// timer that tells whether an effect still runs when the device cannot say.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/win/Joystick.h"

// Starts SDL's joystick (and haptic) subsystems on first call, pumps their
// state and appends the attached sticks in SDL's order. Nothing when SDL
// cannot start.
void SdlSticksRefresh(std::vector<std::shared_ptr<TStick>>& sticks);
bool SdlSticksStarted();

// Play time of one effect on the injectable clock: runs from Start for the
// start delay plus Iterations times its duration (or forever).
class TStickEffectTimer {
 public:
  void Start(const TStickEffect& effect, DWORD iterations);
  void Stop() { FRunning = false; }
  bool Playing(const TStickEffect& effect) const;

 private:
  bool FRunning = false;
  std::int64_t FStart = 0;
  DWORD FIterations = 0;
};
