// TDIB: the library's device-independent bitmap graphic. Copies share one
// image and every write first makes the image private (copy on write). An
// image read from a stream is plain memory (drawn with a stretched DIB blit);
// it becomes a DIB section with its own device context when a canvas is asked
// for. Run-length pictures stay compressed until they are changed.
#pragma once

#include <cstdint>
#include <memory>

#include "display/DIBImage.h"
#include "platform/toolkit/Canvas.h"
#include "platform/toolkit/Graphic.h"

class TDIBCanvas;

class TDIB : public TGraphic {
 public:
  TDIB();
  ~TDIB() override;

  void Assign(const TPersistent* Source) override;
  bool Empty() const override { return FImage->Size() == 0; }
  int Width() const override { return FImage->Width(); }
  void SetWidth(int Value) override;
  int Height() const override { return FImage->Height(); }
  void SetHeight(int Value) override;
  HPALETTE Palette() override { return FImage->GetPalette(); }
  // Takes the colours of a GDI palette as the colour table. The palette is
  // deleted unless the palette cache shares it.
  void SetPalette(HPALETTE Value) override;

  // The file form ("BM" file header, then the bitmap data).
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // CF_DIB: the bitmap data in a global block; format and palette are not read.
  void LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) override;

  // A new image of the size and bit count with the layout of PixelFormat and
  // the colours of ColorTable; its pixels are zero. Width or Height ≤ 0 empty
  // the bitmap.
  void SetSize(int AWidth, int AHeight, int ABitCount);
  int BitCount() const { return FImage->BitCount(); }
  int WidthBytes() const { return FImage->WidthBytes(); }
  int NextLine() const { return FImage->NextLine(); }
  std::int64_t Size() const { return FImage->Size(); }
  BYTE* TopBits() const { return FImage->TopBits(); }
  // The pixels, made private and uncompressed first.
  BYTE* Bits();
  // Writes one pixel; Y counts from the top row; outside the picture nothing.
  void SetPixel(int X, int Y, DWORD Value);
  // A canvas drawing into the image (which becomes a section).
  TCanvas* Canvas();
  // Pushes ColorTable into the image.
  void ApplyColorTable();
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

  // The image this bitmap shares.
  TDIBSharedImage* Image() const { return FImage; }

  // Editable copies of the image's colour table and layout, read by
  // ApplyColorTable and SetSize.
  TDIBColorTable ColorTable{};
  TDIBChannelLayout PixelFormat;

 protected:
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

 private:
  friend class TDIBCanvas;
  void AttachImage(TDIBSharedImage* Image);
  void MakeEmpty();
  void MakeWritable(bool MemoryImage);
  void EnsureSection();
  // Builds a new image with Fill and attaches it; a failure frees it.
  template <typename F>
  void Replace(F Fill);

  TDIBSharedImage* FImage = nullptr;
  std::unique_ptr<TDIBCanvas> FCanvas;
};

// The image of every empty bitmap; it lives until the program stops.
TDIBSharedImage* EmptyDIBImage();
