#include "render/RenderSpan.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr int Add = 0, Sub = 5, Cmp = 7;
constexpr int Shl = 4, Shr = 5;
constexpr int CcE = 0x4, CcNE = 0x5, CcL = 0xC;

// SSE2 registers of the routine.
constexpr int XSrc = 0, XDst = 1, XT0 = 2, XT1 = 3, XT2 = 4, XT3 = 5;
constexpr int XWeight = 8, XDestWeight = 9, XEven = 10, XOutMask = 11, XKeep = 12, XKey = 13, XOdd = 14,
              XDestWeightOdd = 15;

int Off(std::size_t o) { return static_cast<int>(o); }
#define STATE(field) Off(offsetof(TDXRMachineState, field))
TX64Mem B(int off) { return Mem(RegBase, off); }

// 66 0F xx /r on two xmm registers; Dest is the ModRM reg field.
void Sse(TCodeWriter& W, std::uint8_t Op, int Dest, int Src) {
  W.Byte(0x66);
  W.RR({0x0F, Op}, Dest, Src);
}
void SseImm(TCodeWriter& W, std::uint8_t Op, int Reg, int Rm, std::uint8_t Imm) {
  W.Byte(0x66);
  W.RR({0x0F, Op}, Reg, Rm);
  W.Byte(Imm);
}
void MovdXM(TCodeWriter& W, int X, const TX64Mem& M) {
  W.Byte(0x66);
  W.RM({0x0F, 0x6E}, X, M);
}
void MovdMX(TCodeWriter& W, const TX64Mem& M, int X) {
  W.Byte(0x66);
  W.RM({0x0F, 0x7E}, X, M);
}
void MovdquXM(TCodeWriter& W, int X, const TX64Mem& M) {
  W.Byte(0xF3);
  W.RM({0x0F, 0x6F}, X, M);
}
void MovdquMX(TCodeWriter& W, const TX64Mem& M, int X) {
  W.Byte(0xF3);
  W.RM({0x0F, 0x7F}, X, M);
}
void Movdqa(TCodeWriter& W, int D, int S) { Sse(W, 0x6F, D, S); }
void Punpckldq(TCodeWriter& W, int D, int S) { Sse(W, 0x62, D, S); }
void Punpcklqdq(TCodeWriter& W, int D, int S) { Sse(W, 0x6C, D, S); }
void Pmullw(TCodeWriter& W, int D, int S) { Sse(W, 0xD5, D, S); }
void Paddw(TCodeWriter& W, int D, int S) { Sse(W, 0xFD, D, S); }
void Pand(TCodeWriter& W, int D, int S) { Sse(W, 0xDB, D, S); }
void Pandn(TCodeWriter& W, int D, int S) { Sse(W, 0xDF, D, S); }
void Por(TCodeWriter& W, int D, int S) { Sse(W, 0xEB, D, S); }
void Pcmpeqd(TCodeWriter& W, int D, int S) { Sse(W, 0x76, D, S); }
void PsrlwI(TCodeWriter& W, int X, int Count) { SseImm(W, 0x71, 2, X, static_cast<std::uint8_t>(Count)); }
void PsllwI(TCodeWriter& W, int X, int Count) { SseImm(W, 0x71, 6, X, static_cast<std::uint8_t>(Count)); }

bool ByteChannel(DWORD Mask) { return Mask == 0xFF || Mask == 0xFF00 || Mask == 0xFF0000 || Mask == 0xFF000000u; }

int LaneOf(DWORD Mask) { return Mask == 0xFF ? 0 : Mask == 0xFF00 ? 1 : Mask == 0xFF0000 ? 2 : 3; }

