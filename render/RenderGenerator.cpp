#include "render/RenderGenerator.h"

#include <cstring>

#include "render/RenderBlend.h"
#include "render/RenderSpan.h"

using Op = TRenderStepOp;

int TRenderGenContext::Emit(const TRenderStep& S) {
  const int index = Here();
  M.Steps.push_back(S);
  if (S.Mmx) M.MMXUsed = true;
  if (W) {
    StepCode.push_back(W->Pos());
    EmitNativeStep(*W, S, StepCode);
  }
  return index;
}

int TRenderGenContext::Offset(const void* Field) const {
  return static_cast<int>(static_cast<const BYTE*>(Field) -
                          reinterpret_cast<const BYTE*>(static_cast<const TDXRMachineState*>(&M)));
}

// The step records its target; the instruction writer picks the 8-bit or the
// 32-bit displacement by the distance, so the short and near emitters share it.
void EmitBranch(TRenderGenContext& Ctx, int Condition, int Target) {
  if (Condition <= 0 || Condition > 7) return;
  TRenderStep s;
  s.Op = Op::Branch;
  s.Cond = Condition;
  s.Target = Target;
  Ctx.Emit(s);
}
void EmitJcc(TRenderGenContext& Ctx, int Condition, int Target) { EmitBranch(Ctx, Condition, Target); }
void EmitNearJcc(TRenderGenContext& Ctx, int Condition, int Target) { EmitBranch(Ctx, Condition, Target); }
void EmitJmp(TRenderGenContext& Ctx, int Target) { EmitBranch(Ctx, 7, Target); }
void EmitShortJump(TRenderGenContext& Ctx, int Target) { EmitBranch(Ctx, 7, Target); }
void EmitNearJump(TRenderGenContext& Ctx, int Target) { EmitBranch(Ctx, 7, Target); }

void EmitDestAddress(TRenderGenContext& Ctx) {
  TRenderStep s;
  s.Op = Op::DestAddress;
  s.Pitch = Ctx.M.Dest->Pitch;
  s.BitCount = static_cast<int>(Ctx.M.Dest->BitCount);
  Ctx.Emit(s);
}

void EmitReadDestPixel(TRenderGenContext& Ctx) {
  TRenderStep s;
  s.Op = Op::ReadDest;
  s.BitCount = static_cast<int>(Ctx.M.Dest->BitCount);
  Ctx.Emit(s);
}

void EmitWriteDestPixel(TRenderGenContext& Ctx) {
  TRenderStep s;
  s.Op = Op::WriteDest;
  s.BitCount = static_cast<int>(Ctx.M.Dest->BitCount);
  Ctx.Emit(s);
}

void EmitAdvanceDest(TRenderGenContext& Ctx) {
  TRenderStep s;
  s.Op = Op::AdvanceDest;
  s.Imm = Ctx.M.Dest->BitCount / 8;
  Ctx.Emit(s);
}

static void EmitTexel(TRenderGenContext& Ctx, int Slot, int UVOffset, bool Wrap, bool Clamp) {
  const TRenderSurface& surf = *Ctx.M.TextureSlots[Slot].Surface;
  TRenderStep s;
  s.Op = Op::Texel;
  s.Flag = Wrap;
  s.Clamp = Clamp && !Wrap;
  s.A = UVOffset;
  s.Ptr = Ctx.Offset(&Ctx.M.TextureBits[Slot]);
  s.BitCount = static_cast<int>(surf.BitCount);
  s.Pitch = surf.Pitch;
  s.PitchBits = static_cast<int>(surf.PitchBits);
  s.Mask = surf.WidthMask;
  s.Mask2 = surf.HeightMask;
  s.MaxCol = static_cast<DWORD>(surf.Width - 1);
  s.MaxRow = static_cast<DWORD>(surf.Height - 1);
  const int bc = s.BitCount;
  if (bc != 1 && bc != 2 && bc != 4 && bc != 8 && bc != 16 && bc != 24 && bc != 32) return;
  Ctx.Emit(s);
}

