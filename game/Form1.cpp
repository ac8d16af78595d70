#include "game/Form1.h"

#include <initializer_list>
#include <string>

#include "assets/stored/StoredData.h"
#include "game/CodeBox.h"
#include "game/ObjectLists.h"
#include "input_sound/InputDevice.h"
#include "input_sound/Keyboard.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/FormBuilder.h"
#include "platform/win/KeyState.h"
#include "platform/win/Window.h"

namespace korvel {

TForm1* Form1 = nullptr;

namespace {

// The face the game's interface text uses.
const char* const GameFontName = "Comic Sans MS";

void SetGameFont(TFont* Font, TColor Color) {
  Font->SetName(GameFontName);
  Font->SetColor(Color);
  Font->SetStyle(TFontStyles{fsBold});
}

TSpeedButton* MakeSpeedButton(TComponent* Owner, const char* Name, TWinControl* Parent, int Left, int Top, int Width,
                              int Height, const std::string& Caption, const std::string& Hint) {
  auto* b = MakeComponent<TSpeedButton>(Owner, Name, Parent, Left, Top, Width, Height);
  b->SetFlat(true);
  b->SetCaption(Caption);
  if (!Hint.empty()) {
    b->SetHint(Hint);
    b->SetShowHint(true);
  }
  return b;
}

}  // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
  // Loading ends for every component in the order they were made: the
  // timer starts, the input and sound components open their devices.
  LoadForm(this, [this] {
    SetName("Form1");
    SetCaption("Korvel");
    SetBorderStyle(bsSingle);
    SetPosition(poScreenCenter);
    SetClientWidth(792);
    SetClientHeight(566);
    SetColor(clBlack);
    CreateComponents();
    BindCommandHandlers();
    // The form's own handlers, as its stored data binds them once its
    // components exist.
    OnActivate = TNotifyEvent(this, &TForm1::FormActivate);
    OnCanResize = TCanResizeEvent(this, &TForm1::FormCanResize);
    OnShow = TNotifyEvent(this, &TForm1::FormShow);
    OnKeyDown = TKeyEvent(this, &TForm1::FormKeyDown);
  });
}

