// Forms and the application: TCustomForm/TForm (top-level windows with
// caption, border, activation, showing, closing and modal running) and
// TApplication, the global `Application`, which owns the forms, runs the
// message loop with its single idle slot, keeps the list of main-window hooks,
// tracks whether our program is the active one and shows unhandled exceptions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Controls.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

using TCloseEvent = TMethod<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TMethod<void(TObject* Sender, bool& CanClose)>;
using TIdleEvent = TMethod<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = TMethod<void(TObject* Sender, Exception& E)>;
using TWindowHook = TMethod<bool(TMessage& Message)>;

class TMainMenu;

class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }

  // The control with the keyboard focus on this form (null: the form itself).
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  // Whether this is the active form of our program (it stays so while
  // another program is in front).
  bool Active() const { return FActive; }
  TCanvas* Canvas() const { return FCanvas; }

  // Showing makes the window visible; the first time it is placed as
  // Position says. The form is activated (WM_ACTIVATEAPP when our program
  // was not active, WM_ACTIVATE, OnActivate) before the window-position
  // change with SWP_SHOWWINDOW is sent; OnShow comes first of all.
  void SetVisible(bool Value) override;
  // Shows the form, or brings it to the front and activates it.
  void Show();
  // A modal form gets ModalResult mrCancel. Any other asks CloseQuery and
  // OnClose (default action caHide): closing the main form ends the
  // application, caHide hides, caFree hides and frees it once the current
  // message is done, caNone keeps it open. The window system's close command
  // (WM_CLOSE) closes this way too.
  void Close();
  virtual bool CloseQuery();
  // Shows the form and runs the toolkit's own loop (idle processing goes on)
  // until ModalResult is set; then hides it and returns the result.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return FModalResult; }
  // A result other than mrNone ends ShowModal's loop (it wakes a loop that
  // waits for the next message).
  void SetModalResult(TModalResult Value);
  bool Modal() const { return FModal; }

  void WndProc(TMessage& Message) override;

  // The form's main menu (null: none): its bar shows at the top of the
  // window, and its items' shortcuts are tried before a key reaches the
  // focused control.
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* Value);
  // Whether a key-down message is one of the form's shortcuts; its item has
  // then been chosen.
  virtual bool IsShortCut(TMessage& Message);

  // Raised when the form becomes our program's active form (the first
  // showing, a click on it, a dialog above it closing) and when it stops being
  // it; switching to and from other programs raises neither (the form gets
  // WM_ACTIVATE and WM_ACTIVATEAPP then). OnActivate may run a modal form;
  // the form becomes active again when that closes, within the same call.
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

 protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void CreateHandle() override;
  void UpdateWidgetGeometry() override;
  // Below the menu bar when the form has one (Menus.cpp).
  POINT ClientOffset() const override;
  virtual void Activate();
  virtual void Deactivate();
  virtual void DoShow();
  virtual void DoHide();

 private:
  friend class TApplication;
  friend class TWinControl;
  void ApplyWindowFlags();
  void ShowWindowNow();
  void HideWindowNow();
  void SetActiveFlag(bool Value);
  // The window exists or the menu changed: the menu bar follows (Menus.cpp).
  void MenuChanged();

  TControlCanvas* FCanvas;
  std::string FCaption;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  bool FKeyPreview = false;
  TWinControl* FActiveControl = nullptr;
  bool FActive = false;
  bool FShownOnce = false;
  bool FModal = false;
  TModalResult FModalResult = mrNone;
  TMainMenu* FMenu = nullptr;
};

class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
};

class TLoopObserver;
class TSystemModalScope;

class TApplication : public TComponent {
 public:
  // Makes the application (and the Qt application under it) and installs the
  // toolkit's window backend; `Application` points at it until it is freed.
  explicit TApplication(TComponent* AOwner = nullptr);
  ~TApplication() override;

  // The title of error boxes (the program's name until one is set).
  std::string Title() const;
  void SetTitle(const std::string& Value) { FTitle = Value; }

  // The application's own hidden window: the hooks see its messages.
  HWND Handle() const { return FHandle; }
  TCustomForm* MainForm() const { return FMainForm; }

