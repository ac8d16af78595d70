// Terrain editing: the cell under the pointer, painting by dragging, random
// terrain, zeroing and the new map.
#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

#include "EditorFixture.h"
#include "editor/TerrainEditing.h"
#include "platform/rtl/Random.h"

using namespace sandreth;
using namespace editor_test;

namespace {

constexpr int W = 792, H = 478;

// Which cell's ground diamond covers each pixel of a view, worked out the way
// the picture is drawn: each cell's picture corner where the view draws it
// at ground level, and in the 34 x 50 picture the pixels whose centres lie
// inside the 32 x 16 diamond centred at (16, 29).
struct TDrawnDiamonds {
  int W = 0, H = 0;
  std::vector<int> Owner;  // row * 1000 + column; 0 for no cell
  int Overlaps = 0;        // pixels two diamonds claim

  int At(int X, int Y) const { return Owner[static_cast<size_t>(Y) * static_cast<size_t>(W) + static_cast<size_t>(X)]; }
};

TDrawnDiamonds DrawnDiamonds(int ScrollX, int ScrollY, int Rows, int Cols, int ViewW, int ViewH) {
  TDrawnDiamonds d;
  d.W = ViewW;
  d.H = ViewH;
  d.Owner.assign(static_cast<size_t>(ViewW) * static_cast<size_t>(ViewH), 0);
  for (int i = 1; i <= Rows; ++i)
    for (int j = 1; j <= Cols; ++j) {
      const int left = ScrollX + 16 * (j - i) + ViewW / 2 - 20;
      const int top = ScrollY + 8 * (i + j) + ViewH / 2 - 40;
      for (int py = 0; py < 50; ++py)
        for (int px = 0; px < 34; ++px) {
          if (std::fabs(px + 0.5 - 16) / 16 + std::fabs(py + 0.5 - 29) / 8 >= 1) continue;
          const int x = left + px, y = top + py;
          if (x < 0 || y < 0 || x >= ViewW || y >= ViewH) continue;
          int& owner = d.Owner[static_cast<size_t>(y) * static_cast<size_t>(ViewW) + static_cast<size_t>(x)];
          if (owner != 0) ++d.Overlaps;
          owner = i * 1000 + j;
        }
    }
  return d;
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

TEST(EditorTerrain, EveryPixelHitsTheCellWhoseDiamondHoldsIt) {
  struct {
    int W, H;
  } views[] = {{792, 478}, {1280, 900}};
  struct {
    int X, Y;
  } scrolls[] = {{0, 0}, {7, -5}, {-203, 117}, {333, -250}};
  for (const auto& v : views)
    for (const auto& sc : scrolls) {
      SCOPED_TRACE(testing::Message() << v.W << "x" << v.H << " scrolled " << sc.X << "," << sc.Y);
      TEditorState s;
      s.ScrollX = sc.X;
      s.ScrollY = sc.Y;
      const TDrawnDiamonds drawn = DrawnDiamonds(sc.X, sc.Y, 30, 30, v.W, v.H);
      ASSERT_EQ(drawn.Overlaps, 0);
      int covered = 0;
      for (int y = 0; y < v.H; ++y)
        for (int x = 0; x < v.W; ++x) {
          int row = 0, col = 0;
          const bool hit = HitTestCell(s, 30, 30, v.W, v.H, x, y, row, col);
          const int owner = drawn.At(x, y);
          ASSERT_EQ(hit ? row * 1000 + col : 0, owner) << "pixel " << x << "," << y;
          covered += owner != 0;
        }
      EXPECT_GT(covered, 100 * 256) << "too little of the map in view to prove anything";
      // The diamonds leave no hole: on every line of the view the map's
      // pixels form one unbroken run (the map is one convex diamond).
      for (int y = 0; y < v.H; ++y) {
        int runs = 0;
        for (int x = 0; x < v.W; ++x) runs += drawn.At(x, y) != 0 && (x == 0 || drawn.At(x - 1, y) == 0);
        ASSERT_LE(runs, 1) << "line " << y;
      }
      for (int x = 0; x < v.W; ++x) {
        int runs = 0;
        for (int y = 0; y < v.H; ++y) runs += drawn.At(x, y) != 0 && (y == 0 || drawn.At(x, y - 1) == 0);
        ASSERT_LE(runs, 1) << "column " << x;
      }
    }
}

TEST(EditorTerrain, HitTestAtCornersAndPastTheEdges) {
  // Cell (1, 1) of an unscrolled 792 x 478 view has its diamond centred at
  // (392, 244); on that line it spans pixels 377 to 406, and its top corner
  // is pixel 236 of column 392.
  struct {
    int ScrollX, ScrollY, X, Y;
    bool Hit;
    int Row, Col;
  } cases[] = {
      {0, 0, 392, 244, true, 1, 1},    // centre
      {0, 0, 377, 244, true, 1, 1},    // left corner
      {0, 0, 376, 244, true, 2, 1},    //   and the next row's cell beside it
      {0, 0, 406, 244, true, 1, 1},    // right corner
      {0, 0, 407, 244, true, 1, 2},    //   and the next column's cell
      {0, 0, 392, 236, true, 1, 1},    // top corner
      {0, 0, 392, 235, false, 0, 0},   //   above it: off the map
      {0, 0, 392, 251, true, 1, 1},    // bottom corner
      {0, 0, 392, 252, true, 2, 2},    //   below it
      {0, 0, 384, 240, true, 1, 1},    // upper left edge
      {0, 0, 384, 239, false, 0, 0},   //   just outside
      {0, 0, 384, 248, true, 2, 1},    // lower left edge, the next row's side
      {-20, 0, 372, 244, true, 1, 1},  // scrolled by amounts not a multiple of 16 or 8
      {7, -5, 399, 239, true, 1, 1},  {7, -5, 384, 235, false, 0, 0},
      {0, 0, 536, 316, true, 1, 10},  // the right-hand corner cell of a 10 x 10 map
      {0, 0, 552, 324, false, 0, 0},  //   one column past it
      {0, 0, 248, 316, true, 10, 1},  // the left-hand corner cell
      {0, -300, 392, 72, true, 9, 9}, {-100, -50, 5, 5, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ScrollX << "," << c.ScrollY << " at " << c.X << "," << c.Y);
    TEditorState s;
    s.ScrollX = c.ScrollX;
    s.ScrollY = c.ScrollY;
    int row = 0, col = 0;
    const bool hit = HitTestCell(s, 10, 10, W, H, c.X, c.Y, row, col);
    EXPECT_EQ(hit, c.Hit);
    if (hit && c.Hit) { EXPECT_EQ(std::tie(row, col), std::tie(c.Row, c.Col)); }
  }
  // Scrolled to the 32-bit limits the test still finds nothing, without overflow.
  TEditorState far;
  far.ScrollX = INT32_MIN;
  far.ScrollY = INT32_MAX;
  int row = 0, col = 0;
  EXPECT_FALSE(HitTestCell(far, 250, 250, W, H, 0, 0, row, col));
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
                                                 {F1->SpeedButton4, 3}, {F1->SpeedButton7, 4},   {F1->SpeedButton6, 5},
                                                 {F1->SpeedButton8, 6}};
  Controls->ClickTab(F1->PageControl1, 1);
  for (const auto& [button, kind] : tools) {
    Driver->Click(button, 5, 5);
    EXPECT_EQ(F1->State().PaintTerrain, kind) << button->Name();
    EXPECT_TRUE(button->Down());
  }
}

// With the pictures the program carries: after scrolling by amounts that are
// no multiple of the cell size, and in a view larger than the designed one,
// a stroke through a cell's drawn centre paints that cell, the label names
// it, and the hover marker drawn next frame surrounds the pointer.
TEST_F(EditorTest, StrokesLandUnderThePointerAtAnyScrollAndViewSize) {
  Start(false);
  F1->SpinEdit1->SetValue(30);
  F1->SpinEdit2->SetValue(30);
  Controls->ClickTab(F1->PageControl1, 1);
  Driver->Click(F1->SpeedButton5, 5, 5);  // water
  struct {
    int ScrollX, ScrollY, ClientW, ClientH, Row, Col;
  } cases[] = {
      {0, 0, 792, 546, 1, 1},      {7, -5, 792, 546, 3, 4},       {-203, 117, 792, 546, 2, 3},
      {-203, 117, 792, 546, 6, 1}, {333, -250, 1280, 968, 20, 2}, {-41, 13, 1280, 968, 8, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "cell " << c.Row << "," << c.Col << " scrolled " << c.ScrollX << "," << c.ScrollY
                                    << " window " << c.ClientW << "x" << c.ClientH);
    if (F1->ClientWidth() != c.ClientW) {
      F1->SetClientWidth(c.ClientW);
      F1->SetClientHeight(c.ClientH);
      // The screen shows what is inside it only; the window goes to its
      // corner so that the cells tried are on it.
      F1->SetLeft(0);
      F1->SetTop(0);
      Advance(20);
    }
    const int w = F1->DXDraw1->Width(), h = F1->DXDraw1->Height();
    ASSERT_EQ(w, c.ClientW);
    F1->State().ScrollX = c.ScrollX;
    F1->State().ScrollY = c.ScrollY;
    const int x = c.ScrollX + 16 * (c.Col - c.Row) + w / 2 - 4;
    const int y = c.ScrollY + 8 * (c.Row + c.Col) + h / 2 - 11;
    ASSERT_TRUE(x >= 20 && x < w - 20 && y >= 10 && y < h - 10);
    Driver->Drag(F1->DXDraw1, x - 6, y, x + 6, y, mbLeft, {}, 3);
    EXPECT_EQ(F1->State().Map.TerrainAt(c.Row, c.Col), 2);
    EXPECT_EQ(F1->Label4->Caption(), "X: " + std::to_string(c.Row) + ", Y: " + std::to_string(c.Col));
    // Nothing beside the stroke: the neighbours on every side stay plain.
    for (auto [di, dj] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}})
      EXPECT_EQ(F1->State().Map.TerrainAt(c.Row + di, c.Col + dj), 0) << di << "," << dj;

