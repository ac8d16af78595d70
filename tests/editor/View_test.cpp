// The editor's view: where each picture of a frame lands, what is left out,
// and scrolling by the input states on the tabs other than "Dane".
#include <climits>
#include <string>
#include <vector>

#include "EditorFixture.h"
#include "editor/EditorView.h"

using namespace sandreth;
using namespace editor_test;

namespace {

struct TDraw {
  int List;
  int Index;         // -1 for a draw by name
  std::string Name;  // draws by name
  int X, Y;
  friend bool operator==(const TDraw&, const TDraw&) = default;
};

std::ostream& operator<<(std::ostream& O, const TDraw& D) {
  return O << "{" << D.List << "," << D.Index << "," << D.Name << "," << D.X << "," << D.Y << "}";
}

// Writes down every draw; lists hold ItemCount items and the names in Names.
class TRecordingPictures : public TEditorPictures {
 public:
  std::vector<TDraw> Draws;
  int ItemCount[5] = {0, 7, 6, 0, 0};
  std::vector<std::string> Names = {"piechur", "zamek"};

  bool DrawItem(int List, int Index, int X, int Y) override {
    if (Index < 0 || Index >= ItemCount[List]) return false;
    Draws.push_back({List, Index, "", X, Y});
    return true;
  }
  bool DrawNamed(int List, const std::string& Name, int X, int Y) override {
    for (const std::string& n : Names)
      if (n == Name) {
        Draws.push_back({List, -1, Name, X, Y});
        return true;
      }
    return false;
  }
};

constexpr int W = 792, H = 478;

}  // namespace

TEST(EditorView, TerrainCellsLandAtTheirIsometricPlacesRowsOuter) {
  TEditorState s;
  s.ScrollX = 5;
  s.ScrollY = -7;
  s.Map.SetTerrainAt(2, 3, 4);
  s.Map.SetHeightAt(2, 3, 2);
  s.Map.SetTerrainAt(1, 2, 1);
  s.Map.SetHeightAt(1, 2, 9);
  s.Map.SetTerrainAt(11, 1, 6);  // beyond the 10 rows drawn
  TRecordingPictures rec;
  DrawMap(s, 10, 10, W, H, rec);

  ASSERT_EQ(rec.Draws.size(), 101u);  // 100 cells, one of them raised
  EXPECT_EQ(rec.Draws[0], (TDraw{1, 0, "", 5 + 376, -7 + 16 + 199}));
  EXPECT_EQ(rec.Draws[1], (TDraw{1, 1, "", 5 + 16 + 376, -7 + 24 + 199 - 72}));
  // Row 1 ends with column 10, then row 2 begins at column 1.
  EXPECT_EQ(rec.Draws[9], (TDraw{1, 0, "", 5 + 16 * 9 + 376, -7 + 8 * 11 + 199}));
  EXPECT_EQ(rec.Draws[10], (TDraw{1, 0, "", 5 - 16 + 376, -7 + 24 + 199}));
  // Cell (2, 3): its picture at its elevation, then the ground-level side "up3".
  EXPECT_EQ(rec.Draws[12], (TDraw{1, 4, "", 5 + 16 + 376, -7 + 40 + 199 - 16}));
  EXPECT_EQ(rec.Draws[13], (TDraw{2, 3, "", 5 + 16 + 376, -7 + 40 + 199}));
  EXPECT_EQ(rec.Draws.back(), (TDraw{1, 0, "", 5 + 376, -7 + 160 + 199}));

  // A larger size shows the cells beyond the old one with what they kept.
  rec.Draws.clear();
  DrawMap(s, 11, 10, W, H, rec);
  EXPECT_EQ(rec.Draws.size(), 112u);
  EXPECT_EQ(rec.Draws[101], (TDraw{1, 6, "", 5 - 160 + 376, -7 + 96 + 199}));
  EXPECT_EQ(rec.Draws[102], (TDraw{2, 5, "", 5 - 160 + 376, -7 + 96 + 199}));
}

TEST(EditorView, AKindWithoutPictureEndsTheTerrainButNotTheFrame) {
  TEditorState s;
  s.Map.SetTerrainAt(1, 3, 7);
  s.HoverTerrain = 7;
  TRecordingPictures rec;
  DrawFrame(s, 10, 10, W, H, rec);
  // Cells (1, 1) and (1, 2), then the marker; the preview of kind 7 draws nothing.
  ASSERT_EQ(rec.Draws.size(), 3u);
  EXPECT_EQ(rec.Draws[2].List, 2);
  EXPECT_EQ(rec.Draws[2].Index, 0);
  for (int kind : {-1, 7, 255}) {
    s.HoverTerrain = kind;
    rec.Draws.clear();
    DrawFrame(s, 10, 10, W, H, rec);
    for (const TDraw& d : rec.Draws) EXPECT_FALSE(d.X == 10 && d.Y == 10) << kind;
  }
  s.HoverTerrain = 2;
  rec.Draws.clear();
  DrawFrame(s, 10, 10, W, H, rec);
  EXPECT_EQ(rec.Draws.back(), (TDraw{1, 2, "", 10, 10}));
}

