#include <gtest/gtest.h>

#include <QWidget>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/KeyState.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

namespace {

std::string MessageName(const TMessage& m) {
  switch (m.Msg) {
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_ACTIVATE:
      return LOWORD(m.WParam) == WA_INACTIVE      ? "WM_ACTIVATE(inactive)"
             : LOWORD(m.WParam) == WA_CLICKACTIVE ? "WM_ACTIVATE(click)"
                                                  : "WM_ACTIVATE(active)";
    case WM_ACTIVATEAPP: return m.WParam ? "WM_ACTIVATEAPP(1)" : "WM_ACTIVATEAPP(0)";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<const WINDOWPOS*>(m.LParam);
      if (wp->flags & SWP_SHOWWINDOW) return "WM_WINDOWPOSCHANGED(show)";
      if (wp->flags & SWP_HIDEWINDOW) return "WM_WINDOWPOSCHANGED(hide)";
      return "WM_WINDOWPOSCHANGED";
    }
    case WM_SIZE: return "WM_SIZE";
    case CM_ACTIVATE: return "CM_ACTIVATE";
    case CM_DEACTIVATE: return "CM_DEACTIVATE";
    default: return "";
  }
}

// Watches a control's messages the way a component subclassing it does:
// logs them, then passes them to the procedure it replaced.
class TWatch {
 public:
  TWatch(TControl* control, std::vector<std::string>& log, std::string prefix)
      : FControl(control), FLog(log), FPrefix(std::move(prefix)) {
    FPrevious = control->WindowProc;
    control->WindowProc = [this](TMessage& m) {
      std::string n = MessageName(m);
      if (!n.empty()) FLog.push_back(FPrefix + n);
      FPrevious(m);
    };
  }
  ~TWatch() {
    if (Restore) FControl->WindowProc = FPrevious;
  }
  bool Restore = true;  // false once the control is gone

 private:
  TControl* FControl;
  TWndMethod FPrevious;
  std::vector<std::string>& FLog;
  std::string FPrefix;
};

class TToolkit : public ::testing::Test {
 protected:
  void SetUp() override {
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    App->SetTitle("Brask Engine");
  }
  void TearDown() override {
    Driver.reset();
    App.reset();
    KeyStateReleaseAll();
  }
  // A main form with a panel-like child filling its left half.
  TForm* MakeMainForm() {
    App->CreateForm(Main);
    Main->SetBounds(10, 20, 200, 100);
    Child = new TCustomControl(Main);
    Child->SetName("Child");
    Child->SetParent(Main);
    Child->SetBounds(0, 0, 100, 100);
    return Main;
  }

  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  TForm* Main = nullptr;
  TCustomControl* Child = nullptr;
};

}  // namespace

TEST_F(TToolkit, FirstShowActivatesBeforeTheShowingPositionChange) {
  MakeMainForm();
  std::vector<std::string> log;
  TWatch watch(Main, log, "");
  App->HookMainWindow([&](TMessage& m) {
    std::string n = MessageName(m);
    if (!n.empty()) log.push_back("app " + n);
    return false;
  });
  TForm* dialog = nullptr;
  App->CreateForm(dialog);
  Main->OnShow = [&](TObject*) { log.push_back("OnShow"); };
  bool started = false;
  Main->OnActivate = [&](TObject*) {
    log.push_back("OnActivate");
    if (started) return;
    started = true;
    // Start-up work may run a modal dialog from here.
    Driver->AnswerNext([&](TDialogEvent& d) {
      log.push_back("dialog open");
      d.ClickOk();
    });
    log.push_back(dialog->ShowModal() == mrOk ? "dialog ok" : "dialog ?");
  };
  Main->Show();
  Driver->Pump(2);
  std::vector<std::string> expected = {
      "WM_CREATE",
      "OnShow",
      "app WM_ACTIVATEAPP(1)",
      "WM_ACTIVATEAPP(1)",
      "WM_ACTIVATE(active)",
      "WM_SETFOCUS",
      "OnActivate",
      "WM_ACTIVATE(inactive)",  // the dialog takes the activation
      "dialog open",
      "app CM_ACTIVATE",      // posted at activation, delivered by the dialog's loop
      "WM_ACTIVATE(active)",  // back to the main form when the dialog goes
      "WM_SETFOCUS",
      "OnActivate",
      "dialog ok",
      "WM_WINDOWPOSCHANGED(show)",
  };
  EXPECT_EQ(log, expected);
  EXPECT_TRUE(Main->Active());
  EXPECT_EQ(GetForegroundWindow(), Main->Handle());
}

