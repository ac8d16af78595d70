// Building a window in code the way its stored data builds it when read: each
// component is made by its owner, named and put into the loading state, then
// its properties are set; once every component is there, loading ends for
// each of them in creation order and then for the window itself.
#pragma once

#include <functional>
#include <string>

#include "platform/toolkit/Component.h"
#include "platform/toolkit/Controls.h"

// A component of class T owned by Owner and named Name, loading until the
// loading pass of its form ends.
template <class T>
T* MakeComponent(TComponent* Owner, const std::string& Name) {
  T* c = new T(Owner);
  c->BeginLoading();
  c->SetName(Name);
  return c;
}

// A control made as above, in Parent at the given bounds.
template <class T>
T* MakeComponent(TComponent* Owner, const std::string& Name, TWinControl* Parent, int Left, int Top, int Width,
                 int Height) {
  T* c = MakeComponent<T>(Owner, Name);
  c->SetParent(Parent);
  c->SetBounds(Left, Top, Width, Height);
  return c;
}

// The loading pass of Form: Form goes into the loading state, SetProperties
// sets its properties and makes its components (with MakeComponent), then
// Loaded runs on each component Form owns, in creation order, and on Form.
void LoadForm(TComponent* Form, const std::function<void()>& SetProperties);