// The bytes a 32-bit surface's rows cover, whatever the sign of its pitch.
void RowSpan(const TRenderSurface& S, std::uintptr_t& Low, std::uintptr_t& High) {
  const std::uintptr_t bits = reinterpret_cast<std::uintptr_t>(S.Bits);
  const std::uintptr_t pitch = static_cast<std::uintptr_t>(S.Pitch < 0 ? -std::int64_t{S.Pitch} : S.Pitch);
  const std::uintptr_t rows = S.Height > 0 ? static_cast<std::uintptr_t>(S.Height - 1) : 0;
  Low = S.Pitch < 0 ? bits - rows * pitch : bits;
  High = Low + rows * pitch + static_cast<std::uintptr_t>(S.Width > 0 ? S.Width : 0) * 4;
}

// A texture sharing memory with the destination is read pixel by pixel,
// after the writes before it, as the per-step code reads it.
bool SharesMemory(const TRenderSurface& A, const TRenderSurface& B) {
  std::uintptr_t aLow, aHigh, bLow, bHigh;
  RowSpan(A, aLow, aHigh);
  RowSpan(B, bLow, bHigh);
  return aLow < bHigh && bLow < aHigh;
}

const TRenderTextureSlot* DirectSlot(const TDXRMachine& M, const TRenderNode* N) {
  if (!N || N->Kind != rnTexture || N->Index >= RenderSlotLimit) return nullptr;
  const TRenderTextureSlot& slot = M.TextureSlots[N->Index];
  if (!slot.Surface || slot.Filter != 0 || slot.Addressing != raDirect || !slot.ConstantStep || slot.DV != 0)
    return nullptr;
  if (slot.Surface->BitCount != 32) return nullptr;
  return &slot;
}

bool Shape(const TDXRMachine& M, const TRenderNode* Root, TPackedSpan& S) {
  if (!Root || !M.Dest || M.DitherActive || !CpuHasMMX) return false;
  const TRenderSurface& dest = *M.Dest;
  if (dest.BitCount != 32) return false;
  const TRenderNode* texture = Root;
  if (Root->Kind == rnBlend) {
    const int op = static_cast<int>(Root->Index & 0xFF);
    if (op != 10 && op != 11) return false;
    if (!Root->Right || Root->Right->Kind != rnDest) return false;
    texture = Root->Left;
    S.Blend = true;
  }
  const TRenderTextureSlot* slot = DirectSlot(M, texture);
  if (!slot) return false;
  const TRenderSurface& tex = *slot->Surface;
  if (SharesMemory(tex, dest)) return false;
  S.Slot = static_cast<int>(texture->Index);
  S.Step = slot->DU;
  if (S.Blend) {
    // Channels of one byte each at the same places on both sides, no alpha.
    if (tex.Kind != rkRGB || dest.Kind != rkRGB || tex.Alpha.Mask || dest.Alpha.Mask) return false;
    for (int c = 0; c < 3; ++c) {
      const DWORD m = tex.Channel(c).Mask;
      if (!ByteChannel(m) || dest.Channel(c).Mask != m) return false;
    }
    const TRenderChannelSet set = Root->Channels;
    if (set & rcAlpha) return false;
    for (int c = 0; c < 3; ++c) {
      if (!(set & (1 << c))) continue;
      S.OutMask |= dest.Channel(c).Mask;
      // Red and green form a pair when both are drawn; blue pairs with
      // alpha, which is never drawn here.
      const bool paired = c < 2 && (set & rcRed) && (set & rcGreen);
      if (!paired) S.LoneLanes |= std::uint64_t{1} << (16 * LaneOf(dest.Channel(c).Mask));
    }
  } else {
    // A copy of the texel's own bits, as the same-format path writes it.
    if (!SameSurfaceFormat(dest, tex)) return false;
    S.OutMask = 0xFFFFFFFFu;
  }
  if (slot->Transparent) {
    S.Keyed = true;
    S.Key = slot->ColorKey;
    const DWORD keep = ~tex.AlphaChannel().Mask;
    if (keep == 0xFFFFFFFFu) {
      // The key test clears the texel's top byte, in the written value too.
      S.Keep = 0x00FFFFFF;
      if (!S.Blend) S.OutMask = 0x00FFFFFF;
    } else {
      S.Keep = keep & 0x00FFFFFFu;
    }
  }
  return true;
}

