#include "display/DXTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/toolkit/Filer.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/Messages.h"
#include "platform/win/Time.h"

namespace {

class FrameTimer : public ::testing::Test {
 protected:
  void SetUp() override {
    UseManualClock(0);
    SetTimeGetTimeOffset(0);
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
  }
  void TearDown() override {
    Timers.clear();
    Driver.reset();
    App.reset();
    SetTimeGetTimeOffset(0);
    UseRealClock();
  }

  // A timer built as a window's stored data build it: properties set while
  // loading, then Loaded.
  TDXTimer* Make(DWORD interval, bool activeOnly = true, bool enabled = true) {
    auto timer = std::make_unique<TDXTimer>(nullptr);
    timer->BeginLoading();
    timer->SetActiveOnly(activeOnly);
    timer->SetEnabled(enabled);
    timer->SetInterval(interval);
    timer->OnTimer = [this](TObject*, std::int32_t lag) { Lags.push_back(lag); };
    timer->Loaded();
    Timers.push_back(std::move(timer));
    return Timers.back().get();
  }
  void AdvanceMs(std::int64_t ms) { AdvanceManualClock(ms * 1000); }
  // One idle pass; returns the lag counts of the ticks it raised.
  std::vector<std::int32_t> Pass() {
    Lags.clear();
    Driver->Pump(1);
    return Lags;
  }
  void AppActivates(bool active) {
    App->Perform(WM_ACTIVATEAPP, active ? 1 : 0);
    Driver->Pump(1);  // delivers the posted CM_ACTIVATE / CM_DEACTIVATE
  }

  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  std::vector<std::unique_ptr<TDXTimer>> Timers;
  std::vector<std::int32_t> Lags;
};

using Ticks = std::vector<std::int32_t>;

}  // namespace

TEST_F(FrameTimer, CreatedStoppedThenTicksOnceLoaded) {
  TDXTimer timer(nullptr);
  EXPECT_TRUE(timer.ActiveOnly());
  EXPECT_TRUE(timer.Enabled());
  EXPECT_FALSE(timer.Running());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_EQ(timer.FramesPerSecond(), 0);
  EXPECT_FALSE(App->OnIdle);
  const int hooks = App->HookCount();
  {
    TDXTimer* t = Make(1);
    EXPECT_EQ(App->HookCount(), hooks + 1);
    EXPECT_TRUE(t->Running());
    EXPECT_TRUE(App->OnIdle);
    // Every idle pass asks for another at once.
    bool done = true;
    App->OnIdle(App.get(), done);
    EXPECT_FALSE(done);
    Timers.clear();
  }
  EXPECT_EQ(App->HookCount(), hooks);
  EXPECT_FALSE(App->OnIdle);
}

TEST_F(FrameTimer, LagCountIsTheElapsedTimeOverTheInterval) {
  TDXTimer* t = Make(16);
  EXPECT_EQ(Pass(), Ticks{});
  AdvanceMs(15);
  EXPECT_EQ(Pass(), Ticks{});
  AdvanceMs(1);
  EXPECT_EQ(Pass(), Ticks{1});
  AdvanceMs(40);
  EXPECT_EQ(Pass(), Ticks{2});
  EXPECT_EQ(Pass(), Ticks{});
  // With interval 1 every new millisecond ticks with the milliseconds passed.
  t->SetInterval(1);
  AdvanceMs(1);
  EXPECT_EQ(Pass(), Ticks{1});
  AdvanceMs(7);
  EXPECT_EQ(Pass(), Ticks{7});
  EXPECT_EQ(Pass(), Ticks{});
}

TEST_F(FrameTimer, IntervalZeroTicksEveryPass) {
  Make(0);
  EXPECT_EQ(Pass(), Ticks{1});
  EXPECT_EQ(Pass(), Ticks{1});
  AdvanceMs(5);
  EXPECT_EQ(Pass(), Ticks{5});
}

TEST_F(FrameTimer, ClockWrapGivesTheTrueElapsedTime) {
  SetTimeGetTimeOffset(0xFFFFFFFFu - 5);
  Make(1);
  AdvanceMs(4);
  EXPECT_EQ(Pass(), Ticks{4});
  AdvanceMs(10);  // the clock passes 2^32 here
  EXPECT_LT(timeGetTime(), 100u);
  EXPECT_EQ(Pass(), Ticks{10});
}

