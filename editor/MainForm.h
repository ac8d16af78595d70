// The editor's main window "Sandreth": the drawing view on top, the page
// control with the tabs "Dane", "Teren", "Jednostki" and "Budynki" below it,
// the main menu, the image lists, the input component and the frame timer.
// It owns the editor's state; its handlers call the rules kept beside it
// (EditorView.h, TerrainEditing.h, MapFiles.h, PlacedObjects.h).
#pragma once

#include <memory>
#include <string>

#include "display/DXDraw.h"
#include "display/DXImageList.h"
#include "display/DXTimer.h"
#include "editor/MapFiles.h"
#include "input_sound/DXInput.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ComCtrls.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/toolkit/FileCtrl.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/Menus.h"
#include "platform/toolkit/Spin.h"
#include "platform/toolkit/StdCtrls.h"
#include "platform/toolkit/XPMan.h"

namespace sandreth {

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* AOwner);
  ~TForm1() override;

  TEditorState& State() { return *FState; }
  const TEditorState& State() const { return *FState; }

  // Rows and columns as the size fields give them (10 to 250).
  int MapRows() const;
  int MapCols() const;

  // Handlers.
  void FormActivate(TObject* Sender);
  void DXTimer1Timer(TObject* Sender, std::int32_t LagCount);
  void DrawMap();
  void DXDraw1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void DXDraw1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void DXDraw1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void SpeedButton3Click(TObject* Sender);
  void TerrainButton1Click(TObject* Sender);
  void SpeedButton5Click(TObject* Sender);
  void SpeedButton4Click(TObject* Sender);
  void SpeedButton7Click(TObject* Sender);
  void SpeedButton6Click(TObject* Sender);
  void SpeedButton8Click(TObject* Sender);
  void RandomizeTerrain();
  void SpeedButton1Click(TObject* Sender);
  void Losuj1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);
  void Zeruj1Click(TObject* Sender);
  void Nowy1Click(TObject* Sender);
  void Zapisz1Click(TObject* Sender);
  void Otwrz1Click(TObject* Sender);
  void Zamknij1Click(TObject* Sender);
  void Oprogramie1Click(TObject* Sender);
  void SpeedButton9Click(TObject* Sender);
  void SpeedButton10Click(TObject* Sender);
  void SpeedButton11Click(TObject* Sender);
  void SpeedButton12Click(TObject* Sender);
  void SpeedButton13Click(TObject* Sender);
  void SpeedButton14Click(TObject* Sender);

  // The object lists rebuilt from the slots, entry 0 selected.
  void RefreshUnitList();
  void RefreshBuildingList();

  // Whether start-up has run (it runs at the first activation only).
  bool StartedUp() const { return FStartedUp; }

  TDXDraw* DXDraw1 = nullptr;
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  TTabSheet* TabSheet3 = nullptr;
  TTabSheet* TabSheet4 = nullptr;
  TDXImageList* DXImageList1 = nullptr;
  TDXImageList* DXImageList2 = nullptr;
  TDXImageList* DXImageList3 = nullptr;
  TDXImageList* DXImageList4 = nullptr;
  TDXInput* DXInput1 = nullptr;
  TDXTimer* DXTimer1 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TSaveDialog* SaveDialog1 = nullptr;
  TFileListBox* FileListBox1 = nullptr;
  TXPManifest* XPManifest1 = nullptr;
  TMainMenu* MainMenu1 = nullptr;

  // "Dane".
  TLabel* Label1 = nullptr;
  TSpinEdit* SpinEdit1 = nullptr;
  TLabel* Label2 = nullptr;
  TSpinEdit* SpinEdit2 = nullptr;
  TLabel* Label3 = nullptr;
  TSpinEdit* SpinEdit3 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TSpeedButton* SpeedButton2 = nullptr;
  TLabel* Label5 = nullptr;
  TEdit* Edit1 = nullptr;
  TLabel* Label7 = nullptr;
  TSpinEdit* SpinEdit5 = nullptr;
  TLabel* Label8 = nullptr;
  TSpinEdit* SpinEdit6 = nullptr;

  // "Teren".
  TLabel* Label4 = nullptr;
  TSpeedButton* SpeedButton3 = nullptr;
  TSpeedButton* TerrainButton1 = nullptr;
  TSpeedButton* SpeedButton5 = nullptr;
  TSpeedButton* SpeedButton4 = nullptr;
  TSpeedButton* SpeedButton7 = nullptr;
  TSpeedButton* SpeedButton6 = nullptr;
  TSpeedButton* SpeedButton8 = nullptr;
  TLabel* Label6 = nullptr;
  TSpinEdit* SpinEdit4 = nullptr;

  // "Jednostki".
  TLabel* Label9 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TSpeedButton* SpeedButton9 = nullptr;
  TLabel* Label10 = nullptr;
  TComboBox* ComboBox2 = nullptr;
  TSpeedButton* SpeedButton10 = nullptr;
  TSpeedButton* SpeedButton11 = nullptr;

  // "Budynki".
  TLabel* Label11 = nullptr;
  TComboBox* ComboBox3 = nullptr;
  TSpeedButton* SpeedButton12 = nullptr;
  TLabel* Label12 = nullptr;
  TComboBox* ComboBox4 = nullptr;
  TSpeedButton* SpeedButton13 = nullptr;
  TSpeedButton* SpeedButton14 = nullptr;

  // Menu.
  TMenuItem* Plik1 = nullptr;
  TMenuItem* Nowy1 = nullptr;
  TMenuItem* Otwrz1 = nullptr;
  TMenuItem* Zapisz1 = nullptr;
  TMenuItem* N1 = nullptr;
  TMenuItem* Zamknij1 = nullptr;
  TMenuItem* Teren1 = nullptr;
  TMenuItem* Losuj1 = nullptr;
  TMenuItem* Zeruj1 = nullptr;
  TMenuItem* Pomoc1 = nullptr;
  TMenuItem* Oprogramie1 = nullptr;

 private:
  void CreateComponents();
  void StartUp();
  TMapFields MapFields() const;
  void ShowMapFields(const TMapFields& Fields);

  std::unique_ptr<TEditorState> FState;
  bool FStartedUp = false;
};

extern TForm1* Form1;

}  // namespace sandreth