// XSrc, XDst: up to four source and destination pixels. Leaves the pixels
// to write in XSrc.
void EmitBody(TCodeWriter& W, const TPackedSpan& S) {
  if (S.Keyed) {
    Movdqa(W, XT3, XSrc);
    Pand(W, XT3, XKeep);
    Pcmpeqd(W, XT3, XKey);  // all ones where the texel is the key
  }
  if (S.Blend) {
    // Per channel (x a + y w) >> 8 in 16-bit lanes: x a <= 65025 and
    // y w <= 65280 with w = 256 - a, so neither the products nor their sum
    // leave 16 bits. A pair computes x a + y (255 - a) and keeps the high
    // byte; a lone channel y + ((x - y) a >> 8) with a floor shift, which
    // is (x a + y (256 - a)) >> 8. The even bytes of the pixels are worked
    // in the low halves of the lanes, the odd ones shifted down, so that no
    // byte is unpacked or packed.
    Movdqa(W, XT0, XSrc);
    PsrlwI(W, XT0, 8);
    Pand(W, XSrc, XEven);
    Movdqa(W, XT1, XDst);
    PsrlwI(W, XT1, 8);
    Movdqa(W, XT2, XDst);
    Pand(W, XT2, XEven);
    Pmullw(W, XSrc, XWeight);
    Pmullw(W, XT0, XWeight);
    Pmullw(W, XT2, XDestWeight);
    Pmullw(W, XT1, XDestWeightOdd);
    Paddw(W, XSrc, XT2);
    Paddw(W, XT0, XT1);
    PsrlwI(W, XSrc, 8);
    Pand(W, XT0, XOdd);
    Por(W, XSrc, XT0);
  }
  if (S.OutMask != 0xFFFFFFFFu) Pand(W, XSrc, XOutMask);
  if (S.Keyed) {
    // Keyed texels leave the destination as it was.
    Pand(W, XDst, XT3);
    Pandn(W, XT3, XSrc);
    Por(W, XT3, XDst);
    Movdqa(W, XSrc, XT3);
  }
}

// X := the texel at U (in Reg), then U += step; lane 0 only.
void EmitGather(TCodeWriter& W, const TPackedSpan& S, int Reg, int X) {
  W.MovRR32(RDX, Reg);
  W.ShiftRI(Shr, RDX, 16);
  MovdXM(W, X, MemIdx(R9, RDX, 4));
  if (S.Step) W.AluRI(Add, Reg, S.Step);
}

}  // namespace

bool PackedSpanFits(const TDXRMachine& M, const TRenderNode* Root) {
  TPackedSpan s;
  return Shape(M, Root, s);
}

bool DescribePackedSpan(const TDXRMachine& M, const TRenderNode* Root, TPackedSpan& s) {
  s = TPackedSpan{};
  if (!Shape(M, Root, s)) return false;
  // The weight is the byte the blend steps read: the alpha of the texture's
  // operand, set while the steps were generated. The span's constants take
  // its value from there.
  if (s.Blend) {
    for (const TRenderStep& step : M.Steps) {
      if (step.Op != TRenderStepOp::AlphaPair && step.Op != TRenderStepOp::AlphaChan) continue;
      if (s.WeightAt >= 0 && (step.A + 7 != s.WeightAt || step.Flag != s.Inverse)) return false;
      s.WeightAt = step.A + 7;
      s.Inverse = step.Flag;
    }
    if (s.WeightAt < 0) return false;
  }
  s.DestPitch = M.Dest->Pitch;
  s.TexturePitch = M.TextureSlots[s.Slot].Surface->Pitch;
  return true;
}

