// Sandreth, the map editor.
#include "editor/Sandreth.h"
#include "platform/toolkit/ProgramMain.h"

int main() { return RunProgram("Brask Mapmaker", sandreth::CreateSandrethForms); }
