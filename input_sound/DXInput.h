// The input component: one keyboard, one mouse and one joystick device over a
// DirectInput object shared by every input component of the process, merged
// once a frame into a set of input states that callers read and edit.
//
// DirectInput is bound at run time from "DInput.dll" ("DirectInputCreateA");
// programs and tests register the stand-in module with RegisterDInputModule()
// (platform/dinput/DInput.h, included here) before the first component loads.
// Without it the keyboard and the joystick use the window system's fallbacks
// and only an enabled mouse fails.
#pragma once

#include <memory>
#include <vector>

#include "platform/dinput/DInput.h"
#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Component.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Sets.h"

class TControlSubClass;
class TCustomForm;
class TCustomInput;
class TJoystick;
class TKeyboard;
class TMouse;

// The four directions and 32 buttons; state n >= 4 is button n - 3.
enum TInputState {
  stUp,
  stDown,
  stLeft,
  stRight,
  stButton1,
  stButton2,
  stButton3,
  stButton4,
  stButton5,
  stButton6,
  stButton7,
  stButton8,
  stButton9,
  stButton10,
  stButton11,
  stButton12,
  stButton13,
  stButton14,
  stButton15,
  stButton16,
  stButton17,
  stButton18,
  stButton19,
  stButton20,
  stButton21,
  stButton22,
  stButton23,
  stButton24,
  stButton25,
  stButton26,
  stButton27,
  stButton28,
  stButton29,
  stButton30,
  stButton31,
  stButton32
};
constexpr int InputStateCount = 36;

using TInputStates = TSet<TInputState>;

// The input layer's failures.
class EDXInputError : public Exception {
 public:
  using Exception::Exception;
};

// Takes a counted reference to the process's shared DirectInput object into
// Ref, making the object on first use; Ref stays null when DirectInput is not
// available (the failure is swallowed).
void DirectInputLoad(IDirectInputA*& Ref);
// Drops the reference in Ref (nothing when null); the last one releases the
// shared object.
void DirectInputRelease(IDirectInputA*& Ref);
// The shared object and its reference count (for tests and diagnostics).
IDirectInputA* DirectInputShared();
int DirectInputSharedCount();

class TCustomDXInput : public TComponent {
 public:
  // Raises EDXInputError "Form not found" when no owner up the chain is a form.
  explicit TCustomDXInput(TComponent* AOwner);
  ~TCustomDXInput() override;

  // The edge-latched states: a state enters when the first bound key or
  // button for it goes down and leaves when the last one goes up. Callers
  // read it and may remove a state to consume a press.
  TInputStates States;

  void Loaded() override;
  // Closes everything and opens DirectInput and the devices again.
  void Initialize();
  void Finalize();
  // Reads every device and merges the bound ones into States.
  void Update();
  void SetCooperativeLevels();
  void AcquireDevices();

  bool ActiveOnly() const { return FActiveOnly; }
  void SetActiveOnly(bool Value);
  bool UseDirectInput() const { return FUseDirectInput; }
  void SetUseDirectInput(bool Value);
  TJoystick* Joystick() const { return FJoystick.get(); }
  TKeyboard* Keyboard() const { return FKeyboard.get(); }
  TMouse* Mouse() const { return FMouse.get(); }
  void SetJoystick(const TJoystick* Value);
  void SetKeyboard(const TKeyboard* Value);
  void SetMouse(const TMouse* Value);

  // The component's reference to the shared DirectInput object (null without).
  IDirectInputA* DInput() const { return FDInput; }
  TCustomForm* Form() const { return FForm; }
  // Whether the component's form is the foreground window.
  bool FormIsForeground() const;
  // The component is loading or reading its stored data.
  bool IsLoading() const;
  bool IsDesigning() const;
  const std::vector<TCustomInput*>& Devices() const { return FDevices; }

  // A device joins the list as it is made and leaves it as it is freed.
  void RegisterDevice(TCustomInput* Device);
  void UnregisterDevice(TCustomInput* Device);

 private:
  void FormWndProc(TMessage& Message, const TWndMethod& DefWindowProc);
  // Frees the devices still listed, the last first: those made on the
  // component by others, which it frees with itself.
  void FreeListedDevices();

  bool FActiveOnly = true;
  // Every device made on the component, in the order they were made; the
  // keyboard, mouse and joystick below are owned by their pointers.
  std::vector<TCustomInput*> FDevices;
  IDirectInputA* FDInput = nullptr;
  TCustomForm* FForm = nullptr;
  std::unique_ptr<TJoystick> FJoystick;
  std::unique_ptr<TKeyboard> FKeyboard;
  std::unique_ptr<TMouse> FMouse;
  TInputStates FOldStates;
  std::unique_ptr<TControlSubClass> FSubClass;
  bool FUseDirectInput = true;
};

// The component as windows store it: ActiveOnly, Joystick, Keyboard, Mouse and
// UseDirectInput, always stored.
class TDXInput : public TCustomDXInput {
 public:
  using TCustomDXInput::TCustomDXInput;
  void GetProperties(TPropertyList& List) override;
};
