// The handle of every windowed control, the set of controls that still
// exist, and the sending of messages that keeps exceptions inside Qt callbacks.
#pragma once

#include <functional>

#include "platform/toolkit/Controls.h"

// Handles: every windowed control (and the application window) gets one.
HWND AllocateWindowHandle(TWinControl* Control);
void ReleaseWindowHandle(HWND Handle);
TWinControl* FindControl(HWND Handle);
bool IsToolkitHandle(HWND Handle);
// Whether a control still exists (input targets may be freed by handlers).
bool ControlAlive(const TControl* Control);
void RegisterControl(TControl* Control);
void UnregisterControl(TControl* Control);

// Runs F; an exception that escapes it goes to Application->HandleException
// and never further (nothing may cross a Qt callback).
void SafeInvoke(TObject* Sender, const std::function<void()>& F);

// Sends a message as the window system does: an exception that escapes the
// control's handling goes to Application->HandleException.
LRESULT SendWindowMessage(TControl* Control, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
