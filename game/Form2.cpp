#include "game/Form2.h"

#include "game/DialogFrame.h"
#include "platform/toolkit/FormBuilder.h"
#include "world/ObjectNames.h"

namespace korvel {

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {
  LoadForm(this, [this] {
    const TDialogFrame frame = MakeDialogFrame(this, "Form2", "Wybierz", "Zaznacz", 185, 255);
    Shape1 = frame.Shape1;
    Label1 = frame.Label1;
    Shape2 = frame.Shape2;
    ListBox1 = MakeDialogList(this, "ListBox1", 8, 32, 169, 185, clYellow, true, "Ctrl - Wielokrotne zaznaczanie");
    SpeedButton1 = MakeDialogButton(this, "SpeedButton1", 8, 225, 81, "OK");
    SpeedButton1->OnClick = TNotifyEvent(this, &TForm2::SpeedButton1Click);
    SpeedButton2 = MakeDialogButton(this, "SpeedButton2", 96, 225, 81, "Anuluj");
    SpeedButton2->OnClick = TNotifyEvent(this, &TForm2::SpeedButton2Click);
    OnActivate = TNotifyEvent(this, &TForm2::FormActivate);
  });
}

void TForm2::FormActivate(TObject*) {
  ListBox1->Clear();
  FRowIds.clear();
  if (!Game) return;
  for (int u = 1; u <= Game->UnitCount; ++u) {
    ListBox1->Items()->Add(Game->Units[u].Name.Text());
    FRowIds.push_back(ObjectIdentifier(Game->Units[u]));
  }
  Game->SelectListUnitCount = ListBox1->Items()->Count();
  for (int b = 1; b <= Game->BuildingCount; ++b) {
    ListBox1->Items()->Add(Game->Buildings[b].Name.Text());
    FRowIds.push_back(ObjectIdentifier(Game->Buildings[b]));
  }
}

void TForm2::SpeedButton1Click(TObject*) {
  SetModalResult(mrOk);
  if (!Game) return;
  TGameState& s = *Game;
  for (int u = 1; u <= s.UnitCount; ++u) s.Units[u].Selected = 0;
  for (int b = 1; b <= s.BuildingCount; ++b) s.Buildings[b].Selected = 0;

  const int rows = ListBox1->Items()->Count();
  auto rowNames = [this, rows](int Row, const std::string& Id) {
    return Row >= 0 && Row < rows && Row < static_cast<int>(FRowIds.size()) && SameIdentifier(FRowIds[Row], Id);
  };
  for (int u = 1; u <= s.UnitCount; ++u) {
    const int row = u - 1;
    if (row < s.SelectListUnitCount && rowNames(row, ObjectIdentifier(s.Units[u])) && ListBox1->Selected(row))
      s.Units[u].Selected = 1;
  }
  for (int b = 1; b <= s.BuildingCount; ++b) {
    const int row = b - 1 + s.SelectListUnitCount;
    if (rowNames(row, ObjectIdentifier(s.Buildings[b])) && ListBox1->Selected(row)) s.Buildings[b].Selected = 1;
  }
}

void TForm2::SpeedButton2Click(TObject*) { SetModalResult(mrCancel); }

}  // namespace korvel
