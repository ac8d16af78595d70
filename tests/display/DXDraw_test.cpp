#include "display/DXDraw.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "display/DXDrawDriver.h"
#include "display/DXTimer.h"
#include "tests/display/DXDrawFixtures.h"
#include "tests/display/DirectDrawFixtures.h"

namespace {

using Strings = std::vector<std::string>;

struct OptionsCase {
  const char* What;
  TDXDrawOptions Requested;
  TDXDrawOptions Effective;
};

TEST(DrawOptions, EffectiveSetOfAControlNotInitialised) {
  const OptionsCase cases[] = {
      {"default set", DefaultDXDrawOptions, {doWaitVBlank, doCenter}},
      {"flip needs full screen", {doFlip, doCenter}, {doCenter}},
      {"full-screen flags kept",
       {doFullScreen, doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip},
       {doFullScreen, doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip}},
      {"system memory drops flip", {doFullScreen, doFlip, doSystemMemory}, {doFullScreen, doSystemMemory}},
      {"3D flags need 3D",
       {doDirectX7Mode, doRetainedMode, doHardware, doSelectDriver, doZBuffer, doStretch},
       {doStretch}},
      {"DirectX 7 mode drops retained mode",
       {do3D, doDirectX7Mode, doRetainedMode, doSelectDriver, doZBuffer},
       {do3D, doDirectX7Mode, doSelectDriver, doZBuffer}},
      {"retained mode without DirectX 7", {do3D, doRetainedMode}, {do3D, doRetainedMode}},
      {"hardware always removed", {do3D, doHardware, doFullScreen}, {do3D, doFullScreen}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_EQ(EffectiveDXDrawOptions(c.Requested, false, {}).Bits(), c.Effective.Bits());
  }
  EXPECT_EQ(DXDrawOptionsToWord(DefaultDXDrawOptions), 0x348C);
}

TEST(DrawOptions, EffectiveSetOfAnInitialisedControlTakesOnlyThePresentationBits) {
  const TDXDrawOptions old{doWaitVBlank, doCenter, doSystemMemory};
  EXPECT_EQ(EffectiveDXDrawOptions({doStretch, doFullScreen, doFlip}, true, old).Bits(),
            (TDXDrawOptions{doStretch, doSystemMemory}).Bits());
  EXPECT_EQ(EffectiveDXDrawOptions({}, true, {do3D, doHardware, doZBuffer}).Bits(),
            (TDXDrawOptions{do3D, doHardware, doZBuffer}).Bits());
  EXPECT_EQ(EffectiveDXDrawOptions({}, true, {doHardware, doZBuffer, doRetainedMode, doSelectDriver}).Bits(), 0u);
}

class DrawControl : public DrawControlTest {};

TEST_F(DrawControl, ShowingTheFormInitialisesOnceWithTheDefaultOptions) {
  TDXDraw* draw = MakeDraw(10, 10, 200, 100);
  EXPECT_FALSE(draw->Initialized());  // the form is subclassed: Loaded leaves it
  Form->Show();
  ASSERT_TRUE(draw->Initialized());
  EXPECT_EQ(draw->EffectiveOptions().Bits(), (TDXDrawOptions{doWaitVBlank, doCenter}).Bits());
  EXPECT_NE(Draw7Intf(draw->DDraw()), nullptr);
  EXPECT_NE(dynamic_cast<TDXDrawDriverBlt*>(draw->Driver()), nullptr);
  EXPECT_EQ(draw->SurfaceWidth(), 200);
  EXPECT_EQ(draw->SurfaceHeight(), 100);
  ASSERT_NE(draw->Palette(), nullptr);
  ASSERT_NE(draw->Clipper(), nullptr);
  TDirectDraw* first = draw->DDraw();

  Form->Hide();
  Form->Show();
  EXPECT_EQ(draw->DDraw(), first);  // a second showing does not initialise again
}

TEST_F(DrawControl, NotificationOrderAtInitialiseResizeAndFinalise) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  TRecordingListener &a = Rec[0], &b = Rec[1];
  Listen(a, draw, "A");
  Listen(b, draw, "B");
  EXPECT_EQ(Log, (Strings{"A:SurfaceSize", "B:SurfaceSize"}));
  Log.clear();

  Form->Show();
  EXPECT_EQ(Log, (Strings{"B:Initializing", "A:Initializing", "B:SurfaceSize", "A:SurfaceSize", "B:Initialize",
                          "A:Initialize", "B:InitializeSurface", "A:InitializeSurface", "B:Restore", "A:Restore"}));

  Log.clear();
  draw->SetBounds(0, 0, 200, 100);
  EXPECT_TRUE(Log.empty());
  draw->SetBounds(0, 0, 150, 80);
  EXPECT_EQ(Log, (Strings{"B:FinalizeSurface", "A:FinalizeSurface", "B:InitializeSurface", "A:InitializeSurface",
                          "B:SurfaceSize", "A:SurfaceSize"}));
  EXPECT_EQ(draw->Surface()->Width(), 150);

  Log.clear();
  draw->Finalize();
  EXPECT_EQ(Log, (Strings{"B:FinalizeSurface", "A:FinalizeSurface", "B:Finalize", "A:Finalize"}));
  EXPECT_FALSE(draw->Initialized());
  EXPECT_EQ(draw->DDraw(), nullptr);
  EXPECT_EQ(draw->Surface(), nullptr);
  EXPECT_EQ(draw->SurfaceWidth(), 150);  // kept for the next initialisation
}

TEST_F(DrawControl, LateListenersGetTheCurrentStateReplayed) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  TRecordingListener &early = Rec[0], &during = Rec[1], &late = Rec[2];
  Listen(early, draw, "E");
  early.Action = [&](TCustomDXDraw* sender, TDrawNotifyCode code) {
    if (code == dnInitialize) Listen(during, sender, "D");
  };
  Log.clear();
  Form->Show();
  // Registered while Initialize notifies: no dnRestore from the replay, the
  // restore that follows brings it.
  EXPECT_EQ(Log, (Strings{"E:Initializing", "E:SurfaceSize", "E:Initialize", "D:SurfaceSize", "D:Initialize",
                          "D:InitializeSurface", "E:InitializeSurface", "D:Restore", "E:Restore"}));

