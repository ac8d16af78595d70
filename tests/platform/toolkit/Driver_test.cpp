// The test driver's seams for running whole programs: passes inside Run, the
// manual clock moved per frame, unanswered dialogs failing fast, and the
// pointer position.
#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/ProgramMain.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/KeyState.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

namespace {

class DriverRun : public ::testing::Test {
 protected:
  void SetUp() override {
    UseManualClock(0);
    App = std::make_unique<TApplication>();
    App->SetTitle("Korvel");
    Driver = std::make_unique<TTestDriver>();
    Driver->SetFailureHandler([this](const std::string& text) { Reported.push_back(text); });
    App->CreateForm(Main);
    Main->SetBounds(50, 40, 320, 240);
    // The program's own idle work, the way a frame timer owns the slot.
    App->OnIdle = [this](TObject*, bool& done) {
      done = false;
      ++Idles;
    };
  }
  void TearDown() override {
    Driver.reset();
    App.reset();
    KeyStateReleaseAll();
    UseRealClock();
  }
  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  TForm* Main = nullptr;
  long Idles = 0;
  std::vector<std::string> Reported;
};

}  // namespace

TEST_F(DriverRun, RunUntilRunsInsideRunAndTheProgramGoesOnAtTheNextCall) {
  int activations = 0;
  bool inRun = false;
  Main->OnActivate = [&](TObject*) { ++activations; };
  long hookCalls = 0;
  Driver->SetPassHook([&] {
    ++hookCalls;
    inRun = inRun || App->InRun();
  });
  EXPECT_TRUE(Driver->RunUntil([&] { return Idles >= 5; }, 1000));
  EXPECT_EQ(Idles, 5);
  EXPECT_EQ(hookCalls, 5);  // once a pass, beside the idle slot's owner
  EXPECT_TRUE(inRun);
  EXPECT_TRUE(Main->Visible());  // Run showed the main form
  EXPECT_EQ(activations, 1);
  EXPECT_FALSE(App->Terminated());
  EXPECT_FALSE(App->InRun());

  // Already true: no pass at all.
  EXPECT_TRUE(Driver->RunUntil([] { return true; }, 10));
  EXPECT_EQ(Driver->LastRunPasses(), 0);
  // Never true: the bound ends it.
  EXPECT_FALSE(Driver->RunUntil([] { return false; }, 30));
  EXPECT_EQ(Driver->LastRunPasses(), 30);
  EXPECT_EQ(Idles, 35);
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(Driver->RunawayLoops(), 0);
  EXPECT_TRUE(Reported.empty());

  // The program ending itself ends the run too.
  Driver->SetPassHook([&] {
    if (Idles == 40) App->Terminate();
  });
  EXPECT_FALSE(Driver->RunUntil([] { return false; }, 1000));
  EXPECT_EQ(Idles, 40);
  EXPECT_TRUE(App->Terminated());
}

TEST_F(DriverRun, RunsInsideAModalLoopFromADialogAnswer) {
  TForm* dialog = nullptr;
  App->CreateForm(dialog);
  TModalResult result = mrNone;
  bool started = false;
  Main->OnActivate = [&](TObject*) {
    if (started) return;
    started = true;
    result = dialog->ShowModal();  // start-up asks for something first
  };
  long idlesInDialog = 0;
  Driver->AnswerNext([&](TDialogEvent& d) {
    // Inside the dialog's loop: the passes run there, the idle slot too.
    EXPECT_TRUE(Driver->RunUntil([&] { return Idles >= 3; }, 100));
    idlesInDialog = Idles;
    Driver->RunTicks(4);
    d.ClickOk();
  });
  EXPECT_TRUE(Driver->RunUntil([&] { return result != mrNone; }, 100));
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(idlesInDialog, 3);
  EXPECT_GE(Idles, 7);
  EXPECT_TRUE(Reported.empty());
}

