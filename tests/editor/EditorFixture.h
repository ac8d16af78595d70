// The editor started afresh for each test: a temporary start folder made the
// current directory (with the data folder and type files the test writes),
// the DirectX stand-ins, a manual clock, the application with its three
// windows made by the program block, and a driver to work them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "display/PictureCollection.h"
#include "editor/BuildingForm.h"
#include "editor/MainForm.h"
#include "editor/Sandreth.h"
#include "editor/UnitForm.h"
#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/dinput/DInput.h"
#include "platform/dinput/DInputTest.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/toolkit/TestDriverControls.h"
#include "platform/win/KeyState.h"
#include "platform/win/Time.h"
#include "world/Records.h"
#include "world/WorldFiles.h"

namespace editor_test {

inline TUnitType UnitType(const char* Utf8Name, std::int32_t MaxHP = 45, std::int32_t Attack = 10,
                          std::int32_t Defense = 8, std::int32_t MaxMana = 0) {
  TUnitType t;
  t.Name.Assign(Cp(Utf8Name));
  t.MaxHP = MaxHP;
  t.Attack = Attack;
  t.Defense = Defense;
  t.MaxMana = MaxMana;
  return t;
}

inline TBuildingType BuildingType(const char* Utf8Name, std::int32_t MaxHP = 500, std::int32_t Attack = 0,
                                  std::int32_t Defense = 40) {
  TBuildingType t;
  t.Name.Assign(Cp(Utf8Name));
  t.MaxHP = MaxHP;
  t.Attack = Attack;
  t.Defense = Defense;
  return t;
}

// A one-colour picture on the transparent colour's background.
inline std::unique_ptr<TBitmap> Picture(int Width, int Height, TColor Fill) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(Width, Height);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(0xFF00FF);
  c->FillRect(TRect{0, 0, Width, Height});
  c->Brush()->SetColor(Fill);
  c->FillRect(TRect{2, 2, Width - 2, Height - 2});
  return b;
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterDDrawModules();
    RegisterDInputModule();
    ResetDDrawEmulation();
    DInputTest::Reset();
    KeyStateReleaseAll();
    UseManualClock(0);
    SetTimeGetTimeOffset(0);
    Saved = GetCurrentDir();
    Root = std::filesystem::temp_directory_path() /
           ("sandreth_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(Root);
    std::filesystem::create_directories(Root / "data");
    ASSERT_TRUE(SetCurrentDir(Root.string()));
  }

  void TearDown() override {
    Controls.reset();
    Driver.reset();
    App.reset();
    SetCurrentDir(Saved);
    std::filesystem::remove_all(Root);
    KeyStateReleaseAll();
    UseRealClock();
    ResetDDrawEmulation();
  }

  std::string Data(const std::string& Name) const { return (Root / "data" / Name).string(); }
  void AddUnitType(const std::string& FileName, const TUnitType& Type) { WriteUnitTypeFile(Data(FileName), Type); }
  void AddBuildingType(const std::string& FileName, const TBuildingType& Type) {
    WriteBuildingTypeFile(Data(FileName), Type);
  }
  void AddFile(const std::string& FileName, std::size_t Bytes) {
    std::ofstream(Data(FileName), std::ios::binary) << std::string(Bytes, 'x');
  }
  // The usual data folder: three unit types and two building types.
  void AddStandardTypes() {
    AddUnitType("piechur.unt", UnitType("Piechur", 45, 10, 8));
    AddUnitType("mag.unt", UnitType("Mag", 30, 6, 4, 60));
    AddUnitType("lucznik.unt", UnitType("Łucznik", 35, 12, 5));
    AddBuildingType("zamek.bld", BuildingType("Zamek", 1000, 20, 50));
    AddBuildingType("wieza.bld", BuildingType("Wieża", 400, 15, 30));
  }

  // Makes the application and the editor's windows, as the program does.
  void Create() {
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    Controls = std::make_unique<TControlsDriver>(*Driver);
    CreateSandrethForms(*App);
    F1 = Form1;
  }

  // Gives every image list small pictures of its own when the program carries
  // none, so that drawing tests do not depend on the generated pictures.
  void EnsurePictures() {
    struct TItem {
      TDXImageList* List;
      const char* Name;
      int W, H;
      TColor Fill;
    };
    const std::vector<TItem> items = {
        {F1->DXImageList1, "tile", 34, 50, 0x008000}, {F1->DXImageList1, "tree", 34, 50, 0x00FF00},
        {F1->DXImageList1, "water", 34, 50, 0xFF0000}, {F1->DXImageList1, "up1", 34, 50, 0x808080},
        {F1->DXImageList1, "up2", 34, 50, 0x909090},   {F1->DXImageList1, "up3", 34, 50, 0xA0A0A0},
        {F1->DXImageList1, "up4", 34, 50, 0xB0B0B0},   {F1->DXImageList2, "grid", 34, 50, 0xFFFFFF},
        {F1->DXImageList2, "hand", 32, 32, 0x0000FF},  {F1->DXImageList2, "up1", 34, 50, 0x404040},
        {F1->DXImageList2, "up2", 34, 50, 0x505050},   {F1->DXImageList2, "up3", 34, 50, 0x606060},
        {F1->DXImageList2, "up4", 34, 50, 0x707070},   {F1->DXImageList3, "piechur", 38, 50, 0x00FFFF},
        {F1->DXImageList3, "mag", 38, 50, 0xFF00C0},   {F1->DXImageList3, "łucznik", 38, 50, 0x00C0FF},
        {F1->DXImageList4, "zamek", 98, 110, 0x0080FF}, {F1->DXImageList4, "wieża", 98, 110, 0x8000FF}};
    for (TDXImageList* list : {F1->DXImageList1, F1->DXImageList2, F1->DXImageList3, F1->DXImageList4})
      if (list->Items()->Count() > 0) return;
    for (const TItem& i : items) {
      auto picture = Picture(i.W, i.H, i.Fill);
      TPictureCollectionItem* item = i.List->Items()->Add();
      item->SetName(Cp(i.Name));
      item->SetPicture(picture.get());
      item->SetTransparentColor(0xFF00FF);
    }
  }

  // Creates the editor and shows its main window: start-up runs at the first
  // activation, the drawing control initialises when the window shows.
  void Start() {
    Create();
    EnsurePictures();
    F1->Show();
    Driver->Pump(3);
  }

  // Lets Ms milliseconds pass and runs the loop (the frame timer ticks).
  void Advance(int Ms, int Passes = 2) {
    AdvanceManualClock(std::int64_t{Ms} * 1000);
    Driver->Pump(Passes);
  }

  std::string Saved;
  std::filesystem::path Root;
  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  std::unique_ptr<TControlsDriver> Controls;
  TForm1* F1 = nullptr;
};

}  // namespace editor_test
