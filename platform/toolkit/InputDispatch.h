// Qt's input events turned into messages to the right control, with the
// mouse capture, the modifiers of the event being dispatched and the cursor.
#pragma once

#include <Qt>

#include "platform/toolkit/Controls.h"

class QMouseEvent;
class QKeyEvent;
class QWheelEvent;

// Input events of a widget, turned into messages to the right control: mouse
// messages go to the control under the pointer, or after a press to the
// pressed control until every button is up; keys go to the focused control
// of the active form. Each returns true (the event is consumed).
bool DeliverMouseEvent(TWinControl* Receiver, QMouseEvent* Event);
bool DeliverWheelEvent(TWinControl* Receiver, QWheelEvent* Event);
bool DeliverKeyEvent(TWinControl* Receiver, QKeyEvent* Event);
// The program's key state (GetKeyState and the scan codes) takes a key going
// down or up; returns the virtual key it counts as (0: none). DeliverKeyEvent
// does this for the keys of our windows; a system dialog's keys are taken so
// too while it runs.
UINT TrackKeyEvent(QKeyEvent* Event);
// Forgets a control as mouse-capture target (it is going).
void ReleaseMouseCapture(const TControl* Control);
// A pop-up (a drop-down list, a menu) opened on a press and takes the mouse
// from here on: no control keeps the capture, and the buttons count as up.
void PopupTookMouse();
TControl* MouseCaptureControl();
// Whether Qt input is being dispatched (and the modifiers it carries).
bool DispatchingInput();
Qt::KeyboardModifiers DispatchModifiers();

Qt::CursorShape QtCursorShape(TCursor Cursor);

// The last pointer position our windows saw, in screen coordinates.
POINT LastCursorPos();
// Puts the pointer there without an event (the test driver's SetCursorPos).
void SetLastCursorPos(POINT Point);
bool IsOffscreenPlatform();
void UpdateCursorVisibility();
int AdjustCursorCounter(bool Show);
