// The editor started afresh for each test: a temporary start folder made the
// current directory (with the data folder and type files the test writes),
// the DirectX stand-ins, a manual clock, the application with its three
// windows made by the program block, and a driver to work them.
#pragma once

#include <gtest/gtest.h>

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
#include "tests/support/ProgramRun.h"
#include "tests/support/StartFolder.h"
#include "world/Records.h"
#include "world/WorldFiles.h"

namespace sandreth {

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
    Folder = std::make_unique<TTempStartFolder>();
    Folder->AddFolder("data");
    Root = HostFileName(Folder->Path());
  }

  void TearDown() override {
    Run.reset();
    Folder.reset();
  }

  std::string Data(const std::string& Name) const { return (Root / "data" / Name).string(); }
  void AddUnitType(const std::string& FileName, const TUnitType& Type) { Folder->AddUnitType("data", FileName, Type); }
  void AddBuildingType(const std::string& FileName, const TBuildingType& Type) {
    Folder->AddBuildingType("data", FileName, Type);
  }
  void AddFile(const std::string& FileName, std::size_t Bytes) {
    Folder->AddFile("data\\" + FileName, std::vector<std::uint8_t>(Bytes, 'x'));
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
    Run = std::make_unique<TProgramRun>("Brask Mapmaker");
    Run->Start(CreateSandrethForms);
    App = &Run->App();
    Driver = &Run->Driver();
    Controls = &Run->Controls();
    F1 = Form1;
  }

  // The next message box is answered with OK.
  void ExpectMessageBox() {
    Driver->AnswerNext([](TDialogEvent& D) { D.ClickOk(); });
  }

  // Gives every image list small one-colour pictures in place of the stored
  // ones, so that drawing tests do not depend on the generated pictures.
  void EnsurePictures() {
    struct TItem {
      TDXImageList* List;
      const char* Name;
      int W, H;
      TColor Fill;
    };
    const std::vector<TItem> items = {
        {F1->DXImageList1, "tile", 34, 50, 0x008000},   {F1->DXImageList1, "tree", 34, 50, 0x00FF00},
        {F1->DXImageList1, "water", 34, 50, 0xFF0000},  {F1->DXImageList1, "up1", 34, 50, 0x808080},
        {F1->DXImageList1, "up2", 34, 50, 0x909090},    {F1->DXImageList1, "up3", 34, 50, 0xA0A0A0},
        {F1->DXImageList1, "up4", 34, 50, 0xB0B0B0},    {F1->DXImageList2, "grid", 34, 50, 0xFFFFFF},
        {F1->DXImageList2, "hand", 32, 32, 0x0000FF},   {F1->DXImageList2, "up1", 34, 50, 0x404040},
        {F1->DXImageList2, "up2", 34, 50, 0x505050},    {F1->DXImageList2, "up3", 34, 50, 0x606060},
        {F1->DXImageList2, "up4", 34, 50, 0x707070},    {F1->DXImageList3, "piechur", 38, 50, 0x00FFFF},
        {F1->DXImageList3, "mag", 38, 50, 0xFF00C0},    {F1->DXImageList3, "łucznik", 38, 50, 0x00C0FF},
        {F1->DXImageList4, "zamek", 98, 110, 0x0080FF}, {F1->DXImageList4, "wieża", 98, 110, 0x8000FF},
        {F1->DXImageList3, "golem", 38, 50, 0x404080},  {F1->DXImageList4, "ruina", 98, 110, 0x408040}};
    for (TDXImageList* list : {F1->DXImageList1, F1->DXImageList2, F1->DXImageList3, F1->DXImageList4})
      list->Items()->Clear();
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
  void Start(bool OwnPictures = true) {
    Create();
    if (OwnPictures) EnsurePictures();
    Driver->RunTicks(2);
  }
  // A fresh editor over the same start folder.
  void Restart() {
    Run.reset();
    SetCurrentDir(Folder->Path());
    Start();
  }

  // Lets Ms milliseconds pass and runs the loop (the frame timer ticks).
  void Advance(int Ms, int Passes = 2) {
    AdvanceManualClock(std::int64_t{Ms} * 1000);
    Driver->Pump(Passes);
  }

  std::unique_ptr<TTempStartFolder> Folder;
  std::filesystem::path Root;
  std::unique_ptr<TProgramRun> Run;
  TApplication* App = nullptr;
  TTestDriver* Driver = nullptr;
  TControlsDriver* Controls = nullptr;
  TForm1* F1 = nullptr;
};

}  // namespace editor_test

}  // namespace sandreth