void TForm1::CreateComponents() {
  // The drawing surface fills the client area above the command bar.
  DXDraw1 = MakeComponent<TDXDraw>(this, "DXDraw1", this, 0, 0, 792, 478);
  DXDraw1->SetAlign(alClient);
  DXDraw1->SetAutoInitialize(true);
  DXDraw1->SetAutoSize(true);
  DXDraw1->SetSurfaceWidth(792);
  DXDraw1->SetSurfaceHeight(478);
  DXDraw1->SetOptions(
      TDXDrawOptions{doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode, doHardware, doSelectDriver});

  // The view panel at the right.
  Panel1 = MakeComponent<TPanel>(this, "Panel1", this, 688, 8, 97, 289);
  SpeedButton3 = MakeSpeedButton(this, "SpeedButton3", Panel1, 8, 8, 81, 22, "Ukryj", Cp("Ukrywa lub pokazuje menu."));
  SpeedButton6 = MakeSpeedButton(this, "SpeedButton6", Panel1, 8, 40, 81, 22, Cp("Otwórz"), "");
  SpeedButton2 = MakeSpeedButton(this, "SpeedButton2", Panel1, 8, 72, 81, 22, "Resetuj",
                                 Cp("Resetuje pozycję mapy względem jednostki."));
  SpeedButton4 =
      MakeSpeedButton(this, "SpeedButton4", Panel1, 8, 104, 81, 22, "Wybierz", Cp("Pozwala wybrać jednostkę."));
  CheckBox2 = MakeComponent<TCheckBox>(this, "CheckBox2", Panel1, 8, 144, 81, 17);
  CheckBox2->SetCaption(Cp("Śledź"));
  CheckBox2->SetHint(Cp("Utrzymuje jednostkę w centrum ekranu."));
  CheckBox2->SetShowHint(true);
  CheckBox2->OnKeyDown = TKeyEvent(this, &TForm1::FormKeyDown);
  CheckBox3 = MakeComponent<TCheckBox>(this, "CheckBox3", Panel1, 8, 168, 81, 17);
  CheckBox3->SetCaption("Granica");
  CheckBox3->SetHint(Cp("Rysuje granicę mapy."));
  CheckBox3->SetShowHint(true);
  MusicButton1 = MakeSpeedButton(this, "MusicButton1", Panel1, 8, 200, 33, 25, "", Cp("Odtwarza muzykę."));
  LoadStoredGlyph(MusicButton1, "Korvel.Glyph.MusicButton1");
  MusicButton2 = MakeSpeedButton(this, "MusicButton2", Panel1, 56, 200, 33, 25, "", Cp("Zatrzymuje muzykę."));
  LoadStoredGlyph(MusicButton2, "Korvel.Glyph.MusicButton2");
  Label2 = MakeComponent<TLabel>(this, "Label2", Panel1, 8, 232, 81, 13);
  Label2->SetAutoSize(false);
  Label2->SetAlignment(taCenter);
  Label2->SetCaption("X: 1, Y: 1");
  SpeedButton5 = MakeSpeedButton(this, "SpeedButton5", Panel1, 8, 256, 81, 22, "Info", "");

  // The command bar: the selection list on its black ground and the nine
  // command buttons at its right.
  Panel2 = MakeComponent<TPanel>(this, "Panel2", this, 0, 478, 792, 88);
  Panel2->SetAlign(alBottom);
  Shape1 = MakeComponent<TShape>(this, "Shape1", Panel2, 8, 8, 561, 73);
  Shape1->Brush()->SetColor(clBlack);
  ListBox2 = MakeComponent<TListBox>(this, "ListBox2", Panel2, 8, 8, 561, 73);
  ListBox2->SetColor(clBlack);
  ListBox2->SetColumns(6);
  ListBox2->SetMultiSelect(true);
  ListBox2->SetItemHeight(16);
  SetGameFont(ListBox2->Font(), clYellow);
  ListBox2->SetHint("Ctrl - wielokrotne zaznaczanie.");
  ListBox2->SetShowHint(true);
  Panel3 = MakeComponent<TPanel>(this, "Panel3", Panel2, 577, 0, 215, 88);
  Panel3->SetAlign(alRight);
  const struct {
    const char* Name;
    int Left, Top;
    const char* Hint;
  } menu[] = {
      {"MenuButton1", 8, 8, "Zaznacz"},  {"MenuButton2", 48, 8, "Odznacz"},  {"MenuButton3", 88, 8, "Zatrzymaj"},
      {"MenuButton4", 128, 8, "Ustal"},  {"MenuButton5", 168, 8, "Zawołaj"}, {"MenuButton6", 8, 48, "Atakuj"},
      {"MenuButton7", 48, 48, "Czaruj"}, {"MenuButton8", 88, 48, "Wyszkol"}, {"MenuButton9", 128, 48, "Zbuduj"}};
  TSpeedButton** slots[] = {&MenuButton1, &MenuButton2, &MenuButton3, &MenuButton4, &MenuButton5,
                            &MenuButton6, &MenuButton7, &MenuButton8, &MenuButton9};
  for (int i = 0; i < 9; ++i) {
    *slots[i] = MakeSpeedButton(this, menu[i].Name, Panel3, menu[i].Left, menu[i].Top, 33, 33, "", Cp(menu[i].Hint));
    LoadStoredGlyph(*slots[i], "Korvel.Glyph." + (*slots[i])->Name());
  }

  // The hidden object list the commands select by row.
  ListBox1 = MakeComponent<TListBox>(this, "ListBox1", this, 8, 300, 121, 97);
  ListBox1->SetMultiSelect(true);
  ListBox1->SetVisible(false);

  // The code box, hidden until Enter opens it.
  Edit1 = MakeComponent<TEdit>(this, "Edit1", this, CodeBoxLeft, CodeBoxTop, CodeBoxWidth, CodeBoxHeight);
  Edit1->SetBorderStyle(bsNoBorder);
  Edit1->SetColor(clBlack);
  SetGameFont(Edit1->Font(), clYellow);
  Edit1->SetMaxLength(CodeBoxMaxLength);
  Edit1->SetText(CodeBoxInitialText());
  Edit1->SetVisible(false);
  Edit1->OnKeyDown = TKeyEvent(this, &TForm1::Edit1KeyDown);

  OpenButton = MakeComponent<TButton>(this, "OpenButton", this, 8, 400, 75, 25);
  OpenButton->SetCaption("OpenButton");
  OpenButton->SetVisible(false);
  OpenButton->OnClick = TNotifyEvent(this, &TForm1::OpenButtonClick);

  FileListBox1 = MakeComponent<TFileListBox>(this, "FileListBox1", this, 136, 300, 145, 97);
  FileListBox1->SetVisible(false);
  FileListBox1->OnKeyDown = TKeyEvent(this, &TForm1::FormKeyDown);

  MediaPlayer1 = MakeComponent<TMediaPlayer>(this, "MediaPlayer1", this, 288, 300, 253, 30);
  MediaPlayer1->SetVisible(false);

  // Image lists, bound to the drawing surface. The interface and terrain
  // pictures come with the window; the type pictures are added at start-up.
  DXImageList1 = MakeComponent<TDXImageList>(this, "DXImageList1");
  ReadStoredComponent(DXImageList1, "Korvel.DXImageList1");
  DXImageList1->SetDXDraw(DXDraw1);
  DXImageList2 = MakeComponent<TDXImageList>(this, "DXImageList2");
  DXImageList2->SetDXDraw(DXDraw1);
  DXImageList3 = MakeComponent<TDXImageList>(this, "DXImageList3");
  DXImageList3->SetDXDraw(DXDraw1);
  DXImageList4 = MakeComponent<TDXImageList>(this, "DXImageList4");
  ReadStoredComponent(DXImageList4, "Korvel.DXImageList4");
  DXImageList4->SetDXDraw(DXDraw1);

  DXTimer1 = MakeComponent<TDXTimer>(this, "DXTimer1");
  DXTimer1->SetActiveOnly(true);
  DXTimer1->SetEnabled(true);
  DXTimer1->SetInterval(1);
  DXTimer1->OnTimer = TDXTimerEvent(this, &TForm1::DXTimer1Timer);

  // Keyboard and joystick feed the input states; the mouse device is read
  // but binds no state.
  DXInput1 = MakeComponent<TDXInput>(this, "DXInput1");
  DXInput1->SetActiveOnly(true);
  DXInput1->Keyboard()->SetEnabled(true);
  DXInput1->Keyboard()->SetBindInputStates(true);
  DXInput1->Joystick()->SetEnabled(true);
  DXInput1->Joystick()->SetBindInputStates(true);
  DXInput1->Mouse()->SetEnabled(true);
  DXInput1->Mouse()->SetBindInputStates(false);
  DXInput1->SetUseDirectInput(true);

  DXSound1 = MakeComponent<TDXSound>(this, "DXSound1");
  DXWaveList1 = MakeComponent<TDXWaveList>(this, "DXWaveList1");
  ReadStoredComponent(DXWaveList1, "Korvel.DXWaveList1");
  DXWaveList1->SetDXSound(DXSound1);
}

