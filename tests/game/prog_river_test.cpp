// The valley's river on the built sample map, played through the program's
// own commands: a group called up, the view reset onto it, sent to the
// river, across it, and back.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "game/MouseCommands.h"
#include "game/Movement.h"
#include "platform/toolkit/Dialogs.h"
#include "tests/game/prog_fixture.h"
#include "world/MapGeometry.h"
#include "world/ObjectNames.h"

using namespace korvel;

#ifdef BRASK_PLAY_DIR
namespace {

class River : public GameProgramTest {
 protected:
  TGameState& G() { return Form1->State; }
  bool Water(std::int32_t X, std::int32_t Y) { return TerrainUnder(G().Map, X, Y) == tkWater; }
  // More than a step into water: no dry pixel within 3 on either axis.
  bool DeepInWater(const TUnit& U) {
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx)
        if (!Water(U.X + dx, U.Y + dy)) return false;
    return true;
  }
  std::vector<TUnit*> Selected() {
    std::vector<TUnit*> out;
    for (int u = 1; u <= G().UnitCount; ++u)
      if (G().Units[static_cast<std::size_t>(u)].Selected == 1) out.push_back(&G().Units[static_cast<std::size_t>(u)]);
    return out;
  }
  // A right click on the world point, through the drawing control.
  void RightClickWorld(std::int32_t X, std::int32_t Y) {
    const int w = Form1->DXDraw1->Width(), h = Form1->DXDraw1->Height();
    int px = X + G().ScrollX + w / 2, py = Y + G().ScrollY + h / 2;
    for (int d = -3; d <= 3; ++d) {
      if (Snap3(ControlToWorldX(G(), X + G().ScrollX + w / 2 + d, w)) == Snap3(X)) px = X + G().ScrollX + w / 2 + d;
      if (Snap3(ControlToWorldY(G(), Y + G().ScrollY + h / 2 + d, h)) == Snap3(Y)) py = Y + G().ScrollY + h / 2 + d;
    }
    Driver->MouseMove(Form1->DXDraw1, px, py);
    Ticks(1);
    Driver->Click(Form1->DXDraw1, px, py, mbRight);
    ASSERT_EQ(G().ClickX, Snap3(X));
    ASSERT_EQ(G().ClickY, Snap3(Y));
  }
  // Ticks, watching that no unit of the group wades into the river.
  void Play(int N, const std::vector<TUnit*>& Group) {
    for (int t = 0; t < N; ++t) {
      Ticks(1, 17);
      for (const TUnit* u : Group)
        ASSERT_FALSE(DeepInWater(*u)) << ObjectIdentifier(*u) << " at " << u->X << "," << u->Y;
    }
  }
};

TEST_F(River, AGroupStopsAtTheBankAndComesBackWhenSentBack) {
  std::filesystem::current_path(BRASK_PLAY_DIR);
  CreateForms();
  AnswerOpenMap("dolina.map");
  Form1->Show();
  Driver->Pump(2);
  ASSERT_EQ(G().GameRunning, 1);
  Ticks(2);

  Driver->AnswerNext([](TDialogEvent& D) {
    auto* box = dynamic_cast<TInputBoxForm*>(D.Form);
    ASSERT_NE(box, nullptr);
    box->Edit()->SetText("2");
    D.SetModalResult(mrOk);
  });
  Form1->MenuButton5->Click();
  Form1->SpeedButton2->Click();
  const std::vector<TUnit*> group = Selected();
  ASSERT_GE(group.size(), 2u);
  std::int32_t x = 0, y = 0;
  for (const TUnit* u : group) {
    x += u->X / static_cast<std::int32_t>(group.size());
    y += u->Y / static_cast<std::int32_t>(group.size());
  }
  // The stretch of the river nearest the group where dry plain ground runs
  // up to the water across the group's width: its near (south) bank and
  // its far one.
  auto firstBlocking = [&](std::int32_t X) {
    std::int32_t at = y;
    while (at > y - 400 && TerrainUnder(G().Map, X, at) == tkPlain) --at;
    return at;
  };
  auto clear = [&](std::int32_t X) {
    for (std::int32_t c = X - 24; c <= X + 24; c += 3)
      if (!Water(c, firstBlocking(c))) return false;
    return true;
  };
  std::int32_t column = INT32_MIN;
  for (std::int32_t d = 0; d < 300 && column == INT32_MIN; d += 3)
    for (std::int32_t c : {Snap3(x) - d, Snap3(x) + d})
      if (column == INT32_MIN && clear(c)) column = c;
  ASSERT_NE(column, INT32_MIN) << "no open bank of the river near the group";
  x = column;
  const std::int32_t near = firstBlocking(x);
  std::int32_t far = near;
  while (Water(x, far)) --far;
  ASSERT_GT(near - far, 12) << "the river is too thin here";

  // South of the river, close to it.
  RightClickWorld(x, near + 60);
  Play(300, group);
  // Across it: they stop at the bank.
  RightClickWorld(x, far - 60);
  Play(600, group);
  for (const TUnit* u : group) {
    EXPECT_GT(u->Y, far) << ObjectIdentifier(*u) << " crossed the river";
    EXPECT_GT(u->Y, near - 4) << ObjectIdentifier(*u) << " stands in the river";
  }
  // Sent back south, every one of them comes back within ten seconds.
  std::vector<std::int32_t> before;
  for (const TUnit* u : group) before.push_back(u->Y);
  RightClickWorld(x, near + 120);
  Play(600, group);
  for (std::size_t i = 0; i < group.size(); ++i) {
    EXPECT_GE(group[i]->Y, before[i] + 30) << ObjectIdentifier(*group[i]) << " did not come back";
    EXPECT_GT(group[i]->Y, near) << ObjectIdentifier(*group[i]);
  }
  EXPECT_TRUE(ErrorTexts().empty());
}

}  // namespace
#endif
