// A program started for one test the way its main starts it (see
// platform/toolkit/ProgramMain.h), under the test driver: the manual clock, the
// stand-ins registered, sound mixed on its manual clock (no audio output), no
// joystick unless the test adds a virtual one, and every driver failure (an
// unanswered dialog above all) reported as a failure of the current test.
//
//   TTempStartFolder start;            // the program's data
//   start.AddUnitType("data\\units", "woj.unt", warrior);
//   TProgramRun run("Brask Engine");
//   run.Start(CreateKorvelForms);      // the program's own start-up function
//   run.Driver().AnswerNext(...);      // the dialogs its start-up opens
//   run.Driver().RunTicks(100);        // Application->Run() for 100 frames
//
// Destroying it frees the application with every form and component (and so
// the program's state), then puts the clocks and stand-ins back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/toolkit/TestDriverControls.h"

class TProgramRun {
 public:
  explicit TProgramRun(const std::string& Title = "Brask Engine");
  ~TProgramRun();
  TProgramRun(const TProgramRun&) = delete;
  TProgramRun& operator=(const TProgramRun&) = delete;

  // Runs the program's start-up function (registering the stand-ins again is
  // harmless; a test may have made one missing first). An exception from it
  // reaches the test, as a main would show it in the error box.
  void Start(const std::function<void()>& CreateForms);

  TApplication& App() { return *FApp; }
  TTestDriver& Driver() { return *FDriver; }
  TControlsDriver& Controls() { return *FControls; }

  // The program's mixed sound output, moving it on by Frames frames of 48 kHz
  // 16-bit stereo: every playing sound buffer and the media player's music.
  std::vector<std::int16_t> RenderSound(int Frames);

 private:
  std::unique_ptr<TApplication> FApp;
  std::unique_ptr<TTestDriver> FDriver;
  std::unique_ptr<TControlsDriver> FControls;
};
