// The editor's program block: the stand-ins it binds at run time, the
// application's title and its three windows, made in order (main window,
// unit dialog, building dialog). The program's main runs it through
// RunProgram; tests run it under the test driver.
#pragma once

namespace sandreth {

// Registers DirectDraw and DirectInput, sets the title "Brask Mapmaker" and
// creates Form1, Form2 and Form3 in the current application.
void CreateSandrethForms();

}  // namespace sandreth
