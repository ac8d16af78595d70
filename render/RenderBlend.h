#pragma once
// Code of the fifteen blend operations. Operands and result are data block
// offsets of TRenderColor values; LC and RC are the channels of X and Y whose
// values are fixed at generation time.

#include "render/RenderGenerator.h"

void EmitBlendOp(TRenderGenContext& Ctx, TRenderBlendOp Operation, int Result, int X, int Y, TRenderChannelSet C,
                 TRenderChannelSet LC, TRenderChannelSet RC);

void EmitBlendZero(TRenderGenContext& Ctx, int Result);
void EmitBlendCopy(TRenderGenContext& Ctx, int Result, int X, TRenderChannelSet LC);
void EmitBlendAdd(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C, TRenderChannelSet LC,
                  TRenderChannelSet RC);
void EmitBlendSub(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C, TRenderChannelSet LC,
                  TRenderChannelSet RC);
void EmitBlendMul(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C);
void EmitBlendPremultiply(TRenderGenContext& Ctx, int Result, int X, TRenderChannelSet C);
void EmitBlendAddAlpha(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C);
void EmitBlendSubAlpha(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C);
void EmitBlendAlpha(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C);
void EmitBlendAlphaInv(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C);
void EmitBlendColorAlpha(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C);
void EmitBlendModulate(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C);
void EmitBlendAddColor(TRenderGenContext& Ctx, int Result, int X, int Y, TRenderChannelSet C, TRenderChannelSet LC,
                       TRenderChannelSet RC);

void EmitAddClamp(TRenderGenContext& Ctx, int Result, int X, int Y, int Channel);
void EmitAddClampConst(TRenderGenContext& Ctx, int Result, int V, BYTE K, int Channel);
void EmitSubClamp(TRenderGenContext& Ctx, int Result, int X, int Y, int Channel);
void EmitConstSubClamp(TRenderGenContext& Ctx, int Result, BYTE K, int Y, int Channel);
void EmitSubClampConst(TRenderGenContext& Ctx, int Result, int X, BYTE K, int Channel);
