// How both programs are built: the program is a library (its forms, their
// handlers, its rules, and one state object holding its whole world and view,
// owned by the main form, so a fresh set of forms starts from nothing) and a
// main of a few lines:
//
//   int main() {
//     return RunProgram("Brask Engine", [] {
//       RegisterDDrawModules();  // the stand-ins the program binds at run time
//       RegisterDInputModule();
//       RegisterDSoundModule();
//       Application->CreateForm(Form1);  // the main form first, then the others in order
//       Application->CreateForm(Form2);
//     });
//   }
//
// A test runs the same start-up function under the test driver instead
// (tests/support/ProgramRun.h), from a temporary start folder
// (tests/support/StartFolder.h).
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Makes the application, sets its title, runs CreateForms, then runs the
// message loop until the program ends. An exception from CreateForms shows in
// the application's error box and ends the program without a loop. Returns
// the program's exit code (0; 1 when the forms could not be made).
int RunProgram(const std::string& Title, const std::function<void()>& CreateForms);

// Why no window can open here (no display named for the window system the
// program would use), or empty.
std::string MissingDisplay();
// Runs Start and returns its exit code; a start that cannot go on (no
// display, out of memory, any exception that escapes) says so on stderr,
// "<Title>: cannot start: <why>", and returns 1.
int GuardedStart(const std::string& Title, const std::function<int()>& Start);

// Whether the program has what its windows need to start: room in its
// address space for its surfaces, pictures and sound beyond what it holds
// now, and the worker threads the painting uses (started here, once, and
// kept for the program's life, so that none has to be made later when the
// system may refuse it). When not, says why, "<Title>: cannot start: <why>",
// on stderr and, where windows show on a screen, in a box, and returns false.
// Call it with the application made, before the forms.
bool StartResourcesReady(const std::string& Title);

// What StartResourcesReady checks, without saying it: why the start cannot
// go on, or empty. Headroom is the address space that must be free.
std::string StartShortage(std::size_t Headroom);
// The address space a program's start needs beyond what it holds when the
// application is made: the game on its largest sample map, full screen, with
// music, takes about 120 MB more at its peak; twice that leaves room for
// larger screens.
inline constexpr std::size_t StartHeadroom = std::size_t(256) << 20;