  Log.clear();
  Listen(late, draw, "L");
  EXPECT_EQ(Log, (Strings{"L:SurfaceSize", "L:Initialize", "L:InitializeSurface", "L:Restore"}));

  // Registering again leaves one registration: told to let go, then replayed.
  Log.clear();
  draw->AddListener(late.Handler());
  EXPECT_EQ(draw->ListenerCount(), 3);
  EXPECT_EQ(Log, (Strings{"L:FinalizeSurface", "L:Finalize", "L:SurfaceSize", "L:Initialize", "L:InitializeSurface",
                          "L:Restore"}));
  Log.clear();
  draw->RemoveListener(late.Handler());
  EXPECT_EQ(Log, (Strings{"L:FinalizeSurface", "L:Finalize"}));
  Log.clear();
  draw->RemoveListener(late.Handler());  // not registered: nothing
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(draw->ListenerCount(), 2);
}

TEST_F(DrawControl, AListenerRemovedDuringANotificationIsNotCalledAgain) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  TRecordingListener &a = Rec[0], &b = Rec[1], &c = Rec[2];
  Listen(a, draw, "A");
  Listen(b, draw, "B");
  Listen(c, draw, "C");
  // C (called first) unregisters A, which has not had its turn yet; B
  // unregisters itself.
  c.Action = [&](TCustomDXDraw* sender, TDrawNotifyCode code) {
    if (code == dnInitializing) sender->RemoveListener(a.Handler());
  };
  b.Action = [&](TCustomDXDraw* sender, TDrawNotifyCode code) {
    if (code == dnInitializing) sender->RemoveListener(b.Handler());
  };
  Log.clear();
  Form->Show();
  EXPECT_EQ(Log, (Strings{"C:Initializing", "B:Initializing", "C:SurfaceSize", "C:Initialize", "C:InitializeSurface",
                          "C:Restore"}));
}

