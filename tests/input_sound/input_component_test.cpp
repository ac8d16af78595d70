#include <unistd.h>
#include <cstdlib>
#include <string>
#include <vector>

#include "input_fixture.h"

namespace {

using InputComponent = InputFixture;

TEST_F(InputComponent, StatesFollowEdgesOfTheBoundDevicesOverAFrameSequence) {
  DWORD stick = AddStick(8);
  TDXInput* input = MakeInput(Main);
  ASSERT_TRUE(input->Joystick()->Initialized());
  ASSERT_NE(input->Keyboard()->Device(), nullptr);

  enum TAction { Nothing, KeyUpDown, KeyUpUp, StickUp, StickCentre, Consume, CallerAdds, ButtonDown, ButtonUp };
  struct Frame {
    TAction Action;
    bool Up;       // stUp in States after the frame's Update
    bool Button5;  // stButton5 in States
    const char* What;
  } frames[] = {
      {Nothing, false, false, "nothing held"},
      {KeyUpDown, true, false, "up arrow goes down: rising edge"},
      {Nothing, true, false, "held"},
      {Nothing, true, false, "still held"},
      {Consume, false, false, "the caller consumes the press"},
      {Nothing, false, false, "held keys do not bring it back"},
      {KeyUpUp, false, false, "released"},
      {KeyUpDown, true, false, "pressed again: a new press"},
      {StickUp, true, false, "the stick joins: no edge of the union"},
      {KeyUpUp, true, false, "the key goes, the stick still holds it"},
      {StickCentre, false, false, "the last source goes: falling edge"},
      {CallerAdds, false, true, "the caller adds button 5"},
      {Nothing, false, true, "it stays while nothing has an edge"},
      {ButtonDown, false, true, "the stick's button 2 (stButton2) does not touch it"},
      {ButtonUp, false, true, "nor does its release"},
  };
  int n = 0;
  for (const Frame& f : frames) {
    switch (f.Action) {
      case KeyUpDown: Driver->KeyDown(VK_UP); break;
      case KeyUpUp: Driver->KeyUp(VK_UP); break;
      case StickUp: VirtualJoystickSetAxis(stick, 1, -32768); break;
      case StickCentre: VirtualJoystickSetAxis(stick, 1, 0); break;
      case Consume: input->States.Exclude(stUp); break;
      case CallerAdds: input->States.Include(stButton5); break;
      case ButtonDown: VirtualJoystickSetButton(stick, 1, true); break;
      case ButtonUp: VirtualJoystickSetButton(stick, 1, false); break;
      case Nothing: break;
    }
    if (f.Action != Consume && f.Action != CallerAdds) input->Update();
    EXPECT_EQ(input->States.Contains(stUp), f.Up) << "frame " << n << ": " << f.What;
    EXPECT_EQ(input->States.Contains(stButton5), f.Button5) << "frame " << n << ": " << f.What;
    ++n;
  }
  // A state the caller added leaves at the next falling edge of the union.
  VirtualJoystickSetButton(stick, 4, true);  // button 5
  input->Update();
  EXPECT_TRUE(input->States.Contains(stButton5));
  VirtualJoystickSetButton(stick, 4, false);
  input->Update();
  EXPECT_FALSE(input->States.Contains(stButton5));
}

TEST_F(InputComponent, LoadingOpensTheDevicesAndReadsTheFirstFrame) {
  auto* input = new TDXInput(Main);
  EXPECT_FALSE(input->Keyboard()->Initialized()) << "made in code: nothing opens before Loaded";
  EXPECT_EQ(input->DInput(), nullptr);
  input->BeginLoading();
  Driver->KeyDown('H');
  input->Loaded();
  EXPECT_TRUE(input->Keyboard()->Initialized());
  EXPECT_TRUE(input->States.Contains(stLeft)) << "Initialize ends with an Update";
  Driver->KeyUp('H');
  ASSERT_EQ(input->Devices().size(), 3u);
  EXPECT_EQ(input->Devices()[0], input->Joystick());
  EXPECT_EQ(input->Devices()[1], input->Keyboard());
  EXPECT_EQ(input->Devices()[2], input->Mouse());
}

TEST_F(InputComponent, TheStoredMouseIsReadEveryFrameButDoesNotBind) {
  TDXInput* input = MakeInput(Main, true);
  TMouse* mouse = input->Mouse();
  ASSERT_TRUE(mouse->Initialized());
  EXPECT_FALSE(mouse->BindInputStates());
  EXPECT_EQ(mouse->ButtonCount(), 3);
  Driver->MouseMove(Main, 100, 50);
  input->Update();
  Driver->MouseMove(Main, 90, 40);  // left and up
  Driver->Wheel(Main, 120);
  Driver->MouseDown(Main, 90, 40, mbLeft);
  input->Update();
  EXPECT_TRUE(mouse->States().Contains(stLeft));
  EXPECT_TRUE(mouse->States().Contains(stUp));
  EXPECT_FALSE(mouse->States().Contains(stRight));
  EXPECT_FALSE(mouse->States().Contains(stDown));
  EXPECT_TRUE(mouse->States().Contains(stButton1));
  EXPECT_GT(mouse->MouseState().lZ, 0);
  EXPECT_TRUE(input->States.Empty()) << "the mouse does not bind";
  Driver->MouseUp(Main, 90, 40, mbLeft);
  input->Update();
  EXPECT_FALSE(mouse->States().Contains(stButton1));
  EXPECT_FALSE(mouse->States().Contains(stLeft)) << "no motion this frame";
}

TEST_F(InputComponent, ActiveOnlyDropsHeldStatesInTheBackgroundAndTakesThemAgainOnReturn) {
  DWORD stick = AddStick();
  TDXInput* input = MakeInput(Main);
  EXPECT_EQ(input->Joystick()->GetCooperativeFlags(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  VirtualJoystickSetButton(stick, 0, true);
  input->Update();
  ASSERT_TRUE(input->States.Contains(stButton1));
  input->States.Exclude(stButton1);  // consumed while held

  Driver->OtherApplicationActivates();
  ASSERT_NE(GetForegroundWindow(), Main->Handle());
  input->Update();
  EXPECT_TRUE(input->Joystick()->States().Empty());
  EXPECT_FALSE(input->States.Contains(stButton1));
  input->Update();
  EXPECT_FALSE(input->States.Contains(stButton1));

  Driver->OurApplicationActivates();
  Driver->Pump();
  ASSERT_EQ(GetForegroundWindow(), Main->Handle());
  input->Update();
  EXPECT_TRUE(input->States.Contains(stButton1)) << "the held button counts as a new press";
}

TEST_F(InputComponent, WithoutActiveOnlyDevicesReadInTheBackground) {
  DWORD stick = AddStick();
  auto* input = new TDXInput(Main);
  input->BeginLoading();
  input->SetActiveOnly(false);
  input->Loaded();
  EXPECT_EQ(input->Keyboard()->GetCooperativeFlags(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  Driver->OtherApplicationActivates();
  VirtualJoystickSetButton(stick, 2, true);
  input->Update();
  EXPECT_TRUE(input->States.Contains(stButton3));
}

TEST_F(InputComponent, CooperativeFlagsFollowForceFeedbackActiveOnlyAndAutoCenter) {
  struct Case {
    bool StickHasForceFeedback, ForceFeedback, ActiveOnly, AutoCenter;
    DWORD Joystick, Keyboard;
  } cases[] = {
      {false, false, true, true, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND},
      {false, false, false, true, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND},
      {false, true, true, true, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND},
      {true, false, true, true, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND},
      {true, true, true, true, DISCL_EXCLUSIVE | DISCL_FOREGROUND, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND},
      {true, true, false, true, DISCL_EXCLUSIVE | DISCL_BACKGROUND, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND},
      {false, false, false, false, DISCL_EXCLUSIVE | DISCL_FOREGROUND, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND},
      {true, true, false, false, DISCL_EXCLUSIVE | DISCL_FOREGROUND, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND},
  };
  for (const Case& c : cases) {
    VirtualJoystickRemoveAll();
    AddStick(4, c.StickHasForceFeedback);
    auto* input = new TDXInput(Main);
    input->BeginLoading();
    input->SetActiveOnly(c.ActiveOnly);
    input->Joystick()->SetForceFeedback(c.ForceFeedback);
    input->Joystick()->SetAutoCenter(c.AutoCenter);
    input->Loaded();
    SCOPED_TRACE(testing::Message() << "ff device " << c.StickHasForceFeedback << " ff " << c.ForceFeedback
                                    << " active only " << c.ActiveOnly << " auto centre " << c.AutoCenter);
    EXPECT_EQ(input->Joystick()->ForceFeedbackDevice(), c.StickHasForceFeedback);
    EXPECT_EQ(input->Joystick()->GetCooperativeFlags(), c.Joystick);
    EXPECT_EQ(input->Keyboard()->GetCooperativeFlags(), c.Keyboard);
    input->Free();
  }
}

TEST_F(InputComponent, ComponentsShareOneCountedDirectInputObject) {
  TForm* second = nullptr;
  App->CreateForm(second);
  TDXInput* a = MakeInput(Main);
  IDirectInputA* shared = DirectInputShared();
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(DirectInputSharedCount(), 1);
  TDXInput* b = MakeInput(second);
  EXPECT_EQ(DirectInputSharedCount(), 2);
  EXPECT_EQ(a->DInput(), shared);
  EXPECT_EQ(b->DInput(), shared);

  // Initialize takes a new reference after dropping its own.
  a->Initialize();
  EXPECT_EQ(DirectInputSharedCount(), 2);

  b->Free();
  EXPECT_EQ(DirectInputSharedCount(), 1);
  EXPECT_EQ(DirectInputShared(), shared) << "the count keeps the object alive";
  Driver->KeyDown(VK_LEFT);
  a->Update();
  EXPECT_TRUE(a->States.Contains(stLeft)) << "the other component's devices still work";
  Driver->KeyUp(VK_LEFT);

  a->Free();
  EXPECT_EQ(DirectInputSharedCount(), 0);
  EXPECT_EQ(DirectInputShared(), nullptr);
  EXPECT_EQ(DInputTest::LiveObjects(), 0);

  // Releasing an empty reference changes nothing.
  IDirectInputA* none = nullptr;
  DirectInputRelease(none);
  EXPECT_EQ(DirectInputSharedCount(), 0);
}

TEST_F(InputComponent, MissingDirectInputLeavesTheComponentUsable) {
  struct Case {
    const char* What;
    void (*Break)();
  } cases[] = {
      {"no entry point", [] { ModuleRegistry::SetEntryMissing("DInput.dll", "DirectInputCreateA", true); }},
      {"creation fails", [] { DInputTest::SetCreateResult(DIERR_OUTOFMEMORY); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    c.Break();
    TDXInput* input = MakeInput(Main);
    EXPECT_EQ(input->DInput(), nullptr);
    EXPECT_EQ(DirectInputSharedCount(), 0);
    EXPECT_TRUE(input->Keyboard()->Initialized()) << "the keyboard falls back";
    EXPECT_EQ(input->Keyboard()->Device(), nullptr);
    Driver->KeyDown('L');
    input->Update();
    EXPECT_TRUE(input->States.Contains(stRight));
    Driver->KeyUp('L');
    input->Free();
    ModuleRegistry::ResetCounters();
    DInputTest::Reset();
  }
  // With the stand-in whole again DirectInput comes back.
  TDXInput* input = MakeInput(Main);
  EXPECT_NE(input->DInput(), nullptr);
}

TEST_F(InputComponent, AnEnabledMouseNeedsDirectInput) {
  ModuleRegistry::SetEntryMissing("DInput.dll", "DirectInputCreateA", true);
  auto* input = new TDXInput(Main);
  input->BeginLoading();
  input->Mouse()->SetEnabled(true);
  try {
    input->Loaded();
    FAIL() << "no exception";
  } catch (const EDXInputError& e) { EXPECT_EQ(e.Message(), "DirectInput is necessary to use the mouse"); }
  input->Free();
  // The editor's mouse (disabled) never asks.
  TDXInput* editor = MakeInput(Main, false);
  EXPECT_FALSE(editor->Mouse()->Initialized());
}

TEST_F(InputComponent, UseDirectInputSwitchesAtOnceToTheFallbacks) {
  DWORD stick = AddStick();
  TDXInput* input = MakeInput(Main, true);
  ASSERT_NE(input->Joystick()->Device(), nullptr);
  try {
    input->SetUseDirectInput(false);
    FAIL() << "the enabled mouse should have raised";
  } catch (const EDXInputError& e) { EXPECT_EQ(e.Message(), "DirectInput is necessary to use the mouse"); }
  EXPECT_EQ(input->DInput(), nullptr);
  EXPECT_EQ(input->Keyboard()->Device(), nullptr);
  EXPECT_TRUE(input->Keyboard()->Initialized());
  EXPECT_EQ(input->Joystick()->Device(), nullptr);
  EXPECT_EQ(input->Joystick()->JoyNumber(), 0);
  // The mouse raised before the levels and the first update: read on.
  input->Mouse()->SetEnabled(false);
  VirtualJoystickSetAxis(stick, 0, 32767);
  input->Update();
  EXPECT_TRUE(input->States.Contains(stRight)) << "the multimedia joystick reads";
  input->SetUseDirectInput(true);
  EXPECT_NE(input->Joystick()->Device(), nullptr);
}

TEST_F(InputComponent, AnOwnerThatIsNoFormIsRefused) {
  TComponent holder(nullptr);
  try {
    static_cast<void>(new TDXInput(&holder));
    FAIL() << "no exception";
  } catch (const EDXInputError& e) { EXPECT_EQ(e.Message(), "Form not found"); }
  EXPECT_EQ(holder.ComponentCount(), 0);
  // A form further up the owner chain will do.
  auto* middle = new TComponent(Main);
  auto* input = new TDXInput(middle);
  EXPECT_EQ(input->Form(), Main);
}

TEST_F(InputComponent, TheFormHookPassesMessagesOnAndRestoresTheProcedure) {
  // The form's procedure as the hook finds it: one that notes what reaches it.
  std::vector<UINT> seen;
  TWndMethod own = Main->WindowProc;
  static int key;
  Main->WindowProc = TWndMethod(
      [&seen, own](TMessage& m) {
        seen.push_back(m.Msg);
        own(m);
      },
      &key);
  TWndMethod before = Main->WindowProc;
  TDXInput* input = MakeInput(Main);
  EXPECT_FALSE(Main->WindowProc == before);
  seen.clear();
  EXPECT_EQ(Main->Perform(WM_SETTEXT, 0, 0), 0);
  Main->Perform(0x0400 + 5, 7, 9);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_SETTEXT, 0x0400 + 5}));
  // Messages the hook acts on are passed on too, first.
  seen.clear();
  Main->Perform(WM_ACTIVATE, WA_ACTIVE);
  Main->Perform(WM_ACTIVATEAPP, 1);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_ACTIVATE, WM_ACTIVATEAPP}));
  input->Free();
  EXPECT_TRUE(Main->WindowProc == before);
  Main->WindowProc = own;
}

// A form whose window can be destroyed and made again while the form lives.
class TRecreatedForm : public TForm {
 public:
  using TForm::TForm;
  void RecreateWindow() {
    DestroyHandle();
    HandleNeeded();
  }
};

TEST_F(InputComponent, HeldKeysReachTheStatesAfterTheFormsWindowIsRecreated) {
  DWORD stick = AddStick();
  TRecreatedForm* form = nullptr;
  App->CreateForm(form);
  form->SetBounds(0, 0, 200, 100);
  form->Show();
  Driver->Pump();
  ASSERT_EQ(GetForegroundWindow(), form->Handle());
  TDXInput* input = MakeInput(form);
  Driver->KeyDown(VK_LEFT);
  input->Update();
  ASSERT_TRUE(input->States.Contains(stLeft));
  Driver->KeyUp(VK_LEFT);
  input->Update();

  const HWND old = form->Handle();
  form->RecreateWindow();
  ASSERT_NE(form->Handle(), old);
  form->Hide();
  form->Show();
  Driver->Pump();
  ASSERT_EQ(GetForegroundWindow(), form->Handle());
  // The levels were set again on the new window (they would fail on a
  // device still acquired for the old one), and the devices acquire.
  Driver->KeyDown(VK_RIGHT);
  VirtualJoystickSetButton(stick, 0, true);
  input->Update();
  EXPECT_TRUE(input->States.Contains(stRight));
  EXPECT_TRUE(input->States.Contains(stButton1));
  Driver->KeyUp(VK_RIGHT);
}

// Whether a device was acquired: unacquiring it answers DI_OK then, and
// DI_NOEFFECT when it was not (it is left unacquired either way).
bool WasAcquired(TCustomInput* Device) { return Device->Device()->Unacquire() == DI_OK; }

TEST_F(InputComponent, TheFormHookAcquiresTheDevicesWhenTheWindowOrTheApplicationBecomesActive) {
  AddStick();
  TDXInput* input = MakeInput(Main);
  const struct {
    UINT Msg;
    WPARAM WParam;
    bool Acquires;
  } cases[] = {
      {WM_ACTIVATE, WA_ACTIVE, true},    {WM_ACTIVATE, WA_CLICKACTIVE, true},
      {WM_ACTIVATE, WA_INACTIVE, false}, {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), false},
      {WM_ACTIVATEAPP, 1, true},         {WM_ACTIVATEAPP, 0, false},
      {WM_SETFOCUS, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "message " << c.Msg << " wParam " << c.WParam);
    WasAcquired(input->Keyboard());
    WasAcquired(input->Joystick());
    Main->Perform(c.Msg, c.WParam);
    EXPECT_EQ(WasAcquired(input->Keyboard()), c.Acquires);
    EXPECT_EQ(WasAcquired(input->Joystick()), c.Acquires);
  }
}

