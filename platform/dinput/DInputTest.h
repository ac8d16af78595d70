// Test hooks of the DirectInput stand-in: failures that tests inject, and a
// count of live stand-in objects. The virtual joysticks that tests add (with
// their force-feedback devices) are in platform/win/Joystick.h.
#pragma once

#include "platform/dinput/DInput.h"

enum class TDInputDeviceKind { Keyboard, Mouse, Joystick };

namespace DInputTest {

// DirectInputCreateA fails with Result (DI_OK: creation works again).
void SetCreateResult(HRESULT result);
// CreateDevice of that kind of device fails with Result.
void SetCreateDeviceResult(TDInputDeviceKind kind, HRESULT result);
// Acquire of that kind of device fails with Result.
void SetAcquireResult(TDInputDeviceKind kind, HRESULT result);
// Devices of that kind do not answer for the second device interface.
void SetSecondInterfaceMissing(TDInputDeviceKind kind, bool missing);
// SetProperty of Property fails with Result: on every object, or only on
// the object at Offset (property headers by offset).
void RejectProperty(const GUID* property, HRESULT result);
void RejectPropertyAt(const GUID* property, DWORD offset, HRESULT result);
// Every acquired device of that kind loses its acquisition (its next read
// reports DIERR_INPUTLOST).
void LoseInput(TDInputDeviceKind kind);
// Live DirectInput objects, devices and effects.
int LiveObjects();
// Drops every injected failure.
void Reset();

}  // namespace DInputTest