void TForm1::FormCanResize(TObject*, int& NewWidth, int& NewHeight, bool& Resize) {
  // The view panel keeps to the right edge, the selection list fills the
  // command bar up to the buttons.
  Panel1->SetLeft(NewWidth - 104);
  ListBox2->SetWidth(Panel2->Width() - 231);
  // The code box keeps its place at the foot of the drawing surface, across
  // it, should the window be made larger than designed (a window manager
  // may do that): 30 pixels above the command bar, 7 short of the right edge.
  const int viewHeight = NewHeight - Panel2->Height();
  Edit1->SetBounds(CodeBoxLeft, viewHeight - (DesignedViewHeight - CodeBoxTop),
                   NewWidth - (DesignedViewWidth - CodeBoxWidth), CodeBoxHeight);
  Resize = true;
}

void TForm1::FormShow(TObject*) { RefreshLists(); }

void TForm1::RefreshLists() { RefreshUnitLists(State, ListBox1, ListBox2); }

void TForm1::FormKeyDown(TObject*, WORD& Key, TShiftState) {
  if (!OpensCodeBox(Key)) return;
  Key = 0;
  Edit1->Show();
  Edit1->SetFocus();
}

void TForm1::Edit1KeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != VK_RETURN) return;
  const bool help = EnterCode(State, Edit1->Text());
  // The box goes; its text stays for the next time it opens.
  Edit1->Hide();
  if (help) Application->MessageBox(CodeHelpText(), CodeHelpTitle(), MB_ICONINFORMATION);
}

void TForm1::PlaySound(int Index) {
  TWaveCollection* waves = DXWaveList1->Items();
  if (Index < 0 || Index >= waves->Count()) return;
  waves->Items(Index)->Play(false);
}

}  // namespace korvel
