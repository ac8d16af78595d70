#include <string>
#include <vector>

#include "Fixture.h"
#include "platform/win/Modules.h"

namespace {

using DirectInput = DInputFixture;

TEST(DInputModule, RegistersOnceAndCreatesThroughTheLoader) {
  RegisterDInputModule();
  RegisterDInputModule();
  HMODULE m = LoadLibraryA("dinput.dll");
  ASSERT_NE(m, nullptr);
  auto create = reinterpret_cast<TDirectInputCreateA>(GetProcAddress(m, "DirectInputCreateA"));
  ASSERT_NE(create, nullptr);
  IDirectInputA* di = nullptr;
  ASSERT_EQ(create(nullptr, DIRECTINPUT_VERSION, &di, nullptr), DI_OK);
  ASSERT_NE(di, nullptr);
  EXPECT_EQ(di->Release(), 0u);
  FreeLibrary(m);
}

TEST(DInputModule, CreationResults) {
  IDirectInputA* di = reinterpret_cast<IDirectInputA*>(1);
  struct Case {
    DWORD version;
    bool outer;
    HRESULT expected;
  } cases[] = {
      {0x0700, false, DI_OK},
      {0x0500, false, DI_OK},
      {0x0300, false, DI_OK},
      {0x0800, false, DIERR_OLDDIRECTINPUTVERSION},
      {0x0200, false, DIERR_BETADIRECTINPUTVERSION},
      {0x0700, true, DIERR_NOAGGREGATION},
  };
  for (const auto& c : cases) {
    IUnknown* outer = c.outer ? reinterpret_cast<IUnknown*>(&di) : nullptr;
    EXPECT_EQ(DirectInputCreateA(nullptr, c.version, &di, outer), c.expected) << std::hex << c.version;
    if (c.expected == DI_OK) {
      ASSERT_NE(di, nullptr);
      di->Release();
    } else {
      EXPECT_EQ(di, nullptr);
    }
  }
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0700, nullptr, nullptr), DIERR_INVALIDPARAM);

  DInputTest::SetCreateResult(DIERR_GENERIC);
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0700, &di, nullptr), DIERR_GENERIC);
  EXPECT_EQ(di, nullptr);
  DInputTest::Reset();
  EXPECT_EQ(DInputTest::LiveObjects(), 0);
}

