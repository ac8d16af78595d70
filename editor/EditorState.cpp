#include "editor/EditorState.h"

namespace sandreth {

int ClampMapSide(std::int64_t Value) {
  if (Value < MinMapSide) return MinMapSide;
  if (Value > MapSize) return MapSize;
  return static_cast<int>(Value);
}

}  // namespace sandreth
