#include "editor/MainForm.h"

#include <string>
#include <utility>
#include <vector>

#include "assets/stored/StoredData.h"
#include "display/PictureCollection.h"
#include "editor/BuildingForm.h"
#include "editor/EditorPictures.h"
#include "editor/EditorView.h"
#include "editor/PlacedObjects.h"
#include "editor/TerrainEditing.h"
#include "editor/UnitForm.h"
#include "input_sound/Keyboard.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"
#include "platform/toolkit/FormBuilder.h"
#include "platform/win/KeyState.h"
#include "platform/win/Window.h"
#include "world/ObjectNames.h"
#include "world/WorldFiles.h"

namespace sandreth {

TForm1* Form1 = nullptr;

namespace {

const char* const MapFilter = "Pliki map|*.map";

TLabel* PlaceLabel(TForm1* Owner, const char* Name, TWinControl* Parent, int Left, int Top, const char* Utf8) {
  auto* l = MakeComponent<TLabel>(Owner, Name, Parent, Left, Top, 10, 13);
  l->SetCaption(Cp(Utf8));
  return l;
}

TSpinEdit* PlaceSpin(TForm1* Owner, const char* Name, TWinControl* Parent, int Left, int Top, int Width, int Min,
                     int Max, int Value, int MaxLength) {
  auto* s = MakeComponent<TSpinEdit>(Owner, Name, Parent, Left, Top, Width, 22);
  s->SetMinValue(Min);
  s->SetMaxValue(Max);
  s->SetMaxLength(MaxLength);
  s->SetValue(Value);
  return s;
}

// A flat tool button with a hint and its stored glyph (its hint as the
// caption when the program carries no glyph for it).
TSpeedButton* PlaceButton(TForm1* Owner, const char* Name, TWinControl* Parent, int Left, int Top, int Width,
                          int Height, const char* HintUtf8) {
  auto* b = MakeComponent<TSpeedButton>(Owner, Name, Parent, Left, Top, Width, Height);
  b->SetFlat(true);
  if (HintUtf8) {
    b->SetHint(Cp(HintUtf8));
    b->SetShowHint(true);
  }
  if (!LoadStoredGlyph(b, std::string("Sandreth.Glyph.") + Name) && HintUtf8) b->SetCaption(Cp(HintUtf8));
  return b;
}

// Controls laid out left to right in one row of a tab: each label as wide as
// its text, its field right after it. A label takes the width of its text
// when its loading ends, so the row is placed (Arrange) after the form's
// loading pass.
struct TRow {
  explicit TRow(TForm1* AOwner) : Owner(AOwner) {}

  TForm1* Owner;
  TWinControl* Parent = nullptr;
  int Left = 4;
  // Each control of the row and the space after it.
  std::vector<std::pair<TControl*, int>> Items;

