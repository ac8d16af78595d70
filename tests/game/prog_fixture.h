// The game started the way a player starts it, from a temporary start folder
// whose data folder the test fills: the stand-ins registered, the manual
// clock, a test driver, the six windows made in their order, and Show of the
// main window, which runs start-up with the open-map dialog.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "game/Form1.h"
#include "game/Form6.h"
#include "game/ProgramMain.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "platform/toolkit/BmpCodec.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/Time.h"
#include "world/WorldFiles.h"

namespace korvel {

inline TShortString S(const std::string& Text) { return TShortString::From(Text); }

inline TUnitType MakeUnitType(const std::string& Name, std::uint8_t Class = 0) {
  TUnitType t;
  t.Name = S(Name);
  t.MaxHP = 100;
  t.Attack = 10;
  t.Defense = 2;
  t.MaxMana = Class == 2 ? 50 : 0;
  t.Range = 30;
  t.AttackInterval = 20;
  t.TrainTime = 95;
  t.Class = Class;
  t.GoldCost = 50;
  t.WoodCost = 10;
  return t;
}

inline TBuildingType MakeBuildingType(const std::string& Name) {
  TBuildingType t;
  t.Name = S(Name);
  t.MaxHP = 500;
  t.Attack = 0;
  t.Defense = 5;
  t.Range = 0;
  t.AttackInterval = 30;
  t.BuildTime = 100;
  t.GoldCost = 100;
  t.WoodCost = 100;
  return t;
}

// A map of Rows x Cols plain cells named Name with Gold and Wood.
inline std::unique_ptr<TMapFile> MakeMap(const std::string& Name, int Rows = 10, int Cols = 10) {
  auto m = std::make_unique<TMapFile>();
  m->Map.MapName = S(Name);
  m->Map.MapRows = Rows;
  m->Map.MapCols = Cols;
  m->Players[1].Gold = 500;
  m->Players[1].Wood = 300;
  return m;
}

inline TUnit MakeUnit(const std::string& Name, int X, int Y, int Number = 0) {
  TUnit u;
  u.Name = S(Name);
  u.HP = 100;
  u.X = X;
  u.Y = Y;
  u.TargetX = X;
  u.TargetY = Y;
  u.Number = Number;
  return u;
}

inline TBuilding MakeBuilding(const std::string& Name, int X, int Y, int Number = 0) {
  TBuilding b;
  b.Name = S(Name);
  b.HP = 500;
  b.X = X;
  b.Y = Y;
  b.Number = Number;
  return b;
}

class GameProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    OldDir = fs::current_path();
    Root = fs::temp_directory_path() / ("korvel_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Root);
    for (const char* d : {"data/units", "data/buildings", "data/images", "data/music"})
      fs::create_directories(Root / d);
    fs::current_path(Root);
    RegisterGameModules();
    ResetDDrawEmulation();
    UseManualClock(0);
  }

  void TearDown() override {
    Driver.reset();
    App.reset();
    UseRealClock();
    ResetDDrawEmulation();
    std::filesystem::current_path(OldDir);
    std::filesystem::remove_all(Root);
  }

  std::string Path(const std::string& Relative) const { return (Root / Relative).string(); }

  void WriteBytes(const std::string& Relative, const std::vector<std::uint8_t>& Bytes) {
    std::ofstream f(Path(Relative), std::ios::binary);
    f.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  }

  // A 24-bit picture of W x H pixels, all of one colour (0xRRGGBB).
  static std::vector<std::uint8_t> Bmp(int W, int H, std::uint32_t Rgb) {
    TBmpImage img;
    img.Width = W;
    img.Height = H;
    img.BitCount = 24;
    img.WidthBytes = ((W * 3) + 3) / 4 * 4;
    img.Pixels.assign(static_cast<size_t>(img.WidthBytes * H), 0);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        BYTE* p = &img.Pixels[static_cast<size_t>(y * img.WidthBytes + x * 3)];
        p[0] = Rgb & 0xFF;
        p[1] = (Rgb >> 8) & 0xFF;
        p[2] = (Rgb >> 16) & 0xFF;
      }
    return EncodeBmp(img);
  }

  void AddUnitType(const std::string& FileName, const TUnitType& Type, bool Picture = true) {
    WriteUnitTypeFile(Path("data/units/" + FileName), Type);
    if (Picture) WriteBytes("data/images/" + Cp1250ToUtf8(Type.Name.Text()) + ".bmp", Bmp(20, 30, 0x00FF00));
  }
  void AddBuildingType(const std::string& FileName, const TBuildingType& Type, bool Picture = true) {
    WriteBuildingTypeFile(Path("data/buildings/" + FileName), Type);
    if (Picture) WriteBytes("data/images/" + Cp1250ToUtf8(Type.Name.Text()) + ".bmp", Bmp(60, 50, 0x0000FF));
  }
  // A minimal Standard MIDI File: one track with one note.
  void AddMusic() {
    WriteBytes("data/music/music1.MID", {'M', 'T', 'h', 'd', 0,  0, 0,    6,  0,   0,  0,    1,  0, 96, 'M',  'T',  'r',
                                         'k', 0,   0,   0,   12, 0, 0x90, 60, 100, 96, 0x80, 60, 0, 0,  0xFF, 0x2F, 0});
  }
  void AddMap(const std::string& FileName, const TMapFile& Map) { WriteMapFile(Path(FileName), Map); }

  // The usual data folder: one unit type, one building type, the music.
  void AddStandardData() {
    AddUnitType("a_warrior.unt", MakeUnitType("Wojownik"));
    AddBuildingType("a_barracks.bld", MakeBuildingType("Koszary"));
    AddMusic();
  }

  // Makes the application and the windows, as the program block does.
  void CreateForms() {
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    CreateGameForms();
  }

  // Answers the open-map dialog by choosing FileName and pressing "Otwórz"
  // (or "Anuluj" when FileName is empty).
  void AnswerOpenMap(const std::string& FileName) {
    Driver->AnswerNext([FileName](TDialogEvent& D) {
      ASSERT_EQ(D.Kind, TDialogEvent::dkModalForm) << D.Text;
      ASSERT_EQ(D.Form, Form6);
      if (FileName.empty()) {
        Form6->SpeedButton2->Click();
        return;
      }
      // The dialog lists the start folder; the player picks the file there.
      Form6->FileListBox1->Update();
      Form6->FileListBox1->SetFileName(FileName);
      Form6->SpeedButton1->Click();
    });
  }

  // Creates the windows and shows the main one: start-up runs at its first
  // activation.
  void Start(const std::string& MapFileName) {
    CreateForms();
    AnswerOpenMap(MapFileName);
    Form1->Show();
    Driver->Pump(2);
  }

  // Ticks the frame timer N times, one millisecond apart on the manual clock.
  void Ticks(int N, int StepMs = 1) {
    for (int i = 0; i < N; ++i) {
      AdvanceManualClock(static_cast<std::int64_t>(StepMs) * 1000);
      Driver->Pump(1);
    }
  }

  std::vector<std::string> ErrorTexts() const {
    std::vector<std::string> out;
    for (const TDialogEvent& e : Driver->MessageBoxes()) out.push_back(e.Text);
    return out;
  }

  std::filesystem::path Root, OldDir;
  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
};

}  // namespace korvel
