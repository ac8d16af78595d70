// A form with a drawing control on it, built as a window's stored data builds
// it, and a listener that writes down what the control tells it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/DXDraw.h"
#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/Time.h"

inline const char* NotifyName(TDrawNotifyCode Code) {
  switch (Code) {
    case dnDestroying: return "Destroying";
    case dnInitializing: return "Initializing";
    case dnInitialize: return "Initialize";
    case dnInitializeSurface: return "InitializeSurface";
    case dnFinalize: return "Finalize";
    case dnFinalizeSurface: return "FinalizeSurface";
    case dnRestore: return "Restore";
    case dnSurfaceSize: return "SurfaceSize";
  }
  return "?";
}

// Writes "Name:Code" into a shared log; may run an action on one code.
struct TRecordingListener {
  std::string Name;
  std::vector<std::string>* Log = nullptr;
  std::function<void(TCustomDXDraw*, TDrawNotifyCode)> Action;

  void Notify(TCustomDXDraw* Sender, TDrawNotifyCode Code) {
    Log->push_back(Name + ":" + NotifyName(Code));
    if (Action) Action(Sender, Code);
  }
  TDrawNotifyHandler Handler() { return TDrawNotifyHandler(this, &TRecordingListener::Notify); }
};

class DrawControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterDDrawModules();
    ResetDDrawEmulation();
    UseManualClock(0);
    SetTimeGetTimeOffset(0);
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    App->CreateForm(Form);
    Form->SetCaption("DXDraw");
    Form->SetBounds(0, 0, 400, 300);
    Form->SetClientWidth(320);
    Form->SetClientHeight(240);
  }
  void TearDown() override {
    Driver.reset();
    App.reset();
    UseRealClock();
    ResetDDrawEmulation();
  }

  // A control on the form as the stored data makes it: properties set while
  // loading (the form is subclassed then), then Loaded.
  TDXDraw* MakeDraw(int Left, int Top, int Width, int Height, bool AutoSize = true) {
    auto* draw = new TDXDraw(Form);
    draw->BeginLoading();
    draw->SetName("DXDraw1");
    draw->SetParent(Form);
    draw->SetBounds(Left, Top, Width, Height);
    draw->SetAutoSize(AutoSize);
    draw->Loaded();
    return draw;
  }

  void Listen(TRecordingListener& L, TCustomDXDraw* Draw, const std::string& Name) {
    L.Name = Name;
    L.Log = &Log;
    Draw->AddListener(L.Handler());
  }

  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  TForm* Form = nullptr;
  std::vector<std::string> Log;
  // Listeners outlive the form, whose controls tell them dnDestroying.
  TRecordingListener Rec[4];
};
