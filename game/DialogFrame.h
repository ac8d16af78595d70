// The frame the game's choice dialogs share: a borderless window centred on
// the screen, a title strip 25 pixels high with the title in bold black
// Comic Sans MS at (6, 3), a plain ground below it, black lists with bold
// Comic Sans MS rows 16 pixels high, and the flat buttons "OK" and "Anuluj".
// These run within the form's loading pass (LoadForm).
#pragma once

#include <string>

#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"

namespace korvel {

struct TDialogFrame {
  TShape* Shape1 = nullptr;  // the title strip
  TLabel* Label1 = nullptr;  // the title
  TShape* Shape2 = nullptr;  // the ground
};

// Sets up Form (name, caption, border, position, client size) and makes its
// strip, title and ground.
TDialogFrame MakeDialogFrame(TForm* Form, const char* Name, const std::string& Caption, const std::string& Title,
                             int Width, int Height);

// A choice list: black, bold Comic Sans MS in Color, rows 16 pixels high.
TListBox* MakeDialogList(TForm* Form, const char* Name, int Left, int Top, int Width, int Height, TColor Color,
                         bool MultiSelect, const std::string& Hint);

// A flat button with a caption.
TSpeedButton* MakeDialogButton(TForm* Form, const char* Name, int Left, int Top, int Width, const std::string& Caption);

}  // namespace korvel