TEST_F(FrameTimer, FramesPerSecondOverAMeasuringWindow) {
  TDXTimer* t = Make(1);
  for (int i = 0; i < 89; ++i) {
    AdvanceMs(1);
    Pass();
  }
  EXPECT_EQ(t->FramesPerSecond(), 0);
  AdvanceMs(1500 - 89);
  Pass();
  EXPECT_EQ(t->FramesPerSecond(), 60);  // 90 ticks in 1500 ms
  // Halves round to even: 3 ticks in 2000 ms are 1.5 → 2, 5 ticks 2.5 → 2.
  struct {
    int ticks;
    int fps;
  } cases[] = {{3, 2}, {5, 2}, {7, 4}, {1, 0}};
  for (const auto& c : cases) {
    for (int i = 0; i < c.ticks - 1; ++i) {
      AdvanceMs(1);
      Pass();
    }
    AdvanceMs(2000 - (c.ticks - 1));
    Pass();
    EXPECT_EQ(t->FramesPerSecond(), c.fps) << c.ticks;
  }
}

TEST_F(FrameTimer, ActiveOnlyPausesWhileAnotherProgramIsActive) {
  TDXTimer* t = Make(1);
  int activations = 0, deactivations = 0;
  t->OnActivate = [&](TObject* s) {
    EXPECT_EQ(s, t);
    ++activations;
  };
  t->OnDeactivate = [&](TObject*) { ++deactivations; };
  AdvanceMs(2);
  EXPECT_EQ(Pass(), Ticks{2});
  AppActivates(false);
  EXPECT_EQ(deactivations, 1);
  EXPECT_TRUE(t->Running());
  EXPECT_FALSE(App->OnIdle);
  AdvanceMs(500);
  EXPECT_EQ(Pass(), Ticks{});
  // Activation resets the time stamps: the next lag counts from it.
  Lags.clear();
  App->Perform(WM_ACTIVATEAPP, 1);
  Driver->Pump(1);
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(Lags, Ticks{});
  AdvanceMs(3);
  EXPECT_EQ(Pass(), Ticks{3});

  // Without ActiveOnly the events come but the timer goes on.
  t->SetActiveOnly(false);
  AppActivates(false);
  EXPECT_EQ(deactivations, 2);
  AdvanceMs(4);
  EXPECT_EQ(Pass(), Ticks{4});
  // Turning ActiveOnly on while inactive pauses at once.
  t->SetActiveOnly(true);
  AdvanceMs(4);
  EXPECT_EQ(Pass(), Ticks{});
  AppActivates(true);
  AdvanceMs(1);
  EXPECT_EQ(Pass(), Ticks{1});
}

TEST_F(FrameTimer, InactiveWhenLoadingEndsWaitsForActivation) {
  App->Perform(WM_ACTIVATEAPP, 0);
  Driver->Pump(1);
  ASSERT_FALSE(App->Active());
  TDXTimer* t = Make(1);
  EXPECT_TRUE(t->Running());
  AdvanceMs(10);
  EXPECT_EQ(Pass(), Ticks{});
  App->Perform(WM_ACTIVATEAPP, 1);
  Driver->Pump(1);
  AdvanceMs(2);
  EXPECT_EQ(Pass(), Ticks{2});
}

TEST_F(FrameTimer, EnabledWhileLoadingStartsNothingUntilLoaded) {
  auto timer = std::make_unique<TDXTimer>(nullptr);
  timer->BeginLoading();
  timer->SetEnabled(false);
  timer->SetEnabled(true);
  timer->SetInterval(1);
  EXPECT_FALSE(timer->Running());
  EXPECT_FALSE(App->OnIdle);
  timer->Loaded();
  EXPECT_TRUE(timer->Running());
  EXPECT_TRUE(App->OnIdle);
  // Outside loading the setter stops and starts the timer.
  timer->SetEnabled(false);
  EXPECT_FALSE(timer->Running());
  EXPECT_FALSE(App->OnIdle);
  timer->SetEnabled(true);
  EXPECT_TRUE(timer->Running());
  EXPECT_TRUE(App->OnIdle);
  // A disabled timer does not start at Loaded.
  TDXTimer* off = Make(1, true, false);
  EXPECT_FALSE(off->Running());
}

TEST_F(FrameTimer, IntervalSetterTakesSignedValues) {
  TDXTimer* t = Make(1);
  t->SetInterval(0x80000005u);
  EXPECT_EQ(t->Interval(), 0u);
  AdvanceMs(6);
  EXPECT_EQ(Pass(), Ticks{6});  // divisor 1
  t->SetInterval(0);            // already 0: the divisor stays 1
  AdvanceMs(3);
  EXPECT_EQ(Pass(), Ticks{3});
  t->SetInterval(4);
  AdvanceMs(9);
  EXPECT_EQ(Pass(), Ticks{2});
}

