// The program block of the game: the stand-ins it binds at run time, its six
// windows in their order, and the message loop.
#pragma once

// Registers the DirectDraw, DirectInput and DirectSound stand-ins.
void RegisterGameModules();
// Sets the application title and creates the main window, the select, spell,
// train and build dialogs and the open-map dialog, in this order.
void CreateGameForms();
// The whole program: an application, the windows, the loop. An exception
// from creating the windows is shown in the error box and ends the program.
int ProgramMain();
