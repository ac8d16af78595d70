// The game's main window: the drawing surface with its image lists, the frame
// timer, input and sound components, the view panel at the right, the command
// bar at the bottom, the hidden object list, the code box and the hidden
// helpers of start-up (file list, open button, media player). It owns the
// game's state, which the other windows reach through it.
#pragma once

#include <cstdint>

#include "display/DXDraw.h"
#include "display/DXImageList.h"
#include "display/DXTimer.h"
#include "game/Combat.h"
#include "game/GameState.h"
#include "input_sound/DXInput.h"
#include "input_sound/DXSound.h"
#include "input_sound/WaveList.h"
#include "platform/media/MediaPlayer.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/FileCtrl.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"

namespace korvel {

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* AOwner);

  // The world, the view and the command values of this run of the game.
  TGameState State;

  // The components, in the order the window's stored data makes them.
  TDXDraw* DXDraw1 = nullptr;
  TPanel* Panel1 = nullptr;
  TSpeedButton* SpeedButton3 = nullptr;  // "Ukryj" / "Pokaż"
  TSpeedButton* SpeedButton6 = nullptr;  // "Otwórz"
  TSpeedButton* SpeedButton2 = nullptr;  // "Resetuj"
  TSpeedButton* SpeedButton4 = nullptr;  // "Wybierz"
  TCheckBox* CheckBox2 = nullptr;        // "Śledź": the view follows the selected unit
  TCheckBox* CheckBox3 = nullptr;        // "Granica": the map border is drawn
  TSpeedButton* MusicButton1 = nullptr;  // plays the music
  TSpeedButton* MusicButton2 = nullptr;  // stops the music
  TLabel* Label2 = nullptr;              // the hovered cell
  TSpeedButton* SpeedButton5 = nullptr;  // "Info"
  TPanel* Panel2 = nullptr;              // the command bar
  TShape* Shape1 = nullptr;              // black ground behind the selection list
  TListBox* ListBox2 = nullptr;          // the selected objects
  TPanel* Panel3 = nullptr;              // the command buttons
  TSpeedButton* MenuButton1 = nullptr;   // "Zaznacz"
  TSpeedButton* MenuButton2 = nullptr;   // "Odznacz"
  TSpeedButton* MenuButton3 = nullptr;   // "Zatrzymaj"
  TSpeedButton* MenuButton4 = nullptr;   // "Ustal"
  TSpeedButton* MenuButton5 = nullptr;   // "Zawołaj"
  TSpeedButton* MenuButton6 = nullptr;   // "Atakuj"
  TSpeedButton* MenuButton7 = nullptr;   // "Czaruj"
  TSpeedButton* MenuButton8 = nullptr;   // "Wyszkol"
  TSpeedButton* MenuButton9 = nullptr;   // "Zbuduj"
  TListBox* ListBox1 = nullptr;          // hidden: one row per unit, then per building
  TEdit* Edit1 = nullptr;                // the code box
  TButton* OpenButton = nullptr;         // hidden: its click reads the chosen map
  TFileListBox* FileListBox1 = nullptr;  // hidden: lists the type folders at start-up
  TMediaPlayer* MediaPlayer1 = nullptr;  // hidden: the music
  TDXImageList* DXImageList1 = nullptr;  // interface pictures
  TDXImageList* DXImageList2 = nullptr;  // unit type pictures
  TDXImageList* DXImageList3 = nullptr;  // building type pictures
  TDXImageList* DXImageList4 = nullptr;  // terrain pictures
  TDXTimer* DXTimer1 = nullptr;
  TDXInput* DXInput1 = nullptr;
  TDXSound* DXSound1 = nullptr;
  TDXWaveList* DXWaveList1 = nullptr;

  // Start-up, once, at the first activation.
  void FormActivate(TObject* Sender);
  void FormCanResize(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize);
  void FormShow(TObject* Sender);
  // Enter opens the code box; Enter in it enters the code.
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void Edit1KeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  // The map reader: reads the file chosen in the open-map dialog.
  void OpenButtonClick(TObject* Sender);
  // One frame of the game.
  void DXTimer1Timer(TObject* Sender, std::int32_t LagCount);

  // Plays sound effect Index (the wave list's stored order) without waiting;
  // a wave the list does not hold stays silent.
  void PlaySound(int Index);

  // The commands (Form1Commands.cpp): the mouse over the game surface, the
  // view panel and the command bar.
  void DXDraw1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void DXDraw1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void DXDraw1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void SpeedButton2Click(TObject* Sender);  // "Resetuj"
  void SpeedButton3Click(TObject* Sender);  // "Ukryj" / "Pokaż"
  void SpeedButton4Click(TObject* Sender);  // "Wybierz"
  void SpeedButton5Click(TObject* Sender);  // "Info"
  void SpeedButton6Click(TObject* Sender);  // "Otwórz"
  void MusicButton1Click(TObject* Sender);
  void MusicButton2Click(TObject* Sender);
  void MenuButton1Click(TObject* Sender);  // "Zaznacz"
  void MenuButton2Click(TObject* Sender);  // "Odznacz"
  void MenuButton3Click(TObject* Sender);  // "Zatrzymaj"
  void MenuButton4Click(TObject* Sender);  // "Ustal"
  void MenuButton5Click(TObject* Sender);  // "Zawołaj"
  void MenuButton6Click(TObject* Sender);  // "Atakuj"
  void MenuButton7Click(TObject* Sender);  // "Czaruj"
  void MenuButton8Click(TObject* Sender);  // "Wyszkol"
  void MenuButton9Click(TObject* Sender);  // "Zbuduj"
  void ListBox2Click(TObject* Sender);

 private:
  void CreateComponents();
  void BindCommandHandlers();
  void RefreshLists();
  void UpdateSpellButtons();
  TSoundSink SoundSink();
  // Asks for a group number; false (Number 0, after the warning) when the
  // text is no integer.
  bool AskGroupNumber(std::int32_t& Number);
  bool FStartedUp = false;
};

extern TForm1* Form1;

}  // namespace korvel