void EmitTexelAddressWrap(TRenderGenContext& Ctx, int Slot, int UVOffset) {
  EmitTexel(Ctx, Slot, UVOffset, true, false);
}

// ClampToEdge keeps the neighbours of bilinear sampling inside the surface.
void EmitTexelAddressDirect(TRenderGenContext& Ctx, int Slot, int UVOffset, bool ClampToEdge) {
  EmitTexel(Ctx, Slot, UVOffset, false, ClampToEdge);
}

void EmitTexelAddress(TRenderGenContext& Ctx, int Slot, int UVOffset, bool ClampToEdge) {
  const BYTE addressing = Ctx.M.TextureSlots[Slot].Addressing;
  if (addressing == raWrap)
    EmitTexelAddressWrap(Ctx, Slot, UVOffset);
  else if (addressing == raDirect)
    EmitTexelAddressDirect(Ctx, Slot, UVOffset, ClampToEdge);
}

void EmitDecodePixel(TRenderGenContext& Ctx, const TRenderSurface& Surface, int PaletteField, int Temp,
                     const TRenderColor& Default, TRenderChannelSet C) {
  if (!C) return;
  TRenderStep s;
  s.Op = Op::Decode;
  s.Out = Temp;
  s.Set = C;
  s.Kind = Surface.Kind;
  s.Ptr = PaletteField;
  for (int c = 0; c < 4; ++c) s.Ch[c] = Surface.Channel(c);
  s.Def[0] = Default.Red;
  s.Def[1] = Default.Green;
  s.Def[2] = Default.Blue;
  s.Def[3] = Default.Alpha;
  Ctx.Emit(s);
}

static void EmitEncode(TRenderGenContext& Ctx, const TRenderSurface& Surface, int Color, TRenderChannelSet C,
                       bool Dither) {
  TRenderStep s;
  s.Op = Op::Encode;
  s.A = Color;
  s.Set = C;
  s.Flag = Dither;
  for (int c = 0; c < 4; ++c) s.Ch[c] = Surface.Channel(c);
  Ctx.Emit(s);
}

void EmitEncodePixel(TRenderGenContext& Ctx, const TRenderSurface& Surface, int Color, TRenderChannelSet C) {
  EmitEncode(Ctx, Surface, Color, C, false);
}

void EmitEncodePixelDither(TRenderGenContext& Ctx, const TRenderSurface& Surface, int Color, TRenderChannelSet C) {
  EmitEncode(Ctx, Surface, Color, C, true);
}

void EmitEncodeSelect(TRenderGenContext& Ctx, const TRenderSurface& Surface, int Color, TRenderChannelSet C) {
  if (Ctx.M.DitherActive)
    EmitEncodePixelDither(Ctx, Surface, Color, C);
  else
    EmitEncodePixel(Ctx, Surface, Color, C);
}

void EmitColorKeyTest(TRenderGenContext& Ctx, int Slot) {
  const TRenderTextureSlot& slot = Ctx.M.TextureSlots[Slot];
  if (!slot.Transparent) return;
  const TRenderSurface& surf = *slot.Surface;
  DWORD keep = ~surf.AlphaChannel().Mask;
  TRenderStep s;
  s.Op = Op::KeyTest;
  s.Imm = slot.ColorKey;
  if (keep == 0xFFFFFFFFu) {
    s.Flag = surf.BitCount == 32;  // the texel's top byte is cleared in the pixel value itself
    s.Mask = 0xFFFFFFFFu;
  } else {
    if (surf.BitCount == 32) keep &= 0x00FFFFFFu;
    s.Mask = keep;
  }
  Ctx.Emit(s);
  EmitBranch(Ctx, 2, Ctx.LoopStep);
}

static int PaletteField(TRenderGenContext& Ctx, int Slot) { return Ctx.Offset(&Ctx.M.TexturePalette[Slot]); }

