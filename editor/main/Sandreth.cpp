// Sandreth, the map editor.
#include "editor/Sandreth.h"
#include "platform/ddraw/DDraw.h"
#include "platform/dinput/DInput.h"
#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Forms.h"

int main() {
  RegisterDDrawModules();
  RegisterDInputModule();
  TApplication app;
  try {
    CreateSandrethForms(app);
  } catch (const Exception& e) {
    app.ShowException(e);
    return 1;
  }
  app.Run();
  return 0;
}
