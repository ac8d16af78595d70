// Kernel helpers: integer scaling and movable global memory blocks (the
// clipboard's data blocks).
#pragma once

#include <cstddef>

#include "platform/win/Types.h"

// Number × Numerator / Denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when Denominator is 0 or the result does not fit.
int MulDiv(int nNumber, int nNumerator, int nDenominator);

using HGLOBAL = HANDLE;
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A block of Bytes bytes (0 on failure); its pointer is had by GlobalLock.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
void* GlobalLock(HGLOBAL h);
BOOL GlobalUnlock(HGLOBAL h);
size_t GlobalSize(HGLOBAL h);
// Returns 0 on success, the handle when it is not a block.
HGLOBAL GlobalFree(HGLOBAL h);
