// Shared set-up of the DirectInput stand-in tests: a fake window system whose
// foreground window the test chooses, no system joysticks, no injected
// failures, and a check that every stand-in object was released.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/dinput/DInput.h"
#include "platform/dinput/DInputTest.h"
#include "platform/win/Joystick.h"
#include "platform/win/KeyState.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

class TFakeWindows : public TWindowBackend {
 public:
  HWND Foreground = nullptr;
  std::vector<HWND> Windows;

  bool IsWindow(HWND hWnd) override {
    for (HWND w : Windows)
      if (w == hWnd) return true;
    return false;
  }
  bool GetClientRect(HWND, RECT*) override { return false; }
  bool ClientToScreen(HWND, POINT*) override { return false; }
  bool ScreenToClient(HWND, POINT*) override { return false; }
  HWND GetForegroundWindow() override { return Foreground; }
  HWND GetActiveWindow() override { return Foreground; }
  bool GetCursorPos(POINT*) override { return false; }
  int ShowCursor(bool) override { return 0; }
  void GetScreenSize(LONG* w, LONG* h) override { *w = 1024, *h = 768; }
  void PresentPixels(HWND, const RECT&, const void*, LONG) override {}
  int MessageBox(HWND, const char*, const char*, UINT) override { return 0; }
};

class DInputFixture : public ::testing::Test {
 protected:
  HWND Main = reinterpret_cast<HWND>(0x1000);
  HWND Other = reinterpret_cast<HWND>(0x2000);
  TFakeWindows Windows;
  IDirectInputA* DI = nullptr;

  void SetUp() override {
    DInputTest::Reset();
    VirtualJoystickRemoveAll();
    JoystickSetSystemSticksEnabled(false);
    KeyStateReleaseAll();
    MouseStateTake(nullptr, nullptr, nullptr);
    Windows.Windows = {Main, Other};
    Windows.Foreground = Main;
    SetWindowBackend(&Windows);
    UseManualClock(0);
    ASSERT_EQ(DInputTest::LiveObjects(), 0);
    ASSERT_EQ(DirectInputCreateA(nullptr, 0x0700, &DI, nullptr), DI_OK);
  }

  void TearDown() override {
    if (DI) DI->Release();
    DI = nullptr;
    EXPECT_EQ(DInputTest::LiveObjects(), 0) << "a stand-in object was not released";
    DInputTest::Reset();
    VirtualJoystickRemoveAll();
    KeyStateReleaseAll();
    SetWindowBackend(nullptr);
    UseRealClock();
  }

  IDirectInputDeviceA* Create(const GUID& guid) {
    IDirectInputDeviceA* d = nullptr;
    EXPECT_EQ(DI->CreateDevice(guid, &d, nullptr), DI_OK);
    return d;
  }

  IDirectInputDevice2A* Second(IDirectInputDeviceA* d) {
    void* p = nullptr;
    EXPECT_EQ(d->QueryInterface(IID_IDirectInputDevice2A, &p), S_OK);
    return static_cast<IDirectInputDevice2A*>(p);
  }

  // The first attached joystick's instance GUID, by enumeration.
  GUID FirstStick() {
    GUID g{};
    DI->EnumDevices(
        DIDEVTYPE_JOYSTICK,
        [](const DIDEVICEINSTANCEA* i, void* ref) -> BOOL {
          *static_cast<GUID*>(ref) = i->guidInstance;
          return DIENUM_STOP;
        },
        &g, DIEDFL_ATTACHEDONLY);
    return g;
  }
};