TEST_F(TToolkit, IdleRunsInsideModalFormsButNotInsideMessageBoxes) {
  MakeMainForm();
  int ticks = 0;
  App->OnIdle = [&](TObject*, bool& done) {
    ++ticks;
    done = false;
  };
  Main->Show();
  TForm* dialog = nullptr;
  App->CreateForm(dialog);
  int ticksInDialog = -1;
  Driver->AnswerNext([&](TDialogEvent& d) {
    int before = ticks;
    Driver->Pump(5);
    ticksInDialog = ticks - before;
    d.SetModalResult(mrCancel);
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(ticksInDialog, 5);
  EXPECT_FALSE(dialog->Visible());

  int ticksInBox = -1;
  Driver->AnswerNext([&](TDialogEvent& d) {
    EXPECT_EQ(d.Kind, TDialogEvent::dkMessageBox);
    EXPECT_TRUE(App->InSystemModalLoop());
    int before = ticks;
    Driver->Pump(5);
    ticksInBox = ticks - before;
    d.ClickYes();
  });
  EXPECT_EQ(App->MessageBox("Czy na pewno?", "Korvel", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(ticksInBox, 0);
  ASSERT_EQ(Driver->MessageBoxes().size(), 1u);
  EXPECT_EQ(Driver->MessageBoxes()[0].Caption, "Korvel");
  EXPECT_EQ(Driver->MessageBoxes()[0].Flags, MB_YESNO | MB_ICONQUESTION);
  Driver->Pump(1);
  EXPECT_GT(ticks, 5);
}

TEST_F(TToolkit, ExceptionInAClickHandlerGoesToTheErrorBoxAndTheLoopGoesOn) {
  MakeMainForm();
  Main->Show();
  int clicks = 0;
  Child->OnClick = [&](TObject*) {
    ++clicks;
    throw EInOutError(ioFileNotFound);
  };
  Driver->Click(Child, 10, 10);
  Driver->Click(Child, 10, 10);
  EXPECT_EQ(clicks, 2);
  auto boxes = Driver->MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Text, "File not found");
  EXPECT_EQ(boxes[0].Caption, "Brask Engine");
  EXPECT_EQ(boxes[0].Flags, MB_OK | MB_ICONERROR);

  // OnException takes over from the box.
  std::string seen;
  App->OnException = [&](TObject* sender, Exception& e) {
    seen = e.Message();
    EXPECT_EQ(sender, Child);
  };
  Driver->Click(Child, 10, 10);
  EXPECT_EQ(seen, "File not found");
  EXPECT_EQ(Driver->MessageBoxes().size(), 2u);
  // The idle slot's exceptions are handled the same way, and the loop goes on.
  App->OnException = nullptr;
  int idles = 0;
  App->OnIdle = [&](TObject*, bool& done) {
    done = false;
    if (++idles <= 2) throw Exception("tick failed");
  };
  Driver->Pump(4);
  EXPECT_EQ(idles, 4);
  EXPECT_EQ(Driver->MessageBoxes().size(), 4u);
  EXPECT_EQ(Driver->MessageBoxes()[3].Text, "tick failed");
}

TEST_F(TToolkit, MouseCaptureKeepsEventsOnThePressedControl) {
  MakeMainForm();
  Main->Show();
  std::vector<std::string> log;
  auto logTo = [&](TControl* c, const std::string& name) {
    c->OnMouseDown = [&, name](TObject*, TMouseButton b, TShiftState s, int x, int y) {
      log.push_back(name + " down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y) +
                    (s.Contains(ssLeft) ? " L" : "") + (s.Contains(ssRight) ? " R" : ""));
    };
    c->OnMouseMove = [&, name](TObject*, TShiftState, int x, int y) {
      log.push_back(name + " move " + std::to_string(x) + "," + std::to_string(y));
    };
    c->OnMouseUp = [&, name](TObject*, TMouseButton b, TShiftState, int x, int y) {
      log.push_back(name + " up " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    c->OnClick = [&, name](TObject*) { log.push_back(name + " click"); };
  };
  logTo(Child, "child");
  logTo(Main, "form");
  Driver->MouseDown(Child, 50, 50);
  Driver->MouseMove(Main, 150, 50);  // over the form, outside the child
  Driver->MouseMove(Main, 250, -5);  // outside the window
  Driver->MouseUp(Main, 250, -5);
  Driver->MouseMove(Main, 150, 50);  // no button: the form again
  Driver->Click(Child, 5, 6, mbRight);
  Driver->Click(Child, 5, 6);
  std::vector<std::string> expected = {
      "child down 0 50,50 L", "child move 150,50", "child move 250,-5",  "child up 0 250,-5", "form move 150,50",
      "child down 1 5,6 R",   "child up 1 5,6",    "child down 0 5,6 L", "child click",       "child up 0 5,6",
  };
  EXPECT_EQ(log, expected);
}

TEST_F(TToolkit, LaterChildrenLieOverEarlierOnesAndTakeTheirClicks) {
  MakeMainForm();
  auto* panel = new TCustomControl(Main);
  panel->SetParent(Main);
  panel->SetBounds(50, 50, 100, 40);
  auto* label = new TGraphicControl(Main);
  label->SetParent(Main);
  label->SetBounds(120, 0, 50, 20);
  Main->Show();
  std::string hit;
  Child->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    hit = "child " + std::to_string(x) + "," + std::to_string(y);
  };
  panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    hit = "panel " + std::to_string(x) + "," + std::to_string(y);
  };
  label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    hit = "label " + std::to_string(x) + "," + std::to_string(y);
  };
  Main->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    hit = "form " + std::to_string(x) + "," + std::to_string(y);
  };
  struct TCase {
    int X, Y;
    const char* Hit;
  } cases[] = {
      {10, 10, "child 10,10"}, {60, 60, "panel 10,10"},  {140, 60, "panel 90,10"},
      {130, 5, "label 10,5"},  {190, 95, "form 190,95"},
  };
  for (const TCase& c : cases) {
    hit.clear();
    Driver->Click(Main, c.X, c.Y);
    EXPECT_EQ(hit, c.Hit) << c.X << "," << c.Y;
  }
  // Hidden and disabled controls without a window let the click through.
  label->SetEnabled(false);
  Driver->Click(Main, 130, 5);
  EXPECT_EQ(hit, "form 130,5");
  panel->SetVisible(false);
  Driver->Click(Main, 60, 60);
  EXPECT_EQ(hit, "child 60,60");
}

TEST_F(TToolkit, KeysGoOnceToTheFocusedControlAndFeedTheKeyState) {
  MakeMainForm();
  auto* other = new TCustomControl(Main);
  other->SetParent(Main);
  other->SetBounds(100, 0, 100, 100);
  Main->Show();
  std::vector<std::string> log;
  auto logKeys = [&](TWinControl* c, const std::string& name) {
    c->OnKeyDown = [&, name](TObject*, WORD& key, TShiftState s) {
      log.push_back(name + " down " + std::to_string(key) + (s.Contains(ssShift) ? " shift" : "") +
                    (s.Contains(ssCtrl) ? " ctrl" : ""));
    };
    c->OnKeyUp = [&, name](TObject*, WORD& key, TShiftState) { log.push_back(name + " up " + std::to_string(key)); };
    c->OnKeyPress = [&, name](TObject*, char& ch) { log.push_back(name + " char " + std::string(1, ch)); };
  };
  logKeys(Main, "form");
  logKeys(Child, "child");
  logKeys(other, "other");
  Driver->PressKey(VK_RETURN, "\r");
  other->SetFocus();
  EXPECT_TRUE(other->Focused());
  Driver->KeyDown('A', "a");
  EXPECT_LT(GetKeyState('A'), 0);
  Driver->KeyUp('A');
  EXPECT_GE(GetKeyState('A'), 0);
  Driver->PressKey('B', "B", {ssShift});
  std::vector<std::string> expected = {"form down 13",        "form char \r", "form up 13",
                                       "other down 65",       "other char a", "other up 65",
                                       "other down 66 shift", "other char B", "other up 66"};
  EXPECT_EQ(log, expected);

  // With KeyPreview the form sees the key first and may swallow it.
  log.clear();
  Main->SetKeyPreview(true);
  Main->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    log.push_back("form down " + std::to_string(key));
    if (key == VK_RETURN) key = 0;
  };
  Driver->KeyDown(VK_RETURN);
  Driver->KeyDown(VK_LEFT);
  EXPECT_EQ(log, (std::vector<std::string>{"form down 13", "form down 37", "other down 37"}));
  EXPECT_LT(GetKeyState(VK_LEFT), 0);
  EXPECT_TRUE(KeyStateScanDown(0x14B));

  // Another program takes the keyboard: every key counts as up, and keys
  // no longer reach our windows.
  Driver->OtherApplicationActivates();
  EXPECT_GE(GetKeyState(VK_LEFT), 0);
  log.clear();
  Driver->KeyDown(VK_RIGHT);
  EXPECT_TRUE(log.empty());
}

