// The build dialog ("Zbuduj"): the builder types among the selected units
// and the buildings a type builds; OK gives the first selected builder of
// the chosen type the chosen building and waits for its site.
#pragma once

#include <string>
#include <vector>

#include "game/GameState.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"

class TForm5 : public TForm {
 public:
  explicit TForm5(TComponent* AOwner);

  // The game the dialog works on; the main window sets it before showing.
  TGameState* Game = nullptr;

  TShape* Shape1 = nullptr;
  TLabel* Label1 = nullptr;
  TShape* Shape2 = nullptr;
  TListBox* ListBox1 = nullptr;  // builder unit types
  TListBox* ListBox2 = nullptr;  // buildings the type builds
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

extern TForm5* Form5;
