// Terrain editing: the cell under the pointer, painting by dragging, random
// terrain, zeroing and the new map.
#include <cmath>
#include <cstdint>
#include <tuple>

#include "EditorFixture.h"
#include "editor/EditorState.h"
#include "platform/rtl/Random.h"

using namespace editor_test;

namespace {

constexpr int W = 792, H = 478;

// The cell test as the editor states it, tried on every cell.
bool BruteHit(const TEditorState& S, int Rows, int Cols, int X, int Y, int& Row, int& Col) {
  for (int i = 1; i <= Rows; ++i)
    for (int j = 1; j <= Cols; ++j)
      if (X - X % 16 == (S.ScrollX - S.ScrollX % 16) + 16 * (j - i) + W / 2 - 12 &&
          Y - Y % 8 == (S.ScrollY - S.ScrollY % 8) + 8 * (i + j) + H / 2 - 15) {
        Row = i;
        Col = j;
        return true;
      }
  return false;
}

std::uint32_t FixedSeed() { return 12345u; }

class SeededRandom : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    SetRandomizeSource(&FixedSeed);
  }
  void TearDown() override {
    SetRandomizeSource(nullptr);
    EditorTest::TearDown();
  }
};

}  // namespace

TEST(EditorTerrain, HitTestTable) {
  struct {
    int ScrollX, ScrollY, X, Y;
    bool Hit;
    int Row, Col;
  } cases[] = {
      {0, 0, 384, 240, true, 1, 1},     {0, 0, 399, 247, true, 1, 1},    {0, 0, 400, 248, true, 1, 2},
      {0, 0, 383, 240, false, 0, 0},    {0, 0, 368, 248, true, 2, 1},    {0, 0, 384, 248, false, 0, 0},
      {0, 0, 384, 256, true, 2, 2},     {-20, 0, 368, 240, true, 1, 1},  {-15, 0, 384, 240, true, 1, 1},
      {-16, -8, 368, 232, true, 1, 1},  {-17, -9, 368, 232, true, 1, 1}, {17, 9, 400, 248, true, 1, 1},
      {0, 0, 528, 312, true, 1, 10},    {0, 0, 544, 320, false, 0, 0},   {-100, -50, 5, 5, false, 0, 0},
      {0, -300, 384, 8, true, 5, 5},    {0, 0, 384, 239, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ScrollX << "," << c.ScrollY << " at " << c.X << "," << c.Y);
    TEditorState s;
    s.ScrollX = c.ScrollX;
    s.ScrollY = c.ScrollY;
    int row = 0, col = 0, br = 0, bc = 0;
    const bool hit = HitTestCell(s, 10, 10, W, H, c.X, c.Y, row, col);
    EXPECT_EQ(hit, c.Hit);
    EXPECT_EQ(hit, BruteHit(s, 10, 10, c.X, c.Y, br, bc));
    if (hit) {
      EXPECT_EQ(std::tie(row, col), std::tie(c.Row, c.Col));
      EXPECT_EQ(std::tie(row, col), std::tie(br, bc));
    }
  }
  // Every point of the view, over scrolls of both signs, agrees with the test
  // tried on every cell.
  for (int sx : {-37, -16, -1, 0, 9, 48}) {
    TEditorState s;
    s.ScrollX = sx;
    s.ScrollY = -sx / 2;
    for (int y = 0; y < H; y += 3)
      for (int x = 0; x < W; x += 5) {
        int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
        const bool a = HitTestCell(s, 12, 20, W, H, x, y, r1, c1);
        ASSERT_EQ(a, BruteHit(s, 12, 20, x, y, r2, c2)) << sx << " " << x << "," << y;
        if (a) {
          ASSERT_EQ(std::tie(r1, c1), std::tie(r2, c2));
        }
      }
  }
}