TEST_F(TToolkit, ShiftStateIgnoresTheLockKeys) {
  MakeMainForm();
  Main->Show();
  TShiftState seen = {ssDouble};
  Child->OnMouseDown = [&](TObject*, TMouseButton, TShiftState s, int, int) { seen = s; };
  WORD lastKey = 0;
  TShiftState keyShift = {ssDouble};
  Main->OnKeyDown = [&](TObject*, WORD& key, TShiftState s) {
    lastKey = key;
    keyShift = s;
  };
  Driver->PressKey(VK_CAPITAL);
  Driver->PressKey(VK_NUMLOCK);
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);
  Driver->Click(Child, 1, 1);
  EXPECT_EQ(seen, (TShiftState{ssLeft}));
  Driver->PressKey(VK_NUMPAD0 + 5, "5");
  EXPECT_EQ(lastKey, VK_NUMPAD0 + 5);
  EXPECT_TRUE(keyShift.Empty());
  Driver->Click(Child, 1, 1, mbLeft, {ssShift, ssCtrl, ssAlt});
  EXPECT_EQ(seen, (TShiftState{ssLeft, ssShift, ssCtrl, ssAlt}));
  Driver->DoubleClick(Child, 1, 1);
  EXPECT_EQ(seen, (TShiftState{ssLeft, ssDouble}));
}