TEST_F(DrawControl, FinalisationTellsEveryListenerWhenOneRaisesAndReleasesEverything) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  TRecordingListener &a = Rec[0], &b = Rec[1];
  Listen(a, draw, "A");
  Listen(b, draw, "B");
  b.Action = [](TCustomDXDraw*, TDrawNotifyCode code) {
    if (code == dnFinalizeSurface) throw std::runtime_error("first");
    if (code == dnFinalize) throw std::runtime_error("second");
  };
  int finalizeEvents = 0;
  draw->OnFinalize = [&](TObject*) { ++finalizeEvents; };
  Form->Show();
  ASSERT_TRUE(draw->Initialized());
  Log.clear();
  try {
    draw->Finalize();
    FAIL() << "the listener's exception is passed on";
  } catch (const std::runtime_error& e) { EXPECT_STREQ(e.what(), "first"); }
  EXPECT_EQ(Log, (Strings{"B:FinalizeSurface", "A:FinalizeSurface", "B:Finalize", "A:Finalize"}));
  EXPECT_EQ(finalizeEvents, 1);
  EXPECT_FALSE(draw->Initialized());
  EXPECT_FALSE(draw->Busy());
  EXPECT_EQ(draw->DDraw(), nullptr);
  EXPECT_EQ(draw->Driver(), nullptr);
}

TEST_F(DrawControl, BusyIsClearedWhenAListenerRaisesDuringRestore) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  Form->Show();
  TRecordingListener& a = Rec[0];
  bool raise = true;
  a.Action = [&](TCustomDXDraw*, TDrawNotifyCode code) {
    if (code == dnRestore && raise) throw std::runtime_error("restore");
  };
  a.Name = "A";
  a.Log = &Log;
  EXPECT_THROW(draw->AddListener(a.Handler()), std::runtime_error);  // the replayed dnRestore
  EXPECT_THROW(draw->Restore(), std::runtime_error);
  EXPECT_FALSE(draw->Busy());
  EXPECT_TRUE(draw->CanDraw());
  raise = false;
  Log.clear();
  draw->Restore();
  EXPECT_EQ(Log, (Strings{"A:Restore"}));
}

TEST_F(DrawControl, NothingIsDrawnOrPresentedWhileNotInitialised) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  EXPECT_FALSE(draw->CanDraw());
  EXPECT_NO_THROW(draw->Flip());
  EXPECT_NO_THROW(draw->Restore());
  EXPECT_EQ(draw->Surface(), nullptr);

  auto* orphan = new TDXDraw(Form);  // no parent: no form
  try {
    orphan->Initialize();
    FAIL();
  } catch (const EDXDrawError& e) { EXPECT_STREQ(e.what(), "Form not found"); }
  EXPECT_FALSE(orphan->Initialized());
}

TEST_F(DrawControl, AFailedInitialisationEndsFinalisedAndLaterFramesDoNothing) {
  TRefusingDDrawModule refusing(
      [](const DDSURFACEDESC& d) { return (d.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0; });
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  draw->SetOptions(DefaultDXDrawOptions - TDXDrawOptions{doDirectX7Mode});
  TRecordingListener& a = Rec[0];
  Listen(a, draw, "A");
  Log.clear();
  try {
    draw->Initialize();
    FAIL();
  } catch (const EDXDrawError& e) { EXPECT_STREQ(e.what(), "Primary Surface cannot be made"); }
  EXPECT_EQ(Log, (Strings{"A:Initializing"}));
  EXPECT_FALSE(draw->Initialized());
  EXPECT_EQ(draw->DDraw(), nullptr);
  for (int tick = 0; tick < 3; ++tick) {
    EXPECT_FALSE(draw->CanDraw());
    EXPECT_NO_THROW(draw->Flip());
  }
}

TEST_F(DrawControl, BackSurfaceFallsBackToSystemMemoryAndNotesIt) {
  TRefusingDDrawModule refusing([](const DDSURFACEDESC& d) {
    return (d.ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN) && !(d.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);
  });
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  draw->SetOptions(DefaultDXDrawOptions - TDXDrawOptions{doDirectX7Mode});
  Form->Show();
  ASSERT_TRUE(draw->Initialized());
  EXPECT_TRUE(draw->EffectiveOptions().Contains(doSystemMemory));
  EXPECT_FALSE(draw->Options().Contains(doSystemMemory));
}

TEST_F(DrawControl, SizeZeroMakesOneByOneOnceAndRepeatingItSendsNothing) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100, false);
  Form->Show();
  TRecordingListener& a = Rec[0];
  Listen(a, draw, "A");
  Log.clear();
  draw->SetSize(0, 0);
  EXPECT_EQ(draw->Surface()->Width(), 1);
  EXPECT_EQ(draw->Surface()->Height(), 1);
  EXPECT_EQ(Log.size(), 3u);
  Log.clear();
  TDirectDrawSurface* surface = draw->Surface();
  IDirectDrawSurface* intf = SurfaceIntf(surface);
  draw->SetSize(0, 0);
  draw->SetSize(-5, 1);
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(SurfaceIntf(draw->Surface()), intf);
}

