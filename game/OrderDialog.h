// What the spell, train and build dialogs share: the types among the
// selected objects that can give the order (ListBox1, multi-select), the
// items the chosen type offers (ListBox2), the candidate type names the main
// window hands over (ListBox3, hidden), "OK" and "Anuluj". OK gives the order
// for the chosen item to the selected objects of the chosen type.
#pragma once

#include <string>
#include <vector>

#include "game/GameState.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"

namespace korvel {

class TOrderDialog : public TForm {
 public:
  // The game the dialog works on; the main window sets it before showing.
  TGameState* Game = nullptr;

  TShape* Shape1 = nullptr;
  TLabel* Label1 = nullptr;
  TShape* Shape2 = nullptr;
  TListBox* ListBox1 = nullptr;          // the types that can give the order
  TListBox* ListBox2 = nullptr;          // the items the chosen type offers
  TListBox* ListBox3 = nullptr;          // hidden: the candidates the main window hands over
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

 protected:
  struct TMakeUp {
    const char* Name;   // the form's name
    std::string Title;  // caption and title strip
    int Width, Height;  // client size
    int ItemListWidth;  // ListBox2 and "Anuluj"
    std::string TypeHint, ItemHint;
  };
  TOrderDialog(TComponent* AOwner, const TMakeUp& MakeUp);

  // Writes the items that type TypeName offers into Items.
  virtual void WriteItemsOfType(const std::string& TypeName, TListBox* Items) = 0;
  // Gives the order for Item to the selected objects of type TypeName.
  virtual void GiveOrder(const std::string& TypeName, const std::string& Item) = 0;
  // The type rows whose items the item list shows after a click in ListBox1:
  // the last chosen row.
  virtual std::vector<int> ChosenTypeRows() const;
  // OK with Item chosen and the type list not empty: the order for the last
  // chosen type row (none chosen: no order).
  virtual void GiveChosenOrder(const std::string& Item);
  // Messages of the orders, in a message box.
  static void ShowOrderMessage(const std::string& Text);

 private:
  // The item list: the items of the type rows Rows, the first one chosen.
  void ShowItemsOfRows(const std::vector<int>& Rows);
};

}  // namespace korvel