TEST_F(DriverRun, RunTicksMovesTheManualClockOnAFrameStepBeforeEachPass) {
  std::vector<DWORD> seen;
  App->OnIdle = [&](TObject*, bool& done) {
    done = false;
    seen.push_back(timeGetTime());
  };
  SetManualClock(1000 * 1000);
  Driver->RunTicks(3);
  EXPECT_EQ(seen, (std::vector<DWORD>{1001, 1002, 1003}));
  Driver->SetFrameStep(16);
  Driver->RunTicks(2);
  EXPECT_EQ(seen.back(), 1035u);
  EXPECT_EQ(Driver->LastRunPasses(), 2);
  Driver->AdvanceAndPump(200);
  EXPECT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen.back(), 1235u);

  // On the real clock, the manual one takes over at the current time.
  UseRealClock();
  const std::int64_t before = ClockMicroseconds();
  Driver->RunTicks(1);
  EXPECT_TRUE(IsManualClock());
  EXPECT_GE(ClockMicroseconds(), before + 16000);
  EXPECT_LT(ClockMicroseconds(), before + 16000 + 60LL * 1000 * 1000);
}

TEST_F(DriverRun, AnUnansweredShowMessageIsCancelledAndReportedWithinTheGrace) {
  bool started = false, afterMessage = false;
  Main->OnActivate = [&](TObject*) {
    if (started) return;
    started = true;
    ShowMessage(Cp("Nie można otworzyć mapy!"));
    afterMessage = true;
  };
  // A test that forgets to answer: the run it asked for ends early, not after
  // 100 000 frames of the program.
  Driver->RunTicks(100000);
  EXPECT_TRUE(afterMessage);
  EXPECT_LE(Idles, Driver->ModalGrace() + 2);
  EXPECT_LE(Driver->LastRunPasses(), Driver->ModalGrace() + 2);
  ASSERT_EQ(Reported.size(), 1u);
  EXPECT_EQ(Reported[0], Cp("Unanswered modal form \"Korvel\": Nie można otworzyć mapy!"));
  EXPECT_EQ(Driver->Failures(), Reported);
  EXPECT_EQ(Driver->UnansweredDialogs(), 1);
  EXPECT_EQ(Driver->Dialogs().back().Text, Cp("Nie można otworzyć mapy!"));
  EXPECT_FALSE(App->Terminated());
  // The program goes on.
  Driver->RunTicks(5);
  EXPECT_EQ(Driver->LastRunPasses(), 5);
}

TEST_F(DriverRun, AnUnansweredMessageBoxIsReportedAtOnceAndEndsTheRun) {
  int answer = 0;
  Driver->SetPassHook([&] {
    if (Idles == 3) answer = App->MessageBox(Cp("Za mało złota!"), "Korvel", MB_OKCANCEL);
  });
  EXPECT_FALSE(Driver->RunUntil([] { return false; }, 100000));
  EXPECT_EQ(Driver->LastRunPasses(), 3);
  EXPECT_EQ(answer, IDCANCEL);
  ASSERT_EQ(Reported.size(), 1u);
  EXPECT_EQ(Reported[0], Cp("Unanswered message box \"Korvel\": Za mało złota!"));
}

TEST_F(DriverRun, AnUnansweredInputBoxIsReportedWithItsPrompt) {
  std::string typed;
  Driver->SetPassHook([&] {
    if (Idles == 2 && typed.empty()) typed = InputBox("Kod", Cp("Wpisz kod:"), "brak");
  });
  EXPECT_FALSE(Driver->RunUntil([] { return false; }, 1000));
  EXPECT_EQ(typed, "brak");  // cancelled: the default
  ASSERT_EQ(Reported.size(), 1u);
  EXPECT_EQ(Reported[0], Cp("Unanswered modal form \"Kod\": Wpisz kod:"));
}

TEST_F(DriverRun, AModalFormThatWillNotCloseEndsTheProgram) {
  TForm* stubborn = nullptr;
  App->CreateForm(stubborn);
  stubborn->SetCaption(Cp("Otwórz mapę"));
  stubborn->OnCloseQuery = [](TObject*, bool& canClose) { canClose = false; };
  TModalResult result = mrNone;
  Driver->SetPassHook([&] {
    if (Idles == 1 && result == mrNone) result = stubborn->ShowModal();
  });
  Driver->RunUntil([] { return false; }, 100000);
  EXPECT_EQ(result, mrCancel);
  EXPECT_TRUE(App->Terminated());
  EXPECT_LE(Idles, 2 * Driver->ModalGrace() + 3);
  ASSERT_EQ(Reported.size(), 1u);
  EXPECT_EQ(Reported[0], Cp("Unanswered modal form \"Otwórz mapę\""));
}