TEST_F(DrawControl, FlipWithBothSurfacesLostRestoresClearsAndPresents) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  Form->Show();
  TRecordingListener& a = Rec[0];
  Listen(a, draw, "A");
  draw->Surface()->Fill(0x00FF0000);
  draw->Flip();
  EXPECT_EQ(Driver->ReadPixels(draw).At(10, 10), 0x00FF0000u);
  draw->Surface()->Fill(0x0000FF00);
  LoseEmulatedSurfaces(true);
  Log.clear();
  draw->Flip();
  EXPECT_EQ(Log, (Strings{"A:Restore"}));
  EXPECT_EQ(SurfaceIntf(draw->Surface())->IsLost(), 0);
  EXPECT_EQ(Driver->ReadPixels(draw).At(10, 10), 0u);  // the cleared back surface
}

TEST_F(DrawControl, WaitsForTheVerticalBlankOnlyWithTheOption) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  Form->Show();
  SetManualClock(1000);
  draw->Flip();
  const std::int64_t first = ClockMicroseconds();
  EXPECT_GE(first, 16666);
  EXPECT_LE(first, 16667);
  draw->Flip();
  EXPECT_GE(ClockMicroseconds(), 33333);
  draw->SetOptions(DefaultDXDrawOptions - TDXDrawOptions{doWaitVBlank});
  const std::int64_t before = ClockMicroseconds();
  draw->Flip();
  EXPECT_EQ(ClockMicroseconds(), before);
}

TEST_F(DrawControl, TheVerticalBlankPacesAMillisecondTimerToLagsOfAbout16) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  Form->Show();
  std::vector<std::int32_t> lags;
  auto* timer = new TDXTimer(Form);
  timer->BeginLoading();
  timer->SetActiveOnly(false);
  timer->SetInterval(1);
  timer->SetEnabled(true);
  timer->OnTimer = [&](TObject*, std::int32_t lag) {
    lags.push_back(lag);
    draw->Surface()->Fill(0);
    draw->Flip();
  };
  timer->Loaded();
  AdvanceManualClock(5000);
  // The idle loop never waits while the timer runs; only the vertical blank
  // in Flip moves the clock on.
  for (int i = 0; i < 8; ++i) Driver->Pump(1);
  ASSERT_EQ(lags.size(), 8u);
  EXPECT_EQ(lags[0], 5);
  EXPECT_EQ(lags[1], 11);  // from 5 ms to the blank at 16.7 ms
  for (size_t i = 2; i < lags.size(); ++i) {
    EXPECT_GE(lags[i], 16);
    EXPECT_LE(lags[i], 17);
  }
}

// Presentation geometry read back from the window: the back surface holds a
// frame of blue around a red middle.
class Presentation : public DrawControlTest {
 protected:
  TDXDraw* Make(int ControlWidth, int ControlHeight, int SurfaceWidth, int SurfaceHeight, TDXDrawOptions Options) {
    TDXDraw* draw = MakeDraw(0, 0, ControlWidth, ControlHeight, false);
    draw->SetSize(SurfaceWidth, SurfaceHeight);
    draw->SetOptions(Options);
    Form->SetColor(static_cast<TColor>(0x00FFFFFF));
    draw->SetColor(static_cast<TColor>(0x00FFFFFF));
    Form->Show();
    EXPECT_TRUE(draw->Initialized());
    draw->Surface()->Fill(0x000000FF);
    DDBLTFX fx;
    fx.dwSize = DDBltFxRecordSize;
    fx.dwFillColor = 0x00FF0000;
    RECT middle{1, 1, SurfaceWidth - 1, SurfaceHeight - 1};
    draw->Surface()->Blt(&middle, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, fx, nullptr);
    draw->Flip();
    return draw;
  }
};