TEST(EditorView, ObjectsOncePerMatchingTypeThenMarkerAndPreview) {
  TEditorState s;
  s.ScrollX = -3;
  s.ScrollY = 4;
  s.BuildingTypeCount = 2;
  s.BuildingTypes[1].Name.Assign("Zamek");
  s.BuildingTypes[2].Name.Assign("Zamek");
  s.UnitTypeCount = 1;
  s.UnitTypes[1].Name.Assign("Piechur");
  s.BuildingCount = 1;
  s.Buildings[1].Name.Assign("Zamek");
  s.Buildings[1].X = 100;
  s.Buildings[1].Y = 50;
  s.UnitCount = 2;
  s.Units[1].Name.Assign("Piechur");
  s.Units[1].X = 30;
  s.Units[1].Y = -60;
  s.Units[2].Name.Assign("Nieznany");  // no such type: not drawn
  s.HoverRow = 2;
  s.HoverCol = 3;
  s.Map.SetHeightAt(2, 3, 2);
  s.HoverTerrain = 1;
  TRecordingPictures rec;
  DrawFrame(s, 10, 10, W, H, rec);
  EXPECT_EQ(s.OriginX, 378);
  EXPECT_EQ(s.OriginY, 207);
  ASSERT_EQ(rec.Draws.size(), 100u + 5u);
  const std::vector<TDraw> tail(rec.Draws.begin() + 100, rec.Draws.end());
  EXPECT_EQ(tail, (std::vector<TDraw>{{4, -1, "zamek", -3 + 100 + 378 - 30, 4 + 50 + 207 - 30},
                                      {4, -1, "zamek", -3 + 100 + 378 - 30, 4 + 50 + 207 - 30},
                                      {3, -1, "piechur", -3 + 30 + 378, 4 - 60 + 207},
                                      {2, 0, "", -3 + 16 + 376, 4 + 40 + 199 - 16},
                                      {1, 1, "", 10, 10}}));
}

TEST(EditorView, MarkerBeforeAnyHoverAndFarObjectsAreSafe) {
  TEditorState s;
  s.UnitTypeCount = 1;
  s.UnitTypes[1].Name.Assign("Piechur");
  s.UnitCount = 1;
  s.Units[1].Name.Assign("Piechur");
  s.Units[1].X = INT_MAX;
  s.Units[1].Y = INT_MIN;
  s.ScrollX = INT_MAX;
  s.ScrollY = INT_MIN;
  TRecordingPictures rec;
  DrawFrame(s, 10, 10, W, H, rec);
  EXPECT_TRUE(rec.Draws.empty() || rec.Draws.back().List != 3);
  for (const TDraw& d : rec.Draws) EXPECT_NE(d.List, 3);

  // No cell hovered yet: the marker uses elevation 0 at row and column 0.
  TEditorState fresh;
  fresh.Map.Heights.fill(9);
  rec.Draws.clear();
  DrawFrame(fresh, 10, 10, W, H, rec);
  EXPECT_EQ(rec.Draws[rec.Draws.size() - 2], (TDraw{2, 0, "", 376, 199}));
}

TEST(EditorView, MissingPictureIsReportedOnceAndSkipped) {
  TEditorState s;
  s.UnitTypeCount = 1;
  s.UnitTypes[1].Name.Assign("Mag");
  s.UnitCount = 1;
  s.Units[1].Name.Assign("Mag");
  TRecordingPictures rec;
  std::vector<std::string> missing;
  DrawFrame(s, 10, 10, W, H, rec, &missing);
  EXPECT_EQ(missing, std::vector<std::string>{"Mag"});
  missing.clear();
  DrawFrame(s, 10, 10, W, H, rec, &missing);
  EXPECT_TRUE(missing.empty());
}

TEST(EditorView, ScrollByHalfTheLag) {
  TEditorState s;
  ScrollView(s, 17, true, false, false, true);
  EXPECT_EQ(s.ScrollX, 8);
  EXPECT_EQ(s.ScrollY, -8);
  ScrollView(s, 1, true, false, true, false);
  EXPECT_EQ(s.ScrollX, 8);
  ScrollView(s, 5, false, true, true, false);
  EXPECT_EQ(s.ScrollX, 6);
  EXPECT_EQ(s.ScrollY, -6);
}

