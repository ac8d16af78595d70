// The game on the X display, as its main starts it, from a copy of the
// build's start folder "play", and the steps a player takes in it.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "game/Form1.h"
#include "game/Form6.h"
#include "game/ProgramMain.h"
#include "platform/toolkit/Forms.h"
#include "tests/desktop/support/LiveRun.h"
#include "tests/desktop/support/Screen.h"
#include "tests/support/StartFolder.h"

namespace korvel {

namespace game_desktop {

// A copy of the build's start folder of the game, the current directory
// while it lives.
class TPlayFolder : public TTempStartFolder {
 public:
  TPlayFolder() { AddCopyOf(BRASK_PLAY_DIR); }
  // The first bytes of a sample map: a file too short to be a map.
  void AddCutMap(const std::string& Name) {
    std::ifstream in(std::string(BRASK_PLAY_DIR) + "/dolina.map", std::ios::binary);
    std::vector<std::uint8_t> head(1000);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    AddFile(Name, head);
  }
};

inline int RowOf(TCustomListBox* List, const std::string& Name) { return List->Items()->IndexOf(Name); }

// The open-map dialog is up.
inline void WaitForOpenMapDialog(TLiveRun& R) {
  R.WaitSteady("the open-map dialog shows", [] { return Form6 && FormUp(Form6); });
}

inline void ChooseMap(TLiveRun& R, const std::string& Name) {
  const int row = R.OnMain([&] { return RowOf(Form6->FileListBox1, Name); });
  R.Check(row >= 0, "the open-map dialog lists " + Name);
  R.Step("choosing " + Name);
  const QPoint p = ListRowPoint(R, Form6->FileListBox1, row);
  R.X().Click(p.x(), p.y());
  R.WaitFor(Name + " is chosen", [&] { return Form6->FileListBox1->ItemIndex() == row; });
}

// Name chosen in the open-map dialog and "Otwórz": the map is loaded and the
// game runs.
inline void OpenMapFromDialog(TLiveRun& R, const std::string& Name) {
  ChooseMap(R, Name);
  ClickControl(R, Form6->SpeedButton1);
  R.WaitSteady("the map " + Name + " is loaded and the game runs", [] {
    return Form1->State.GameRunning == 1 && !Form1->State.Map.MapName.Empty() && !Form6->Visible() && FormUp(Form1);
  });
}

inline void CloseGame(TLiveRun& R) {
  R.Step("closing the main window");
  R.X().CloseWindow(WindowOf(R, Form1));
  R.WaitForEnd("the game ends when its main window is closed");
}

}  // namespace game_desktop

}  // namespace korvel