void EmitTextureSample(TRenderGenContext& Ctx, int Temp, int Slot, TRenderChannelSet C) {
  if (!C) return;
  TRenderTextureSlot& slot = Ctx.M.TextureSlots[Slot];
  EmitTexelAddress(Ctx, Slot, Ctx.Offset(&slot.U));
  EmitColorKeyTest(Ctx, Slot);
  EmitDecodePixel(Ctx, *slot.Surface, PaletteField(Ctx, Slot), Temp, slot.Default, C);
}

static void EmitAddUV(TRenderGenContext& Ctx, int Out, int From, DWORD DU, DWORD DV) {
  TRenderStep s;
  s.Op = Op::AddUV;
  s.Out = Out;
  s.A = From;
  s.Imm = DU;
  s.Imm2 = DV;
  Ctx.Emit(s);
}

void EmitTextureSampleBilinear(TRenderGenContext& Ctx, int Temp, int Slot, TRenderChannelSet C) {
  if (!C) return;
  TDXRMachine& m = Ctx.M;
  TRenderTextureSlot& slot = m.TextureSlots[Slot];
  const TRenderSurface& surf = *slot.Surface;
  const int pal = PaletteField(Ctx, Slot);
  const int uv = Ctx.Offset(&slot.U);
  const int scratch = Ctx.Offset(&m.BilinearScratch.U);
  EmitTexelAddress(Ctx, Slot, uv);
  EmitColorKeyTest(Ctx, Slot);
  EmitDecodePixel(Ctx, surf, pal, Ctx.Offset(&m.BilinearScratch.A), slot.Default, C);
  EmitAddUV(Ctx, scratch, uv, 65536, 0);
  EmitTexelAddress(Ctx, Slot, scratch, true);
  EmitDecodePixel(Ctx, surf, pal, Ctx.Offset(&m.BilinearScratch.B), slot.Default, C);
  EmitAddUV(Ctx, scratch, scratch, 0, 65536);
  EmitTexelAddress(Ctx, Slot, scratch, true);
  EmitDecodePixel(Ctx, surf, pal, Ctx.Offset(&m.BilinearScratch.D), slot.Default, C);
  EmitAddUV(Ctx, scratch, scratch, static_cast<DWORD>(-65536), 0);
  EmitTexelAddress(Ctx, Slot, scratch, true);
  EmitDecodePixel(Ctx, surf, pal, Ctx.Offset(&m.BilinearScratch.C), slot.Default, C);
  TRenderStep s;
  s.Op = Op::BilinearMix;
  s.Out = Temp;
  s.A = uv;
  s.Set = C;
  Ctx.Emit(s);
}

void EmitTextureSampleSelect(TRenderGenContext& Ctx, int Temp, int Slot, TRenderChannelSet C) {
  if (Ctx.M.TextureSlots[Slot].Filter == 1)
    EmitTextureSampleBilinear(Ctx, Temp, Slot, C);
  else
    EmitTextureSample(Ctx, Temp, Slot, C);
}

void EmitStepX(TRenderGenContext& Ctx) {
  if (!Ctx.M.DitherActive) return;
  TRenderStep s;
  s.Op = Op::StepX;
  Ctx.Emit(s);
}

void EmitStepColors(TRenderGenContext& Ctx) {
  for (int i = 0; i < Ctx.M.UsedColorCount; ++i) {
    TRenderColorSlot& slot = Ctx.M.ColorSlots[Ctx.M.UsedColors[i]];
    if (!slot.Gradient) continue;
    TRenderStep s;
    s.Op = Op::StepColor;
    s.Mmx = CpuHasMMX;
    s.Out = Ctx.Offset(&slot.Color);
    s.A = Ctx.Offset(&slot.Delta);
    Ctx.Emit(s);
  }
}

void EmitStepTextures(TRenderGenContext& Ctx) {
  for (int i = 0; i < Ctx.M.UsedTextureCount; ++i) {
    TRenderTextureSlot& slot = Ctx.M.TextureSlots[Ctx.M.UsedTextures[i]];
    TRenderStep s;
    s.Out = Ctx.Offset(&slot.U);
    if (slot.ConstantStep) {
      if (!slot.DU && !slot.DV) continue;
      s.Op = Op::StepTextureConst;
      s.Imm = slot.DU;
      s.Imm2 = slot.DV;
    } else {
      s.Op = Op::StepTexture;
      s.Mmx = CpuHasMMX;
      s.A = Ctx.Offset(&slot.DU);
    }
    Ctx.Emit(s);
  }
}