  TLabel* Label(const char* Name, const char* Utf8) {
    TLabel* l = PlaceLabel(Owner, Name, Parent, Left, 11, Utf8);
    Items.emplace_back(l, 2);
    return l;
  }
  template <class T>
  T* Field(const char* Name, int Width, int Gap = 8) {
    T* c = MakeComponent<T>(Owner, Name, Parent, Left, 7, Width, 22);
    Items.emplace_back(c, Gap);
    return c;
  }
  TSpinEdit* Spin(const char* Name, int Width, int Min, int Max, int Value, int MaxLength) {
    TSpinEdit* s = PlaceSpin(Owner, Name, Parent, Left, 7, Width, Min, Max, Value, MaxLength);
    Items.emplace_back(s, 8);
    return s;
  }
  TSpeedButton* Button(const char* Name, const char* HintUtf8, int Gap) {
    TSpeedButton* b = PlaceButton(Owner, Name, Parent, Left, 5, 26, 26, HintUtf8);
    Items.emplace_back(b, 2 + Gap);
    return b;
  }
  void Arrange() const {
    int x = Left;
    for (const auto& [control, gap] : Items) {
      control->SetLeft(x);
      x += control->Width() + gap;
    }
  }
};

TMenuItem* AddMenuItem(TForm1* Owner, TMenuItem* Parent, const char* Name, const char* CaptionUtf8, TShortCut Key) {
  auto* item = MakeComponent<TMenuItem>(Owner, Name);
  item->SetCaption(Cp(CaptionUtf8));
  item->SetShortCut(Key);
  Parent->Add(item);
  return item;
}

}  // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner), FState(std::make_unique<TEditorState>()) { CreateComponents(); }

TForm1::~TForm1() = default;

void TForm1::CreateComponents() {
  TRow data(this), elevation(this), units(this), buildings(this);
  LoadForm(this, [&] {
    SetName("Form1");
    SetCaption("Sandreth");
    SetBorderStyle(bsSingle);
    SetPosition(poScreenCenter);
    SetClientWidth(792);
    SetClientHeight(546);
    OnActivate = TNotifyEvent(this, &TForm1::FormActivate);

    DXDraw1 = MakeComponent<TDXDraw>(this, "DXDraw1", this, 0, 0, 792, 478);
    DXDraw1->SetAlign(alClient);
    DXDraw1->SetAutoInitialize(true);
    DXDraw1->SetAutoSize(true);
    DXDraw1->SetSurfaceWidth(792);
    DXDraw1->SetSurfaceHeight(478);
    DXDraw1->SetOptions(DefaultDXDrawOptions);
    DXDraw1->OnMouseDown = TMouseEvent(this, &TForm1::DXDraw1MouseDown);
    DXDraw1->OnMouseUp = TMouseEvent(this, &TForm1::DXDraw1MouseUp);
    DXDraw1->OnMouseMove = TMouseMoveEvent(this, &TForm1::DXDraw1MouseMove);

    PageControl1 = MakeComponent<TPageControl>(this, "PageControl1", this, 0, 478, 792, 68);
    PageControl1->SetAlign(alBottom);
    PageControl1->SetHotTrack(true);
    PageControl1->SetMultiLine(true);
    PageControl1->SetTabStop(false);
    TTabSheet** sheets[] = {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet4};
    const char* captions[] = {"Dane", "Teren", "Jednostki", "Budynki"};
    for (int i = 0; i < 4; ++i) {
      auto* s = MakeComponent<TTabSheet>(this, "TabSheet" + std::to_string(i + 1));
      s->SetPageControl(PageControl1);
      s->SetCaption(captions[i]);
      *sheets[i] = s;
    }
    PageControl1->SetActivePageIndex(0);

    // "Dane": the map's size, randomness, name and starting resources.
    data.Parent = TabSheet1;
    Label1 = data.Label("Label1", "Szerokość:");
    SpinEdit1 = data.Spin("SpinEdit1", 46, MinMapSide, MapSize, DefaultMapSide, 3);
    SpinEdit1->SetHint(Cp("Szerokość mapy"));
    SpinEdit1->SetShowHint(true);
    Label2 = data.Label("Label2", "Wysokość:");
    SpinEdit2 = data.Spin("SpinEdit2", 46, MinMapSide, MapSize, DefaultMapSide, 3);
    SpinEdit2->SetHint(Cp("Wysokość mapy"));
    SpinEdit2->SetShowHint(true);
    Label3 = data.Label("Label3", "Losowość:");
    SpinEdit3 = data.Spin("SpinEdit3", 40, 1, 50, 10, 2);
    SpinEdit3->SetHint(Cp("Stopień losowości krajobrazu"));
    SpinEdit3->SetShowHint(true);
    SpeedButton1 = data.Button("SpeedButton1", "Losuj", 0);
    SpeedButton1->OnClick = TNotifyEvent(this, &TForm1::SpeedButton1Click);
    SpeedButton2 = data.Button("SpeedButton2", "Zeruj", 4);
    SpeedButton2->OnClick = TNotifyEvent(this, &TForm1::SpeedButton2Click);
    Label5 = data.Label("Label5", "Nazwa mapy:");
    Edit1 = data.Field<TEdit>("Edit1", 92);
    Edit1->SetMaxLength(99);
    Label7 = data.Label("Label7", "Złoto:");
    SpinEdit5 = data.Spin("SpinEdit5", 54, 0, 99999, DefaultResources, 5);
    Label8 = data.Label("Label8", "Drewno:");
    SpinEdit6 = data.Spin("SpinEdit6", 54, 0, 99999, DefaultResources, 5);

    // "Teren": the hovered cell, the seven painting tools and the elevation.
    TTabSheet* p = TabSheet2;
    Label4 = MakeComponent<TLabel>(this, "Label4", p, 4, 11, 96, 13);
    Label4->SetAutoSize(false);
    Label4->SetCaption("X: 1, Y: 1");
    struct TTool {
      TSpeedButton** Button;
      const char* Name;
      void (TForm1::*Click)(TObject*);
      const char* Picture;
    };
    const TTool tools[] = {{&SpeedButton3, "SpeedButton3", &TForm1::SpeedButton3Click, "tile"},
                           {&TerrainButton1, "TerrainButton1", &TForm1::TerrainButton1Click, "tree"},
                           {&SpeedButton5, "SpeedButton5", &TForm1::SpeedButton5Click, "water"},
                           {&SpeedButton4, "SpeedButton4", &TForm1::SpeedButton4Click, "up1"},
                           {&SpeedButton7, "SpeedButton7", &TForm1::SpeedButton7Click, "up2"},
                           {&SpeedButton6, "SpeedButton6", &TForm1::SpeedButton6Click, "up3"},
                           {&SpeedButton8, "SpeedButton8", &TForm1::SpeedButton8Click, "up4"}};
    int x = 104;
    for (const TTool& t : tools) {
      TSpeedButton* b = PlaceButton(this, t.Name, p, x, 1, 36, 36, nullptr);
      if (!b->HasGlyph()) b->SetCaption(t.Picture);
      b->SetGroupIndex(1);
      b->OnClick = TNotifyEvent(this, t.Click);
      *t.Button = b;
      x += 38;
    }
    SpeedButton3->SetDown(true);
    elevation.Parent = p;
    elevation.Left = x + 14;
    Label6 = elevation.Label("Label6", "Elewacja:");
    SpinEdit4 = elevation.Spin("SpinEdit4", 36, 0, MaxElevation, 0, 1);

    // "Jednostki" and "Budynki": the type to place and the placed objects.
    units.Parent = TabSheet3;
    Label9 = units.Label("Label9", "Wybierz rodzaj jednostki:");
    ComboBox1 = units.Field<TComboBox>("ComboBox1", 130, 0);
    SpeedButton9 = units.Button("SpeedButton9", "Utwórz", 24);
    SpeedButton9->OnClick = TNotifyEvent(this, &TForm1::SpeedButton9Click);
    Label10 = units.Label("Label10", "Wybierz jednostkę:");
    ComboBox2 = units.Field<TComboBox>("ComboBox2", 150, 0);
    SpeedButton10 = units.Button("SpeedButton10", "Edytuj", 0);
    SpeedButton10->OnClick = TNotifyEvent(this, &TForm1::SpeedButton10Click);
    SpeedButton11 = units.Button("SpeedButton11", "Usuń", 0);
    SpeedButton11->OnClick = TNotifyEvent(this, &TForm1::SpeedButton11Click);

    buildings.Parent = TabSheet4;
    Label11 = buildings.Label("Label11", "Wybierz rodzaj budynku:");
    ComboBox3 = buildings.Field<TComboBox>("ComboBox3", 130, 0);
    SpeedButton12 = buildings.Button("SpeedButton12", "Utwórz", 24);
    SpeedButton12->OnClick = TNotifyEvent(this, &TForm1::SpeedButton12Click);
    Label12 = buildings.Label("Label12", "Wybierz budynek:");
    ComboBox4 = buildings.Field<TComboBox>("ComboBox4", 150, 0);
    SpeedButton13 = buildings.Button("SpeedButton13", "Edytuj", 0);
    SpeedButton13->OnClick = TNotifyEvent(this, &TForm1::SpeedButton13Click);
    SpeedButton14 = buildings.Button("SpeedButton14", "Usuń", 0);
    SpeedButton14->OnClick = TNotifyEvent(this, &TForm1::SpeedButton14Click);

    // The pictures, all stored in the program, bound to the drawing surface.
    TDXImageList** lists[] = {&DXImageList1, &DXImageList2, &DXImageList3, &DXImageList4};
    for (int i = 0; i < 4; ++i) {
      const std::string name = "DXImageList" + std::to_string(i + 1);
      auto* list = MakeComponent<TDXImageList>(this, name);
      ReadStoredComponent(list, "Sandreth." + name);
      list->SetDXDraw(DXDraw1);
      *lists[i] = list;
    }

    // Keyboard and joystick only; the four directions on K J H L, the arrows
    // and the numeric pad.
    DXInput1 = MakeComponent<TDXInput>(this, "DXInput1");
    DXInput1->SetActiveOnly(true);
    DXInput1->SetUseDirectInput(true);
    DXInput1->Mouse()->SetEnabled(false);
    DXInput1->Keyboard()->SetEnabled(true);
    DXInput1->Keyboard()->SetBindInputStates(true);
    DXInput1->Joystick()->SetEnabled(true);
    DXInput1->Joystick()->SetBindInputStates(true);
    TKeyAssignTable& keys = DXInput1->Keyboard()->Assigns;
    keys = TKeyAssignTable{};
    SetKeyAssign(keys, stUp, {'K', VK_UP, VK_NUMPAD0 + 8});
    SetKeyAssign(keys, stDown, {'J', VK_DOWN, VK_NUMPAD0 + 2});
    SetKeyAssign(keys, stLeft, {'H', VK_LEFT, VK_NUMPAD0 + 4});
    SetKeyAssign(keys, stRight, {'L', VK_RIGHT, VK_NUMPAD0 + 6});

    DXTimer1 = MakeComponent<TDXTimer>(this, "DXTimer1");
    DXTimer1->SetActiveOnly(true);
    DXTimer1->SetEnabled(true);
    DXTimer1->SetInterval(1);
    DXTimer1->OnTimer = TDXTimerEvent(this, &TForm1::DXTimer1Timer);

    OpenDialog1 = MakeComponent<TOpenDialog>(this, "OpenDialog1");
    OpenDialog1->SetFilter(MapFilter);
    OpenDialog1->SetTitle(Cp("Otwórz mapę"));
    SaveDialog1 = MakeComponent<TSaveDialog>(this, "SaveDialog1");
    SaveDialog1->SetFilter(MapFilter);
    SaveDialog1->SetTitle(Cp("Zapisz mapę"));

    FileListBox1 = MakeComponent<TFileListBox>(this, "FileListBox1", this, 0, 0, 145, 97);
    FileListBox1->SetVisible(false);
    XPManifest1 = MakeComponent<TXPManifest>(this, "XPManifest1");

    MainMenu1 = MakeComponent<TMainMenu>(this, "MainMenu1");
    TMenuItem* root = MainMenu1->Items();
    Plik1 = AddMenuItem(this, root, "Plik1", "Plik", scNone);
    Nowy1 = AddMenuItem(this, Plik1, "Nowy1", "Nowy", ShortCut('N', {ssCtrl}));
    Nowy1->OnClick = TNotifyEvent(this, &TForm1::Nowy1Click);
    Otwrz1 = AddMenuItem(this, Plik1, "Otwrz1", "Otwórz", ShortCut('O', {ssCtrl}));
    Otwrz1->OnClick = TNotifyEvent(this, &TForm1::Otwrz1Click);
    Zapisz1 = AddMenuItem(this, Plik1, "Zapisz1", "Zapisz", ShortCut('S', {ssCtrl}));
    Zapisz1->OnClick = TNotifyEvent(this, &TForm1::Zapisz1Click);
    N1 = AddMenuItem(this, Plik1, "N1", "-", scNone);
    Zamknij1 = AddMenuItem(this, Plik1, "Zamknij1", "Zamknij", ShortCut(VK_F1 + 11, {ssCtrl}));
    Zamknij1->OnClick = TNotifyEvent(this, &TForm1::Zamknij1Click);
    Teren1 = AddMenuItem(this, root, "Teren1", "Teren", scNone);
    Losuj1 = AddMenuItem(this, Teren1, "Losuj1", "Losuj", ShortCut('L', {ssCtrl}));
    Losuj1->OnClick = TNotifyEvent(this, &TForm1::Losuj1Click);
    Zeruj1 = AddMenuItem(this, Teren1, "Zeruj1", "Zeruj", ShortCut('K', {ssCtrl}));
    Zeruj1->OnClick = TNotifyEvent(this, &TForm1::Zeruj1Click);
    Pomoc1 = AddMenuItem(this, root, "Pomoc1", "Pomoc", scNone);
    Oprogramie1 = AddMenuItem(this, Pomoc1, "Oprogramie1", "O programie", ShortCut(VK_F1, {}));
    Oprogramie1->OnClick = TNotifyEvent(this, &TForm1::Oprogramie1Click);
    SetMenu(MainMenu1);
  });
  for (const TRow* row : {&data, &elevation, &units, &buildings}) row->Arrange();
}

int TForm1::MapRows() const { return ClampMapSide(SpinEdit1->Value()); }
int TForm1::MapCols() const { return ClampMapSide(SpinEdit2->Value()); }

// ---- Start-up ---------------------------------------------------------------

void TForm1::FormActivate(TObject*) {
  if (FStartedUp) return;
  FStartedUp = true;
  try {
    StartUp();
  } catch (...) { Application->HandleException(this); }
}

void TForm1::StartUp() {
  TEditorState& s = *FState;
  s.AppDir = GetCurrentDir();
  FileListBox1->SetDirectory(s.AppDir + "\\data");
  const int count = FileListBox1->Items()->Count();
  for (int i = 0; i < count; ++i) {
    const std::string name = FileListBox1->Items()->Strings(i);
    const std::string ext = ExtractFileExt(name);
    // The tables hold 30 types of each kind; files beyond them are skipped
    // without being read.
    if (ext == ".unt" && s.UnitTypeCount < MaxUnitTypes) {
      TUnitType type;
      ReadUnitTypeFile(name, type);
      AddUnitType(s, type);
    }
    if (ext == ".bld" && s.BuildingTypeCount < MaxBuildingTypes) {
      TBuildingType type;
      ReadBuildingTypeFile(name, type);
      AddBuildingType(s, type);
    }
  }
  for (int t = 1; t <= s.UnitTypeCount; ++t) ComboBox1->Items()->Add(s.UnitTypes[static_cast<size_t>(t)].Name.Text());
  for (int t = 1; t <= s.BuildingTypeCount; ++t)
    ComboBox3->Items()->Add(s.BuildingTypes[static_cast<size_t>(t)].Name.Text());
  for (TComboBox* c : {ComboBox1, ComboBox2, ComboBox3, ComboBox4})
    if (c->Items()->Count() > 0) c->SetItemIndex(0);
}

// ---- Tick and view ----------------------------------------------------------

void TForm1::DXTimer1Timer(TObject*, std::int32_t LagCount) {
  if (SpinEdit1->Value() > MapSize) SpinEdit1->SetValue(MapSize);
  if (SpinEdit2->Value() > MapSize) SpinEdit2->SetValue(MapSize);

  const int tab = PageControl1->TabIndex();
  if (tab == 0) {
    for (TSpinEdit* f : {SpinEdit1, SpinEdit2, SpinEdit3})
      if (!f->Enabled()) f->SetEnabled(true);
  } else if (tab >= 1 && tab <= 10) {
    for (TSpinEdit* f : {SpinEdit1, SpinEdit2, SpinEdit3})
      if (f->Enabled()) f->SetEnabled(false);
    const TInputStates& st = DXInput1->States;
    ScrollView(*FState, LagCount, st.Contains(stLeft), st.Contains(stRight), st.Contains(stUp), st.Contains(stDown));
  }

  if (!DXDraw1->CanDraw()) return;
  TDirectDrawSurface* back = DXDraw1->Surface();
  back->Fill(0);
  DXInput1->Update();

  TImageListPictures pictures(back, {DXImageList1, DXImageList2, DXImageList3, DXImageList4});
  std::vector<std::string> missing;
  DrawFrame(*FState, MapRows(), MapCols(), DXDraw1->Width(), DXDraw1->Height(), pictures, &missing);
  DXDraw1->Flip();
  // A type without a picture is told once; its objects are not drawn.
  for (const std::string& name : missing)
    Application->ShowException(
        EPictureCollectionError(Format("Image '%s' not found", PictureName(TShortString::From(name)))));
}

void TForm1::DrawMap() {
  if (!DXDraw1->CanDraw()) return;
  TImageListPictures pictures(DXDraw1->Surface(), {DXImageList1, DXImageList2, DXImageList3, DXImageList4});
  sandreth::DrawMap(*FState, MapRows(), MapCols(), DXDraw1->Width(), DXDraw1->Height(), pictures);
}

// ---- Terrain editing --------------------------------------------------------

void TForm1::DXDraw1MouseDown(TObject*, TMouseButton, TShiftState, int, int) { FState->Painting = true; }
void TForm1::DXDraw1MouseUp(TObject*, TMouseButton, TShiftState, int, int) { FState->Painting = false; }

void TForm1::DXDraw1MouseMove(TObject*, TShiftState, int X, int Y) {
  if (!PointerMoved(*FState, MapRows(), MapCols(), DXDraw1->Width(), DXDraw1->Height(), X, Y,
                    static_cast<std::uint8_t>(SpinEdit4->Value())))
    return;
  Label4->SetCaption("X: " + std::to_string(FState->HoverRow) + ", Y: " + std::to_string(FState->HoverCol));
}

void TForm1::SpeedButton3Click(TObject*) { FState->PaintTerrain = 0; }
void TForm1::TerrainButton1Click(TObject*) { FState->PaintTerrain = 1; }
void TForm1::SpeedButton5Click(TObject*) { FState->PaintTerrain = 2; }
void TForm1::SpeedButton4Click(TObject*) { FState->PaintTerrain = 3; }
void TForm1::SpeedButton7Click(TObject*) { FState->PaintTerrain = 4; }
void TForm1::SpeedButton6Click(TObject*) { FState->PaintTerrain = 5; }
void TForm1::SpeedButton8Click(TObject*) { FState->PaintTerrain = 6; }

void TForm1::RandomizeTerrain() { sandreth::RandomizeTerrain(*FState, MapRows(), MapCols(), SpinEdit3->Value()); }
void TForm1::SpeedButton1Click(TObject*) { RandomizeTerrain(); }
void TForm1::Losuj1Click(TObject*) { RandomizeTerrain(); }

void TForm1::SpeedButton2Click(TObject*) { ZeroTerrain(*FState, MapRows(), MapCols()); }

void TForm1::Zeruj1Click(TObject* Sender) { SpeedButton2Click(Sender); }

void TForm1::Nowy1Click(TObject*) {
  SpeedButton2->Click();
  SpinEdit1->SetValue(DefaultMapSide);
  SpinEdit2->SetValue(DefaultMapSide);
  SpinEdit3->SetValue(10);
}

// ---- Map files --------------------------------------------------------------

TMapFields TForm1::MapFields() const {
  TMapFields f;
  f.Rows = MapRows();
  f.Cols = MapCols();
  f.Name = Edit1->Text();
  f.Gold = SpinEdit5->Value();
  f.Wood = SpinEdit6->Value();
  return f;
}

void TForm1::ShowMapFields(const TMapFields& Fields) {
  SpinEdit5->SetValue(Fields.Gold);
  SpinEdit6->SetValue(Fields.Wood);
  Edit1->SetText(Fields.Name);
  SpinEdit1->SetValue(ClampMapSide(Fields.Rows));
  SpinEdit2->SetValue(ClampMapSide(Fields.Cols));
}

void TForm1::Zapisz1Click(TObject*) {
  if (!SaveDialog1->Execute()) return;
  const TMapFile file = BuildMapFile(*FState, MapFields());
  WriteMapFile(SaveDialog1->FileName(), file);
}

void TForm1::Otwrz1Click(TObject*) {
  if (!OpenDialog1->Execute()) return;
  auto file = std::make_unique<TMapFile>();
  ReadMapFile(OpenDialog1->FileName(), *file);
  const TMapFields fields = ApplyOpenedMap(*FState, *file);
  ComboBox2->Clear();
  ComboBox4->Clear();
  for (const std::string& id : UnitIdentifiers(*FState)) ComboBox2->Items()->Add(id);
  for (const std::string& id : BuildingIdentifiers(*FState)) ComboBox4->Items()->Add(id);
  ShowMapFields(fields);
}

void TForm1::Zamknij1Click(TObject*) { Application->Terminate(); }

void TForm1::Oprogramie1Click(TObject*) {
  Application->MessageBox(Cp("Sandreth - edytor map gry Korvel.\n\n"
                             "Maluj teren myszą na zakładce \"Teren\", rozmieszczaj jednostki i budynki "
                             "na zakładkach \"Jednostki\" i \"Budynki\", a mapę zapisz w menu \"Plik\"."),
                          "Informacja", MB_OK | MB_ICONINFORMATION);
}

// ---- Placed units and buildings ---------------------------------------------

void TForm1::RefreshUnitList() {
  ComboBox2->Clear();
  for (const std::string& id : UnitIdentifiers(*FState)) ComboBox2->Items()->Add(id);
  if (ComboBox2->Items()->Count() > 0) ComboBox2->SetItemIndex(0);
}

void TForm1::RefreshBuildingList() {
  ComboBox4->Clear();
  for (const std::string& id : BuildingIdentifiers(*FState)) ComboBox4->Items()->Add(id);
  if (ComboBox4->Items()->Count() > 0) ComboBox4->SetItemIndex(0);
}

void TForm1::SpeedButton9Click(TObject*) { Form2->ShowToCreate(this, ComboBox1); }

void TForm1::SpeedButton10Click(TObject*) {
  Form2->ShowToEdit(this, FindUnitSlot(*FState, ComboBox2->Text()), ComboBox1);
}

void TForm1::SpeedButton11Click(TObject*) {
  const int i = ComboBox2->ItemIndex();
  const std::string id = i >= 0 ? ComboBox2->Items()->Strings(i) : std::string();
  if (!id.empty()) DeleteUnits(*FState, id);
}

void TForm1::SpeedButton12Click(TObject*) { Form3->ShowToCreate(this, ComboBox3); }

void TForm1::SpeedButton13Click(TObject*) {
  // A building is edited by its selected entry, not by typed text.
  const int i = ComboBox4->ItemIndex();
  Form3->ShowToEdit(this, i >= 0 ? FindBuildingSlot(*FState, ComboBox4->Items()->Strings(i)) : 0, ComboBox3);
}

void TForm1::SpeedButton14Click(TObject*) {
  const int i = ComboBox4->ItemIndex();
  const std::string id = i >= 0 ? ComboBox4->Items()->Strings(i) : std::string();
  if (!id.empty()) DeleteBuildings(*FState, id);
}

}  // namespace sandreth
