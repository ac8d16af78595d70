// TBitmap: a picture held in a GDI bitmap (a DIB section, or a device bitmap
// of the screen's format), with a canvas, a palette for the indexed formats,
// a transparent colour, and the BMP file format as its stream form.
#pragma once

#include <memory>
#include <vector>

#include "platform/toolkit/BmpCodec.h"
#include "platform/toolkit/Canvas.h"
#include "platform/toolkit/Graphic.h"

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmap;

// The canvas of a bitmap: its DC is a memory DC with the bitmap selected,
// made when drawing first needs it and let go when the bitmap's handle changes.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
  ~TBitmapCanvas() override;
  void FreeContext();

 protected:
  void CreateHandle() override;

 private:
  TBitmap* FBitmap;
  HDC FDC = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  HPALETTE FOldPalette = nullptr;
};

class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;

  void Assign(const TPersistent* Source) override;

  bool Empty() const override { return FWidth <= 0 || FHeight <= 0 || !FHandle; }
  int Width() const override { return FWidth; }
  void SetWidth(int Value) override { SetSize(Value, FHeight); }
  int Height() const override { return FHeight; }
  void SetHeight(int Value) override { SetSize(FWidth, Value); }
  // New size; the old picture stays at the top left, new area is white.
  void SetSize(int AWidth, int AHeight);

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // Converts the picture to another format (colours map to the nearest entry
  // of the new palette for the indexed formats).
  void SetPixelFormat(TPixelFormat Value);
  TBitmapHandleType HandleType() const { return FPixelFormat == pfDevice ? bmDDB : bmDIB; }
  // bmDDB converts to the screen's format, bmDIB to a DIB of the same depth.
  void SetHandleType(TBitmapHandleType Value);

  // The GDI bitmap (0 while empty). SetHandle takes over ownership of Value.
  HBITMAP Handle() const { return FHandle; }
  void SetHandle(HBITMAP Value);
  // Gives the handle away; the bitmap becomes empty.
  HBITMAP ReleaseHandle();

  TCanvas* Canvas();

  // The palette of an indexed bitmap (0 otherwise), owned by the bitmap.
  HPALETTE Palette() override { return FPalette; }
  // Takes over Value and makes its entries the colour table.
  void SetPalette(HPALETTE Value) override;
  HPALETTE ReleasePalette();

  // The colour left out when drawing transparently: with tmAuto the colour of
  // the bottom-left pixel.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  // Row Row (0 = top) of the pixels; converts a device bitmap to a DIB first.
  // Raises EInvalidGraphicOperation "Scan line index out of range".
  void* ScanLine(int Row);

  // A BMP file; an empty stream gives an empty bitmap.
  void LoadFromStream(TStream* Stream) override;
  // A BMP file; nothing for an empty bitmap.
  void SaveToStream(TStream* Stream) override;
  // CF_BITMAP with a bitmap handle (copied) and an optional palette.
  void LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) override;

  // The picture as a plain image (rows bottom-up).
  TBmpImage Image();
  // Replaces the picture by Image.
  void LoadFromImage(const TBmpImage& Image);

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  // The stored form: a 32-bit byte count, then the BMP file.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

  friend class TBitmapCanvas;

 private:
  void Clear();
  // A new handle of the given format and size, with the old picture copied.
  void Rebuild(int AWidth, int AHeight, TPixelFormat Format, const TBmpImage* Custom);
  void CanvasChanged();

  HBITMAP FHandle = nullptr;
  HPALETTE FPalette = nullptr;
  BYTE* FBits = nullptr;  // first byte of the DIB pixels (bottom row)
  std::int64_t FWidthBytes = 0;
  int FWidth = 0, FHeight = 0;
  int FBitCount = 32;
  TPixelFormat FPixelFormat = pfDevice;
  DWORD FMasks[3] = {};
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};
