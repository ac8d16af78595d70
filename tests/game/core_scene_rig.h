// A drawing control of the game's size (792 x 478) on a form, its four image
// lists filled with small solid pictures, each in a colour of its own, and
// the state that the scene steps draw. Used by the scene tests, the scene
// benchmark and the sample-scene picture; needs no window system (Qt
// offscreen).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "display/DXDraw.h"
#include "display/DXImageList.h"
#include "display/DirectDrawSurface.h"
#include "game/GameState.h"
#include "game/Scene.h"
#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/Time.h"
#include "world/ObjectNames.h"

namespace korvel {

struct TRigPicture {
  std::string Name;
  int Width, Height;
  TColor Color;
};

class TSceneRig {
 public:
  static constexpr TColor Key = clFuchsia;

  // The interface pictures in their stored order, the terrain pictures by
  // kind; unit and building pictures are added per type.
  static std::vector<TRigPicture> InterfacePictures() {
    return {{"c1", 32, 16, 0x0000C0},   {"c2", 32, 16, 0x0000A0},   {"c3", 32, 16, 0x000080},
            {"gold", 16, 16, 0x00D7FF}, {"wood", 16, 16, 0x13458B}, {"grid", 40, 24, 0x404040},
            {"hand", 8, 8, 0xF0F0F0},   {"select", 8, 8, 0xE0E0E0}, {"spell", 8, 8, 0xD0D0D0},
            {"attack", 8, 8, 0xC0C0C1}};
  }
  static std::vector<TRigPicture> TerrainPictures() {
    return {{"tile", 40, 24, 0x208020}, {"tree", 40, 24, 0x105010}, {"water", 40, 24, 0xC06020},
            {"up1", 40, 24, 0x3070A0},  {"up2", 40, 24, 0x4080B0},  {"up3", 40, 24, 0x5090C0},
            {"up4", 40, 24, 0x60A0D0}};
  }

  // With OwnPictures false the interface and terrain lists start empty (a
  // test reads the stored ones into them).
  explicit TSceneRig(bool OwnPictures = true) {
    RegisterDDrawModules();
    ResetDDrawEmulation();
    UseManualClock(0);
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    App->CreateForm(Form);
    Form->SetCaption("Korvel");
    Form->SetBounds(0, 0, 792, 478);
    Form->SetClientWidth(792);
    Form->SetClientHeight(478);
    Draw = new TDXDraw(Form);
    Draw->BeginLoading();
    Draw->SetName("DXDraw1");
    Draw->SetParent(Form);
    Draw->SetBounds(0, 0, 792, 478);
    Draw->SetAutoSize(true);
    Draw->Loaded();
    for (int i = 0; i < 4; ++i) {
      Lists[i] = new TDXImageList(Form);
      Lists[i]->BeginLoading();
      Lists[i]->SetName("DXImageList" + std::to_string(i + 1));
      Lists[i]->Loaded();
      Lists[i]->SetDXDraw(Draw);
    }
    if (!OwnPictures) return;
    for (const TRigPicture& p : InterfacePictures()) AddPicture(Lists[0], p);
    for (const TRigPicture& p : TerrainPictures()) AddPicture(Lists[3], p);
  }
  ~TSceneRig() {
    Driver.reset();
    App.reset();
    UseRealClock();
    ResetDDrawEmulation();
  }

  // Adds a solid picture; before Show it gets its surface when the control
  // initialises, after Show at once.
  static void AddPicture(TDXImageList* List, const TRigPicture& P) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(P.Width, P.Height);
    bitmap->Canvas()->Brush()->SetColor(P.Color);
    bitmap->Canvas()->FillRect(TRect{0, 0, P.Width, P.Height});
    TPictureCollectionItem* item = List->Items()->Add();
    item->SetName(P.Name);
    item->SetPicture(bitmap.get());
    item->SetTransparentColor(Key);
    if (List->Items()->Initialized()) {
      item->Initialize();
      item->Restore();
    }
  }
  TUnitType& AddUnitType(const std::string& Name, int W, int H, TColor Color) {
    TUnitType& t = S.UnitTypes[++S.UnitTypeCount];
    t.Name.Assign(Name);
    AddPicture(Lists[1], {PictureName(t.Name), W, H, Color});
    return t;
  }
  TBuildingType& AddBuildingType(const std::string& Name, int W, int H, TColor Color) {
    TBuildingType& t = S.BuildingTypes[++S.BuildingTypeCount];
    t.Name.Assign(Name);
    AddPicture(Lists[2], {PictureName(t.Name), W, H, Color});
    return t;
  }

  // Shows the form: the control initialises and the pictures get surfaces.
  void Show() {
    Form->Show();
    S.HalfWidth = Draw->Width() / 2;
    S.HalfHeight = Draw->Height() / 2;
  }
  TDirectDrawSurface* Back() const { return Draw->Surface(); }
  TScene Scene() const {
    TScene s;
    s.Surface = Back();
    s.DXImageList1 = Lists[0];
    s.DXImageList2 = Lists[1];
    s.DXImageList3 = Lists[2];
    s.DXImageList4 = Lists[3];
    s.Width = Draw->Width();
    s.Height = Draw->Height();
    return s;
  }
  void Clear() {
    Back()->Canvas()->Release();
    Back()->Fill(0);
  }

  // A pixel of the back surface as a colour (0x00BBGGRR); the canvas is
  // released first so that the surface can be locked.
  TColor At(int X, int Y) const {
    Back()->Canvas()->Release();
    const DWORD v = Back()->GetPixel(X, Y);
    const DDPIXELFORMAT& f = Back()->SurfaceDesc().ddpfPixelFormat;
    auto channel = [&](DWORD Mask) -> DWORD {
      if (Mask == 0) return 0;
      int shift = 0;
      while (((Mask >> shift) & 1) == 0) ++shift;
      const DWORD max = Mask >> shift;
      return ((v & Mask) >> shift) * 255 / max;
    };
    return static_cast<TColor>(channel(f.dwRBitMask) | (channel(f.dwGBitMask) << 8) | (channel(f.dwBBitMask) << 16));
  }

  std::unique_ptr<TGameState> Owned = std::make_unique<TGameState>();
  TGameState& S = *Owned;
  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  TForm* Form = nullptr;
  TDXDraw* Draw = nullptr;
  TDXImageList* Lists[4] = {};
};

}  // namespace korvel
