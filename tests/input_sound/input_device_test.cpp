#include <climits>

#include "input_fixture.h"

namespace {

using JoystickDevice = InputFixture;
using DeviceBase = InputFixture;

TEST(ScaleJoystickAxisTable, ScalesAroundTheMiddleOfTheAxis) {
  struct Case {
    std::int32_t Position, Max, Min, DeadZone, Range, Expected;
  } cases[] = {
      // A multimedia axis 0..65535 with dead zone 50 and range 1000.
      {49151, 65535, 0, 50, 1000, 0},  // P = 16384, D = 16383: MulDiv(1, 1000, 16384)
      {65535, 65535, 0, 50, 1000, 1000},
      {0, 65535, 0, 50, 1000, -1000},
      {32767, 65535, 0, 50, 1000, 0},
      {40000, 65535, 0, 50, 1000, 0},  // inside the dead zone
      {57344, 65535, 0, 0, 1000, 750},
      {8192, 65535, 0, 0, 1000, -750},
      // Dead zone 100: Half - D is 0, the axis always reads 0.
      {65535, 65535, 0, 100, 1000, 0},
      {0, 65535, 0, 100, 1000, 0},
      // The centre is Min + Half, also when Min is not 0.
      {0, 32767, -32768, 0, 1000, 0},
      {32767, 32767, -32768, 0, 1000, 1000},
      {-32768, 32767, -32768, 0, 1000, -1000},
      {1000, 1100, 1000, 0, 100, -100},
      {1100, 1100, 1000, 0, 100, 100},
      // The whole 32-bit span neither overflows nor wraps.
      {INT_MAX, INT_MAX, INT_MIN, 0, INT_MAX, INT_MAX},
      {INT_MIN, INT_MAX, INT_MIN, 0, INT_MAX, -INT_MAX},
      {INT_MAX, INT_MAX, INT_MIN, 50, 1000, 1000},
      {0, 0, 0, 0, 1000, 0},  // an axis without span
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaleJoystickAxis(c.Position, c.Max, c.Min, c.DeadZone, c.Range), c.Expected)
        << c.Position << " in " << c.Min << ".." << c.Max << " dz " << c.DeadZone << " range " << c.Range;
}

TEST_F(JoystickDevice, DefaultsAndTheClampsOfDeadZonesAndRanges) {
  TDXInput* input = MakeInput(Main);
  TJoystick* stick = input->Joystick();
  EXPECT_TRUE(stick->AutoCenter());
  EXPECT_EQ(stick->ID(), 0);
  EXPECT_EQ(stick->DeadZoneX(), 50);
  EXPECT_EQ(stick->DeadZoneY(), 50);
  EXPECT_EQ(stick->DeadZoneZ(), 50);
  EXPECT_EQ(stick->RangeX(), 1000);
  EXPECT_EQ(stick->GetRange(12), 0);
  stick->SetDeadZone(32, 40);
  EXPECT_EQ(stick->GetDeadZone(32), -1) << "the first hat never takes a dead zone";
  stick->SetRange(32, 40);
  EXPECT_EQ(stick->GetRange(32), -1);
  stick->SetDeadZoneX(150);
  EXPECT_EQ(stick->DeadZoneX(), 100);
  stick->SetDeadZoneX(-3);
  EXPECT_EQ(stick->DeadZoneX(), 0);
  stick->SetRangeY(-5);
  EXPECT_EQ(stick->RangeY(), 0);
  for (int ofs : {-1, 271, 272, 1000}) {
    stick->SetDeadZone(ofs, 10);
    EXPECT_EQ(stick->GetDeadZone(ofs), 0) << ofs;
  }
  EXPECT_FALSE(stick->Initialized()) << "no joystick attached";
}

TEST_F(JoystickDevice, ReadsTheStickThroughDirectInputWithItsRangesAndDeadZones) {
  DWORD id = AddStick(6);
  TDXInput* input = MakeInput(Main);
  TJoystick* stick = input->Joystick();
  ASSERT_TRUE(stick->Initialized());
  ASSERT_NE(stick->Device2(), nullptr);
  EXPECT_EQ(stick->ButtonCount(), 6);
  EXPECT_EQ(stick->DeadZoneX(), 50);
  EXPECT_EQ(stick->GetDeadZone(1), -1) << "no object at offset 1";
  VirtualJoystickSetAxis(id, 0, 32767);
  VirtualJoystickSetAxis(id, 1, 8000);  // inside the 50 % dead zone
  VirtualJoystickSetButton(id, 5, true);
  input->Update();
  EXPECT_EQ(stick->Joystate().lX, 1000);
  EXPECT_EQ(stick->Joystate().lY, 0);
  EXPECT_TRUE(input->States.Contains(stRight));
  EXPECT_FALSE(input->States.Contains(stDown));
  EXPECT_TRUE(input->States.Contains(stButton6));
}

TEST_F(JoystickDevice, TheMultimediaFallbackScalesAxesAndStopsAt32Buttons) {
  DWORD id = AddStick(40);
  auto* input = new TDXInput(Main);
  input->BeginLoading();
  input->SetUseDirectInput(false);
  input->Loaded();
  TJoystick* stick = input->Joystick();
  ASSERT_TRUE(stick->Initialized());
  ASSERT_EQ(stick->JoyNumber(), 0);
  JOYCAPSA caps{};
  ASSERT_EQ(joyGetDevCapsA(0, &caps, sizeof(caps)), JOYERR_NOERROR);
  EXPECT_EQ(stick->ButtonCount(), static_cast<int>(caps.wNumButtons));
  VirtualJoystickSetAxis(id, 0, -32768);
  VirtualJoystickSetAxis(id, 1, 32767);
  VirtualJoystickSetButton(id, 31, true);
  VirtualJoystickSetButton(id, 33, true);  // reported as bit 1 by a wrapping loop
  input->Update();
  EXPECT_EQ(stick->Joystate().lX, -1000);
  EXPECT_EQ(stick->Joystate().lY, 1000);
  EXPECT_TRUE(input->States.Contains(stLeft));
  EXPECT_TRUE(input->States.Contains(stDown));
  EXPECT_TRUE(input->States.Contains(stButton32));
  EXPECT_FALSE(input->States.Contains(stButton2));
  for (int i = 32; i < 128; ++i) EXPECT_EQ(stick->Joystate().rgbButtons[i], 0) << i;
}

TEST_F(JoystickDevice, ARefusedRangeIsReportedButTheFallbackScalesWithTheConfiguredOne) {
  DWORD id = AddStick();
  DInputTest::RejectPropertyAt(DIPROP_RANGE, DIJOFS_X, DIERR_UNSUPPORTED);
  DInputTest::RejectPropertyAt(DIPROP_DEADZONE, DIJOFS_X, DIERR_UNSUPPORTED);
  TDXInput* input = MakeInput(Main);
  TJoystick* stick = input->Joystick();
  ASSERT_TRUE(stick->Initialized());
  EXPECT_EQ(stick->RangeX(), -1);
  EXPECT_EQ(stick->DeadZoneX(), -1);
  EXPECT_EQ(stick->RangeY(), 1000);
  input->SetUseDirectInput(false);
  ASSERT_EQ(stick->Device(), nullptr);
  VirtualJoystickSetAxis(id, 0, 32767);
  input->Update();
  EXPECT_EQ(stick->Joystate().lX, 1000) << "range 1000, not -1";
  EXPECT_TRUE(input->States.Contains(stRight));
  EXPECT_EQ(stick->RangeX(), 1000);
  // With DirectInput again the device refuses once more.
  input->SetUseDirectInput(true);
  EXPECT_EQ(stick->RangeX(), -1);
}

TEST_F(JoystickDevice, AStickWithoutTheSecondInterfaceStaysClosedAndRaisesNothing) {
  DWORD id = AddStick();
  DInputTest::SetSecondInterfaceMissing(TDInputDeviceKind::Joystick, true);
  TDXInput* input = nullptr;
  ASSERT_NO_THROW(input = MakeInput(Main));
  TJoystick* stick = input->Joystick();
  EXPECT_FALSE(stick->Initialized());
  EXPECT_EQ(stick->Device(), nullptr);
  VirtualJoystickSetButton(id, 0, true);
  input->Update();
  EXPECT_TRUE(input->States.Empty());
  EXPECT_TRUE(input->Keyboard()->Initialized()) << "the other devices go on";
}

TEST_F(JoystickDevice, AnIDBeyondTheAttachedSticksReadsNothing) {
  DWORD id = AddStick();
  TDXInput* input = MakeInput(Main);
  TJoystick* stick = input->Joystick();
  stick->SetID(1);
  EXPECT_FALSE(stick->Initialized()) << "with DirectInput";
  input->SetUseDirectInput(false);
  EXPECT_TRUE(stick->Initialized()) << "without DirectInput";
  EXPECT_EQ(stick->JoyNumber(), -1);
  VirtualJoystickSetButton(id, 0, true);
  input->Update();
  EXPECT_TRUE(input->States.Empty());
  stick->SetID(0);
  EXPECT_EQ(stick->JoyNumber(), 0);
  input->Update();
  EXPECT_TRUE(input->States.Contains(stButton1));
}

TEST_F(JoystickDevice, TheSecondStickIsReadByID1) {
  AddStick();
  DWORD second = AddStick();
  auto* input = new TDXInput(Main);
  input->BeginLoading();
  input->Joystick()->SetID(1);
  input->Loaded();
  ASSERT_TRUE(input->Joystick()->Initialized());
  VirtualJoystickSetButton(second, 2, true);
  input->Update();
  EXPECT_TRUE(input->States.Contains(stButton3));
}

TEST_F(JoystickDevice, AutoCenterGoesToTheDevice) {
  DWORD id = AddStick(4, true);
  TDXInput* input = MakeInput(Main);
  VirtualJoystickClearEvents(id);
  input->Joystick()->SetAutoCenter(false);
  auto events = VirtualJoystickEvents(id);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().Op, TVirtualEffectEvent::AutoCenter);
  EXPECT_FALSE(events.back().On);
}

