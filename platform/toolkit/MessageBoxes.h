// Message boxes in the window system's terms: the Qt box for a MessageBox
// call (MB_* flags), the answer a clicked button gives and the answer of a box
// closed without a choice (IDOK, IDCANCEL, IDABORT, ... from
// platform/win/Window.h). Only the toolkit's own sources include this header.
#pragma once

#include <string>

#include "platform/win/Types.h"

class QMessageBox;

// Sets up Box with the text, caption, icon and buttons Type asks for. The box
// is at least as wide as its caption needs (TitleBarWidth).
void PrepareMessageBox(QMessageBox& Box, const std::string& Text, const std::string& Caption, UINT Type);
// The least width of a window whose window manager shows the whole of
// Caption in its title bar: the caption in a bold title font, with room for
// the frame's edges and buttons beside it; no more than the screen is wide.
int TitleBarWidth(const std::string& Caption);
// The answer of the box's button StandardButton (a QMessageBox::StandardButton).
int MessageBoxAnswer(int StandardButton);
// The answer of a box of Type closed without a choice: Cancel where the box
// has it, else No, else Abort, else OK.
int DefaultMessageBoxAnswer(UINT Type);
