#include "tests/support/ProgramRun.h"

#include <gtest/gtest.h>

#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/dinput/DInput.h"
#include "platform/dinput/DInputTest.h"
#include "platform/dsound/DSound.h"
#include "platform/dsound/DSoundTest.h"
#include "platform/rtl/Cp1250.h"
#include "platform/win/KeyState.h"
#include "platform/win/Modules.h"
#include "platform/win/Time.h"

TProgramRun::TProgramRun(const std::string& Title) {
  UseManualClock(0);
  SetTimeGetTimeOffset(0);
  RegisterDDrawModules();
  RegisterDInputModule();
  RegisterDSoundModule();
  ResetDDrawEmulation();
  DInputTest::Reset();
  DSoundTest::Reset();
  DSoundTest::SetManualClock(true);
  FApp = std::make_unique<TApplication>();
  FApp->SetTitle(Title);
  FDriver = std::make_unique<TTestDriver>();
  FDriver->SetFailureHandler([](const std::string& Text) { ADD_FAILURE() << Cp1250ToUtf8(Text); });
  FControls = std::make_unique<TControlsDriver>(*FDriver);
}

TProgramRun::~TProgramRun() {
  FControls.reset();
  FApp.reset();  // the forms and their components go while the driver still answers
  FDriver.reset();
  KeyStateReleaseAll();
  DSoundTest::Reset();
  DInputTest::Reset();
  ResetDDrawEmulation();
  ModuleRegistry::ResetCounters();
  SetTimeGetTimeOffset(0);
  UseRealClock();
}

void TProgramRun::Start(const std::function<void()>& CreateForms) { CreateForms(); }

std::vector<std::int16_t> TProgramRun::RenderSound(int Frames) {
  std::vector<std::int16_t> out(static_cast<std::size_t>(Frames) * 2);
  DSoundTest::Render(out.data(), Frames);
  return out;
}