TEST_F(TToolkit, ActivationFollowsOurWindowsAndOtherPrograms) {
  MakeMainForm();
  std::vector<std::string> log;
  App->HookMainWindow([&](TMessage& m) {
    std::string n = MessageName(m);
    if (!n.empty()) log.push_back(n);
    return false;
  });
  Main->Show();
  Driver->Pump(1);
  EXPECT_TRUE(App->Active());
  EXPECT_EQ(log, (std::vector<std::string>{"WM_ACTIVATEAPP(1)", "CM_ACTIVATE"}));

  // A second window of ours taking the focus is no deactivation.
  log.clear();
  TForm* tool = nullptr;
  App->CreateForm(tool);
  int mainDeactivations = 0;
  Main->OnDeactivate = [&](TObject*) { ++mainDeactivations; };
  tool->Show();
  Driver->Pump(1);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(mainDeactivations, 1);
  EXPECT_EQ(GetActiveWindow(), tool->Handle());
  std::vector<std::string> mainLog;
  {
    TWatch watch(Main, mainLog, "");
    Driver->Click(Main, 150, 10);
  }
  EXPECT_EQ(mainLog, (std::vector<std::string>{"WM_ACTIVATE(click)", "WM_SETFOCUS"}));
  EXPECT_EQ(GetActiveWindow(), Main->Handle());
  EXPECT_TRUE(App->Active());

  // Another program: WM_ACTIVATEAPP(0), then the posted CM_DEACTIVATE.
  Driver->OtherApplicationActivates();
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  EXPECT_FALSE(App->Active());
  Driver->Pump(1);
  EXPECT_EQ(log, (std::vector<std::string>{"WM_ACTIVATEAPP(0)", "CM_DEACTIVATE"}));
  EXPECT_TRUE(Main->Active());  // still the form with our focus

  log.clear();
  Driver->OurApplicationActivates();
  Driver->Pump(1);
  EXPECT_EQ(log, (std::vector<std::string>{"WM_ACTIVATEAPP(1)", "CM_ACTIVATE"}));
  EXPECT_EQ(GetForegroundWindow(), Main->Handle());
}

TEST_F(TToolkit, HooksRunInOrderAndCanStopTheMessage) {
  struct THookOwner {
    std::vector<std::string>* Log;
    std::string Name;
    bool Stop = false;
    bool Hook(TMessage& m) {
      if (m.Msg == WM_USER) Log->push_back(Name);
      return Stop;
    }
  };
  std::vector<std::string> log;
  THookOwner a{&log, "a"}, b{&log, "b"};
  App->HookMainWindow(TWindowHook(&a, &THookOwner::Hook));
  App->HookMainWindow(TWindowHook(&b, &THookOwner::Hook));
  App->Perform(WM_USER);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
  a.Stop = true;
  log.clear();
  App->Perform(WM_USER);
  EXPECT_EQ(log, (std::vector<std::string>{"a"}));
  App->UnhookMainWindow(TWindowHook(&a, &THookOwner::Hook));
  EXPECT_EQ(App->HookCount(), 1);
  log.clear();
  App->Perform(WM_USER);
  EXPECT_EQ(log, (std::vector<std::string>{"b"}));
  // A posted message arrives from the loop; ProcessMessages delivers it
  // without idle processing.
  int idles = 0;
  App->OnIdle = [&](TObject*, bool&) { ++idles; };
  log.clear();
  App->PostMessage(WM_USER);
  EXPECT_TRUE(log.empty());
  App->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"b"}));
  EXPECT_EQ(idles, 0);
}

