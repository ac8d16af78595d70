// The stored pictures drawn by the library onto a drawing control's back
// surface, the way both programs draw their terrain: keyed by their
// transparent colour, ground cells of a 10 × 10 map leave no pixel of the
// map uncovered and no key colour shows anywhere.
#include <gtest/gtest.h>

#include <map>

#include "assets/generator/Pictures.h"
#include "assets/stored/StoredData.h"
#include "display/DIB.h"
#include "display/DXImageList.h"
#include "tests/display/DXDrawFixtures.h"

namespace {

class StoredPicturesOnASurface : public DrawControlTest {
 protected:
  void Start(const char* Key) {
    Form->SetClientWidth(792);
    Form->SetClientHeight(478);
    Draw = MakeDraw(0, 0, 792, 478);
    List = new TDXImageList(Form);
    ReadStoredComponent(List, Key);
    List->SetDXDraw(Draw);
    Form->Show();
    ASSERT_TRUE(Draw->Initialized());
  }
  TDXDraw* Draw = nullptr;
  TDXImageList* List = nullptr;

  void DrawTenByTen(const char* Key) {
    Start(Key);
    TDirectDrawSurface* s = Draw->Surface();
    const int W = Draw->Width(), H = Draw->Height();
    ASSERT_EQ(W, 792);
    ASSERT_EQ(H, 478);
    const DWORD background = s->ColorMatch(clBlack), magenta = s->ColorMatch(clFuchsia);
    s->Fill(background);
    TPictureCollectionItem* tile = List->Items()->Items(0);
    ASSERT_EQ(tile->Name(), "tile");
    for (int i = 1; i <= 10; ++i)
      for (int j = 1; j <= 10; ++j) tile->Draw(s, 16 * (j - i) + W / 2 - 20, 8 * (i + j) + H / 2 - 40, 0);
    auto* dib = dynamic_cast<TDIB*>(tile->Picture()->Graphic());
    ASSERT_NE(dib, nullptr);
    std::map<TColor, DWORD> matched;
    int covered = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        DWORD p = s->GetPixel(x, y);
        EXPECT_NE(p, magenta) << x << "," << y;
        double px = x + 0.5 - (W / 2 - 20 + DiamondCX), py = y + 0.5 - (16 + H / 2 - 40 + DiamondCY);
        double col = (py / 8 + px / 16) / 2, row = (py / 8 - px / 16) / 2;
        if (col > -0.5 && row > -0.5 && col < 9.5 && row < 9.5) {
          ++covered;
          ASSERT_NE(p, background) << "gap at " << x << "," << y;
          // Inside a cell's diamond shows that cell's own picture.
          int i = static_cast<int>(row + 0.5) + 1, j = static_cast<int>(col + 0.5) + 1;
          int tx = x - (16 * (j - i) + W / 2 - 20), ty = y - (8 * (i + j) + H / 2 - 40);
          ASSERT_TRUE(InGroundDiamond(tx, ty)) << x << "," << y;
          const BYTE* c = dib->TopBits() + static_cast<std::ptrdiff_t>(ty) * dib->NextLine() + tx * 3;
          const TColor colour = static_cast<TColor>(RGB(c[2], c[1], c[0]));
          auto found = matched.find(colour);
          if (found == matched.end()) found = matched.emplace(colour, s->ColorMatch(colour)).first;
          ASSERT_EQ(p, found->second) << x << "," << y;
        }
      }
    EXPECT_EQ(covered, 100 * 32 * 16 / 2);
  }
};

TEST_F(StoredPicturesOnASurface, TheGamesGroundCellsCoverATenByTenMap) { DrawTenByTen("Korvel.DXImageList4"); }
TEST_F(StoredPicturesOnASurface, TheEditorsGroundCellsCoverATenByTenMap) { DrawTenByTen("Sandreth.DXImageList1"); }

}  // namespace