TEST_F(Presentation, CentresTheSurfaceWithTheOddPixelRightAndBelow) {
  TDXDraw* draw = Make(121, 81, 100, 60, {doCenter});
  TPixels p = Driver->ReadPixels(draw);
  // (121 - 100) div 2 = 10, (81 - 60) div 2 = 10: the surface covers 10..109.
  EXPECT_EQ(p.At(9, 40), 0u);  // the primary as the restore cleared it
  EXPECT_EQ(p.At(10, 40), 0x000000FFu);
  EXPECT_EQ(p.At(11, 40), 0x00FF0000u);
  EXPECT_EQ(p.At(109, 40), 0x000000FFu);
  EXPECT_EQ(p.At(110, 40), 0u);  // the primary as the restore cleared it
  EXPECT_EQ(p.At(120, 40), 0u);  // the primary as the restore cleared it
  EXPECT_EQ(p.At(50, 9), 0u);    // the primary as the restore cleared it
  EXPECT_EQ(p.At(50, 10), 0x000000FFu);
  EXPECT_EQ(p.At(50, 69), 0x000000FFu);
  EXPECT_EQ(p.At(50, 70), 0u);  // the primary as the restore cleared it
}

TEST_F(Presentation, ASmallerControlShowsTheMiddleOfTheSurface) {
  TDXDraw* draw = Make(50, 30, 101, 61, {doCenter});
  TPixels p = Driver->ReadPixels(draw);
  // Offsets (50 - 101) / 2 = -25 and (30 - 61) / 2 = -15, toward zero.
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 50; ++x) ASSERT_EQ(p.At(x, y), 0x00FF0000u) << x << "," << y;
}

TEST_F(Presentation, WithoutCentringAtTheCornerAndStretchingWins) {
  TDXDraw* corner = Make(120, 80, 100, 60, {});
  TPixels p = Driver->ReadPixels(corner);
  EXPECT_EQ(p.At(0, 0), 0x000000FFu);
  EXPECT_EQ(p.At(1, 1), 0x00FF0000u);
  EXPECT_EQ(p.At(100, 30), 0u);  // the primary as the restore cleared it
  corner->SetOptions({doStretch, doCenter});
  corner->Flip();
  p = Driver->ReadPixels(corner);
  EXPECT_EQ(p.At(0, 0), 0x000000FFu);
  EXPECT_EQ(p.At(119, 79), 0x000000FFu);
  EXPECT_EQ(p.At(60, 40), 0x00FF0000u);
}

TEST_F(DrawControl, ColorTableBecomesPaletteEntries) {
  TRGBQuads table{};
  for (int i = 0; i < 256; ++i) {
    table[static_cast<size_t>(i)].rgbRed = static_cast<BYTE>(i);
    table[static_cast<size_t>(i)].rgbGreen = static_cast<BYTE>(255 - i);
    table[static_cast<size_t>(i)].rgbBlue = 7;
  }
  auto all = PaletteEntriesFromColorTable(table, true);
  EXPECT_EQ(all[3].peRed, 3);
  EXPECT_EQ(all[3].peGreen, 252);
  EXPECT_EQ(all[3].peBlue, 7);
  EXPECT_EQ(all[3].peFlags, 0x40);
  EXPECT_EQ(all[250].peRed, 250);
  auto some = PaletteEntriesFromColorTable(table, false);
  EXPECT_EQ(some[100].peRed, 100);
  EXPECT_EQ(some[255].peFlags, 0x40);
}

