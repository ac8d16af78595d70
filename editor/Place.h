// Makes a control the way the windows' stored data would: owned by the
// window, named, in its parent, at its bounds.
#pragma once

#include "platform/toolkit/Controls.h"

template <class T>
T* Place(TComponent* Owner, const char* Name, TWinControl* Parent, int Left, int Top, int Width, int Height) {
  auto* c = new T(Owner);
  c->SetName(Name);
  c->SetParent(Parent);
  c->SetBounds(Left, Top, Width, Height);
  return c;
}