void SetPackedSpanConstants(TDXRMachine& M, const TPackedSpan& s) {
  auto fillWords = [](BYTE* v, std::uint64_t fourWords) {
    for (int i = 0; i < 8; ++i) {
      const WORD w = static_cast<WORD>(fourWords >> (16 * (i % 4)));
      std::memcpy(v + 2 * i, &w, 2);
    }
  };
  auto fillDwords = [](BYTE* v, DWORD d) {
    for (int i = 0; i < 4; ++i) std::memcpy(v + 4 * i, &d, 4);
  };
  if (s.Blend) {
    const BYTE* state = reinterpret_cast<const BYTE*>(static_cast<const TDXRMachineState*>(&M));
    std::uint64_t a = state[s.WeightAt];
    if (s.Inverse) a = 255 - a;
    const std::uint64_t all = 0x0001000100010001ull;
    fillWords(M.SpanWeight, a * all);
    // Destination weights of pixel bytes 0 and 2 (even) and 1 and 3 (odd).
    const std::uint64_t lanes = (255 - a) * all + s.LoneLanes;
    auto word = [lanes](int lane) { return (lanes >> (16 * lane)) & 0xFFFF; };
    fillWords(M.SpanDestWeight, word(0) | word(2) << 16 | word(0) << 32 | word(2) << 48);
    fillWords(M.SpanDestWeightOdd, word(1) | word(3) << 16 | word(1) << 32 | word(3) << 48);
  }
  fillDwords(M.SpanOutMask, s.OutMask);
  fillDwords(M.SpanKeep, s.Keep);
  fillDwords(M.SpanKey, s.Key);
}

namespace {

// Loads the four texels from U (in Reg) into X, stepping Reg.
void EmitGatherQuad(TCodeWriter& W, const TPackedSpan& s, int Reg, int X) {
  EmitGather(W, s, Reg, X);
  EmitGather(W, s, Reg, XT0);
  EmitGather(W, s, Reg, XT1);
  EmitGather(W, s, Reg, XT2);
  Punpckldq(W, X, XT0);
  Punpckldq(W, XT1, XT2);
  Punpcklqdq(W, X, XT1);
}

}  // namespace