TEST(EditorTerrain, PointerMovesPaintOnlyWhilePainting) {
  TEditorState s;
  s.PaintTerrain = 4;
  EXPECT_TRUE(PointerMoved(s, 10, 10, W, H, 400, 248, 3));
  EXPECT_EQ(s.Map.TerrainAt(1, 2), 0);
  EXPECT_EQ(std::tie(s.HoverRow, s.HoverCol, s.HoverTerrain), std::make_tuple(1, 2, 0));
  s.Painting = true;
  EXPECT_TRUE(PointerMoved(s, 10, 10, W, H, 400, 248, 3));
  EXPECT_EQ(s.Map.TerrainAt(1, 2), 4);
  EXPECT_EQ(s.Map.HeightAt(1, 2), 3);
  EXPECT_EQ(s.HoverTerrain, 4);
  // Off the cells nothing changes, the hover cell included.
  EXPECT_FALSE(PointerMoved(s, 10, 10, W, H, 3, 3, 3));
  EXPECT_EQ(std::tie(s.HoverRow, s.HoverCol), std::make_tuple(1, 2));
}

TEST_F(EditorTest, DraggingOverTheViewPaintsTheChosenToolAndElevation) {
  Start();
  F1->SpinEdit1->SetValue(10);
  F1->SpinEdit2->SetValue(10);
  Controls->ClickTab(F1->PageControl1, 1);
  Driver->Click(F1->SpeedButton5, 5, 5);  // water
  EXPECT_TRUE(F1->SpeedButton5->Down());
  EXPECT_FALSE(F1->SpeedButton3->Down());
  EXPECT_EQ(F1->State().PaintTerrain, 2);
  F1->SpinEdit4->SetValue(2);

  // A press and a release without a move paint nothing.
  Driver->MouseMove(F1->DXDraw1, 384, 240);
  Driver->MouseDown(F1->DXDraw1, 384, 240);
  Driver->MouseUp(F1->DXDraw1, 384, 240);
  EXPECT_EQ(F1->State().Map.TerrainAt(1, 1), 0);
  EXPECT_EQ(F1->Label4->Caption(), "X: 1, Y: 1");

  // A drag along row 1 paints the cells its points meet.
  Driver->Drag(F1->DXDraw1, 384, 240, 384 + 16 * 4, 240 + 8 * 4, mbLeft, {}, 4);
  EXPECT_EQ(F1->State().Map.TerrainAt(1, 1), 0);
  for (int j = 2; j <= 5; ++j) {
    EXPECT_EQ(F1->State().Map.TerrainAt(1, j), 2) << j;
    EXPECT_EQ(F1->State().Map.HeightAt(1, j), 2) << j;
  }
  EXPECT_EQ(F1->State().Map.TerrainAt(2, 1), 0);
  EXPECT_EQ(F1->Label4->Caption(), "X: 1, Y: 5");
  EXPECT_FALSE(F1->State().Painting);

  // Raised ground with the right button, on the "Jednostki" tab.
  Controls->ClickTab(F1->PageControl1, 1);
  Driver->Click(F1->SpeedButton8, 5, 5);
  EXPECT_EQ(F1->State().PaintTerrain, 6);
  Controls->ClickTab(F1->PageControl1, 2);
  Driver->Drag(F1->DXDraw1, 368, 248, 368, 249, mbRight, {}, 1);
  EXPECT_EQ(F1->State().Map.TerrainAt(2, 1), 6);

  // Every tool sets its kind.
  const std::pair<TSpeedButton*, int> tools[] = {{F1->SpeedButton3, 0}, {F1->TerrainButton1, 1}, {F1->SpeedButton5, 2},
                                                 {F1->SpeedButton4, 3}, {F1->SpeedButton7, 4},    {F1->SpeedButton6, 5},
                                                 {F1->SpeedButton8, 6}};
  Controls->ClickTab(F1->PageControl1, 1);
  for (const auto& [button, kind] : tools) {
    Driver->Click(button, 5, 5);
    EXPECT_EQ(F1->State().PaintTerrain, kind) << button->Name();
    EXPECT_TRUE(button->Down());
  }
}

