// A main form for the control tests: an application driven headless through
// the test driver and its controls extension.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/Graphic.h"
#include "platform/toolkit/Graphics.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/toolkit/TestDriverControls.h"
#include "platform/win/KeyState.h"
#include "tests/support/FixedSizeGraphic.h"

// A square glyph for speed buttons, as the programs' buttons have: a fuchsia
// ground (the bottom-left colour, transparent) with a figure a test paints
// on it in PaintFigure.
class TTestGlyphBase : public TFixedSizeGraphic {
 public:
  explicit TTestGlyphBase(int Side) : TFixedSizeGraphic(Side, Side) {}

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override {
    ACanvas->Brush()->SetColor(clFuchsia);
    ACanvas->FillRect(Rect);
    PaintFigure(ACanvas, Rect);
  }
  virtual void PaintFigure(TCanvas* ACanvas, const TRect& Rect) = 0;
};

class TControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App = std::make_unique<TApplication>();
    App->SetTitle("Brask Engine");
    Driver = std::make_unique<TTestDriver>();
    Controls = std::make_unique<TControlsDriver>(*Driver);
    App->CreateForm(Main);
    Main->SetName("Main");
    Main->SetBounds(40, 30, 400, 300);
  }
  void TearDown() override {
    Controls.reset();
    Driver.reset();
    App.reset();
    KeyStateReleaseAll();
  }
  // Shows the main form and lets Qt lay it out.
  void ShowMain() {
    Main->Show();
    Driver->Pump(2);
  }
  template <class T>
  T* Make(const char* Name, int Left, int Top, int Width, int Height, TWinControl* Parent = nullptr) {
    auto* c = new T(Main);
    c->SetName(Name);
    c->SetParent(Parent ? Parent : Main);
    c->SetBounds(Left, Top, Width, Height);
    return c;
  }

  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  std::unique_ptr<TControlsDriver> Controls;
  TForm* Main = nullptr;
};