    // The marker: what changes on screen when the pointer moves on to a
    // cell three columns away. It lies on the cell's drawn diamond and
    // encloses the pointer on its line.
    Advance(20);
    Advance(20);
    const TPixels here = Driver->ReadPixels(F1->DXDraw1);
    ASSERT_EQ(here.Width, w);
    const int away = c.Col > 3 ? -3 : 3;
    Driver->MouseMove(F1->DXDraw1, x + 16 * away, y + 8 * away);
    EXPECT_EQ(F1->Label4->Caption(), "X: " + std::to_string(c.Row) + ", Y: " + std::to_string(c.Col + away));
    Advance(20);
    Advance(20);
    const TPixels there = Driver->ReadPixels(F1->DXDraw1);
    int changed = 0, left = 0, right = 0;
    for (int py = y - 12; py <= y + 12; ++py)
      for (int px = x - 20; px <= x + 20; ++px) {
        if (here.At(px, py) == there.At(px, py)) continue;
        ++changed;
        EXPECT_LT(std::fabs(px + 0.5 - x) / 16 + std::fabs(py + 0.5 - y) / 8, 1.0)
            << "marker pixel " << px << "," << py << " off the cell's diamond";
        if (py == y) (px < x + 6 ? left : right) += 1;
      }
    EXPECT_GT(changed, 40);
    EXPECT_GT(left, 0) << "no marker left of the pointer";
    EXPECT_GT(right, 0) << "no marker right of the pointer";
    F1->State().Map.SetTerrainAt(c.Row, c.Col, 0);
  }
}

TEST_F(SeededRandom, RandomTerrainIsPlainTreeOrWaterAtTheChosenOdds) {
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
