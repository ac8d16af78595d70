#include "game/ProgramMain.h"

#include <memory>

#include "game/Form1.h"
#include "game/Form6.h"
#include "platform/ddraw/DDraw.h"
#include "platform/dinput/DInput.h"
#include "platform/dsound/DSound.h"
#include "platform/toolkit/Forms.h"

void RegisterGameModules() {
  RegisterDDrawModules();
  RegisterDInputModule();
  RegisterDSoundModule();
}

void CreateGameForms() {
  Application->SetTitle("Brask Engine");
  Application->CreateForm(Form1);
  // The select, spell, train and build dialogs (TForm2 to TForm5) follow the
  // main window here.
  Application->CreateForm(Form6);
}

int ProgramMain() {
  RegisterGameModules();
  auto application = std::make_unique<TApplication>();
  try {
    CreateGameForms();
  } catch (...) {
    Application->HandleException(nullptr);
    return 1;
  }
  Application->Run();
  return 0;
}