int AllocColorTemp(TRenderGenContext& Ctx) {
  if (Ctx.TempCount >= RenderTempLimit) {
    Ctx.Failed = true;
    return Ctx.Offset(&Ctx.M.Temps[0]);
  }
  return Ctx.Offset(&Ctx.M.Temps[Ctx.TempCount++]);
}

namespace {
struct TOperand {
  int Offset = 0;
  TRenderChannelSet Constants = 0;
};

TOperand ResolveOperand(TRenderGenContext& Ctx, TRenderNode* N) {
  TDXRMachine& m = Ctx.M;
  TOperand o;
  o.Offset = Ctx.Offset(&m.ZeroColor);
  if (!N || N->Kind == rnZero) return o;
  switch (N->Kind) {
    case rnColor: o.Offset = Ctx.Offset(&m.ColorSlots[N->Index].Color); return o;
    case rnConstant:
      o.Offset = Ctx.Offset(&N->Constant);
      o.Constants = rcAll;
      return o;
    case rnTexture: {
      TRenderTextureSlot& slot = m.TextureSlots[N->Index];
      const TRenderChannelSet lacking = N->Channels & static_cast<TRenderChannelSet>(~slot.Channels);
      N->Channels &= static_cast<TRenderChannelSet>(~lacking);
      o.Constants = lacking;
      o.Offset = GenerateNode(Ctx, N);
      // The defaulted channels' words are set now; the routine never writes them.
      BYTE* t = reinterpret_cast<BYTE*>(static_cast<TDXRMachineState*>(&m)) + o.Offset;
      const WORD def[4] = {slot.Default.Red, slot.Default.Green, slot.Default.Blue, slot.Default.Alpha};
      for (int c = 0; c < 4; ++c)
        if (lacking & (1 << c)) std::memcpy(t + 2 * c, &def[c], 2);
      return o;
    }
    default: o.Offset = GenerateNode(Ctx, N); return o;
  }
}
}  // namespace

int GenerateNode(TRenderGenContext& Ctx, TRenderNode* N) {
  TDXRMachine& m = Ctx.M;
  const int t = AllocColorTemp(Ctx);
  const int zero = Ctx.Offset(&m.ZeroColor);
  switch (N->Kind) {
    case rnZero: EmitBlendOp(Ctx, 0, t, zero, zero, N->Channels, 0, 0); break;
    case rnColor: EmitBlendOp(Ctx, 1, t, Ctx.Offset(&m.ColorSlots[N->Index].Color), zero, N->Channels, 0, 0); break;
    case rnConstant: EmitBlendOp(Ctx, 1, t, Ctx.Offset(&N->Constant), zero, N->Channels, rcAll, 0); break;
    case rnTexture: EmitTextureSampleSelect(Ctx, t, static_cast<int>(N->Index), N->Channels); break;
    case rnDest:
      EmitReadDestPixel(Ctx);
      EmitDecodePixel(Ctx, *m.Dest, Ctx.Offset(&m.DestPalette), t, m.ZeroColor, N->Channels);
      break;
    case rnBlend: {
      const TOperand x = ResolveOperand(Ctx, N->Left);
      const TOperand y = ResolveOperand(Ctx, N->Right);
      EmitBlendOp(Ctx, static_cast<TRenderBlendOp>(N->Index & 0xFF), t, x.Offset, y.Offset, N->Channels, x.Constants,
                  y.Constants);
      break;
    }
  }
  return t;
}

