#include "render/RenderMachine.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/render/RenderTestSurfaces.h"

namespace {

class MachineTest : public testing::Test {
 protected:
  std::unique_ptr<TDXRMachine> M = std::make_unique<TDXRMachine>();
  BYTE DestPixels[64] = {};
  BYTE TexPixels[64] = {};
  TRenderSurface Dest, Tex;
  void SetUp() override {
    InitRGBSurface(Dest, 4, 4, 32, DestPixels, 16, 0xFF0000, 0xFF00, 0xFF, 0);
    InitRGBSurface(Tex, 4, 4, 32, TexPixels, 16, 0xFF0000, 0xFF00, 0xFF, 0);
    M->Reset();
    M->Dest = &Dest;
    M->TextureSlots[0].Surface = &Tex;
  }
  bool ReadsDest() const {
    for (const auto& s : M->Steps)
      if (s.Op == TRenderStepOp::ReadDest) return true;
    return false;
  }
};

}  // namespace

TEST(BlendNeeds, TableAndRejectedOperation) {
  struct TCase {
    TRenderBlendOp Op;
    TBlendChannelNeeds N;
  };
  const TCase cases[] = {
      {0, {0, 0, 0, 0}},   {1, {15, 0, 0, 0}}, {2, {0, 0, 15, 0}}, {5, {15, 0, 15, 0}},  {7, {7, 8, 0, 0}},
      {10, {7, 8, 15, 0}}, {12, {7, 0, 0, 8}}, {13, {7, 8, 7, 8}}, {14, {15, 0, 15, 0}},
  };
  for (const auto& c : cases) {
    TBlendChannelNeeds n;
    ASSERT_TRUE(BlendChannelNeeds(c.Op, n));
    EXPECT_EQ(n.LeftAnd, c.N.LeftAnd);
    EXPECT_EQ(n.LeftOr, c.N.LeftOr);
    EXPECT_EQ(n.RightAnd, c.N.RightAnd);
    EXPECT_EQ(n.RightOr, c.N.RightOr);
  }
  TBlendChannelNeeds n;
  EXPECT_FALSE(BlendChannelNeeds(15, n));
}

TEST_F(MachineTest, CopyOfTextureOverDestinationNeverReadsDestination) {
  TRenderNode* dest = M->NewLeafNode(rnDest);
  TRenderNode* tex = M->NewTextureNode(0);
  TRenderNode* root = M->NewBlendNode(1, tex, dest);
  root->Channels = rcRGB;
  TRenderNode* r = root;
  OptimizeRenderTree(*M, r);
  EXPECT_EQ(r, tex);
  EXPECT_EQ(r->Channels, rcRGB);
  M->Compile(root);
  EXPECT_TRUE(M->HasRoutine());
  EXPECT_FALSE(ReadsDest());
}

TEST_F(MachineTest, AlphaBlendAsksTextureForAlphaAndDestinationForColour) {
  TRenderNode* dest = M->NewLeafNode(rnDest);
  TRenderNode* tex = M->NewTextureNode(0);
  TRenderNode* root = M->NewBlendNode(10, tex, dest);
  root->Channels = rcRGB;
  OptimizeRenderTree(*M, root);
  EXPECT_EQ(tex->Channels, rcAll);
  EXPECT_EQ(dest->Channels, rcRGB);
  MarkTreeUsage(*M, root);
  // The surface has no alpha: the slot's set leaves it out.
  EXPECT_EQ(M->TextureSlots[0].Channels, rcRGB);
  EXPECT_TRUE(M->TextureSlots[0].Used);
}

TEST_F(MachineTest, FoldsOfAddSubtractAndDroppedOperands) {
  struct TCase {
    TRenderBlendOp Op;
    bool ZeroLeft;
    bool ExpectLeft;
    bool ExpectRight;
  };
  const TCase cases[] = {
      {3, true, false, true},
      {3, false, true, false},
      {4, false, true, false},
  };
  for (const auto& c : cases) {
    M->Reset();
    TRenderNode* x = M->NewTextureNode(0);
    TRenderNode* z = M->NewLeafNode(rnZero);
    TRenderNode* root = c.ZeroLeft ? M->NewBlendNode(c.Op, z, x) : M->NewBlendNode(c.Op, x, z);
    root->Channels = rcRGB;
    OptimizeRenderTree(*M, root);
    EXPECT_EQ(root, x) << int(c.Op);
    EXPECT_EQ(root->Channels, rcRGB);
  }
  M->Reset();
  TRenderNode* x = M->NewTextureNode(0);
  TRenderNode* y = M->NewLeafNode(rnDest);
  TRenderNode* root = M->NewBlendNode(7, x, y);
  root->Channels = rcRGB;
  OptimizeRenderTree(*M, root);
  EXPECT_EQ(root->Right, nullptr);
  EXPECT_EQ(root->Left, x);
  // A zero blend below an addition collapses the addition onto its other operand.
  M->Reset();
  TRenderNode* a = M->NewTextureNode(0);
  TRenderNode* zeroBlend = M->NewBlendNode(0, M->NewLeafNode(rnDest), M->NewLeafNode(rnDest));
  TRenderNode* add = M->NewBlendNode(3, a, zeroBlend);
  add->Channels = rcRGB;
  OptimizeRenderTree(*M, add);
  EXPECT_EQ(add, a);
}

