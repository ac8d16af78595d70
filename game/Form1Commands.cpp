// The main window's command handlers: the mouse over the game surface, the
// view panel's buttons (hide/show, centre, select dialog, open map, music,
// about box) and the command bar (select, deselect, stop, groups, attack,
// spells, training, construction, the visible list).
//
// "Wybierz", "Ustal" and "Zawołaj" are usable exactly while the game is not
// waiting for a spell's target; every handler that can change the mode brings
// them in line.
#include "game/CommandPanel.h"
#include "game/Form1.h"
#include "game/Form2.h"
#include "game/Form3.h"
#include "game/Form4.h"
#include "game/Form5.h"
#include "game/Form6.h"
#include "game/MouseCommands.h"
#include "game/ObjectLists.h"
#include "game/SpellCasting.h"
#include "game/TrainBuildOrders.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/win/Window.h"

namespace korvel {

namespace {

// The height of the view panel while it is hidden.
constexpr int HiddenPanelHeight = 40;

}  // namespace

void TForm1::BindCommandHandlers() {
  DXDraw1->OnMouseDown = TMouseEvent(this, &TForm1::DXDraw1MouseDown);
  DXDraw1->OnMouseUp = TMouseEvent(this, &TForm1::DXDraw1MouseUp);
  DXDraw1->OnMouseMove = TMouseMoveEvent(this, &TForm1::DXDraw1MouseMove);
  SpeedButton2->OnClick = TNotifyEvent(this, &TForm1::SpeedButton2Click);
  SpeedButton3->OnClick = TNotifyEvent(this, &TForm1::SpeedButton3Click);
  SpeedButton4->OnClick = TNotifyEvent(this, &TForm1::SpeedButton4Click);
  SpeedButton5->OnClick = TNotifyEvent(this, &TForm1::SpeedButton5Click);
  SpeedButton6->OnClick = TNotifyEvent(this, &TForm1::SpeedButton6Click);
  MusicButton1->OnClick = TNotifyEvent(this, &TForm1::MusicButton1Click);
  MusicButton2->OnClick = TNotifyEvent(this, &TForm1::MusicButton2Click);
  MenuButton1->OnClick = TNotifyEvent(this, &TForm1::MenuButton1Click);
  MenuButton2->OnClick = TNotifyEvent(this, &TForm1::MenuButton2Click);
  MenuButton3->OnClick = TNotifyEvent(this, &TForm1::MenuButton3Click);
  MenuButton4->OnClick = TNotifyEvent(this, &TForm1::MenuButton4Click);
  MenuButton5->OnClick = TNotifyEvent(this, &TForm1::MenuButton5Click);
  MenuButton6->OnClick = TNotifyEvent(this, &TForm1::MenuButton6Click);
  MenuButton7->OnClick = TNotifyEvent(this, &TForm1::MenuButton7Click);
  MenuButton8->OnClick = TNotifyEvent(this, &TForm1::MenuButton8Click);
  MenuButton9->OnClick = TNotifyEvent(this, &TForm1::MenuButton9Click);
  ListBox2->OnClick = TNotifyEvent(this, &TForm1::ListBox2Click);
}

void TForm1::UpdateSpellButtons() {
  const bool enabled = State.CommandMode != cmSpell;
  SpeedButton4->SetEnabled(enabled);
  MenuButton4->SetEnabled(enabled);
  MenuButton5->SetEnabled(enabled);
}

TSoundSink TForm1::SoundSink() {
  return [this](int Index) { PlaySound(Index); };
}

// The mouse over the game surface.

void TForm1::DXDraw1MouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  MousePress(State, Button, X, Y, DXDraw1->Width(), DXDraw1->Height(), SoundSink());
}

void TForm1::DXDraw1MouseUp(TObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
  MouseRelease(State, Button, Shift, X, Y, DXDraw1->Width(), DXDraw1->Height(), SoundSink());
  if (Button == mbLeft) RefreshLists();
  UpdateSpellButtons();
}

void TForm1::DXDraw1MouseMove(TObject*, TShiftState, int X, int Y) {
  if (MouseMoveOver(State, X, Y, DXDraw1->Width(), DXDraw1->Height())) Label2->SetCaption(HoverCaption(State));
}

