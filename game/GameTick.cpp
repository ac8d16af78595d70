// One frame of the game, in its order of work: the simulation steps, the
// clear and the input, the terrain, movement and combat, the scene, follow
// mode, the cursor's world position, then the release of the canvas and the
// flip. Nothing runs before start-up has finished.
#include "game/Form1.h"
#include "game/Simulation.h"

void TForm1::DXTimer1Timer(TObject*, std::int32_t LagCount) {
  TGameState& g = State;
  if (g.GameRunning == 0) return;
  const TEffectSink sound = [this](int Index) { PlaySound(Index); };

  AdvanceTickAndMana(g);
  AdvanceTraining(g, sound);
  AdvanceConstruction(g, sound);

  // A surface that cannot be drawn on now (not yet made, or lost) skips the
  // drawing of this frame; the world goes on all the same.
  TDirectDrawSurface* surface = DXDraw1->CanDraw() ? DXDraw1->Surface() : nullptr;
  if (surface) surface->Fill(0);
  DXInput1->Update();
  ScrollByInput(g, DXInput1->States, LagCount);
  g.HalfWidth = DXDraw1->Width() / 2;
  g.HalfHeight = DXDraw1->Height() / 2;

  FollowSelected(g, CheckBox2->Checked());
  // The pointer in the drawing control's own coordinates, as the mouse
  // handlers get it.
  SetCursorWorld(g, DXDraw1->ScreenToClient(Mouse->CursorPos()), DXDraw1->Width(), DXDraw1->Height());

  if (surface) {
    surface->Canvas()->Release();
    DXDraw1->Flip();
  }
}