bool EmitPackedSpan(TCodeWriter& W, const TDXRMachine& M, const TPackedSpan& s) {
  const int u = StateOffset(M, M.TextureSlots[s.Slot].U);
  const int texBits = StateOffset(M, M.TextureBits[s.Slot]);
  const bool contiguous = s.Step == 0x10000;
  const bool readsDest = s.Blend || s.Keyed;
  // The last four pixels of a span, read before the span is drawn.
  constexpr int XLastSrc = 6, XLastDst = 7;

  // System V entry: count in edi, data block in rsi.
  W.MovRR32(RegCount, RDI);
  // Destination address: DestBits + Y * pitch + X * 4.
  W.MovsxdRM(RCX, B(STATE(Y)));
  W.ImulRRI(RCX, RCX, static_cast<std::int32_t>(s.DestPitch), true);
  W.MovsxdRM(RDX, B(STATE(X)));
  W.ShiftRI(Shl, RDX, 2, true);
  W.MovRM64(RDI, B(STATE(DestBits)));
  W.AluRR(Add, RDI, RCX, true);
  W.AluRR(Add, RDI, RDX, true);
  // Texture row: TextureBits + (V >> 16) * pitch; U in r10d.
  W.MovRM32(RDX, B(u + 4));
  W.ShiftRI(Shr, RDX, 16);
  W.ImulRRI(RDX, RDX, static_cast<std::int32_t>(s.TexturePitch), true);
  W.MovRM64(R9, B(texBits));
  W.AluRR(Add, R9, RDX, true);
  W.MovRM32(R10, B(u));
  // U after the span, as the per-pixel steps leave it: U + count * step.
  W.ImulRRI(RAX, RegCount, static_cast<std::int32_t>(s.Step));
  W.AluRR(Add, RAX, R10);
  W.MovMR32(B(u), RAX);
  if (contiguous) {
    // Whole texels in a row: the texture pointer walks with the destination.
    W.MovRR32(RDX, R10);
    W.ShiftRI(Shr, RDX, 16);
    W.RM({0x8D}, R9, MemIdx(R9, RDX, 4), true);  // lea r9, [r9 + rdx*4]
  }
  if (s.Blend) {
    MovdquXM(W, XWeight, B(STATE(SpanWeight)));
    MovdquXM(W, XDestWeight, B(STATE(SpanDestWeight)));
    MovdquXM(W, XDestWeightOdd, B(STATE(SpanDestWeightOdd)));
    // 0x00FF and 0xFF00 in every lane.
    Pcmpeqd(W, XEven, XEven);
    Movdqa(W, XOdd, XEven);
    PsrlwI(W, XEven, 8);
    PsllwI(W, XOdd, 8);
  }
  if (s.OutMask != 0xFFFFFFFFu) MovdquXM(W, XOutMask, B(STATE(SpanOutMask)));
  if (s.Keyed) {
    MovdquXM(W, XKeep, B(STATE(SpanKeep)));
    MovdquXM(W, XKey, B(STATE(SpanKey)));
  }

  W.AluRI(Cmp, RegCount, 4);
  const std::size_t toSingles = W.JccForward(CcL);
  // Spans of four pixels or more end with a pass over their last four,
  // which may overlap the pass before. Each pixel depends only on its own
  // texel and its destination value from before the span, both read here
  // first, so the pixels written twice get the same value both times.
  W.RM({0x8D}, RAX, MemIdx(RegCount, -1, 1, -4), true);  // lea rax, [r8 - 4]
  if (contiguous) {
    MovdquXM(W, XLastSrc, MemIdx(R9, RAX, 4));
  } else {
    W.ImulRRI(R11, RAX, static_cast<std::int32_t>(s.Step));
    W.AluRR(Add, R11, R10);
    EmitGatherQuad(W, s, R11, XLastSrc);
  }
  if (readsDest) MovdquXM(W, XLastDst, MemIdx(RDI, RAX, 4));

  const std::size_t quad = W.Pos();
  if (contiguous) {
    MovdquXM(W, XSrc, Mem(R9));
    W.AluRI(Add, R9, 16, true);
  } else {
    EmitGatherQuad(W, s, R10, XSrc);
  }
  if (readsDest) MovdquXM(W, XDst, Mem(RDI));
  EmitBody(W, s);
  MovdquMX(W, Mem(RDI), XSrc);
  W.AluRI(Add, RDI, 16, true);
  W.AluRI(Sub, RegCount, 4);
  W.AluRI(Cmp, RegCount, 4);
  W.Jcc(0xD, quad);  // greater or equal
  W.AluRI(Cmp, RegCount, 0);
  const std::size_t whole = W.JccForward(CcE);
  W.RM({0x8D}, RDI, MemIdx(RDI, RegCount, 4, -16), true);  // lea rdi, [rdi + r8*4 - 16]
  Movdqa(W, XSrc, XLastSrc);
  if (readsDest) Movdqa(W, XDst, XLastDst);
  EmitBody(W, s);
  MovdquMX(W, Mem(RDI), XSrc);
  W.Bind(whole);
  W.Ret();

  // Spans of one to three pixels, one by one.
  W.Bind(toSingles);
  const std::size_t single = W.Pos();
  if (contiguous) {
    MovdXM(W, XSrc, Mem(R9));
    W.AluRI(Add, R9, 4, true);
  } else {
    EmitGather(W, s, R10, XSrc);
  }
  if (readsDest) MovdXM(W, XDst, Mem(RDI));
  EmitBody(W, s);
  MovdMX(W, Mem(RDI), XSrc);
  W.AluRI(Add, RDI, 4, true);
  W.DecR(RegCount);
  W.Jcc(CcNE, single);
  W.Ret();
  return !W.Overflow();
}
