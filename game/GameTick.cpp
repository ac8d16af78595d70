// One frame of the game, in its order of work: the simulation steps, the
// clear and the input, the terrain, movement and combat, the scene, follow
// mode, the cursor's world position, then the release of the canvas and the
// flip. Nothing runs before start-up has finished.
#include "game/Combat.h"
#include "game/Form1.h"
#include "game/Movement.h"
#include "game/Scene.h"
#include "game/Simulation.h"

namespace korvel {

void TForm1::DXTimer1Timer(TObject*, std::int32_t LagCount) {
  TGameState& g = State;
  if (g.GameRunning == 0) return;
  const TSoundSink sound = [this](int Index) { PlaySound(Index); };
  const std::int32_t width = DXDraw1->Width();
  const std::int32_t height = DXDraw1->Height();

  AdvanceTickAndMana(g);
  ComputeSlowFlags(g);
  AdvanceTraining(g, sound);
  AdvanceConstruction(g, sound);

  // A surface that cannot be drawn on now (not yet made, or lost) leaves
  // this frame undrawn; the world goes on all the same.
  TScene scene;
  scene.Surface = DXDraw1->CanDraw() ? DXDraw1->Surface() : nullptr;
  scene.DXImageList1 = DXImageList1;
  scene.DXImageList2 = DXImageList2;
  scene.DXImageList3 = DXImageList3;
  scene.DXImageList4 = DXImageList4;
  scene.Width = width;
  scene.Height = height;
  scene.ShowBorder = CheckBox3->Checked();

  if (scene.Surface) scene.Surface->Fill(0);
  DXInput1->Update();
  ScrollByInput(g, DXInput1->States, LagCount);
  g.HalfWidth = width / 2;
  g.HalfHeight = height / 2;

  DrawMap(g, scene);
  DrawClickMarker(g, scene);
  MoveUnits(g);
  RunCombat(g, sound);
  DrawObjects(g, scene);
  DrawConstruction(g, scene);

  FollowSelected(g, CheckBox2->Checked());
  // The pointer in the drawing control's own coordinates, as the mouse
  // handlers get it.
  SetCursorWorld(g, DXDraw1->ScreenToClient(Mouse->CursorPos()), width, height);

  DrawCursorAndIcons(g, scene);
  DrawNumbersAndFrames(g, scene);
  DrawSelectionLabels(g, scene);

  if (scene.Surface) {
    scene.Surface->Canvas()->Release();
    DXDraw1->Flip();
  }
}

}  // namespace korvel