TEST_F(DrawControl, DestroyingTheWindowFinalisesAndDestroyingTheControlTellsListeners) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  TRecordingListener& a = Rec[0];
  Listen(a, draw, "A");
  Form->Show();
  Log.clear();
  draw->Perform(WM_NULL);
  Form->Perform(WM_DESTROY);
  EXPECT_EQ(Log, (Strings{"A:FinalizeSurface", "A:Finalize"}));
  EXPECT_FALSE(draw->Initialized());
  Log.clear();
  draw->Free();
  EXPECT_EQ(Log, (Strings{"A:Destroying"}));
}

TEST_F(DrawControl, APaletteMessageRestoresOnlyWhenTheFormComesToTheFront) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  TRecordingListener& a = Rec[0];
  Listen(a, draw, "A");
  Form->Show();
  Log.clear();
  EXPECT_EQ(Form->Perform(WM_QUERYNEWPALETTE), 1);
  EXPECT_EQ(Log, (Strings{"A:Restore"}));
  Log.clear();
  TForm* other = nullptr;
  App->CreateForm(other);
  other->Show();
  Form->Perform(WM_PALETTECHANGED, reinterpret_cast<WPARAM>(other->Handle()));
  EXPECT_TRUE(Log.empty()) << "another window's palette change is not a restore";
}

// A drawing control whose own window can be made again.
class TRecreatedDraw : public TDXDraw {
 public:
  using TDXDraw::TDXDraw;
  void RecreateWindow() {
    DestroyHandle();
    HandleNeeded();
  }
};

TEST_F(DrawControl, ARecreatedWindowGetsTheClipperAndIsPresentedInto) {
  auto* draw = new TRecreatedDraw(Form);
  draw->BeginLoading();
  draw->SetParent(Form);
  draw->SetBounds(0, 0, 120, 80);
  draw->SetOptions({});
  draw->Loaded();
  Form->Show();
  ASSERT_TRUE(draw->Initialized());
  const HWND old = draw->Handle();
  draw->RecreateWindow();
  ASSERT_NE(draw->Handle(), old);
  ASSERT_TRUE(draw->Initialized());
  HWND clipped = nullptr;
  ASSERT_EQ(draw->Clipper()->ClipperIntf()->GetHWnd(&clipped), DD_OK);
  EXPECT_EQ(clipped, draw->Handle());
  draw->Surface()->Fill(0x00123456);
  draw->Flip();
  EXPECT_EQ(Driver->ReadPixels(draw).At(60, 40), 0x00123456u);
}

TEST_F(DrawControl, AFormLeavingItsOwnerLosesTheControlsHook) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  Form->Show();
  ASSERT_TRUE(draw->Initialized());
  int seen = 0;
  TWndMethod before = Form->WindowProc;
  Form->WindowProc = TWndMethod([&seen, before](TMessage& m) {
    if (m.Msg == WM_USER) ++seen;
    before(m);
  });
  App->RemoveComponent(Form);
  EXPECT_FALSE(draw->Initialized());
  EXPECT_EQ(draw->ParentForm(), nullptr);
  draw->Free();
  // The form's messages no longer pass through the freed control.
  Form->Perform(WM_ACTIVATE, WA_INACTIVE);
  Form->Perform(WM_USER);
  EXPECT_EQ(seen, 1);
  Form->Free();
  Form = nullptr;
}

}  // namespace

