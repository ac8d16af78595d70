// Placed units and buildings: creating, editing and deleting them through the
// tabs "Jednostki" and "Budynki" and the dialogs "Jednostka" and "Budynek".
#include <functional>
#include <string>
#include <vector>

#include "EditorFixture.h"
#include "editor/PlacedObjects.h"
#include "world/ObjectNames.h"

using namespace sandreth;
using namespace editor_test;

namespace {

std::vector<std::string> ItemsOf(TComboBox* Combo) {
  std::vector<std::string> v;
  for (int i = 0; i < Combo->Items()->Count(); ++i) v.push_back(Combo->Items()->Strings(i));
  return v;
}

class ObjectsTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    AddUnitType("1piechur.unt", UnitType("Piechur", 45, 10, 8, 0));
    AddUnitType("2mag.unt", UnitType("Mag", 30, 6, 4, 60));
    AddUnitType("3golem.unt", UnitType("Golem", 0, 0, 0, 0));
    AddBuildingType("1zamek.bld", BuildingType("Zamek", 1000, 20, 50));
    AddBuildingType("2ruina.bld", BuildingType("Ruina", 0, 0, 0));
    Start();
  }

  // Runs the unit dialog: Fill sets its fields, then "OK" (or not, when Fill
  // closes it itself).
  void UnitDialog(const std::function<void()>& Fill, bool PressOk = true) {
    Driver->AnswerNext([=](TDialogEvent& d) {
      EXPECT_EQ(d.Form, Form2);
      if (Fill) Fill();
      if (PressOk) Form2->SpeedButton1->Click();
    });
  }
  void BuildingDialog(const std::function<void()>& Fill, bool PressOk = true) {
    Driver->AnswerNext([=](TDialogEvent& d) {
      EXPECT_EQ(d.Form, Form3);
      if (Fill) Fill();
      if (PressOk) Form3->SpeedButton1->Click();
    });
  }
  // "Utwórz" on the units tab with the type entry Type chosen.
  void CreateUnit(int Type, int X = 0, int Y = 0, int LifePct = 100) {
    F1->ComboBox1->SetItemIndex(Type);
    UnitDialog([=] {
      Form2->SpinEdit1->SetValue(X);
      Form2->SpinEdit2->SetValue(Y);
      Form2->SpinEdit5->SetValue(LifePct);
    });
    F1->SpeedButton9->Click();
  }
  void SelectUnit(int Entry) { F1->ComboBox2->SetItemIndex(Entry); }

  TEditorState& S() { return F1->State(); }
};

}  // namespace

TEST_F(ObjectsTest, UnitsAreNumberedPerTypeNameAndRenumberedWhenEdited) {
  CreateUnit(0);
  CreateUnit(0);
  CreateUnit(1);
  EXPECT_EQ(S().UnitCount, 3);
  EXPECT_EQ(ItemsOf(F1->ComboBox2), (std::vector<std::string>{"Piechur 1", "Piechur 2", "Mag 1"}));
  EXPECT_EQ(F1->ComboBox2->ItemIndex(), 0);
  EXPECT_EQ(Form2->ComboBox1->Items()->Count(), 3);

  // Deleting number 1 moves the last slot into its place; the list keeps the
  // old entries until the next OK. A new one is number 3.
  SelectUnit(0);
  F1->SpeedButton11->Click();
  EXPECT_EQ(S().UnitCount, 2);
  EXPECT_EQ(ObjectIdentifier(S().Units[1]), "Mag 1");
  EXPECT_EQ(S().Units[3], TUnit{});
  EXPECT_EQ(F1->ComboBox2->Items()->Count(), 3);
  CreateUnit(0);
  EXPECT_EQ(ItemsOf(F1->ComboBox2), (std::vector<std::string>{"Mag 1", "Piechur 2", "Piechur 3"}));

  // Editing number 2 of the numbers 2 and 3: every OK starts from 1 and goes
  // past the others, so it becomes 4.
  SelectUnit(1);
  UnitDialog(nullptr);
  F1->SpeedButton10->Click();
  EXPECT_EQ(S().EditIndex, 2);
  EXPECT_EQ(ObjectIdentifier(S().Units[2]), "Piechur 4");
  EXPECT_EQ(S().UnitCount, 3);
  SelectUnit(0);
  UnitDialog([] { Form2->ComboBox1->SetItemIndex(0); });
  F1->SpeedButton10->Click();
  EXPECT_EQ(ObjectIdentifier(S().Units[1]), "Piechur 5");
  // Edited into a type name no other unit has, it is number 1.
  SelectUnit(0);
  UnitDialog([] { Form2->ComboBox1->SetItemIndex(1); });
  F1->SpeedButton10->Click();
  EXPECT_EQ(ObjectIdentifier(S().Units[1]), "Mag 1");
}