TEST_F(MachineTest, LimitsAndInvalidTreesMakeNoRoutine) {
  for (int i = 0; i < RenderNodeLimit; ++i) ASSERT_NE(M->NewNode(), nullptr);
  EXPECT_EQ(M->NewNode(), nullptr);
  EXPECT_EQ(M->NodeCount, RenderNodeLimit);

  M->Reset();
  EXPECT_EQ(M->NewBlendNode(15, M->NewLeafNode(rnDest), M->NewLeafNode(rnDest)), nullptr);
  EXPECT_EQ(M->NewTextureNode(8), nullptr);

  // An operation above 14 set by hand in a node is refused by the compile.
  M->Reset();
  M->Dest = &Dest;
  TRenderNode* bad = M->NewBlendNode(3, M->NewLeafNode(rnDest), M->NewLeafNode(rnDest));
  bad->Index = 15;
  M->Compile(bad);
  EXPECT_FALSE(M->HasRoutine());
  EXPECT_FALSE(M->Compiled);

  // No destination.
  M->Reset();
  M->Compile(M->NewLeafNode(rnDest));
  EXPECT_FALSE(M->HasRoutine());

  // A texture slot without a surface.
  M->Reset();
  M->Dest = &Dest;
  M->Compile(M->NewTextureNode(3));
  EXPECT_FALSE(M->HasRoutine());

  // A needed operand missing, a colour slot out of range, a cycle.
  M->Reset();
  M->Dest = &Dest;
  M->Compile(M->NewBlendNode(10, nullptr, M->NewLeafNode(rnDest)));
  EXPECT_FALSE(M->HasRoutine());
  TRenderNode* color = M->NewLeafNode(rnColor);
  color->Index = 8;
  M->Compile(color);
  EXPECT_FALSE(M->HasRoutine());
  TRenderNode* loop = M->NewBlendNode(3, nullptr, nullptr);
  loop->Left = loop->Right = loop;
  M->Compile(loop);
  EXPECT_FALSE(M->HasRoutine());
  TRenderNode outside;
  outside.Kind = rnDest;
  M->Compile(&outside);
  EXPECT_FALSE(M->HasRoutine());

  // Run without a routine, with zero and negative counts: nothing happens.
  M->Run(5);
  M->Reset();
  M->Dest = &Dest;
  M->Compile(M->NewLeafNode(rnZero));
  ASSERT_TRUE(M->HasRoutine());
  const std::vector<BYTE> before(DestPixels, DestPixels + 64);
  M->Run(0);
  M->Run(-3);
  EXPECT_EQ(std::vector<BYTE>(DestPixels, DestPixels + 64), before);
}

TEST_F(MachineTest, TooManyTemporariesMakeNoRoutine) {
  // Shared operands make a small pool generate more than 256 temporaries.
  TRenderNode* n = M->NewTextureNode(0);
  for (int i = 0; i < 9; ++i) n = M->NewBlendNode(3, n, n);
  M->Compile(n);
  EXPECT_FALSE(M->HasRoutine());
}

TEST_F(MachineTest, RoutineTooLargeForTheBufferRunsThroughTheInterpreter) {
  // A chain of bilinear samples blended one by one overflows the code buffer.
  M->TextureSlots[0].Filter = 1;
  TRenderNode* n = M->NewTextureNode(0);
  for (int i = 0; i < 40; ++i) n = M->NewBlendNode(6, n, M->NewTextureNode(0));
  M->Compile(n);
  ASSERT_TRUE(M->HasRoutine());
  EXPECT_FALSE(M->IsNative());
  M->Run(3);  // runs without native code
}

TEST(MachineCodeBuffer, WithoutExecutableMemoryTheInterpreterDraws) {
  RenderDenyCodeBuffer = true;
  auto m = std::make_unique<TDXRMachine>();
  RenderDenyCodeBuffer = false;
  EXPECT_EQ(m->Code, nullptr);
  DWORD out[3] = {};
  TRenderSurface d;
  InitRGBSurface(d, 3, 1, 32, out, 12, 0xFF0000, 0xFF00, 0xFF, 0);
  m->Reset();
  m->Dest = &d;
  m->ColorSlots[0].Color = TRenderColor{0x1200, 0x3400, 0x5600, 0};
  m->Compile(m->NewLeafNode(rnColor));
  ASSERT_TRUE(m->HasRoutine());
  EXPECT_FALSE(m->IsNative());
  m->Run(3);
  for (DWORD v : out) EXPECT_EQ(v, 0x123456u);
}

