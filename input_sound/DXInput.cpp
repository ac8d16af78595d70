#include "input_sound/DXInput.h"

#include <algorithm>
#include <memory>
#include <string>

#include "display/DXClass.h"
#include "input_sound/InputDevice.h"
#include "input_sound/Keyboard.h"
#include "platform/toolkit/Forms.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

namespace {

// The process's one DirectInput object and the references taken to it.
struct TSharedDirectInput {
  IDirectInputA* Object = nullptr;
  int Count = 0;
  // The input unit's finalisation: the object goes at program exit whatever
  // the count says.
  ~TSharedDirectInput() {
    if (Object) Object->Release();
    Object = nullptr;
    Count = 0;
  }
};

TSharedDirectInput& Shared() {
  // Made after the library loader's record, so that at exit the object is
  // released while "DInput.dll" is still loaded; the loader frees it later.
  static TSharedDirectInput shared = (PrepareBoundLibraries(), TSharedDirectInput{});
  return shared;
}

}  // namespace

void DirectInputLoad(IDirectInputA*& Ref) {
  Ref = nullptr;
  TSharedDirectInput& shared = Shared();
  if (!shared.Object) {
    try {
      auto create = reinterpret_cast<TDirectInputCreateA>(BindLibraryProc("DInput.dll", "DirectInputCreateA"));
      IDirectInputA* object = nullptr;
      create(nullptr, DIRECTINPUT_VERSION, &object, nullptr);
      shared.Object = object;
    } catch (...) { shared.Object = nullptr; }
  }
  Ref = shared.Object;
  if (shared.Object) ++shared.Count;
}

void DirectInputRelease(IDirectInputA*& Ref) {
  if (!Ref) return;
  Ref = nullptr;
  TSharedDirectInput& shared = Shared();
  --shared.Count;
  if (shared.Count <= 0) {
    shared.Count = 0;
    if (shared.Object) shared.Object->Release();
    shared.Object = nullptr;
  }
}

IDirectInputA* DirectInputShared() { return Shared().Object; }
int DirectInputSharedCount() { return Shared().Count; }

// ---- TCustomDXInput ----

TCustomDXInput::TCustomDXInput(TComponent* AOwner) : TComponent(AOwner) {
  FActiveOnly = true;
  try {
    FJoystick = std::make_unique<TJoystick>(this);
    FKeyboard = std::make_unique<TKeyboard>(this);
    FMouse = std::make_unique<TMouse>(this);
    FUseDirectInput = true;
    for (TComponent* c = Owner(); c; c = c->Owner()) {
      if (auto* form = dynamic_cast<TCustomForm*>(c)) {
        FForm = form;
        break;
      }
    }
    if (!FForm) throw EDXInputError("Form not found");
    FSubClass = std::make_unique<TControlSubClass>(FForm, TSubClassHandler(this, &TCustomDXInput::FormWndProc));
  } catch (...) {
    FMouse.reset();
    FKeyboard.reset();
    FJoystick.reset();
    FreeListedDevices();
    throw;
  }
}

TCustomDXInput::~TCustomDXInput() {
  Finalize();
  FJoystick.reset();
  FKeyboard.reset();
  FMouse.reset();
  // A form that is going frees its components only after its control part
  // is gone; its window procedure slot must not be touched then. The hook
  // normally leaves at the form's WM_DESTROY (below); a form that never had
  // a window leaves the hook's small record behind.
  if (FSubClass && FForm->ComponentState().Contains(csDestroying)) static_cast<void>(FSubClass.release());
  FSubClass.reset();
  FreeListedDevices();
}

void TCustomDXInput::FreeListedDevices() {
  // Each device leaves the list in its destructor.
  while (!FDevices.empty()) delete FDevices.back();
}

void TCustomDXInput::RegisterDevice(TCustomInput* Device) { FDevices.push_back(Device); }

void TCustomDXInput::UnregisterDevice(TCustomInput* Device) {
  FDevices.erase(std::remove(FDevices.begin(), FDevices.end(), Device), FDevices.end());
}

void TCustomDXInput::Loaded() {
  TComponent::Loaded();
  Initialize();
}

