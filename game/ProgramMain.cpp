#include "game/ProgramMain.h"

#include <memory>

#include "game/Form1.h"
#include "game/Form2.h"
#include "game/Form3.h"
#include "game/Form4.h"
#include "game/Form5.h"
#include "game/Form6.h"
#include "platform/ddraw/DDraw.h"
#include "platform/dinput/DInput.h"
#include "platform/dsound/DSound.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/ProgramMain.h"

namespace korvel {

void RegisterGameModules() {
  RegisterDDrawModules();
  RegisterDInputModule();
  RegisterDSoundModule();
}

void CreateGameForms() {
  Application->SetTitle("Brask Engine");
  Application->CreateForm(Form1);
  Application->CreateForm(Form2);
  Application->CreateForm(Form3);
  Application->CreateForm(Form4);
  Application->CreateForm(Form5);
  Application->CreateForm(Form6);
}

int RunGame() {
  try {
    CreateGameForms();
  } catch (...) {
    Application->HandleException(nullptr);
    return 1;
  }
  Application->Run();
  return 0;
}

int ProgramMain() {
  return GuardedStart("Brask Engine", [] {
    RegisterGameModules();
    auto application = std::make_unique<TApplication>();
    if (!StartResourcesReady("Brask Engine")) return 1;
    return RunGame();
  });
}

}  // namespace korvel
