// GDI over memory bitmaps: device contexts, DIB sections, palettes, pens,
// brushes, fonts and stretched blits.
//
// Every device context draws into plain memory: caller-owned pixels
// (CreateDCOverBits, a locked DirectDraw surface), a bitmap selected into a
// memory DC (CreateCompatibleDC + CreateDIBSection / CreateCompatibleBitmap),
// or nothing at all (the screen DC of GetDC(0), which answers device
// capabilities of a 32-bit display but has no pixels). Fills, pixels, thin
// lines and blits are written directly; text, ellipses and wide lines are
// painted by Qt on a 32-bit copy of the covered rectangle and written back
// through the same colour conversion as every other path (ColorToPixel).
// Text is rendered so once per font and text; later draws of it copy the
// pixels its glyphs cover straight into the bitmap (see the text cache).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/win/Types.h"

// ---- Records --------------------------------------------------------------

struct BITMAPINFOHEADER {
  DWORD biSize = 0;
  LONG biWidth = 0;
  LONG biHeight = 0;
  WORD biPlanes = 0;
  WORD biBitCount = 0;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct BITMAPCOREHEADER {
  DWORD bcSize = 0;
  WORD bcWidth = 0;
  WORD bcHeight = 0;
  WORD bcPlanes = 0;
  WORD bcBitCount = 0;
};
static_assert(sizeof(BITMAPCOREHEADER) == 12);

// A header followed by the colour masks (BI_BITFIELDS after a 40-byte header)
// and the colour table; callers allocate the block with room for all of them.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 0;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3] = {};
  HANDLE dshSection = nullptr;
  DWORD dsOffset = 0;
};

// A palette header followed by palNumEntries entries (allocated by the caller).
struct LOGPALETTE {
  WORD palVersion = 0x300;
  WORD palNumEntries = 0;
  PALETTEENTRY palPalEntry[1];
};

struct LOGPEN {
  UINT lopnStyle = 0;
  POINT lopnWidth;
  COLORREF lopnColor = 0;
};

struct LOGBRUSH {
  UINT lbStyle = 0;
  COLORREF lbColor = 0;
  std::uintptr_t lbHatch = 0;
};

constexpr int LF_FACESIZE = 32;
struct LOGFONTA {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  char lfFaceName[LF_FACESIZE] = {};
};

// ---- Constants ------------------------------------------------------------

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

// Raster operations (ternary: pattern, source, destination).
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Stretch modes; every mode stretches by nearest pixel.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;

constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE EASTEUROPE_CHARSET = 238;

constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

constexpr int OBJ_PEN = 1;
constexpr int OBJ_BRUSH = 2;
constexpr int OBJ_DC = 3;
constexpr int OBJ_PAL = 5;
constexpr int OBJ_FONT = 6;
constexpr int OBJ_BITMAP = 7;
constexpr int OBJ_MEMDC = 10;

constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_PALETTE = 15;
constexpr int DEFAULT_GUI_FONT = 17;

// GetDeviceCaps indices and raster capability bits.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int NUMRESERVED = 106;
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_DI_BITMAP = 0x0080;
constexpr int RC_PALETTE = 0x0100;
constexpr int RC_DIBTODEV = 0x0200;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_STRETCHDIB = 0x2000;

constexpr BYTE PC_RESERVED = 0x01;
constexpr BYTE PC_EXPLICIT = 0x02;
constexpr BYTE PC_NOCOLLAPSE = 0x04;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;
constexpr UINT CLR_NONE = 0x1FFFFFFF;

// A colour naming an entry of the selected palette, and a colour to match in it.
constexpr COLORREF PALETTEINDEX(WORD i) { return 0x01000000u | i; }
constexpr COLORREF PALETTERGB(BYTE r, BYTE g, BYTE b) { return 0x02000000u | RGB(r, g, b); }

// System colour indices for GetSysColor.
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
DWORD GetSysColor(int nIndex);

// ---- Pixel formats and the one colour conversion ----------------------------

// How pixels of a bitmap hold colours. Indexed formats (1, 2, 4, 8 bits) use
// Colors; 16- and 32-bit formats use the masks; 24 bits are blue, green, red.
struct GdiPixelFormat {
  int BitCount = 32;
  DWORD RMask = 0xFF0000, GMask = 0xFF00, BMask = 0xFF;
  std::vector<COLORREF> Colors;
  bool Indexed() const { return BitCount <= 8; }
};

// The colour a pixel value shows, and the pixel value that shows a colour
// (the nearest palette entry for indexed formats; PALETTEINDEX(i) picks entry
// i). These two functions are the only colour conversion of the GDI.
COLORREF PixelToColor(const GdiPixelFormat& format, DWORD pixel);
DWORD ColorToPixel(const GdiPixelFormat& format, COLORREF color);
// The index of the colour nearest to Color in a table (exact match first).
UINT NearestColorIndex(const COLORREF* colors, size_t count, COLORREF color);

// Row length in bytes of a DIB: padded to 4 bytes.
inline std::int64_t DibWidthBytes(std::int64_t width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }

// Expands run-length data (BI_RLE8 or BI_RLE4) into bottom-up pixels of Width ×
// Height with rows WidthBytes apart (Pixels holds Height × WidthBytes bytes).
// Never reads past Size bytes of Data nor writes outside the image; runs
// that leave a row are clipped. Returns false when the data end before their
// end-of-bitmap mark (what was decoded stays).
bool ExpandDibRle(const BYTE* data, size_t size, DWORD compression, LONG width, LONG height, BYTE* pixels,
                  std::int64_t widthBytes);

// ---- Device contexts --------------------------------------------------------

// A device context that draws straight into pixels someone else owns (a
// locked DirectDraw surface). BitCount is 1, 2, 4, 8 (indexed, with Palette of
// PaletteCount entries), 16 (masks give 565 or 555), 24 or 32 (XRGB). The
// pixels must stay valid until the DC is deleted with DeleteDC.
HDC CreateDCOverBits(void* bits, LONG width, LONG height, LONG pitch, int bitCount, DWORD rMask, DWORD gMask,
                     DWORD bMask, const PALETTEENTRY* palette, int paletteCount);
BOOL DeleteDC(HDC hdc);
// A memory DC holding a 1 × 1 monochrome bitmap until another is selected.
HDC CreateCompatibleDC(HDC hdc);
// The screen DC (32-bit, no pixels of its own). ReleaseDC gives it back.
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hdc);
int GetDeviceCaps(HDC hdc, int index);
int GetObjectType(HGDIOBJ h);
BOOL GdiFlush();

// ---- Objects ----------------------------------------------------------------

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
BOOL DeleteObject(HGDIOBJ h);
HGDIOBJ GetStockObject(int i);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
// BITMAP or DIBSECTION of a bitmap, LOGPEN, LOGBRUSH, LOGFONTA, or the entry
// count (a WORD) of a palette. A null buffer asks for the size.
int GetObject(HGDIOBJ h, int c, void* pv);
inline int GetObjectA(HGDIOBJ h, int c, void* pv) { return GetObject(h, c, pv); }

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);
HFONT CreateFontIndirectA(const LOGFONTA* lf);

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection, DWORD offset);
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
// A device-dependent bitmap; 1 bit per pixel gives a monochrome bitmap whose
// pixels map to the DC's text colour (0) and background colour (1) when
// blitted onto colour bitmaps. Bits (may be null) are rows padded to 2 bytes.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits);
UINT GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colors);
UINT SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colors);

// ---- Palettes ---------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* plpal);
HPALETTE SelectPalette(HDC hdc, HPALETTE hpal, BOOL forceBackground);
UINT RealizePalette(HDC hdc);
UINT GetPaletteEntries(HPALETTE hpal, UINT start, UINT count, PALETTEENTRY* entries);
UINT SetPaletteEntries(HPALETTE hpal, UINT start, UINT count, const PALETTEENTRY* entries);
UINT GetNearestPaletteIndex(HPALETTE hpal, COLORREF color);
// The system palette: the 20 static colours at 0..9 and 246..255, the last
// realised palette's entries in between.
UINT GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, PALETTEENTRY* entries);

// ---- Drawing ----------------------------------------------------------------

COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);

COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
BOOL MoveToEx(HDC hdc, int x, int y, POINT* old);
BOOL GetCurrentPositionEx(HDC hdc, POINT* pt);
// A line from the current position to (x, y), the last pixel excluded.
BOOL LineTo(HDC hdc, int x, int y);
// Outline with the pen, inside with the brush; right and bottom exclusive.
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
int FillRect(HDC hdc, const RECT* rc, HBRUSH hbr);
int FrameRect(HDC hdc, const RECT* rc, HBRUSH hbr);
BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);

// Text is windows-1250 bytes; the top of the text cell is at y.
BOOL TextOutA(HDC hdc, int x, int y, const char* text, int count);
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const INT* dx);
BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int count, SIZE* size);

BOOL BitBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                DWORD rop);
// A stretched copy that leaves out the source pixels showing the colour
// Transparent (a COLORREF).
BOOL TransparentBlt(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc,
                    int hSrc, UINT transparent);
// Draws DIB pixels (BI_RGB, BI_BITFIELDS, BI_RLE8, BI_RLE4) described by Bmi.
// As for any DIB, (xSrc, ySrc) of a bottom-up DIB count from its lower-left
// corner. Returns the number of scan lines drawn, 0 on failure.
int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop);

// Makes sure a Qt GUI application object exists for the painter's fonts;
// creates a QApplication (offscreen without a display) when none exists yet.
void EnsureGuiApplication();

// Test and diagnostics aid: how many GDI objects and DCs are alive.
int GdiLiveObjectCount();

// Texts are shaped and rendered once per font and text and kept in a small
// cache of text images (at most GdiTextCacheCapacity texts), which later
// draws of the same text copy into the surface. Test and diagnostics aids:
// how many texts the cache holds, emptying it, and drawing every text
// through the painter on a 32-bit copy of its cell instead (the same pixels,
// made the slow way: tests compare the two).
size_t GdiTextCacheSize();
size_t GdiTextCacheCapacity();
void GdiClearTextCache();
void SetGdiTextThroughPainter(bool on);