void TCustomDXInput::Initialize() {
  Finalize();
  if (IsDesigning()) return;
  if (FUseDirectInput) DirectInputLoad(FDInput);
  // A device may leave its own list entry during the pass (a subclass device
  // freeing itself): walk a copy.
  std::vector<TCustomInput*> devices = FDevices;
  for (TCustomInput* d : devices) d->Initialize();
  SetCooperativeLevels();
  Update();
}

void TCustomDXInput::Finalize() {
  std::vector<TCustomInput*> devices = FDevices;
  for (TCustomInput* d : devices) d->Finalize();
  DirectInputRelease(FDInput);
}

void TCustomDXInput::Update() {
  TInputStates now;
  for (TCustomInput* d : FDevices) {
    d->Update();
    if (d->BindInputStates()) now += d->States();
  }
  for (int s = 0; s < InputStateCount; ++s) {
    auto state = static_cast<TInputState>(s);
    bool in = now.Contains(state), was = FOldStates.Contains(state);
    if (in && !was)
      States.Include(state);
    else if (!in && was)
      States.Exclude(state);
  }
  FOldStates = now;
}

void TCustomDXInput::SetCooperativeLevels() {
  HWND window = FForm->Handle();
  for (TCustomInput* d : FDevices) d->SetCooperativeLevel(window);
}

void TCustomDXInput::AcquireDevices() {
  for (TCustomInput* d : FDevices) d->Acquire();
}

void TCustomDXInput::SetActiveOnly(bool Value) {
  if (FActiveOnly == Value) return;
  FActiveOnly = Value;
  if (!IsLoading()) SetCooperativeLevels();
}

void TCustomDXInput::SetUseDirectInput(bool Value) {
  if (FUseDirectInput == Value) return;
  FUseDirectInput = Value;
  Initialize();
}

void TCustomDXInput::SetJoystick(const TJoystick* Value) { FJoystick->Assign(Value); }
void TCustomDXInput::SetKeyboard(const TKeyboard* Value) { FKeyboard->Assign(Value); }
void TCustomDXInput::SetMouse(const TMouse* Value) { FMouse->Assign(Value); }

bool TCustomDXInput::FormIsForeground() const {
  return FForm && FForm->HandleAllocated() && GetForegroundWindow() == FForm->Handle();
}

bool TCustomDXInput::IsLoading() const {
  return ComponentState().Contains(csLoading) || ComponentState().Contains(csReading);
}

bool TCustomDXInput::IsDesigning() const { return ComponentState().Contains(csDesigning); }

void TCustomDXInput::FormWndProc(TMessage& Message, const TWndMethod& DefWindowProc) {
  DefWindowProc(Message);
  switch (Message.Msg) {
    case WM_CREATE: SetCooperativeLevels(); break;
    case WM_ACTIVATE:
      if (LOWORD(static_cast<std::uintptr_t>(Message.WParam)) != 0) AcquireDevices();
      break;
    case WM_ACTIVATEAPP:
      if (Message.WParam != 0) AcquireDevices();
      break;
    case WM_DESTROY:
      // The form is being freed: take the hook out while the form's window
      // procedure slot still exists.
      if (FForm->ComponentState().Contains(csDestroying)) FSubClass.reset();
      break;
    default: break;
  }
}

void TDXInput::GetProperties(TPropertyList& List) {
  TCustomDXInput::GetProperties(List);
  List.String(
      "Name", [this] { return Name(); }, [this](const std::string& v) { SetName(v); });
  List.Integer(
      "Tag", [this] { return std::int64_t{Tag()}; }, [this](std::int64_t v) { SetTag(static_cast<int>(v)); }, 0);
  List.Boolean(
      "ActiveOnly", [this] { return ActiveOnly(); }, [this](bool v) { SetActiveOnly(v); });
  List.Persistent("Joystick", [this] { return Joystick(); });
  List.Persistent("Keyboard", [this] { return Keyboard(); });
  List.Persistent("Mouse", [this] { return Mouse(); });
  List.Boolean(
      "UseDirectInput", [this] { return UseDirectInput(); }, [this](bool v) { SetUseDirectInput(v); });
}
