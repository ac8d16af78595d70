#include "render/RenderBlend.h"

#include <cstring>

using Op = TRenderStepOp;

namespace {

const BYTE* StateBytes(TRenderGenContext& Ctx) {
  return reinterpret_cast<const BYTE*>(static_cast<const TDXRMachineState*>(&Ctx.M));
}

// High byte of channel c of the colour at Offset, read at generation time.
BYTE HighByteNow(TRenderGenContext& Ctx, int Offset, int c) { return StateBytes(Ctx)[Offset + 2 * c + 1]; }

DWORD DwordNow(TRenderGenContext& Ctx, int Offset) {
  DWORD v;
  std::memcpy(&v, StateBytes(Ctx) + Offset, 4);
  return v;
}

void Step(TRenderGenContext& Ctx, Op o, int Result, int X, int Y, int Channel, bool Flag = false, DWORD Imm = 0,
          bool Mmx = false) {
  TRenderStep s;
  s.Op = o;
  s.Out = Result;
  s.A = X;
  s.B = Y;
  s.Chan = Channel;
  s.Flag = Flag;
  s.Imm = Imm;
  s.Mmx = Mmx;
  Ctx.Emit(s);
}

bool Has(TRenderChannelSet C, int c) { return (C >> c) & 1; }

}  // namespace

void EmitAddClamp(TRenderGenContext& Ctx, int Result, int X, int Y, int Channel) {
  Step(Ctx, Op::AddClamp, Result, X, Y, Channel);
}
void EmitAddClampConst(TRenderGenContext& Ctx, int Result, int V, BYTE K, int Channel) {
  Step(Ctx, Op::AddClampConst, Result, V, 0, Channel, false, K);
}
void EmitSubClamp(TRenderGenContext& Ctx, int Result, int X, int Y, int Channel) {
  Step(Ctx, Op::SubClamp, Result, X, Y, Channel);
}
void EmitConstSubClamp(TRenderGenContext& Ctx, int Result, BYTE K, int Y, int Channel) {
  Step(Ctx, Op::ConstSubClamp, Result, 0, Y, Channel, false, K);
}
void EmitSubClampConst(TRenderGenContext& Ctx, int Result, int X, BYTE K, int Channel) {
  Step(Ctx, Op::SubClampConst, Result, X, 0, Channel, false, K);
}

void EmitBlendZero(TRenderGenContext& Ctx, int Result) { Step(Ctx, Op::Zero, Result, 0, 0, 0); }

void EmitBlendCopy(TRenderGenContext& Ctx, int Result, int X, TRenderChannelSet LC) {
  if (X == Result) return;
  if (CpuHasMMX) {
    Step(Ctx, Op::Copy, Result, X, 0, 0, false, 0, true);
  } else if (LC == rcAll) {
    TRenderStep s;
    s.Op = Op::StoreImm;
    s.Out = Result;
    s.Imm = DwordNow(Ctx, X);
    s.Imm2 = DwordNow(Ctx, X + 4);
    Ctx.Emit(s);
  } else {
    Step(Ctx, Op::Copy, Result, X, 0, 0);
  }
}

static void AddChannels(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C, TRenderChannelSet LC,
                        TRenderChannelSet RC) {
  for (int c = 0; c < 4; ++c) {
    if (!Has(C, c)) continue;
    if (Has(LC, c))
      EmitAddClampConst(Ctx, Result, Y, HighByteNow(Ctx, X, c), c);
    else if (Has(RC, c))
      EmitAddClampConst(Ctx, Result, X, HighByteNow(Ctx, Y, c), c);
    else
      EmitAddClamp(Ctx, Result, X, Y, c);
  }
}

void EmitBlendAdd(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C, TRenderChannelSet LC,
                  TRenderChannelSet RC) {
  if (CpuHasMMX)
    Step(Ctx, Op::PackedAdd, Result, X, Y, 0, false, 0, true);
  else
    AddChannels(Ctx, Result, X, Y, C, LC, RC);
}

void EmitBlendSub(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C, TRenderChannelSet LC,
                  TRenderChannelSet RC) {
  if (CpuHasMMX) {
    Step(Ctx, Op::PackedSub, Result, X, Y, 0, false, 0, true);
    return;
  }
  for (int c = 0; c < 4; ++c) {
    if (!Has(C, c)) continue;
    if (Has(LC, c))
      EmitConstSubClamp(Ctx, Result, HighByteNow(Ctx, X, c), Y, c);
    else if (Has(RC, c))
      EmitSubClampConst(Ctx, Result, X, HighByteNow(Ctx, Y, c), c);
    else
      EmitSubClamp(Ctx, Result, X, Y, c);
  }
}

void EmitBlendMul(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C) {
  if (CpuHasMMX) {
    Step(Ctx, Op::PackedMul, Result, X, Y, 0, false, 0, true);
    return;
  }
  for (int c = 0; c < 4; ++c)
    if (Has(C, c)) Step(Ctx, Op::MulChan, Result, X, Y, c);
}

