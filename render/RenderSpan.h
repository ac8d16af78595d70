#pragma once
// Whole-span routines for the two draws the programs make most: a 32-bit
// texture copied (optionally keyed) onto a destination of its own format,
// and a 32-bit texture blended over the destination by a constant weight
// (operations 10 and 11). They keep the channels in SSE2 registers, hoist
// the row addresses and the weight out of the pixel loop, move whole pixels,
// four a pass, and give the same bytes as the per-step code: the packed
// blend keeps the per-step rounding of paired and lone channels exactly.

#include <cstddef>

#include "render/RenderGenerator.h"

// Whether the routine for Root can be a packed span.
bool PackedSpanFits(const TDXRMachine& M, const TRenderNode* Root);

// The packed span for Root, whose steps are already in M.Steps (the
// interpreter's form of the same routine); false when the steps do not have
// the expected form.
bool DescribePackedSpan(const TDXRMachine& M, const TRenderNode* Root, TPackedSpan& Span);

// Sets the span's constants in the data block (the code reads them there).
void SetPackedSpanConstants(TDXRMachine& M, const TPackedSpan& Span);

// Writes the span's code; false when it does not fit the buffer.
bool EmitPackedSpan(TCodeWriter& W, const TDXRMachine& M, const TPackedSpan& Span);