TEST_F(ObjectsTest, PositionsSnapForUnitsAndStayForBuildings) {
  F1->ComboBox1->SetItemIndex(0);
  UnitDialog([] {
    Form2->SpinEdit1->SetValue(-7);
    Form2->SpinEdit2->SetValue(8);
    Form2->SpinEdit3->SetValue(10);
    Form2->SpinEdit4->SetValue(2147483647);
    Form2->CheckBox1->SetChecked(true);
    Form2->SpinEdit9->SetValue(7);
  });
  F1->SpeedButton9->Click();
  const TUnit& u = S().Units[1];
  EXPECT_EQ(u.X, -6);
  EXPECT_EQ(u.Y, 6);
  EXPECT_EQ(u.TargetX, 9);
  EXPECT_EQ(u.TargetY, 2147483646);
  EXPECT_EQ(u.Selected, 1);
  EXPECT_EQ(u.Group, 7);
  EXPECT_TRUE(u.AttackTarget.Empty());

  F1->ComboBox3->SetItemIndex(0);
  BuildingDialog([] {
    Form3->SpinEdit1->SetValue(-7);
    Form3->SpinEdit2->SetValue(8);
    Form3->SpinEdit6->SetValue(3);
  });
  F1->SpeedButton12->Click();
  const TBuilding& b = S().Buildings[1];
  EXPECT_EQ(b.X, -7);
  EXPECT_EQ(b.Y, 8);
  EXPECT_EQ(b.Group, 3);
  EXPECT_EQ(b.Selected, 0);
  EXPECT_EQ(ObjectIdentifier(b), "Zamek 1");
  EXPECT_EQ(ItemsOf(F1->ComboBox4), std::vector<std::string>{"Zamek 1"});
}

TEST_F(ObjectsTest, StatsArePercentagesOfTheTypesMaxima) {
  CreateUnit(0, 0, 0, 50);
  EXPECT_EQ(S().Units[1].HP, 22);
  EXPECT_EQ(S().Units[1].Attack, 10);
  EXPECT_EQ(S().Units[1].Defense, 8);
  EXPECT_EQ(S().Units[1].Mana, 0);  // the type has no mana

  // Opening it shows 48 %; a type without mana leaves "Mana %" as it was.
  SelectUnit(0);
  int shownLife = 0, shownMana = 0;
  UnitDialog(
      [&] {
        shownLife = Form2->SpinEdit5->Value();
        shownMana = Form2->SpinEdit6->Value();
        Form2->SpeedButton2->Click();
      },
      false);
  Form2->SpinEdit6->SetValue(37);
  F1->SpeedButton10->Click();
  EXPECT_EQ(shownLife, 48);
  EXPECT_EQ(shownMana, 37);
  EXPECT_EQ(Form2->SpinEdit5->Value(), 100);  // Anuluj reset the fields
  EXPECT_EQ(Form2->ComboBox1->Items()->Count(), 0);

  // A mage at 25 % mana; editing writes mana always.
  F1->ComboBox1->SetItemIndex(1);
  UnitDialog([] {
    Form2->SpinEdit6->SetValue(25);
    Form2->SpinEdit7->SetValue(50);
    Form2->SpinEdit8->SetValue(1);
  });
  F1->SpeedButton9->Click();
  EXPECT_EQ(S().Units[2].Mana, 15);
  EXPECT_EQ(S().Units[2].Attack, 3);
  EXPECT_EQ(S().Units[2].Defense, 0);
  SelectUnit(1);
  UnitDialog([&] { shownMana = Form2->SpinEdit6->Value(); });
  F1->SpeedButton10->Click();
  EXPECT_EQ(shownMana, 25);
  EXPECT_EQ(S().Units[2].Mana, 15);

  // A building at 30 % life of 1000.
  F1->ComboBox3->SetItemIndex(0);
  BuildingDialog([] { Form3->SpinEdit3->SetValue(30); });
  F1->SpeedButton12->Click();
  EXPECT_EQ(S().Buildings[1].HP, 300);
  EXPECT_EQ(S().Buildings[1].Defense, 50);
  EXPECT_EQ(S().Buildings[1].Attack, 20);
  F1->ComboBox4->SetItemIndex(0);
  int shownBuildingLife = 0;
  BuildingDialog([&] { shownBuildingLife = Form3->SpinEdit3->Value(); });
  F1->SpeedButton13->Click();
  EXPECT_EQ(shownBuildingLife, 30);
}