// The view panel.

void TForm1::SpeedButton2Click(TObject*) { CentreOnSelectedUnit(State); }

void TForm1::SpeedButton3Click(TObject*) {
  if (Panel1->Height() == State.SavedPanelHeight) {
    Panel1->SetHeight(HiddenPanelHeight);
    SpeedButton3->SetCaption(Cp("Pokaż"));
  } else {
    Panel1->SetHeight(State.SavedPanelHeight);
    SpeedButton3->SetCaption("Ukryj");
  }
}

void TForm1::SpeedButton4Click(TObject*) {
  if (State.CommandMode == cmPlace) return;
  Form2->Game = &State;
  Form2->ShowModal();
  RefreshLists();
}

void TForm1::SpeedButton5Click(TObject*) {
  Application->MessageBox(Cp("Korvel\n\nStrategia czasu rzeczywistego na silniku Brask Engine.\n"
                             "Zaznaczaj jednostki myszą, prawym przyciskiem wydawaj rozkazy,\n"
                             "a polecenia wybieraj z paska na dole ekranu."),
                          "Informacja", MB_ICONINFORMATION | MB_OK);
}

void TForm1::SpeedButton6Click(TObject*) { Form6->ShowModal(); }

void TForm1::MusicButton1Click(TObject*) {
  if (MediaPlayer1) MediaPlayer1->Play();
}

void TForm1::MusicButton2Click(TObject*) {
  if (MediaPlayer1) MediaPlayer1->Rewind();
}

// The command bar.

void TForm1::MenuButton1Click(TObject*) {
  SelectMarkedRows(State, ListBox1);
  RefreshLists();
}

void TForm1::MenuButton2Click(TObject*) {
  DeselectMarkedRows(State, ListBox1);
  RefreshLists();
}

void TForm1::MenuButton3Click(TObject*) {
  StopMarkedRows(State, ListBox1);
  UpdateSpellButtons();
}

bool TForm1::AskGroupNumber(std::int32_t& Number) {
  State.GroupInput = InputBox(Cp("Podaj liczbę"), Cp("Wpisz liczbę od 1 do 9"), "");
  const bool valid = ReadGroupNumber(State.GroupInput, Number);
  if (!valid) Application->MessageBox(Cp("Podałeś niewłaściwe wartości!"), Cp("Błąd"), MB_ICONWARNING | MB_OK);
  State.GroupInput = std::to_string(Number);
  return valid;
}

void TForm1::MenuButton4Click(TObject*) {
  std::int32_t n = 0;
  AskGroupNumber(n);
  SetGroup(State, n);
}

void TForm1::MenuButton5Click(TObject*) {
  std::int32_t n = 0;
  AskGroupNumber(n);
  CallGroup(State, n);
  RefreshLists();
}

void TForm1::MenuButton6Click(TObject*) {
  EnterAttackMode(State);
  UpdateSpellButtons();
}

void TForm1::MenuButton7Click(TObject*) {
  if (State.CommandMode == cmPlace) return;
  State.CommandMode = cmNormal;
  Form3->Game = &State;
  if (Form3->SetCandidates(CasterCandidates(State))) Form3->ShowModal();
  RefreshLists();
  UpdateSpellButtons();
}

void TForm1::MenuButton8Click(TObject*) {
  if (State.CommandMode == cmPlace) return;
  State.CommandMode = cmNormal;
  Form4->Game = &State;
  if (Form4->SetCandidates(TrainerCandidates(State))) Form4->ShowModal();
  RefreshLists();
  UpdateSpellButtons();
}

void TForm1::MenuButton9Click(TObject*) {
  if (State.CommandMode == cmPlace) return;
  State.CommandMode = cmNormal;
  Form5->Game = &State;
  if (Form5->SetCandidates(BuilderCandidates(State))) Form5->ShowModal();
  RefreshLists();
  UpdateSpellButtons();
}

void TForm1::ListBox2Click(TObject*) { MarkRowsOfSelectedNames(State, ListBox1, ListBox2); }

}  // namespace korvel