TEST_F(DirectInput, AnswersForItsVersionsAndCountsReferences) {
  void* p = nullptr;
  ASSERT_EQ(DI->QueryInterface(IID_IDirectInput7A, &p), S_OK);
  auto* di7 = static_cast<IDirectInput7A*>(p);
  ASSERT_EQ(DI->QueryInterface(IID_IDirectInput2A, &p), S_OK);
  static_cast<IUnknown*>(p)->Release();
  EXPECT_EQ(DI->QueryInterface(IID_IDirectInputDeviceA, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);

  // The object lives while any reference does.
  DI->Release();
  DI = nullptr;
  EXPECT_EQ(DInputTest::LiveObjects(), 1);
  IDirectInputDeviceA* kb = nullptr;
  EXPECT_EQ(di7->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
  kb->Release();
  EXPECT_EQ(di7->Release(), 0u);
  EXPECT_EQ(DInputTest::LiveObjects(), 0);
}

struct TSeen {
  std::vector<std::string> Names;
  std::vector<DWORD> Types;
  int StopAfter = 0;
};

BOOL Collect(const DIDEVICEINSTANCEA* i, void* ref) {
  auto* s = static_cast<TSeen*>(ref);
  EXPECT_EQ(i->dwSize, sizeof(DIDEVICEINSTANCEA));
  s->Names.push_back(i->tszInstanceName);
  s->Types.push_back(GET_DIDEVICE_TYPE(i->dwDevType));
  return s->StopAfter && static_cast<int>(s->Names.size()) >= s->StopAfter ? DIENUM_STOP : DIENUM_CONTINUE;
}

TEST_F(DirectInput, EnumeratesDevicesByTypeAndForceFeedback) {
  VirtualJoystickAdd({.Name = "Plain"});
  VirtualJoystickAdd({.Name = "Rumble", .ForceFeedback = true});
  struct Case {
    DWORD type, flags;
    std::vector<std::string> names;
  } cases[] = {
      {0, DIEDFL_ATTACHEDONLY, {"Mouse", "Keyboard", "Plain", "Rumble"}},
      {DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY, {"Plain", "Rumble"}},
      {DIDEVTYPE_JOYSTICK, DIEDFL_FORCEFEEDBACK, {"Rumble"}},
      {DIDEVTYPE_KEYBOARD, 0, {"Keyboard"}},
      {DIDEVTYPE_MOUSE, 0, {"Mouse"}},
      {DIDEVTYPE_DEVICE, 0, {}},
  };
  for (const auto& c : cases) {
    TSeen seen;
    EXPECT_EQ(DI->EnumDevices(c.type, Collect, &seen, c.flags), DI_OK);
    EXPECT_EQ(seen.Names, c.names) << c.type << "/" << c.flags;
  }
  TSeen stopped;
  stopped.StopAfter = 3;
  DI->EnumDevices(0, Collect, &stopped, 0);
  EXPECT_EQ(stopped.Names.size(), 3u);
  EXPECT_EQ(DI->EnumDevices(0, nullptr, nullptr, 0), DIERR_INVALIDPARAM);
  EXPECT_EQ(DI->EnumDevices(0, Collect, &stopped, 0x8), DIERR_INVALIDPARAM);
  EXPECT_EQ(DI->EnumDevices(9, Collect, &stopped, 0), DIERR_INVALIDPARAM);
}

TEST_F(DirectInput, CreatesDevicesByGuidAndReportsMissingOnes) {
  IDirectInputDeviceA* d = nullptr;
  EXPECT_EQ(DI->CreateDevice(GUID_Joystick, &d, nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(DI->GetDeviceStatus(GUID_Joystick), DI_NOTATTACHED);
  EXPECT_EQ(DI->CreateDevice(GUID_XAxis, &d, nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(DI->CreateDevice(GUID_SysMouse, nullptr, nullptr), DIERR_INVALIDPARAM);
  EXPECT_EQ(DI->CreateDevice(GUID_SysMouse, &d, reinterpret_cast<IUnknown*>(DI)), DIERR_NOAGGREGATION);

  DWORD id = VirtualJoystickAdd({.Name = "Stick"});
  GUID instance = FirstStick();
  EXPECT_EQ(DI->GetDeviceStatus(instance), DI_OK);
  GUID found{};
  void* p = nullptr;
  DI->QueryInterface(IID_IDirectInput7A, &p);
  auto* di7 = static_cast<IDirectInput7A*>(p);
  EXPECT_EQ(di7->FindDevice(GUID_Joystick, "Stick", &found), DI_OK);
  EXPECT_EQ(found, instance);
  EXPECT_EQ(di7->FindDevice(GUID_Joystick, "None", &found), DIERR_DEVICENOTREG);
  void* dev2 = nullptr;
  ASSERT_EQ(di7->CreateDeviceEx(instance, IID_IDirectInputDevice2A, &dev2, nullptr), DI_OK);
  static_cast<IDirectInputDevice2A*>(dev2)->Release();
  di7->Release();

  ASSERT_EQ(DI->CreateDevice(GUID_Joystick, &d, nullptr), DI_OK);
  DIDEVICEINSTANCEA info{};
  info.dwSize = sizeof(info);
  ASSERT_EQ(d->GetDeviceInfo(&info), DI_OK);
  EXPECT_EQ(info.guidInstance, instance);
  EXPECT_STREQ(info.tszProductName, "Stick");
  d->Release();

  VirtualJoystickRemove(id);
  EXPECT_EQ(DI->GetDeviceStatus(instance), DI_NOTATTACHED);
  EXPECT_EQ(DI->CreateDevice(instance, &d, nullptr), DIERR_DEVICENOTREG);
}

TEST_F(DirectInput, InjectedDeviceFailures) {
  VirtualJoystickAdd();
  DInputTest::SetCreateDeviceResult(TDInputDeviceKind::Keyboard, DIERR_GENERIC);
  IDirectInputDeviceA* d = reinterpret_cast<IDirectInputDeviceA*>(1);
  EXPECT_EQ(DI->CreateDevice(GUID_SysKeyboard, &d, nullptr), DIERR_GENERIC);
  EXPECT_EQ(d, nullptr);
  d = Create(GUID_SysMouse);
  ASSERT_NE(d, nullptr);
  d->Release();

  DInputTest::SetSecondInterfaceMissing(TDInputDeviceKind::Joystick, true);
  d = Create(FirstStick());
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(d->QueryInterface(IID_IDirectInputDevice2A, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(d->QueryInterface(IID_IDirectInputDeviceA, &p), S_OK);
  static_cast<IUnknown*>(p)->Release();
  d->Release();
}

TEST_F(DirectInput, KeyboardAndMouseDoNotStartTheJoystickSystem) {
  JoystickSetSystemSticksEnabled(true);
  bool before = JoystickSystemStarted();
  IDirectInputA* di = nullptr;
  ASSERT_EQ(DirectInputCreateA(nullptr, 0x0700, &di, nullptr), DI_OK);
  IDirectInputDeviceA* kb = nullptr;
  IDirectInputDeviceA* mouse = nullptr;
  di->CreateDevice(GUID_SysKeyboard, &kb, nullptr);
  di->CreateDevice(GUID_SysMouse, &mouse, nullptr);
  EXPECT_EQ(JoystickSystemStarted(), before);
  kb->Release();
  mouse->Release();
  di->Release();
  // Enumerating joysticks starts it (or finds it unavailable): either way
  // nothing fails, and virtual sticks come first.
  DWORD id = VirtualJoystickAdd({.Name = "First"});
  TSeen seen;
  EXPECT_EQ(DI->EnumDevices(DIDEVTYPE_JOYSTICK, Collect, &seen, DIEDFL_ATTACHEDONLY), DI_OK);
  ASSERT_FALSE(seen.Names.empty());
  EXPECT_EQ(seen.Names[0], "First");
  EXPECT_EQ(JoystickList().front()->Id(), id);
  JoystickSetSystemSticksEnabled(false);
}

}  // namespace
