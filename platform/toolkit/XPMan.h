// The visual-styles component: placing it on a form declares that the program
// takes the system's current visual style for its controls. Qt draws every
// widget in the platform's style already, so the component does nothing.
#pragma once

#include "platform/toolkit/Component.h"

class TXPManifest : public TComponent {
 public:
  explicit TXPManifest(TComponent* AOwner) : TComponent(AOwner) {}
};