TEST_F(DeviceBase, EnabledAndForceFeedbackOnlyStoreWhileLoading) {
  AddStick();
  auto* input = new TDXInput(Main);
  input->BeginLoading();
  input->Keyboard()->SetEnabled(false);
  input->Keyboard()->SetEnabled(true);
  EXPECT_FALSE(input->Keyboard()->Initialized()) << "nothing opens while loading";
  input->Loaded();
  EXPECT_TRUE(input->Keyboard()->Initialized());
  input->Keyboard()->SetEnabled(false);
  EXPECT_FALSE(input->Keyboard()->Initialized());
  EXPECT_EQ(input->Keyboard()->ButtonCount(), 0);
  input->Joystick()->SetForceFeedback(true);
  EXPECT_TRUE(input->Joystick()->Initialized()) << "re-initialised at once";
}

TEST_F(DeviceBase, ADesignedComponentOpensNothing) {
  AddStick();
  auto* input = new TDXInput(Main);
  input->SetDesigning(true);
  input->BeginLoading();
  input->Mouse()->SetEnabled(true);
  ASSERT_NO_THROW(input->Loaded());
  EXPECT_EQ(input->DInput(), nullptr);
  EXPECT_FALSE(input->Joystick()->Initialized());
  EXPECT_FALSE(input->Keyboard()->Initialized());
  EXPECT_FALSE(input->Mouse()->Initialized());
}

}  // namespace