TEST_F(FrameTimer, SuspendLeavesAnIdleHandlerThatIsNotItsOwn) {
  TDXTimer* a = Make(1);
  TDXTimer* b = Make(1);  // takes over the idle slot
  a->SetEnabled(false);
  EXPECT_TRUE(App->OnIdle);
  AdvanceMs(2);
  EXPECT_EQ(Pass(), Ticks{2});  // b's tick
  // Someone else's idle handler survives a timer's pause.
  int foreign = 0;
  App->OnIdle = [&](TObject*, bool&) { ++foreign; };
  AppActivates(false);
  EXPECT_TRUE(App->OnIdle);
  EXPECT_GE(foreign, 1);
  b->SetEnabled(false);
  EXPECT_TRUE(App->OnIdle);
}

TEST_F(FrameTimer, AHandlerThatRaisesGivesOneErrorBoxPerTick) {
  TDXTimer* t = Make(1);
  t->OnTimer = [](TObject*, std::int32_t) { throw Exception("tick failed"); };
  for (int i = 0; i < 3; ++i) {
    AdvanceMs(1);
    Driver->Pump(1);
  }
  const auto boxes = Driver->MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_NE(boxes[0].Text.find("tick failed"), std::string::npos);
  EXPECT_TRUE(App->OnIdle);
}

TEST_F(FrameTimer, StoresAllThreePropertiesAndStartsWhenLoadingEnds) {
  TDXTimer stored(nullptr);
  stored.SetInterval(1);
  TMemoryStream m;
  WritePersistentProperties(&m, &stored);
  const std::vector<BYTE>& w = m.Bytes();
  auto has = [&](const std::string& name) {
    return std::search(w.begin(), w.end(), name.begin(), name.end()) != w.end();
  };
  EXPECT_TRUE(has("ActiveOnly"));
  EXPECT_TRUE(has("Enabled"));
  EXPECT_TRUE(has("Interval"));
  TDXTimer* back = new TDXTimer(nullptr);
  Timers.emplace_back(back);
  back->SetEnabled(false);
  back->SetActiveOnly(false);
  back->BeginLoading();
  m.SetPosition(0);
  ReadPersistentProperties(&m, back);
  EXPECT_TRUE(back->Enabled());
  EXPECT_TRUE(back->ActiveOnly());
  EXPECT_EQ(back->Interval(), 1u);
  EXPECT_FALSE(back->Running());
  back->Loaded();
  EXPECT_TRUE(back->Running());
  AdvanceMs(1);
  back->OnTimer = [this](TObject*, std::int32_t lag) { Lags.push_back(lag); };
  EXPECT_EQ(Pass(), Ticks{1});
}

// Whole-program tests run the loop through the driver while the timer owns
// the idle slot: the driver's pass hook and its runs go on beside it.
TEST_F(FrameTimer, TheDriverRunsFramesInsideRunWhileTheTimerOwnsIdle) {
  TForm* main = nullptr;
  App->CreateForm(main);
  TDXTimer* timer = Make(1);
  ASSERT_TRUE(timer->Running());
  ASSERT_TRUE(App->OnIdle);
  long hookPasses = 0;
  bool hookInRun = true;
  Driver->SetPassHook([&] {
    ++hookPasses;
    hookInRun = hookInRun && App->InRun();
  });
  EXPECT_TRUE(Driver->RunUntil([&] { return Lags.size() >= 10; }, 1000));
  EXPECT_EQ(Lags.size(), 10u);
  // The first activation of the main form restarts the timer's clock, so the
  // pass it falls in may have no tick.
  EXPECT_EQ(hookPasses, Driver->LastRunPasses());
  EXPECT_LE(hookPasses, 11);
  EXPECT_TRUE(hookInRun);
  hookPasses = 0;
  EXPECT_EQ(Lags, Ticks(10, 1));

  Lags.clear();
  Driver->SetFrameStep(16);
  Driver->RunTicks(100);
  EXPECT_EQ(Lags, Ticks(100, 16));
  Lags.clear();
  Driver->AdvanceAndPump(250);
  EXPECT_EQ(Lags, Ticks{250});
  EXPECT_EQ(hookPasses, 101);
  EXPECT_FALSE(App->Terminated());
  EXPECT_TRUE(Driver->Failures().empty());
}