  // Makes a form owned by the application, stores it in Reference before its
  // constructor runs, then raises its OnCreate (AfterConstruction). The first
  // form made becomes the main form.
  template <class T>
  void CreateForm(T*& Reference) {
    void* memory = ::operator new(sizeof(T));
    Reference = static_cast<T*>(memory);
    T* form = nullptr;
    try {
      form = new (memory) T(this);
    } catch (...) {
      ::operator delete(memory);
      Reference = nullptr;
      throw;
    }
    FormCreated(form);
  }

  // Shows the main form and runs the message loop until Terminate. (Under a
  // loop observer, also until the observer says the run should return; the
  // program goes on at the next Run.)
  void Run();
  // Inside Run (at any depth of modal loops).
  bool InRun() const { return FRunDepth > 0; }
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles every message waiting, without idle processing.
  void ProcessMessages();
  // One pass of the loop: the messages waiting, then idle processing (which
  // may wait for the next message when the idle slot leaves Done set).
  void HandleMessage();

  // The single idle slot: called each time the loop finds no message waiting,
  // also inside the toolkit's modal loops (not inside system message boxes).
  // Done enters True; left True the loop waits for the next message, set
  // False it asks for another idle pass at once.
  TIdleEvent OnIdle;
  TExceptionEvent OnException;

  // Hooks see every message of the application window, first hooked first,
  // before the window's own handling; a hook that answers true stops it.
  // Unhooking finds the hook by its object and member function (a hook made
  // from a lambda is found by the identity key it was given, if any).
  void HookMainWindow(const TWindowHook& Hook);
  void UnhookMainWindow(const TWindowHook& Hook);
  int HookCount() const;

  // True while our program is the active one: True from the start, then set
  // by every WM_ACTIVATEAPP the application window gets, which also posts
  // CM_ACTIVATE or CM_DEACTIVATE to it (so the hooks see those a little
  // later, from the loop).
  bool Active() const { return FActive; }

  // Shows the exception being handled (call from a catch block): through
  // OnException when it is set, else an error box titled with Title.
  void HandleException(TObject* Sender);
  void ShowException(const Exception& E);
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags = 0);

  // Sends a message to the application window (hooks first).
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // Queues a message for the application window; the loop delivers it.
  void PostMessage(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

  // The active form of our program, even while another program is active.
  TCustomForm* ActiveForm() const { return FActiveForm; }
  // Whether one of our windows is the foreground window.
  bool Foreground() const { return FForeground; }
  // Whether a modal form or a system message box keeps input from Form.
  bool InputBlocked(const TCustomForm* Form) const;
  // Whether a loop observer stands in for the window system's input and
  // activation (the window system's own activation changes are ignored).
  bool Driven() const { return FObserver != nullptr; }
  // The single observer slot of the message loop (LoopHooks.h); null clears it.
  void SetLoopObserver(TLoopObserver* Observer) { FObserver = Observer; }
  TLoopObserver* LoopObserver() const { return FObserver; }
  // True while a system message box runs its own loop.
  bool InSystemModalLoop() const { return FSystemModal > 0; }

  // Activation of our windows (also what the window system reports).
  // How: WA_ACTIVE, or WA_CLICKACTIVE for a click on the window.
  void ActivateForm(TCustomForm* Form, WORD How = WA_ACTIVE);
  void DeactivateApplication();
  void ActivateApplication();

 protected:
  void WndProc(TMessage& Message);

 private:
  friend class TCustomForm;
  friend class TToolkitWindowBackend;
  friend class TSystemModalScope;
  friend QWidget* SystemDialogOwner(HWND Hint);
  void FormCreated(TCustomForm* Form);
  void Idle();
  void WaitForEvents();
  void ProcessPending();
  void FormHidden(TCustomForm* Form);
  void FormDestroyed(TCustomForm* Form);
  void SendActivateApp(bool Active);
  std::vector<TCustomForm*> Forms() const;

  std::string FTitle;
  HWND FHandle = nullptr;
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  bool FActive = true;
  bool FForeground = false;
  TCustomForm* FActiveForm = nullptr;
  std::vector<TCustomForm*> FActivationOrder;
  std::vector<TCustomForm*> FModalStack;
  int FSystemModal = 0;
  bool FHandlingException = false;
  TLoopObserver* FObserver = nullptr;
  int FRunDepth = 0;
  unsigned FSerial = 0;
  std::shared_ptr<void> FStateConnection;
};

extern TApplication* Application;