void EmitBlendPremultiply(TRenderGenContext& Ctx, int Result, int X, TRenderChannelSet C) {
  for (int pair = 0; pair < 2; ++pair) {
    const int c0 = 2 * pair, c1 = c0 + 1;
    if (Has(C, c0) && Has(C, c1)) {
      Step(Ctx, Op::PremulPair, Result, X, 0, pair);
    } else {
      if (Has(C, c0)) Step(Ctx, Op::ScaleChan, Result, X, 0, c0);
      if (Has(C, c1)) Step(Ctx, Op::ScaleChan, Result, X, 0, c1);
    }
  }
}

void EmitBlendAddAlpha(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C) {
  for (int c = 0; c < 4; ++c)
    if (Has(C, c)) Step(Ctx, Op::AddAlphaChan, Result, X, Y, c);
}

void EmitBlendSubAlpha(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C) {
  for (int c = 0; c < 4; ++c)
    if (Has(C, c)) Step(Ctx, Op::SubAlphaChan, Result, X, Y, c);
}

static void AlphaChannels(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C, bool Inverse) {
  for (int pair = 0; pair < 2; ++pair) {
    const int c0 = 2 * pair, c1 = c0 + 1;
    if (Has(C, c0) && Has(C, c1)) {
      Step(Ctx, Op::AlphaPair, Result, X, Y, pair, Inverse);
    } else {
      if (Has(C, c0)) Step(Ctx, Op::AlphaChan, Result, X, Y, c0, Inverse);
      if (Has(C, c1)) Step(Ctx, Op::AlphaChan, Result, X, Y, c1, Inverse);
    }
  }
}

void EmitBlendAlpha(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C) {
  AlphaChannels(Ctx, Result, X, Y, C, false);
}

void EmitBlendAlphaInv(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C) {
  AlphaChannels(Ctx, Result, X, Y, C, true);
}

void EmitBlendColorAlpha(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C) {
  if ((C & rcRGB) == rcRGB) {
    if (Result != X) Step(Ctx, Op::Copy, Result, X, 0, 0, false, 0, CpuHasMMX);
  } else if (Result != X) {
    // Only some colour channels asked for: copy those one by one.
    for (int c = 0; c < 3; ++c)
      if (Has(C, c)) Step(Ctx, Op::CopyWord, Result, X, 0, c);
  }
  if (Has(C, 3)) Step(Ctx, Op::CopyHigh, Result, Y, 0, 3);
}

void EmitBlendModulate(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C) {
  for (int c = 0; c < 3; ++c)
    if (Has(C, c)) Step(Ctx, Op::MulChan, Result, X, Y, c);
  if (Has(C, 3) || Result != X) Step(Ctx, Op::CopyHigh, Result, X, 0, 3);
}

void EmitBlendAddColor(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C, TRenderChannelSet LC,
                       TRenderChannelSet RC) {
  if (CpuHasMMX) {
    Step(Ctx, Op::PackedAdd, Result, X, Y, 0, false, 0, true);
    if (Has(C, 3)) Step(Ctx, Op::CopyHigh, Result, Y, 0, 3);
    return;
  }
  AddChannels(Ctx, Result, X, Y, C & rcRGB, LC, RC);
  if (Has(C, 3) && Y != Result) Step(Ctx, Op::CopyHigh, Result, Y, 0, 3);
}

void EmitBlendOp(TRenderGenContext& Ctx, TRenderBlendOp Operation, int Result, int X, int Y, TRenderChannelSet C,
                 TRenderChannelSet LC, TRenderChannelSet RC) {
  if (!C || Operation > rbHighestOp) return;
  switch (Operation) {
    case 0: EmitBlendZero(Ctx, Result); break;
    case 1: EmitBlendCopy(Ctx, Result, X, LC); break;
    case 2: EmitBlendCopy(Ctx, Result, Y, RC); break;
    case 3: EmitBlendAdd(Ctx, Result, X, Y, C, LC, RC); break;
    case 4: EmitBlendSub(Ctx, Result, X, Y, C, LC, RC); break;
    case 5: EmitBlendSub(Ctx, Result, Y, X, C, RC, LC); break;
    case 6: EmitBlendMul(Ctx, Result, X, Y, C); break;
    case 7: EmitBlendPremultiply(Ctx, Result, X, C); break;
    case 8: EmitBlendAddAlpha(Ctx, Result, X, Y, C); break;
    case 9: EmitBlendSubAlpha(Ctx, Result, X, Y, C); break;
    case 10: EmitBlendAlpha(Ctx, Result, X, Y, C); break;
    case 11: EmitBlendAlphaInv(Ctx, Result, X, Y, C); break;
    case 12: EmitBlendColorAlpha(Ctx, Result, X, Y, C); break;
    case 13: EmitBlendModulate(Ctx, Result, X, Y, C); break;
    case 14: EmitBlendAddColor(Ctx, Result, X, Y, C, LC, RC); break;
  }
}