TEST_F(SeededRandom, RandomTerrainIsPlainTreeOrWaterWithThePartsProbabilities) {
  Start();
  TEditorState& s = F1->State();
  s.Map.Heights.fill(5);
  s.Map.Terrain.fill(6);
  F1->SpinEdit1->SetValue(250);
  F1->SpinEdit2->SetValue(250);
  struct {
    int L;
  } cases[] = {{1}, {10}, {50}};
  for (const auto& c : cases) {
    F1->SpinEdit3->SetValue(c.L);
    F1->SpeedButton1->Click();
    int counts[7] = {};
    for (int i = 1; i <= 250; ++i)
      for (int j = 1; j <= 250; ++j) ++counts[s.Map.TerrainAt(i, j)];
    const double n = 62500, p = 1.0 / (c.L + 2), sd = std::sqrt(n * p * (1 - p));
    for (int k = 1; k <= 2; ++k) EXPECT_NEAR(counts[k], n * p, 5 * sd) << "L " << c.L << " kind " << k;
    EXPECT_EQ(counts[0] + counts[1] + counts[2], 62500) << "no raised kinds";
  }
  EXPECT_EQ(s.Map.HeightAt(17, 33), 5);
  // Neighbouring cells are not one long run of the same kind.
  int changes = 0;
  for (int j = 2; j <= 250; ++j) changes += s.Map.TerrainAt(1, j) != s.Map.TerrainAt(1, j - 1);
  EXPECT_GT(changes, 0);

  // Seeded once per editor: a fresh state with the same seed source repeats
  // its map, and a second run of the same state goes on with the sequence.
  TEditorState a, b;
  RandomizeTerrain(a, 250, 250, 10);
  RandomizeTerrain(b, 250, 250, 10);
  EXPECT_EQ(a.Map.Terrain, b.Map.Terrain);
  RandomizeTerrain(b, 250, 250, 10);
  EXPECT_NE(a.Map.Terrain, b.Map.Terrain);
  F1->SpinEdit1->SetValue(20);
  F1->SpinEdit2->SetValue(20);
  s.Map.Terrain.fill(6);
  F1->Losuj1->Click();
  EXPECT_NE(s.Map.TerrainAt(20, 20), 6);
  EXPECT_EQ(s.Map.TerrainAt(21, 20), 6);
  EXPECT_EQ(s.Map.TerrainAt(20, 21), 6);
}

TEST_F(EditorTest, ZerujAndNowy) {
  Start();
  TEditorState& s = F1->State();
  s.Map.Terrain.fill(3);
  s.Map.Heights.fill(4);
  F1->SpinEdit1->SetValue(100);
  F1->SpinEdit2->SetValue(20);
  F1->Edit1->SetText("Wyspa");
  F1->SpinEdit5->SetValue(7);
  s.ScrollX = 40;
  F1->SpeedButton2->Click();
  EXPECT_EQ(s.Map.TerrainAt(100, 20), 0);
  EXPECT_EQ(s.Map.TerrainAt(101, 20), 3);
  EXPECT_EQ(s.Map.TerrainAt(100, 21), 3);
  EXPECT_EQ(s.Map.HeightAt(1, 1), 4);

  s.Map.Terrain.fill(3);
  F1->Zeruj1->Click();
  EXPECT_EQ(s.Map.TerrainAt(50, 10), 0);

  // Nowy zeroes the current size, then shows 48 x 48 with randomness 10.
  s.Map.Terrain.fill(5);
  F1->SpinEdit3->SetValue(33);
  F1->Nowy1->Click();
  EXPECT_EQ(s.Map.TerrainAt(100, 20), 0);
  EXPECT_EQ(s.Map.TerrainAt(100, 21), 5);
  EXPECT_EQ(F1->SpinEdit1->Value(), 48);
  EXPECT_EQ(F1->SpinEdit2->Value(), 48);
  EXPECT_EQ(F1->SpinEdit3->Value(), 10);
  EXPECT_EQ(F1->Edit1->Text(), "Wyspa");
  EXPECT_EQ(F1->SpinEdit5->Value(), 7);
  EXPECT_EQ(s.ScrollX, 40);
  EXPECT_EQ(s.Map.HeightAt(1, 1), 4);

  // The shortcuts reach the menu items.
  s.Map.Terrain.fill(5);
  F1->SpinEdit1->SetValue(10);
  Driver->PressKey('K', "", {ssCtrl});
  EXPECT_EQ(s.Map.TerrainAt(10, 10), 0);
}