TEST_F(TToolkit, ClosingTheMainFormEndsRun) {
  MakeMainForm();
  int idles = 0;
  std::vector<std::string> log;
  TWatch watch(Child, log, "child ");
  Child->Handle();
  App->OnIdle = [&](TObject*, bool& done) {
    done = false;
    if (++idles == 3) Driver->CloseCommand(Main);
  };
  App->Run();
  EXPECT_TRUE(App->Terminated());
  EXPECT_EQ(idles, 3);
  EXPECT_EQ(Driver->RunawayLoops(), 0);
  // Freeing the application destroys the windows before the components go.
  log.clear();
  watch.Restore = false;
  Main->Free();
  Main = nullptr;
  EXPECT_EQ(log, (std::vector<std::string>{"child WM_DESTROY"}));
}

TEST_F(TToolkit, ModalCloseAsksOnCloseAndMayBeRefused) {
  MakeMainForm();
  Main->Show();
  TForm* dialog = nullptr;
  App->CreateForm(dialog);
  int closes = 0;
  dialog->OnClose = [&](TObject*, TCloseAction& action) {
    if (++closes == 1) action = caNone;  // the first close is refused
  };
  int passes = 0;
  Driver->AnswerNext([&](TDialogEvent& d) { d.ClickCancel(); });
  App->OnIdle = [&](TObject*, bool&) {
    if (dialog->Visible() && ++passes == 3) dialog->Close();
  };
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(closes, 2);
  EXPECT_GE(passes, 3);
  // Terminating inside a modal loop ends it with mrCancel.
  Driver->AnswerNext([&](TDialogEvent&) { App->Terminate(); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
}

TEST_F(TToolkit, PresentedPixelsShowInTheWindow) {
  MakeMainForm();
  Main->SetColor(0x0000FF);  // red
  Main->Show();
  HWND h = Child->Handle();
  RECT rc;
  ASSERT_TRUE(GetClientRect(h, &rc));
  EXPECT_EQ(rc, (RECT{0, 0, 100, 100}));
  std::vector<DWORD> bits(10 * 5, 0x00336699);
  WindowBackend()->PresentPixels(h, RECT{20, 30, 30, 35}, bits.data(), 10 * 4);
  EXPECT_EQ(Driver->ReadPixels(h).At(20, 30), 0x336699u);
  TPixels px = Driver->ReadPixels(Main);
  ASSERT_EQ(px.Width, 200);
  ASSERT_EQ(px.Height, 100);
  EXPECT_EQ(px.At(20, 30), 0x336699u);
  EXPECT_EQ(px.At(29, 34), 0x336699u);
  EXPECT_EQ(px.At(150, 50), 0xFF0000u);  // the form's own colour
  EXPECT_EQ(px.At(50, 50), 0xC0C0C0u);   // the child's button face
  POINT p{5, 7};
  ASSERT_TRUE(ClientToScreen(h, &p));
  POINT origin = Main->ClientOrigin();
  EXPECT_EQ(p, (POINT{origin.x + 5, origin.y + 7}));
  ASSERT_TRUE(ScreenToClient(h, &p));
  EXPECT_EQ(p, (POINT{5, 7}));
  EXPECT_TRUE(IsWindow(h));
  Child->Free();
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(TToolkit, AlignedChildrenShareTheClientArea) {
  MakeMainForm();
  auto* top = new TCustomControl(Main);
  top->SetParent(Main);
  top->SetHeight(10);
  top->SetAlign(alTop);
  auto* bottom = new TCustomControl(Main);
  bottom->SetParent(Main);
  bottom->SetHeight(20);
  bottom->SetAlign(alBottom);
  Child->SetAlign(alClient);
  EXPECT_EQ(top->BoundsRect(), (RECT{0, 0, 200, 10}));
  EXPECT_EQ(bottom->BoundsRect(), (RECT{0, 80, 200, 100}));
  EXPECT_EQ(Child->BoundsRect(), (RECT{0, 10, 200, 80}));
  Main->SetClientWidth(300);
  EXPECT_EQ(Child->BoundsRect(), (RECT{0, 10, 300, 80}));
  bottom->SetVisible(false);
  EXPECT_EQ(Child->BoundsRect(), (RECT{0, 10, 300, 100}));
}

TEST_F(TToolkit, CanResizeSeesEverySizeChange) {
  MakeMainForm();
  std::vector<std::string> log;
  Main->OnCanResize = [&](TObject*, int& w, int& h, bool& allow) {
    log.push_back(std::to_string(w) + "x" + std::to_string(h));
    allow = w <= 400;
  };
  Main->SetClientWidth(300);
  Main->SetClientWidth(500);
  Main->SetLeft(5);  // a move alone asks nothing
  EXPECT_EQ(log, (std::vector<std::string>{"300x100", "500x100"}));
  EXPECT_EQ(Main->ClientWidth(), 300);
  EXPECT_EQ(Main->Left(), 5);
}

TEST_F(TToolkit, ScreenCentredFormsAndCaptionsInWindows1250) {
  TForm* form = nullptr;
  App->CreateForm(form);
  form->SetPosition(poScreenCenter);
  form->SetBorderStyle(bsSingle);
  form->SetClientWidth(200);
  form->SetClientHeight(100);
  form->SetCaption("Wybierz jednostk\xEA");  // windows-1250 e-ogonek
  form->Show();
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(form->Left(), (sw - 200) / 2);
  EXPECT_EQ(form->Top(), (sh - 100) / 2);
  EXPECT_EQ(form->Caption(), "Wybierz jednostk\xEA");
}

TEST_F(TToolkit, ShowCursorCounts) {
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
}

TEST_F(TToolkit, MouseAndWheelFeedTheMouseState) {
  MakeMainForm();
  Main->Show();
  LONG dx = 0, dy = 0, dz = 0;
  Driver->MouseMove(Main, 10, 10);
  MouseStateTake(&dx, &dy, &dz);
  Driver->MouseMove(Main, 15, 7);
  Driver->MouseDown(Main, 15, 7, mbRight);
  EXPECT_LT(GetKeyState(VK_RBUTTON), 0);
  Driver->MouseUp(Main, 15, 7, mbRight);
  EXPECT_GE(GetKeyState(VK_RBUTTON), 0);
  Driver->Wheel(Main, -120);
  MouseStateTake(&dx, &dy, &dz);
  EXPECT_EQ(dx, 5);
  EXPECT_EQ(dy, -3);
  EXPECT_EQ(dz, -120);
  POINT p = Mouse->CursorPos();
  EXPECT_EQ(p, Main->ClientToScreen(POINT{15, 7}));
}

namespace {

// A control that paints a frame of its own: counts its paints.
class TFramed : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    Canvas()->Brush()->SetColor(clBlue);
    Canvas()->FillRect(Rect(2, 2, 8, 8));
  }
};

class TMark : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clLime);
    Canvas()->FillRect(Rect(0, 0, Width(), Height()));
  }
};

}  // namespace

