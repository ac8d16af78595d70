// Korvel, the game.
#include "game/ProgramMain.h"

int main() { return korvel::ProgramMain(); }
