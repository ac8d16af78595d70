#pragma once
// The span code generator: the emitters that write one routine for the
// machine's tree, each as one step of the routine and, where code can be
// generated, as its x86-64 instructions.

#include <cstddef>
#include <vector>

#include "render/RenderMachine.h"
#include "render/RenderX64.h"

// Per-routine context shared by the emitters of one GenerateRoutine call.
struct TRenderGenContext {
  TDXRMachine& M;
  TCodeWriter* W = nullptr;  // nil: steps only
  std::vector<std::size_t> StepCode;
  int TempCount = 0;
  int LoopStep = 0;
  bool Failed = false;
  // The routine is a packed span (Span); with CodeInPlace its code is the
  // one in place already and nothing was written.
  bool MadeSpan = false;
  bool CodeInPlace = false;
  TPackedSpan Span;

  TRenderGenContext(TDXRMachine& Machine, TCodeWriter* Writer) : M(Machine), W(Writer) {}
  int Here() const { return static_cast<int>(M.Steps.size()); }
  int Emit(const TRenderStep& S);
  int Offset(const void* Field) const;
};

void EmitShortJump(TRenderGenContext& Ctx, int Target);
void EmitNearJump(TRenderGenContext& Ctx, int Target);
void EmitNearJcc(TRenderGenContext& Ctx, int Condition, int Target);
void EmitJcc(TRenderGenContext& Ctx, int Condition, int Target);
void EmitJmp(TRenderGenContext& Ctx, int Target);
void EmitBranch(TRenderGenContext& Ctx, int Condition, int Target);
void EmitDestAddress(TRenderGenContext& Ctx);
void EmitReadDestPixel(TRenderGenContext& Ctx);
void EmitWriteDestPixel(TRenderGenContext& Ctx);
void EmitAdvanceDest(TRenderGenContext& Ctx);
void EmitTexelAddressWrap(TRenderGenContext& Ctx, int Slot, int UVOffset);
void EmitTexelAddressDirect(TRenderGenContext& Ctx, int Slot, int UVOffset, bool ClampToEdge = false);
void EmitTexelAddress(TRenderGenContext& Ctx, int Slot, int UVOffset, bool ClampToEdge = false);
void EmitDecodePixel(TRenderGenContext& Ctx, const TRenderSurface& Surface, int PaletteField, int Temp,
                     const TRenderColor& Default, TRenderChannelSet C);
void EmitEncodePixel(TRenderGenContext& Ctx, const TRenderSurface& Surface, int Color, TRenderChannelSet C);
void EmitEncodePixelDither(TRenderGenContext& Ctx, const TRenderSurface& Surface, int Color, TRenderChannelSet C);
void EmitEncodeSelect(TRenderGenContext& Ctx, const TRenderSurface& Surface, int Color, TRenderChannelSet C);
void EmitColorKeyTest(TRenderGenContext& Ctx, int Slot);
void EmitTextureSample(TRenderGenContext& Ctx, int Temp, int Slot, TRenderChannelSet C);
void EmitTextureSampleBilinear(TRenderGenContext& Ctx, int Temp, int Slot, TRenderChannelSet C);
void EmitTextureSampleSelect(TRenderGenContext& Ctx, int Temp, int Slot, TRenderChannelSet C);
void EmitStepX(TRenderGenContext& Ctx);
void EmitStepColors(TRenderGenContext& Ctx);
void EmitStepTextures(TRenderGenContext& Ctx);
int AllocColorTemp(TRenderGenContext& Ctx);
int GenerateNode(TRenderGenContext& Ctx, TRenderNode* N);
void GenerateRoutine(TRenderGenContext& Ctx, TRenderNode* Root);