TEST_F(TToolkit, ControlsPaintThroughTheirCanvasOnRepaint) {
  MakeMainForm();
  Main->SetColor(clWhite);
  auto* framed = new TFramed(Main);
  framed->SetParent(Main);
  framed->SetBounds(100, 0, 20, 20);
  framed->SetColor(clBlack);
  auto* mark = new TMark(Main);
  mark->SetParent(Main);
  mark->SetBounds(150, 40, 10, 5);
  Main->Show();
  TPixels px = Driver->ReadPixels(Main);
  EXPECT_EQ(px.At(100 + 1, 1), 0x000000u);  // the control's colour
  EXPECT_EQ(px.At(100 + 2, 2), 0x0000FFu);  // what Paint drew (blue, as 0xRRGGBB)
  EXPECT_EQ(px.At(100 + 7, 7), 0x0000FFu);
  EXPECT_EQ(px.At(100 + 8, 8), 0x000000u);  // right and bottom exclusive
  EXPECT_EQ(px.At(150, 40), 0x00FF00u);     // the graphic control on the form's pixels
  EXPECT_EQ(px.At(159, 44), 0x00FF00u);
  EXPECT_EQ(px.At(160, 44), 0xFFFFFFu);
  int paints = framed->Paints;
  EXPECT_GE(paints, 1);

  // Drawing outside Paint shows at once and stays until the next repaint.
  Main->Canvas()->Brush()->SetColor(clRed);
  Main->Canvas()->FillRect(Rect(180, 80, 190, 90));
  EXPECT_EQ(Driver->ReadPixels(Main).At(185, 85), 0xFF0000u);
  EXPECT_EQ(framed->Paints, paints);
  Main->Invalidate();
  framed->Invalidate();
  px = Driver->ReadPixels(Main);
  EXPECT_EQ(px.At(185, 85), 0xFFFFFFu);
  EXPECT_EQ(px.At(150, 40), 0x00FF00u);
  EXPECT_EQ(framed->Paints, paints + 1);

  // A canvas without a window to draw on refuses.
  TCustomControl loose(nullptr);
  EXPECT_THROW(loose.Canvas()->FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
}

TEST_F(TToolkit, AFailingStartUpInOnActivateIsShownAndTheWindowStillComesUp) {
  MakeMainForm();
  std::vector<std::string> log;
  TWatch watch(Main, log, "");
  bool started = false;
  Main->OnActivate = [&](TObject*) {
    if (started) return;
    started = true;
    throw EInOutError(ioReadBeyondEnd);
  };
  int idles = 0;
  App->OnIdle = [&](TObject*, bool& done) {
    done = false;
    if (++idles == 2) App->Terminate();
  };
  App->Run();
  auto boxes = Driver->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Read beyond end of file");
  EXPECT_EQ(boxes[0].Caption, "Brask Engine");
  EXPECT_EQ(idles, 2);
  EXPECT_NE(std::find(log.begin(), log.end(), "WM_WINDOWPOSCHANGED(show)"), log.end());
  EXPECT_TRUE(Main->Widget()->isVisible());
}

TEST_F(TToolkit, SubclassedWindowProceduresChainAndRestoreInReverseOrder) {
  MakeMainForm();
  const TWndMethod original = Main->WindowProc;
  EXPECT_TRUE(original == TWndMethod(static_cast<TControl*>(Main), &TControl::WndProc));
  std::vector<std::string> log;
  {
    TWatch first(Main, log, "first ");
    {
      TWatch second(Main, log, "second ");
      Main->Perform(WM_SIZE);
      EXPECT_FALSE(Main->WindowProc == original);
    }
    Main->Perform(WM_SIZE);
  }
  EXPECT_TRUE(Main->WindowProc == original);
  Main->Perform(WM_SIZE);
  EXPECT_EQ(log, (std::vector<std::string>{"second WM_SIZE", "first WM_SIZE", "first WM_SIZE"}));
}

namespace {
class TPaletteUser : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<bool> Calls;

 protected:
  bool PaletteChanged(bool Foreground) override {
    Calls.push_back(Foreground);
    return Foreground;
  }
};
}  // namespace

