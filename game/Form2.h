// The select dialog ("Wybierz"): a list with one row per unit and then per
// building, each showing the object's name; OK selects exactly the objects
// whose rows are selected.
#pragma once

#include <string>
#include <vector>

#include "game/GameState.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"

namespace korvel {

class TForm2 : public TForm {
 public:
  explicit TForm2(TComponent* AOwner);

  // The game the dialog works on; the main window sets it before showing.
  TGameState* Game = nullptr;

  TShape* Shape1 = nullptr;
  TLabel* Label1 = nullptr;
  TShape* Shape2 = nullptr;
  TListBox* ListBox1 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;  // "OK"
  TSpeedButton* SpeedButton2 = nullptr;  // "Anuluj"

  // Fills the list from the tables, nothing selected.
  void FormActivate(TObject* Sender);
  // Sets the selection from the rows and closes.
  void SpeedButton1Click(TObject* Sender);
  // Closes.
  void SpeedButton2Click(TObject* Sender);

 private:
  // The identifier each row was made from: a row acts on its slot only while
  // the slot still holds that object (the tick goes on behind the dialog and
  // may add or remove objects).
  std::vector<std::string> FRowIds;
};

extern TForm2* Form2;

}  // namespace korvel
