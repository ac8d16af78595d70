// The program block of the game: the stand-ins it binds at run time, its six
// windows in their order, and the message loop.
#pragma once

namespace korvel {

// Registers the DirectDraw, DirectInput and DirectSound stand-ins.
void RegisterGameModules();
// Sets the application title and creates the main window, the select, spell,
// train and build dialogs and the open-map dialog, in this order.
void CreateGameForms();
// The windows and the loop on the application that exists: an exception from
// creating the windows is shown in the error box and ends the program (1);
// otherwise the loop runs until the program is told to end (0).
int RunGame();
// The whole program: the stand-ins, an application, then RunGame.
int ProgramMain();

}  // namespace korvel