TEST_F(ObjectsTest, TypesWithZeroMaximaStayEditable) {
  CreateUnit(2, 0, 0, 40);  // Golem: every maximum 0
  EXPECT_EQ(S().Units[1].HP, 0);
  S().Units[1].HP = 17;
  SelectUnit(0);
  int shown[3] = {};
  UnitDialog([&] {
    shown[0] = Form2->SpinEdit5->Value();
    shown[1] = Form2->SpinEdit7->Value();
    shown[2] = Form2->SpinEdit8->Value();
  });
  F1->SpeedButton10->Click();
  EXPECT_TRUE(Driver->MessageBoxes().empty());
  EXPECT_EQ(shown[0], 100);
  EXPECT_EQ(shown[1], 100);
  EXPECT_EQ(shown[2], 100);
  EXPECT_EQ(S().Units[1].HP, 0);

  F1->ComboBox3->SetItemIndex(1);
  BuildingDialog(nullptr);
  F1->SpeedButton12->Click();
  F1->ComboBox4->SetItemIndex(0);
  BuildingDialog(nullptr);
  F1->SpeedButton13->Click();
  EXPECT_EQ(Driver->Dialogs().size(), 4u);
  EXPECT_EQ(S().Buildings[1].HP, 0);

  // Percentages in 64 bits, brought into 1 to 100.
  EXPECT_EQ(PercentOf(2147483647, 2147483647), 100);
  EXPECT_EQ(PercentOf(2147483647, 1), 100);
  EXPECT_EQ(PercentOf(-5, 45), 1);
  EXPECT_EQ(PercentOf(0, -2147483647 - 1), 1);
  EXPECT_EQ(ValueOfPercent(100, 2147483647), 2147483647);
  EXPECT_EQ(ValueOfPercent(99, -2147483647 - 1), -2126008811);
}

TEST_F(ObjectsTest, DeletingRemovesEveryEqualIdentifierAndZeroesFreedSlots) {
  CreateUnit(0);
  // Deleting the only unit leaves none; with no entry chosen nothing changes.
  SelectUnit(0);
  F1->SpeedButton11->Click();
  EXPECT_EQ(S().UnitCount, 0);
  EXPECT_EQ(S().Units[1], TUnit{});
  CreateUnit(0);
  CreateUnit(1);
  F1->ComboBox2->SetItemIndex(-1);
  F1->SpeedButton11->Click();
  EXPECT_EQ(S().UnitCount, 2);

  // Two slots with one identifier (as a file may hold them): both go.
  S().UnitCount = 4;
  S().Units[3] = S().Units[1];
  S().Units[4] = S().Units[1];
  S().Units[4].BuildProgress = 77;
  S().Units[2].Number = 9;
  F1->RefreshUnitList();
  EXPECT_EQ(ItemsOf(F1->ComboBox2), (std::vector<std::string>{"Piechur 1", "Mag 9", "Piechur 1", "Piechur 1"}));
  SelectUnit(0);
  F1->SpeedButton11->Click();
  EXPECT_EQ(S().UnitCount, 1);
  EXPECT_EQ(ObjectIdentifier(S().Units[1]), "Mag 9");
  for (int i = 2; i <= 4; ++i) EXPECT_EQ(S().Units[i], TUnit{}) << i;

  // A new object in a freed slot starts from zero.
  CreateUnit(0);
  EXPECT_EQ(S().Units[2].BuildProgress, 0);
  EXPECT_EQ(ObjectIdentifier(S().Units[2]), "Piechur 1");

  // Buildings the same way.
  F1->ComboBox3->SetItemIndex(0);
  BuildingDialog(nullptr);
  F1->SpeedButton12->Click();
  BuildingDialog(nullptr);
  F1->SpeedButton12->Click();
  F1->ComboBox4->SetItemIndex(0);
  F1->SpeedButton14->Click();
  EXPECT_EQ(S().BuildingCount, 1);
  EXPECT_EQ(ObjectIdentifier(S().Buildings[1]), "Zamek 2");
  EXPECT_EQ(S().Buildings[2], TBuilding{});
}

TEST_F(ObjectsTest, EditingFindsTypedUnitsSelectedBuildingsAndNothingElse) {
  CreateUnit(0);
  CreateUnit(1);
  // A unit's identifier typed into the list's edit field.
  F1->ComboBox2->SetText("Mag 1");
  int shownX = -1;
  UnitDialog([&] {
    shownX = Form2->SpinEdit1->Value();
    EXPECT_EQ(Form2->ComboBox1->ItemIndex(), 1);
    EXPECT_EQ(Form2->ComboBox1->Text(), "Mag");
  });
  S().Units[2].X = 33;
  F1->SpeedButton10->Click();
  EXPECT_EQ(shownX, 33);
  EXPECT_EQ(S().EditIndex, 2);

  // No slot with that identifier (an entry left after a deletion): nothing opens.
  const std::size_t dialogs = Driver->Dialogs().size();
  SelectUnit(0);
  F1->SpeedButton11->Click();
  SelectUnit(0);
  F1->SpeedButton10->Click();
  F1->ComboBox2->SetText("Piechur 7");
  F1->SpeedButton10->Click();
  EXPECT_EQ(Driver->Dialogs().size(), dialogs);
  EXPECT_EQ(S().EditIndex, 2);

  // A building needs its entry selected: typed text is not enough.
  F1->ComboBox3->SetItemIndex(0);
  BuildingDialog(nullptr);
  F1->SpeedButton12->Click();
  F1->ComboBox4->SetText("Zamek 9");
  ASSERT_EQ(F1->ComboBox4->ItemIndex(), -1);
  F1->SpeedButton13->Click();
  EXPECT_EQ(Driver->Dialogs().size(), dialogs + 1);
  F1->ComboBox4->SetItemIndex(0);
  BuildingDialog(nullptr);
  F1->SpeedButton13->Click();
  EXPECT_EQ(Driver->Dialogs().size(), dialogs + 2);
}

