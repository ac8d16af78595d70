#include "game/GameState.h"

namespace korvel {}  // namespace korvel