// In the running editor: the keys scroll on every tab but "Dane", by half
// of each tick's lag, from the states the previous tick's update left.
TEST_F(EditorTest, KeysScrollTheViewOnTabsOtherThanDane) {
  AddStandardTypes();
  Start();
  std::int64_t expectX = 0, expectY = 0;
  int ticks = 0;
  F1->DXTimer1->OnTimer = [&](TObject* Sender, std::int32_t Lag) {
    const TInputStates st = F1->DXInput1->States;
    if (F1->PageControl1->TabIndex() != 0) {
      if (st.Contains(stLeft)) expectX += Lag / 2;
      if (st.Contains(stRight)) expectX -= Lag / 2;
      if (st.Contains(stUp)) expectY += Lag / 2;
      if (st.Contains(stDown)) expectY -= Lag / 2;
    }
    ++ticks;
    F1->DXTimer1Timer(Sender, Lag);
  };

  // "Dane": held keys do not scroll; the size fields stay enabled.
  Driver->KeyDown(VK_LEFT);
  for (int i = 0; i < 5; ++i) Advance(20);
  EXPECT_EQ(F1->State().ScrollX, 0);
  EXPECT_TRUE(F1->SpinEdit1->Enabled());

  Controls->ClickTab(F1->PageControl1, 1);
  for (int i = 0; i < 5; ++i) Advance(20);
  EXPECT_GT(ticks, 5);
  EXPECT_GT(F1->State().ScrollX, 0);
  EXPECT_EQ(F1->State().ScrollX, expectX);
  for (TSpinEdit* f : {F1->SpinEdit1, F1->SpinEdit2, F1->SpinEdit3}) EXPECT_FALSE(f->Enabled());
  Driver->KeyUp(VK_LEFT);

  // The letters and the numeric pad are directions too.
  Controls->ClickTab(F1->PageControl1, 3);
  Driver->KeyDown('K');
  Driver->KeyDown(VK_NUMPAD0 + 6);
  for (int i = 0; i < 5; ++i) Advance(20);
  Driver->KeyUp('K');
  Driver->KeyUp(VK_NUMPAD0 + 6);
  Advance(20);
  EXPECT_GT(F1->State().ScrollY, 0);
  EXPECT_EQ(F1->State().ScrollY, expectY);
  EXPECT_EQ(F1->State().ScrollX, expectX);

  Controls->ClickTab(F1->PageControl1, 0);
  Advance(20);
  for (TSpinEdit* f : {F1->SpinEdit1, F1->SpinEdit2, F1->SpinEdit3}) EXPECT_TRUE(f->Enabled());
}

// What the window shows after a tick: black where no cell lies, the terrain
// picture over the cells, the preview of the hovered kind at (10, 10).
TEST_F(EditorTest, FrameShowsTheTerrainAndThePreview) {
  Start();
  F1->SpinEdit1->SetValue(10);
  F1->SpinEdit2->SetValue(10);
  F1->State().Map.SetTerrainAt(10, 10, 2);
  F1->State().HoverTerrain = 2;
  Advance(20);
  Advance(20);
  TPixels px = Driver->ReadPixels(F1->DXDraw1);
  ASSERT_EQ(px.Width, 792);
  EXPECT_EQ(px.At(2, 470), 0u);
  EXPECT_EQ(px.At(380, 258), 0x008000u);            // plain cells around (1, 1)
  EXPECT_EQ(px.At(376 + 17, 199 + 25), 0xFFFFFFu);  // the marker, no cell hovered yet
  EXPECT_EQ(px.At(376 + 17, 359 + 25), 0x0000FFu);  // cell (10, 10), water
  EXPECT_EQ(px.At(10 + 17, 10 + 25), 0x0000FFu);    // the preview
}

// A placed unit whose type has no picture: one error box, then it is skipped
// frame after frame.
TEST_F(EditorTest, TypeWithoutPictureIsToldOnce) {
  AddUnitType("mnich.unt", UnitType("Mnich"));
  Start();
  TEditorState& s = F1->State();
  s.UnitCount = 1;
  s.Units[1].Name.Assign("Mnich");
  s.Units[1].Number = 1;
  ExpectMessageBox();
  for (int i = 0; i < 6; ++i) Advance(20);
  ASSERT_EQ(Driver->MessageBoxes().size(), 1u);
  EXPECT_EQ(Driver->MessageBoxes()[0].Text, "Image 'mnich' not found");
  EXPECT_TRUE(F1->DXDraw1->CanDraw());
}