// A refusal tells the user why in a box; nothing is written and a dialog
// with its fields stays open for another try.
TEST_F(ObjectsTest, RefusalsSayWhyAndWriteNothing) {
  struct TKind {
    const char* Name;
    TForm* Dialog;
    TComboBox* DialogTypes;
    TSpinEdit* X;
    TSpeedButton* Ok;
    TSpeedButton* Cancel;
    TComboBox* MainTypes;
    TSpeedButton* Create;
    std::int32_t* Count;
    int Max;
    const char* NoType;
    const char* Full;
  } kinds[] = {
      {"units", Form2, Form2->ComboBox1, Form2->SpinEdit1, Form2->SpeedButton1, Form2->SpeedButton2, F1->ComboBox1,
       F1->SpeedButton9, &S().UnitCount, MaxUnits, "Wybierz rodzaj jednostki!", "Za dużo jednostek!"},
      {"buildings", Form3, Form3->ComboBox1, Form3->SpinEdit1, Form3->SpeedButton1, Form3->SpeedButton2, F1->ComboBox3,
       F1->SpeedButton12, &S().BuildingCount, MaxBuildings, "Wybierz rodzaj budynku!", "Za dużo budynków!"},
  };
  for (const TKind& k : kinds) {
    SCOPED_TRACE(k.Name);
    // OK with no type name.
    k.MainTypes->SetItemIndex(-1);
    bool stillOpen = false;
    std::string told;
    int fieldAfter = 0;
    Driver->AnswerNext([&](TDialogEvent& d) {
      EXPECT_EQ(d.Form, k.Dialog);
      k.DialogTypes->SetText("");
      k.X->SetValue(12);
      Controls->AnswerMessage(&told);
      k.Ok->Click();
      stillOpen = k.Dialog->ModalResult() == mrNone;
      fieldAfter = k.X->Value();
      k.Cancel->Click();
    });
    k.Create->Click();
    EXPECT_EQ(told, Cp(k.NoType));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(fieldAfter, 12);
    EXPECT_EQ(*k.Count, 0);

    // Every slot taken: "Utwórz" says so and opens no dialog; the table
    // never grows past its end.
    *k.Count = k.Max;
    const std::size_t dialogs = Driver->Dialogs().size();
    k.MainTypes->SetItemIndex(0);
    told.clear();
    Controls->AnswerMessage(&told);
    k.Create->Click();
    EXPECT_EQ(told, Cp(k.Full));
    ASSERT_EQ(Driver->Dialogs().size(), dialogs + 1);
    EXPECT_NE(Driver->Dialogs().back().Form, k.Dialog);
    EXPECT_EQ(*k.Count, k.Max);
    EXPECT_EQ(Driver->PendingAnswers(), 0);
  }
  S().EditIndex = 0;
  TUnitFields f;
  f.Name = "Piechur";
  EXPECT_EQ(WriteUnit(S(), f), 0);
  TBuildingFields g;
  g.Name = "Zamek";
  EXPECT_EQ(WriteBuilding(S(), g), 0);
  EXPECT_EQ(Driver->UnansweredDialogs(), 0);
}

// Placed objects show in the next frame at their positions.
TEST_F(ObjectsTest, PlacedObjectsAreDrawn) {
  CreateUnit(0, 30, 60);
  F1->ComboBox3->SetItemIndex(0);
  BuildingDialog([] {
    Form3->SpinEdit1->SetValue(-200);
    Form3->SpinEdit2->SetValue(0);
  });
  F1->SpeedButton12->Click();
  Advance(20);
  Advance(20);
  TPixels px = Driver->ReadPixels(F1->DXDraw1);
  EXPECT_EQ(px.At(30 + 378 + 19, 60 + 207 + 25), 0xFFFF00u);             // "piechur"
  EXPECT_EQ(px.At(-200 + 378 - 30 + 49, 0 + 207 - 30 + 55), 0xFF8000u);  // "zamek"
}