namespace {

TEST_F(DrawControl, FullScreenPageFlippingDriver) {
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  draw->SetOptions({doFullScreen, doFlip, doAllowReboot});
  draw->Display()->SetBitCount(32);
  TRecordingListener& a = Rec[0];
  Listen(a, draw, "A");
  Form->Show();
  ASSERT_TRUE(draw->Initialized());
  ASSERT_NE(dynamic_cast<TDXDrawDriverFlip*>(draw->Driver()), nullptr);
  EXPECT_FALSE(draw->Surface()->Empty());
  EXPECT_EQ(draw->Surface()->Width(), 640);  // the display mode's size
  EXPECT_EQ(draw->Display()->Width(), 640);

  // Its back buffer keeps the size of the display mode: nothing is sent.
  Log.clear();
  draw->SetSize(300, 200);
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(draw->Surface()->Width(), 640);

  // Flips show the back buffer on the screen while the form is active.
  ASSERT_TRUE(Form->Active());
  draw->Surface()->Fill(0x112233);
  draw->Flip();
  EXPECT_EQ(draw->Primary()->LastResult(), 0);
  EXPECT_EQ(EmulatedScreenPixel(250, 150), 0x112233u);
  // The buffer behind the screen now is the desktop's (the chain's first
  // memory); the form's deactivation flips back to it.
  draw->Surface()->Fill(0x445566);
  TForm* other = nullptr;
  App->CreateForm(other);
  other->Show();
  Driver->Pump();
  ASSERT_FALSE(Form->Active());
  EXPECT_EQ(EmulatedScreenPixel(250, 150), 0x445566u);
  // While the form is not active a flip shows nothing and leaves 0.
  draw->Surface()->Fill(0x778899);
  draw->Primary()->Check(DDERR_GENERIC);
  draw->Flip();
  EXPECT_EQ(draw->Primary()->LastResult(), 0);
  EXPECT_EQ(EmulatedScreenPixel(250, 150), 0x445566u);
  other->Free();
  Form->Show();
  Driver->Pump();
  ASSERT_TRUE(Form->Active());
  draw->Flip();
  EXPECT_EQ(EmulatedScreenPixel(250, 150), 0x778899u);

  draw->Finalize();
  EXPECT_EQ(draw->EffectiveOptions().Bits(), (TDXDrawOptions{doFullScreen, doFlip, doAllowReboot}).Bits());
}

TEST_F(DrawControl, AFullScreenModeThatCannotBeSetFailsWithItsSize) {
  SetEmulatedDisplayModes({});
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  draw->SetOptions({doFullScreen});
  try {
    draw->Initialize();
    FAIL();
  } catch (const EDXDrawError& e) { EXPECT_STREQ(e.what(), "Display mode cannot be changed (640x480 8bit)"); }
  EXPECT_FALSE(draw->Initialized());
  EXPECT_EQ(draw->DDraw(), nullptr);
}

TEST_F(DrawControl, A3DSetUpWithoutADeviceEndsFinalised) {
  // The stand-in offers no Direct3D device: the set-up on the new back
  // surface fails, and the control releases everything it made.
  TDXDraw* draw = MakeDraw(0, 0, 200, 100);
  draw->SetOptions({do3D, doDirectX7Mode, doHardware, doZBuffer});
  EXPECT_EQ(draw->EffectiveOptions().Bits(), (TDXDrawOptions{do3D, doDirectX7Mode, doZBuffer}).Bits());
  try {
    draw->Initialize();
    FAIL();
  } catch (const EDXDrawError& e) { EXPECT_STREQ(e.what(), "3D device not found"); }
  EXPECT_FALSE(draw->Initialized());
  EXPECT_EQ(draw->DDraw(), nullptr);
  EXPECT_EQ(draw->D3DSlots().D3DDevice7, nullptr);
  EXPECT_EQ(draw->D3DSlots().D3D7, nullptr);
  EXPECT_EQ(draw->D3DSlots().ZBuffer, nullptr);
  EXPECT_NO_THROW(draw->Flip());
}

}  // namespace

namespace {

class TCountingDraw : public TDXDraw {
 public:
  using TDXDraw::TDXDraw;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    TDXDraw::Paint();
  }
};

TEST_F(DrawControl, PaintingPresentsWithoutWaitingAndDoesNotRepaintItselfForever) {
  auto* draw = new TCountingDraw(Form);
  draw->BeginLoading();
  draw->SetParent(Form);
  draw->SetBounds(0, 0, 100, 60);
  draw->Loaded();
  Form->Show();
  ASSERT_TRUE(draw->Initialized());
  draw->Surface()->Fill(0x00123456);
  const std::int64_t before = ClockMicroseconds();
  draw->Invalidate();
  Driver->Pump(5);
  const int paints = draw->Paints;
  EXPECT_GE(paints, 1);
  EXPECT_EQ(ClockMicroseconds(), before);  // no vertical-blank wait in Paint
  EXPECT_TRUE(draw->EffectiveOptions().Contains(doWaitVBlank));
  EXPECT_EQ(Driver->ReadPixels(draw).At(5, 5), 0x00123456u);
  Driver->Pump(20);
  EXPECT_LE(draw->Paints, paints + 2);
}

}  // namespace