TEST_F(MachineTest, SecondCompileRebuildsUsedSlotLists) {
  TRenderNode* root = M->NewBlendNode(3, M->NewTextureNode(0), M->NewLeafNode(rnColor));
  M->Compile(root);
  EXPECT_EQ(M->UsedTextureCount, 1);
  EXPECT_EQ(M->UsedColorCount, 1);
  M->Compile(root);
  EXPECT_EQ(M->UsedTextureCount, 1);
  EXPECT_EQ(M->UsedColorCount, 1);
  EXPECT_EQ(M->UsedTextures[0], 0);
}

TEST_F(MachineTest, ResetClearsTemporaries) {
  M->Temps[5] = TRenderColor{1, 2, 3, 4};
  M->Reset();
  EXPECT_EQ(M->Temps[5], TRenderColor{});
}

TEST(RenderMachineUnit, SingleMachineUntilStop) {
  TDXRMachine& first = RenderMachine();
  EXPECT_EQ(&first, &RenderMachine());
  // What one draw leaves in the machine the next call sees.
  first.Temps[5] = TRenderColor{1, 2, 3, 4};
  EXPECT_EQ(RenderMachine().Temps[5], (TRenderColor{1, 2, 3, 4}));
  RenderUnitStop();
  RenderUnitStop();  // nothing left to free
  // The next call makes a new machine, without the old one's state.
  EXPECT_EQ(RenderMachine().Temps[5], TRenderColor{});
  RenderUnitStop();
}

#if defined(__x86_64__)
// A draw compiled again in the same form keeps the routine in place, even
// over other surfaces (the code reaches them through the data block only);
// a draw of another form installs new code. Every routine, kept or new,
// draws what the interpreter draws.
TEST(MachineCodeBuffer, RepeatedCompileKeepsTheRoutineAndAChangedOneReplacesIt) {
  auto m = std::make_unique<TDXRMachine>();
  ASSERT_NE(m->Code, nullptr);
  DWORD texA[4] = {0x00FF00FF, 0x00102030, 0x00A0B0C0, 0x00FF00FF};
  DWORD texB[4] = {0x00405060, 0x00FF00FF, 0x00FF00FF, 0x00010203};
  struct TDraw {
    const DWORD* Texture;
    TRenderBlendOp Op;
    DWORD Key;
    bool Installs;  // whether this compile must write new code
  };
  const TDraw draws[] = {
      {texA, 10, 0x00FF00FF, true}, {texA, 10, 0x00FF00FF, false}, {texB, 10, 0x00FF00FF, false},
      {texB, 1, 0x00FF00FF, true},  {texA, 1, 0x00FF00FF, false},  {texA, 1, 0x00102030, false},
      {texA, 10, 0x00FF00FF, true},
  };
  for (const TDraw& d : draws) {
    SCOPED_TRACE(::testing::Message() << "op " << int(d.Op) << " key " << d.Key);
    DWORD out[2][4];
    for (int interpreted = 0; interpreted < 2; ++interpreted) {
      std::fill(std::begin(out[interpreted]), std::end(out[interpreted]), 0x00808080u);
      DWORD texture[4];
      std::copy(d.Texture, d.Texture + 4, texture);
      TRenderSurface dest, tex;
      InitRGBSurface(dest, 4, 1, 32, out[interpreted], 16, 0xFF0000, 0xFF00, 0xFF, 0);
      InitRGBSurface(tex, 4, 1, 32, texture, 16, 0xFF0000, 0xFF00, 0xFF, 0);
      const int before = m->CodeInstalls;
      m->Reset();
      m->ForceInterpreter = interpreted == 1;
      m->Dest = &dest;
      TRenderTextureSlot& slot = m->TextureSlots[0];
      slot.Surface = &tex;
      slot.Transparent = true;
      slot.ColorKey = d.Key;
      slot.Addressing = raDirect;
      slot.ConstantStep = true;
      slot.DU = 0x10000;
      slot.Default = TRenderColor{0x8000, 0x8000, 0x8000, 0x8000};
      m->Compile(m->NewBlendNode(d.Op, m->NewTextureNode(0), m->NewLeafNode(rnDest)));
      ASSERT_TRUE(m->HasRoutine());
      if (interpreted == 0) {
        ASSERT_TRUE(m->IsNative());
        // A changed key may or may not change the code; its pixels are
        // checked either way.
        if (d.Installs) {
          EXPECT_EQ(m->CodeInstalls, before + 1);
        } else if (d.Key == draws[0].Key) {
          EXPECT_EQ(m->CodeInstalls, before);
        }
      }
      m->Run(4);
    }
    for (int i = 0; i < 4; ++i) EXPECT_EQ(out[0][i], out[1][i]) << "pixel " << i;
  }
}
#endif
