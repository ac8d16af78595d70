// Where the toolkit meets Qt: gathers the widget behind every windowed
// control, the conversion of texts, colours and keys, the handle registry,
// the translation of Qt's input events into window messages, and the
// system's own dialogs. Only the toolkit's own sources include this header;
// the library and the programs see controls and messages only.
#pragma once

#include "platform/toolkit/ControlWidget.h"
#include "platform/toolkit/HandleRegistry.h"
#include "platform/toolkit/InputDispatch.h"
#include "platform/toolkit/KeyTable.h"
#include "platform/toolkit/TextConvert.h"

class QDialog;

// The system's own dialogs (message boxes, file dialogs) over our windows.
// The dialog is kept above the window that is modal at that moment (owned by
// it: a window manager keeps it on top, and Qt does not count it as blocked
// by that window), takes the keyboard, and runs a loop of its own that sleeps
// between events and does no idle processing, until it is closed or the
// application is told to end. Meanwhile no other window of ours takes input
// (keys that reach one go to the dialog) or closes. Afterwards the window
// under it is active again. Returns the dialog's result.
int RunSystemDialog(QDialog& Dialog);
// The widget a system dialog opened now is owned by: the topmost modal
// window (a system dialog or a modal form), else the form of Hint, else the
// active form, else the main form.
QWidget* SystemDialogOwner(HWND Hint);