TEST_F(DriverRun, APassHookThatRaisesIsReported) {
  Driver->SetPassHook([] { throw std::runtime_error("boom"); });
  EXPECT_FALSE(Driver->RunUntil([] { return false; }, 50));
  EXPECT_EQ(Driver->LastRunPasses(), 1);
  ASSERT_EQ(Reported.size(), 1u);
  EXPECT_EQ(Reported[0], "The pass hook raised: boom");
}

// Pointer positions in a drawing control's own coordinates: what the programs
// compute from, on any platform Qt runs on (offscreen here; the same test
// runs under Xvfb with QT_QPA_PLATFORM=xcb).
TEST_F(DriverRun, ThePointerIsReadInAControlsOwnCoordinates) {
  auto* panel = new TPanel(Main);
  panel->SetParent(Main);
  panel->SetBounds(0, 200, 320, 40);
  auto* view = new TPanel(Main);
  view->SetParent(Main);
  view->SetBounds(0, 0, 208, 200);
  auto* inner = new TPanel(Main);
  inner->SetParent(panel);
  inner->SetBounds(216, 4, 100, 30);
  Driver->RunTicks(2);

  const POINT origin = view->ClientToScreen(POINT{0, 0});
  const POINT mainOrigin = Main->ClientToScreen(POINT{0, 0});
  EXPECT_EQ(origin.x, mainOrigin.x);
  EXPECT_EQ(origin.y, mainOrigin.y);
  const POINT innerOrigin = inner->ClientToScreen(POINT{0, 0});
  EXPECT_EQ(innerOrigin.x, mainOrigin.x + 216);
  EXPECT_EQ(innerOrigin.y, mainOrigin.y + 204);

  // Set by the test, and moved by the driver's mouse.
  Driver->SetCursorPos(POINT{origin.x + 17, origin.y + 33});
  POINT p = view->ScreenToClient(Mouse->CursorPos());
  EXPECT_EQ(p.x, 17);
  EXPECT_EQ(p.y, 33);
  POINT win{};
  ASSERT_TRUE(GetCursorPos(&win));
  EXPECT_EQ(win.x, origin.x + 17);

  Driver->MouseMove(inner, 5, 6);
  p = inner->ScreenToClient(Mouse->CursorPos());
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 6);
  p = view->ScreenToClient(Mouse->CursorPos());
  EXPECT_EQ(p.x, 221);
  EXPECT_EQ(p.y, 210);
  // Through the window handles too.
  POINT q{5, 6};
  ASSERT_TRUE(ClientToScreen(inner->Handle(), &q));
  EXPECT_EQ(q.x, Mouse->CursorPos().x);
  EXPECT_EQ(q.y, Mouse->CursorPos().y);
  ASSERT_TRUE(ScreenToClient(view->Handle(), &q));
  EXPECT_EQ(q.x, 221);
  EXPECT_EQ(q.y, 210);

  // A control without a window of its own counts from its parent's client area.
  auto* button = new TSpeedButton(Main);
  button->SetParent(inner);
  button->SetBounds(3, 2, 20, 20);
  const POINT b = button->ClientToScreen(POINT{1, 1});
  EXPECT_EQ(b.x, innerOrigin.x + 4);
  EXPECT_EQ(b.y, innerOrigin.y + 3);
  Driver->SetCursorPos(b);
  p = button->ScreenToClient(Mouse->CursorPos());
  EXPECT_EQ(p.x, 1);
  EXPECT_EQ(p.y, 1);

  // The form moves: client coordinates stay.
  Main->SetBounds(120, 90, 320, 240);
  Driver->RunTicks(2);
  Driver->MouseMove(view, 40, 50);
  p = view->ScreenToClient(Mouse->CursorPos());
  EXPECT_EQ(p.x, 40);
  EXPECT_EQ(p.y, 50);
}

