// The editor over what the build gives it: the pictures stored in the program
// and the start folder with the shipped types and sample maps.
#include <filesystem>
#include <string>
#include <vector>

#include "EditorFixture.h"
#include "world/ObjectNames.h"

using namespace sandreth;
using namespace editor_test;

namespace {

std::vector<std::string> NamesOf(TDXImageList* List) {
  std::vector<std::string> v;
  for (int i = 0; i < List->Items()->Count(); ++i) v.push_back(Cp1250ToUtf8(List->Items()->Items(i)->Name()));
  return v;
}

}  // namespace

TEST_F(EditorTest, StoredPicturesHoldTheNamedItemsInOrder) {
  Start(false);
  EXPECT_EQ(NamesOf(F1->DXImageList1), (std::vector<std::string>{"tile", "tree", "water", "up1", "up2", "up3", "up4"}));
  EXPECT_EQ(NamesOf(F1->DXImageList2), (std::vector<std::string>{"grid", "hand", "up1", "up2", "up3", "up4"}));
  EXPECT_EQ(NamesOf(F1->DXImageList3),
            (std::vector<std::string>{"piechur", "rycerz", "łucznik", "mag", "mnich", "chłop"}));
  EXPECT_EQ(NamesOf(F1->DXImageList4), (std::vector<std::string>{"zamek", "wieża"}));
  struct {
    TDXImageList* List;
    int W, H;
  } sizes[] = {{F1->DXImageList1, 34, 50}, {F1->DXImageList3, 38, 50}, {F1->DXImageList4, 98, 110}};
  for (const auto& s : sizes)
    for (int i = 0; i < s.List->Items()->Count(); ++i) {
      TPictureCollectionItem* item = s.List->Items()->Items(i);
      EXPECT_EQ(item->Width(), s.W) << item->Name();
      EXPECT_EQ(item->Height(), s.H) << item->Name();
      EXPECT_EQ(item->TransparentColor(), clFuchsia) << item->Name();
      EXPECT_TRUE(item->Transparent()) << item->Name();
      EXPECT_GT(item->SurfaceCount(), 0) << item->Name();
    }
  EXPECT_EQ(F1->DXImageList2->Items()->Find("grid")->Width(), 34);
  EXPECT_EQ(F1->DXImageList2->Items()->Find("hand")->Width(), 32);
  for (TSpeedButton* b :
       {F1->SpeedButton1, F1->SpeedButton2, F1->SpeedButton3, F1->TerrainButton1, F1->SpeedButton4, F1->SpeedButton5,
        F1->SpeedButton6, F1->SpeedButton7, F1->SpeedButton8, F1->SpeedButton9, F1->SpeedButton10, F1->SpeedButton11,
        F1->SpeedButton12, F1->SpeedButton13, F1->SpeedButton14})
    EXPECT_TRUE(b->HasGlyph()) << b->Name();
}

#ifdef BRASK_MAPMAKER_DIR
// The shipped start folder: every type has its picture, so placing one
// object of each type draws them all without a word.
TEST_F(EditorTest, ShippedStartFolderGivesEveryTypeItsPicture) {
  const std::filesystem::path shipped(BRASK_MAPMAKER_DIR);
  ASSERT_TRUE(std::filesystem::is_directory(shipped / "data")) << shipped;
  std::filesystem::copy(shipped, Root, std::filesystem::copy_options::recursive);
  Start(false);
  EXPECT_TRUE(Driver->MessageBoxes().empty());
  TEditorState& s = F1->State();
  EXPECT_EQ(s.UnitTypeCount, 6);
  EXPECT_EQ(s.BuildingTypeCount, 2);
  for (int t = 1; t <= s.UnitTypeCount; ++t) {
    s.Units[static_cast<size_t>(t)].Name = s.UnitTypes[static_cast<size_t>(t)].Name;
    s.Units[static_cast<size_t>(t)].Number = 1;
    s.Units[static_cast<size_t>(t)].X = 40 * t;
  }
  s.UnitCount = s.UnitTypeCount;
  for (int t = 1; t <= s.BuildingTypeCount; ++t) {
    s.Buildings[static_cast<size_t>(t)].Name = s.BuildingTypes[static_cast<size_t>(t)].Name;
    s.Buildings[static_cast<size_t>(t)].Number = 1;
  }
  s.BuildingCount = s.BuildingTypeCount;
  for (int i = 0; i < 4; ++i) Advance(20);
  EXPECT_TRUE(Driver->MessageBoxes().empty());
  EXPECT_TRUE(s.MissingPictures.empty());

  // The sample maps open.
  for (const char* map : {"krolestwo.map", "dolina.map"}) {
    ASSERT_TRUE(std::filesystem::is_regular_file(Root / map)) << map << " is not in the shipped start folder";
    Controls->AnswerFileDialogWith((Root / map).string());
    F1->Otwrz1->Click();
    EXPECT_EQ(F1->ComboBox2->Items()->Count(), s.UnitCount) << map;
    EXPECT_FALSE(F1->Edit1->Text().empty()) << map;
    Advance(20);
  }
  EXPECT_TRUE(Driver->MessageBoxes().empty());
}
#endif
