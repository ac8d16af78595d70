// Shared set-up of the input component tests: an application with a test
// driver, a shown main form that is the foreground window, the DirectInput
// stand-in registered as "DInput.dll", only virtual joysticks, no injected
// failures, and a check that every stand-in object was released.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "input_sound/DXInput.h"
#include "input_sound/ForceFeedback.h"
#include "input_sound/InputDevice.h"
#include "input_sound/Keyboard.h"
#include "platform/dinput/DInputTest.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/Joystick.h"
#include "platform/win/KeyState.h"
#include "platform/win/Modules.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

class InputFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterDInputModule();
    ModuleRegistry::ResetCounters();
    DInputTest::Reset();
    VirtualJoystickRemoveAll();
    JoystickSetSystemSticksEnabled(false);
    KeyStateReleaseAll();
    MouseStateTake(nullptr, nullptr, nullptr);
    UseManualClock(0);
    ASSERT_EQ(DInputTest::LiveObjects(), 0);
    ASSERT_EQ(DirectInputSharedCount(), 0);
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    App->CreateForm(Main);
    Main->SetBounds(0, 0, 200, 100);
    Main->Show();
    Driver->Pump(2);
  }

  void TearDown() override {
    Driver.reset();
    App.reset();  // frees the forms and their input components
    EXPECT_EQ(DirectInputSharedCount(), 0);
    EXPECT_EQ(DInputTest::LiveObjects(), 0) << "a stand-in object was not released";
    DInputTest::Reset();
    ModuleRegistry::ResetCounters();
    VirtualJoystickRemoveAll();
    KeyStateReleaseAll();
    UseRealClock();
  }

  // An input component on Form as the window's stored data makes it: the
  // constructor, the stored properties (while loading), then Loaded.
  TDXInput* MakeInput(TCustomForm* Form, bool MouseEnabled = false) {
    auto* input = new TDXInput(Form);
    input->BeginLoading();
    input->Mouse()->SetEnabled(MouseEnabled);
    input->Loaded();
    return input;
  }

  // A virtual joystick with Buttons buttons (and force feedback when asked).
  DWORD AddStick(int Buttons = 4, bool ForceFeedback = false) {
    TVirtualJoystickConfig config;
    config.Buttons = Buttons;
    config.ForceFeedback = ForceFeedback;
    return VirtualJoystickAdd(config);
  }

  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  TForm* Main = nullptr;
};