TEST_F(TToolkit, FormsPassPaletteMessagesToTheirControls) {
  MakeMainForm();
  auto* user = new TPaletteUser(Main);
  user->SetParent(Main);
  EXPECT_EQ(Main->Perform(WM_QUERYNEWPALETTE), 1);
  Main->Perform(WM_PALETTECHANGED, 0);
  Main->Perform(WM_PALETTECHANGED, reinterpret_cast<WPARAM>(Main->Handle()));  // our own change
  EXPECT_EQ(user->Calls, (std::vector<bool>{true, false}));
}

TEST_F(TToolkit, AControlWithoutAWindowKeepsTheMouseAfterAPressToo) {
  MakeMainForm();
  auto* mark = new TGraphicControl(Main);
  mark->SetParent(Main);
  mark->SetBounds(120, 10, 20, 20);
  Main->Show();
  std::vector<std::string> log;
  mark->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
    log.push_back("mark move " + std::to_string(x) + "," + std::to_string(y));
  };
  mark->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    log.push_back("mark up " + std::to_string(x) + "," + std::to_string(y));
  };
  Main->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
    log.push_back("form move " + std::to_string(x) + "," + std::to_string(y));
  };
  Driver->Drag(Main, 125, 15, 185, 55, mbLeft, {}, 2);
  Driver->MouseMove(Main, 185, 55);
  EXPECT_EQ(log, (std::vector<std::string>{"mark move 35,25", "mark move 65,45", "mark up 65,45", "form move 185,55"}));
}

