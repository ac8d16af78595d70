#include "platform/toolkit/ProgramMain.h"

#include "platform/toolkit/Forms.h"

int RunProgram(const std::string& Title, const std::function<void()>& CreateForms) {
  TApplication app;
  app.SetTitle(Title);
  try {
    CreateForms();
  } catch (...) {
    app.HandleException(&app);
    return 1;
  }
  app.Run();
  return 0;
}
