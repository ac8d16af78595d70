// The train dialog ("Wyszkol"): the trainer types among the selected
// buildings and the units a type trains; OK starts training the chosen unit
// in the selected buildings of the chosen type.
#pragma once

#include <string>
#include <vector>

#include "game/GameState.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"

class TForm4 : public TForm {
 public:
  explicit TForm4(TComponent* AOwner);

  // The game the dialog works on; the main window sets it before showing.
  TGameState* Game = nullptr;

  TShape* Shape1 = nullptr;
  TLabel* Label1 = nullptr;
  TShape* Shape2 = nullptr;
  TListBox* ListBox1 = nullptr;  // trainer building types
  TListBox* ListBox2 = nullptr;  // units the type trains
  TListBox* ListBox3 = nullptr;  // hidden: the candidates the main window hands over
  TSpeedButton* SpeedButton1 = nullptr;  // "OK"
  TSpeedButton* SpeedButton2 = nullptr;  // "Anuluj"

  // Clears the three lists and puts Names into the hidden one; whether any
  // candidate is there (the dialog is shown only then).
  bool SetCandidates(const std::vector<std::string>& Names);

  void FormShow(TObject* Sender);
  // Another type row chosen: the item list shows that type's slots.
  void ListBox1Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);

 private:
  void ShowItemsOfRow(int Row);
};

extern TForm4* Form4;