namespace {

void GenerateSteps(TRenderGenContext& Ctx, TRenderNode* Root) {
  TDXRMachine& m = Ctx.M;
  const TRenderSurface& dest = *m.Dest;
  TCodeWriter* w = Ctx.W;
  auto enter = [&] {
    // System V entry: count in edi, data block in rsi. The pixel value starts at 0.
    const std::size_t at = w ? w->Pos() : 0;
    if (w) {
      w->MovRR32(RegCount, RDI);
      w->AluRR(6, RegPixel, RegPixel);
    }
    m.EntryStep = Ctx.Here();
    return at;
  };
  std::size_t entryAt = 0;

  if (Root->Kind == rnColor && !m.ColorSlots[Root->Index].Gradient && !m.DitherActive &&
      (dest.BitCount == 16 || dest.BitCount == 32)) {
    entryAt = enter();
    EmitDestAddress(Ctx);
    EmitEncodePixel(Ctx, dest, Ctx.Offset(&m.ColorSlots[Root->Index].Color), Root->Channels);
    TRenderStep s;
    s.Op = dest.BitCount == 32 ? TRenderStepOp::Fill32 : TRenderStepOp::Fill16;
    Ctx.Emit(s);
  } else {
    TRenderStep ret;
    ret.Op = TRenderStepOp::Return;
    const int exitStep = Ctx.Emit(ret);
    Ctx.LoopStep = Ctx.Here();
    EmitStepX(Ctx);
    EmitStepColors(Ctx);
    EmitStepTextures(Ctx);
    EmitAdvanceDest(Ctx);
    TRenderStep dec;
    dec.Op = TRenderStepOp::DecCount;
    Ctx.Emit(dec);
    EmitBranch(Ctx, 3, exitStep);
    const int pixelStep = Ctx.Here();
    if (Root->Kind == rnColor) {
      EmitEncodeSelect(Ctx, dest, Ctx.Offset(&m.ColorSlots[Root->Index].Color), Root->Channels);
    } else if (Root->Kind == rnTexture && !m.DitherActive && m.TextureSlots[Root->Index].Filter == 0 &&
               SameSurfaceFormat(dest, *m.TextureSlots[Root->Index].Surface)) {
      const int slot = static_cast<int>(Root->Index);
      EmitTexelAddress(Ctx, slot, Ctx.Offset(&m.TextureSlots[slot].U));
      EmitColorKeyTest(Ctx, slot);
    } else {
      Ctx.TempCount = 0;
      const int t = GenerateNode(Ctx, Root);
      EmitEncodeSelect(Ctx, dest, t, Root->Channels);
    }
    EmitWriteDestPixel(Ctx);
    EmitBranch(Ctx, 7, Ctx.LoopStep);
    entryAt = enter();
    EmitDestAddress(Ctx);
    EmitBranch(Ctx, 7, pixelStep);
  }
  if (w && !w->Overflow()) m.Entry = w->Address(entryAt);
}

}  // namespace

void GenerateRoutine(TRenderGenContext& Ctx, TRenderNode* Root) {
  TCodeWriter* w = Ctx.W;
  if (w && PackedSpanFits(Ctx.M, Root)) {
    // The steps stay the per-pixel routine the interpreter runs; the code is
    // the packed span that gives the same bytes.
    Ctx.W = nullptr;
    GenerateSteps(Ctx, Root);
    Ctx.W = w;
    if (Ctx.Failed) return;
    TDXRMachine& m = Ctx.M;
    if (DescribePackedSpan(m, Root, Ctx.Span)) {
      Ctx.MadeSpan = true;
      SetPackedSpanConstants(m, Ctx.Span);
      if (m.HasSpanInPlace && m.SpanInPlace == Ctx.Span) {
        Ctx.CodeInPlace = true;
        m.Entry = m.Code;
        return;
      }
      if (EmitPackedSpan(*w, m, Ctx.Span)) {
        m.Entry = w->Address(0);
        return;
      }
      Ctx.MadeSpan = false;
    }
    // Steps of an unexpected form: the routine is generated again, step by step.
    *w = TCodeWriter(w->Address(0), RenderCodeSize);
    Ctx.M.Steps.clear();
    Ctx.M.MMXUsed = false;
    Ctx.StepCode.clear();
    Ctx.TempCount = 0;
  }
  GenerateSteps(Ctx, Root);
}