TEST_F(InputComponent, ActiveOnlyChangedAtRunTimeSetsTheLevelsAgain) {
  DWORD stick = AddStick();
  // Loaded while another program is in front: the devices get foreground
  // levels and are not acquired yet.
  Driver->OtherApplicationActivates();
  TDXInput* input = MakeInput(Main);
  VirtualJoystickSetButton(stick, 0, true);
  input->Update();
  EXPECT_FALSE(input->States.Contains(stButton1));
  // Without ActiveOnly the devices take background levels and read at once.
  input->SetActiveOnly(false);
  input->Update();
  EXPECT_TRUE(input->States.Contains(stButton1));
}

TEST_F(InputComponent, FinalizeUnacquiresTheDevicesBeforeLettingThemGo) {
  AddStick();
  TDXInput* input = MakeInput(Main);
  input->AcquireDevices();
  // Someone else still holds the devices after the component lets go.
  IDirectInputDeviceA* keyboard = input->Keyboard()->Device();
  IDirectInputDeviceA* joystick = input->Joystick()->Device();
  keyboard->AddRef();
  joystick->AddRef();
  input->Finalize();
  EXPECT_EQ(input->Keyboard()->Device(), nullptr);
  EXPECT_EQ(keyboard->Unacquire(), DI_NOEFFECT);
  EXPECT_EQ(joystick->Unacquire(), DI_NOEFFECT);
  keyboard->Release();
  joystick->Release();
}

