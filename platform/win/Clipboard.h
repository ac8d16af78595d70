// The clipboard, kept inside the process: standard formats and registered
// ones, each holding one handle (a global memory block, or a bitmap or palette
// for CF_BITMAP and CF_PALETTE) that the clipboard owns once it is set.
#pragma once

#include <string>

#include "platform/win/Kernel.h"
#include "platform/win/Types.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_PALETTE = 9;

// The same name gives the same format number (from 0xC000 up); names compare
// without regard to case.
UINT RegisterClipboardFormatA(const char* name);
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Frees every handle held and empties the clipboard (needs it open).
BOOL EmptyClipboard();
// Replaces the data of Format (needs it open); the clipboard owns Data after.
HANDLE SetClipboardData(UINT format, HANDLE data);
// The handle held for Format, or 0; it stays the clipboard's.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);

// Convenience for byte data: a global block with a copy of the bytes.
bool SetClipboardBytes(UINT format, const void* data, size_t size);
bool GetClipboardBytes(UINT format, std::string& bytes);