TEST_F(TToolkit, AModalFormKeepsInputFromTheOtherWindows) {
  MakeMainForm();
  Main->Show();
  TForm* dialog = nullptr;
  App->CreateForm(dialog);
  int mainClicks = 0, mainKeys = 0, dialogKeys = 0;
  Main->OnClick = [&](TObject*) { ++mainClicks; };
  Main->OnKeyDown = [&](TObject*, WORD&, TShiftState) { ++mainKeys; };
  dialog->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    ++dialogKeys;
    if (key == VK_ESCAPE) dialog->Close();
  };
  Driver->AnswerNext([&](TDialogEvent& d) {
    EXPECT_EQ(d.Form, dialog);
    Driver->Click(Main, 150, 50);
    Driver->PressKey('X', "x");
    Driver->PressKey(VK_ESCAPE, "\x1b");
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(mainClicks, 0);
  EXPECT_EQ(mainKeys, 0);
  EXPECT_EQ(dialogKeys, 2);
  EXPECT_TRUE(Main->Active());
  Driver->Click(Main, 150, 50);
  EXPECT_EQ(mainClicks, 1);
  // A visible form cannot be shown modally.
  EXPECT_THROW(Main->ShowModal(), EInvalidOperation);
}

TEST_F(TToolkit, CloseWithCaFreeFreesTheFormAfterTheMessage) {
  MakeMainForm();
  Main->Show();
  TForm* tool = nullptr;
  App->CreateForm(tool);
  tool->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  bool destroyed = false;
  tool->OnDestroy = [&](TObject*) { destroyed = true; };
  tool->Show();
  const int before = App->ComponentCount();
  Driver->CloseCommand(tool);
  EXPECT_FALSE(destroyed);
  EXPECT_FALSE(tool->Visible());
  Driver->Pump(1);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(App->ComponentCount(), before - 1);
  EXPECT_EQ(GetActiveWindow(), Main->Handle());
}

TEST_F(TToolkit, MessageBoxesWithoutAnAnswerTakeTheirSafeButton) {
  struct TCase {
    UINT Flags;
    int Answer;
  } cases[] = {{MB_OK | MB_ICONINFORMATION, IDOK}, {MB_OKCANCEL, IDCANCEL}, {MB_YESNO | MB_ICONWARNING, IDNO}};
  for (const TCase& c : cases) EXPECT_EQ(MessageBoxA(nullptr, "Za ma\xB3o surowc\xF3w!", "Korvel", c.Flags), c.Answer);
  EXPECT_EQ(Driver->UnansweredDialogs(), 3);
  EXPECT_EQ(Driver->MessageBoxes()[0].Text, "Za ma\xB3o surowc\xF3w!");
  // Anything thrown that is not one of the runtime's exceptions still shows its text.
  try {
    throw std::runtime_error("plain failure");
  } catch (...) { App->HandleException(nullptr); }
  EXPECT_EQ(Driver->MessageBoxes().back().Text, "plain failure");
}

TEST_F(TToolkit, TypedTextArrivesInWindows1250) {
  MakeMainForm();
  Main->Show();
  std::string typed;
  Main->OnKeyPress = [&](TObject*, char& c) { typed.push_back(c); };
  Driver->PressKey('A', "\xB9");             // a-ogonek
  Driver->PressKey('Z', "\xAF", {ssShift});  // Z-dot
  Driver->PressKey(VK_BACK, "\b");
  EXPECT_EQ(typed, "\xB9\xAF\b");
}

TEST_F(TToolkit, AltF4IsTheCloseCommandUnlessTheProgramTakesTheKey) {
  MakeMainForm();
  Main->Show();
  TForm* dialog = nullptr;
  App->CreateForm(dialog);
  dialog->SetBorderStyle(bsNone);
  std::vector<std::string> keys;
  dialog->OnKeyDown = [&](TObject*, WORD& key, TShiftState s) {
    keys.push_back(std::to_string(key) + (s.Contains(ssAlt) ? " alt" : ""));
    if (key == 'Q') key = 0;
  };
  std::string typed;
  dialog->OnKeyPress = [&](TObject*, char& c) { typed.push_back(c); };
  Driver->AnswerNext([&](TDialogEvent&) {
    Driver->KeyDown(VK_MENU, "", {ssAlt});
    Driver->PressKey('Q', "q", {ssAlt});
    Driver->PressKey(VK_F1 + 3, "", {ssAlt});
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(keys, (std::vector<std::string>{"18 alt", "81 alt", "115 alt"}));
  EXPECT_EQ(typed, "");  // no characters with Alt
}

namespace {
// A component that watches its owner form's window procedure for its whole
// life, as the input and sound components do.
class TFormWatcher : public TComponent {
 public:
  TFormWatcher(TCustomForm* form, std::vector<std::string>& log) : TComponent(form), FForm(form), FLog(log) {
    FPrevious = form->WindowProc;
    form->WindowProc = TWndMethod(this, &TFormWatcher::Watch);
  }
  ~TFormWatcher() override {
    FLog.push_back(FForm->WindowProc == TWndMethod(this, &TFormWatcher::Watch) ? "restored" : "not ours");
    FForm->WindowProc = FPrevious;
  }

 private:
  void Watch(TMessage& m) {
    if (m.Msg == WM_DESTROY) FLog.push_back("form WM_DESTROY");
    FPrevious(m);
  }
  TCustomForm* FForm;
  std::vector<std::string>& FLog;
  TWndMethod FPrevious;
};
}  // namespace

TEST_F(TToolkit, ComponentsWatchingTheirFormGoAfterItsWindowAndBeforeIt) {
  MakeMainForm();
  std::vector<std::string> log;
  new TFormWatcher(Main, log);
  Main->Show();
  Main->Free();
  Main = nullptr;
  EXPECT_EQ(log, (std::vector<std::string>{"form WM_DESTROY", "restored"}));
}
