// The spell dialog ("Wybierz jednostki i czar"): the caster types among the
// selected units and the spells of a type; OK has the selected casters of the
// chosen type pay for the chosen spell.
#pragma once

#include <string>
#include <vector>

#include "game/GameState.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"

class TForm3 : public TForm {
 public:
  explicit TForm3(TComponent* AOwner);

  // The game the dialog works on; the main window sets it before showing.
  TGameState* Game = nullptr;

  TShape* Shape1 = nullptr;
  TLabel* Label1 = nullptr;
  TShape* Shape2 = nullptr;
  TListBox* ListBox1 = nullptr;  // caster types
  TListBox* ListBox2 = nullptr;  // spells of a type
  TListBox* ListBox3 = nullptr;  // hidden: the candidates the main window hands over
  TSpeedButton* SpeedButton1 = nullptr;  // "OK"
  TSpeedButton* SpeedButton2 = nullptr;  // "Anuluj"

  // Clears the three lists and puts Names into the hidden one; whether any
  // candidate is there (the dialog is shown only then).
  bool SetCandidates(const std::vector<std::string>& Names);

  void FormShow(TObject* Sender);
  void ListBox1Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);

 private:
  // Writes the spells of the type in row Row of ListBox1 into ListBox2.
  void AddSpellsOfRow(int Row);
  void SelectFirstRows(bool TypeRowToo);
};

extern TForm3* Form3;