// Without a driver the pointer is the window system's own (X11 here; the
// offscreen platform has no pointer of its own, so this runs under Xvfb only).
TEST(Pointer, WithoutADriverItIsTheWindowSystemsPointer) {
  TApplication app;
  if (QGuiApplication::platformName() == "offscreen") GTEST_SKIP() << "no window-system pointer offscreen";
  TForm* form = nullptr;
  app.CreateForm(form);
  form->SetBounds(30, 30, 200, 150);
  form->Show();
  app.ProcessMessages();
  const POINT target = form->ClientToScreen(POINT{60, 70});
  QCursor::setPos(target.x, target.y);
  for (int i = 0; i < 50 && QCursor::pos() != QPoint(target.x, target.y); ++i) app.ProcessMessages();
  const POINT p = form->ScreenToClient(Mouse->CursorPos());
  EXPECT_EQ(p.x, 60);
  EXPECT_EQ(p.y, 70);
}

// A program's main: the title, the forms made in order, then the loop; an
// exception from making the forms shows in the error box and ends it.
TEST(ProgramMain, MakesTheFormsRunsTheLoopAndShowsAFailedStart) {
  std::unique_ptr<TTestDriver> driver;
  std::vector<std::string> log;
  int code = RunProgram("Brask Engine", [&] {
    driver = std::make_unique<TTestDriver>();
    TForm* main = nullptr;
    Application->CreateForm(main);
    log.push_back(Application->Title());
    main->OnActivate = [&](TObject*) {
      log.push_back("activated");
      Application->Terminate();
    };
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"Brask Engine", "activated"}));
  driver.reset();

  std::string shown;
  code = RunProgram("Brask Engine", [&] {
    driver = std::make_unique<TTestDriver>();
    driver->AnswerNext([&](TDialogEvent& d) {
      shown = d.Caption + ": " + d.Text;
      d.ClickOk();
    });
    TForm* main = nullptr;
    Application->CreateForm(main);
    throw EInOutError(ioFileNotFound);
  });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(shown, "Brask Engine: File not found");
  driver.reset();
}

// A start that cannot go on says why on stderr and ends with 1: no display
// for the window system in use, no memory, an exception that got out.
TEST(ProgramMain, AStartThatCannotGoOnSaysSoAndFails) {
  struct TEnv {
    const char *Platform, *Display, *Wayland;
    bool Missing;
  };
  const TEnv envs[] = {
      {"", "", "", true},           {"", ":0", "", false},
      {"", "", "wayland-0", false}, {"xcb", "", "wayland-0", true},
      {"xcb", ":1", "", false},     {"wayland", ":0", "", true},
      {"offscreen", "", "", false},
  };
  const char* const names[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
  std::vector<std::pair<bool, std::string>> saved;
  for (const char* n : names) saved.emplace_back(std::getenv(n) != nullptr, std::getenv(n) ? std::getenv(n) : "");
  for (const TEnv& e : envs) {
    setenv("QT_QPA_PLATFORM", e.Platform, 1);
    setenv("DISPLAY", e.Display, 1);
    setenv("WAYLAND_DISPLAY", e.Wayland, 1);
    EXPECT_EQ(!MissingDisplay().empty(), e.Missing) << e.Platform << " " << e.Display << " " << e.Wayland;
    if (e.Missing) {
      bool started = false;
      testing::internal::CaptureStderr();
      EXPECT_EQ(GuardedStart("Brask Engine", [&] { return started = true, 0; }), 1);
      EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("Brask Engine: cannot start: no display", 0), 0u);
      EXPECT_FALSE(started);
    }
  }
  for (size_t i = 0; i < saved.size(); ++i)
    if (saved[i].first)
      setenv(names[i], saved[i].second.c_str(), 1);
    else
      unsetenv(names[i]);

  testing::internal::CaptureStderr();
  EXPECT_EQ(GuardedStart("Brask Engine", []() -> int { throw std::bad_alloc(); }), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Brask Engine: cannot start: out of memory\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(GuardedStart("Brask Mapmaker", []() -> int { throw std::runtime_error("no sound thread"); }), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Brask Mapmaker: cannot start: no sound thread\n");
  EXPECT_EQ(GuardedStart("Brask Engine", [] { return 7; }), 7);
}