TEST_F(InputComponent, DestroyingTheWindowWithItsComponentIsClean) {
  TForm* second = nullptr;
  App->CreateForm(second);
  second->Show();
  Driver->Pump();
  MakeInput(second);
  EXPECT_EQ(DirectInputSharedCount(), 1);
  second->Free();
  EXPECT_EQ(DirectInputSharedCount(), 0);
  EXPECT_EQ(DInputTest::LiveObjects(), 0);
}

}  // namespace

namespace {

// A DirectInput object that ends the process with code 3 when its last
// reference goes after its library was freed (real code would be gone).
class TWatchedDirectInput final : public IDirectInputA {
 public:
  HRESULT QueryInterface(REFIID, void** Out) override {
    if (Out) *Out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++FRefs; }
  ULONG Release() override {
    if (--FRefs > 0) return FRefs;
    if (ModuleRegistry::References("DInput.dll") <= 0) _exit(3);
    delete this;
    return 0;
  }
  HRESULT CreateDevice(REFGUID, IDirectInputDeviceA**, IUnknown*) override { return DIERR_DEVICENOTREG; }
  HRESULT EnumDevices(DWORD, LPDIENUMDEVICESCALLBACKA, void*, DWORD) override { return DI_OK; }
  HRESULT GetDeviceStatus(REFGUID) override { return DI_OK; }

 private:
  ULONG FRefs = 1;
};

HRESULT CreateWatchedDirectInput(HINSTANCE, DWORD, IDirectInputA** Out, IUnknown*) {
  *Out = new TWatchedDirectInput;
  return DI_OK;
}

TEST(InputUnit, AtExitTheSharedObjectGoesBeforeTheLibrariesAreFreed) {
  // In a fresh process, so that nothing was bound or shared before.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ModuleRegistry::Register("DInput.dll",
                                 {{"DirectInputCreateA", reinterpret_cast<FARPROC>(&CreateWatchedDirectInput)}});
        IDirectInputA* ref = nullptr;
        DirectInputLoad(ref);
        if (!ref) _exit(2);
        std::exit(0);  // the reference is still held: the unit's finalisation releases it
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
