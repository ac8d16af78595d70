// The sample maps' views: each map at nine places (its four corners, the
// middles of its four edges and its centre), as the game shows them: the
// game started in its start folder, the map opened through the open-map
// dialog, the view scrolled there and one frame of the game's own tick
// drawn on its 792 x 478 surface.
#include "previews/Previews.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "assets/generator/WorldData.h"
#include "game/Form1.h"
#include "game/Form6.h"
#include "game/ProgramMain.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/Time.h"

using namespace korvel;

namespace {

struct TPlace {
  const char* Name;
  // Where the view is centred, as a row and a column from 0 (the top
  // corner) to 1 (the far edge), kept Inset cells inside the map.
  double Row, Col;
};

const TPlace Places[] = {
    {"north", 0, 0},        {"north-east", 0, 0.5}, {"east", 0, 1},         {"south-east", 0.5, 1}, {"south", 1, 1},
    {"south-west", 1, 0.5}, {"west", 1, 0},         {"north-west", 0.5, 0}, {"centre", 0.5, 0.5},
};

void Shoot(const std::string& Start, const std::string& MapFile, const std::string& Out) {
  // The game's start-up moves about the folders; every run starts afresh in
  // the start folder.
  std::filesystem::current_path(Start);
  ResetDDrawEmulation();
  UseManualClock(0);
  auto app = std::make_unique<TApplication>();
  auto driver = std::make_unique<TTestDriver>();
  CreateGameForms();
  driver->AnswerNext([&](TDialogEvent& D) {
    if (D.Form != Form6) return;
    Form6->FileListBox1->Update();
    Form6->FileListBox1->SetFileName(MapFile);
    Form6->SpeedButton1->Click();
  });
  Form1->Show();
  driver->Pump(2);
  TGameState& g = Form1->State;
  if (g.GameRunning != 1) throw std::runtime_error(MapFile + " did not open");
  const int rows = g.Map.UsedRows(), cols = g.Map.UsedCols();
  // A view is about 25 cells across and 30 down: the corners' views keep
  // the corner at their edge.
  const double inset = rows > 60 ? 15 : 7;
  const std::string stem = std::filesystem::path(MapFile).stem().string();
  for (const TPlace& p : Places) {
    const int row = static_cast<int>(inset + p.Row * (rows + 1 - 2 * inset));
    const int col = static_cast<int>(inset + p.Col * (cols + 1 - 2 * inset));
    g.ScrollX = -CellCentreX(row, col);
    g.ScrollY = -CellCentreY(row, col);
    // The game's own cursor, out of the way in the lower right.
    g.MouseX = Form1->DXDraw1->Width() - 24;
    g.MouseY = Form1->DXDraw1->Height() - 40;
    AdvanceManualClock(1000);
    driver->Pump(1);
    const std::string path = Out + "/" + stem + "-" + p.Name + ".png";
    if (!driver->SaveScreenshot(Form1->DXDraw1, path)) throw std::runtime_error("cannot write " + path);
  }
  driver->CloseCommand(Form1);
  driver->Pump(1);
  driver.reset();
  app.reset();
  UseRealClock();
  ResetDDrawEmulation();
}

}  // namespace

void WriteMapViews(const std::string& Start, const std::string& Out) {
  for (const TSampleMap& m : SampleMaps()) Shoot(Start, m.FileName, Out);
}
