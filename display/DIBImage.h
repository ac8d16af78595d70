// The pixels of a device-independent bitmap: channel layouts of 16- and 32-bit
// pixels, colour tables, the run-length decoders and the reference-counted
// image that TDIB objects share, with its stored form (bitmap information or
// core header, colour masks, colour table, pixels).
//
// Pixel memory is bottom-up: the first row in memory is the bottom row of the
// picture; rows are padded to 4 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Graphics.h"
#include "platform/win/Gdi.h"
#include "platform/win/Types.h"

// How 16- and 32-bit pixels hold their colours: blue from bit 0, green above
// it, red above green.
struct TDIBChannelLayout {
  DWORD RMask = 0, GMask = 0, BMask = 0;
  std::int32_t RBits = 0, GBits = 0, BBits = 0;
  friend bool operator==(const TDIBChannelLayout&, const TDIBChannelLayout&) = default;
};

using TDIBColorTable = std::array<RGBQUAD, 256>;
using TDIBPaletteEntries = std::array<PALETTEENTRY, 256>;

// The layout with R, G and B bits, packed blue lowest.
TDIBChannelLayout MakeChannelLayout(std::int32_t R, std::int32_t G, std::int32_t B);
// The packed layout with the bit counts of three masks (only the counts are
// taken; the positions follow the packing above).
TDIBChannelLayout MakeChannelLayoutFromMasks(DWORD RMask, DWORD GMask, DWORD BMask);
// The length of the run of one bits that starts at the lowest set bit.
std::int32_t CountMaskBits(DWORD Mask);
// Whether two layouts have the same three masks.
bool SameMasks(const TDIBChannelLayout& A, const TDIBChannelLayout& B);

inline TDIBChannelLayout Layout888() { return MakeChannelLayout(8, 8, 8); }
inline TDIBChannelLayout Layout555() { return MakeChannelLayout(5, 5, 5); }
inline TDIBChannelLayout Layout565() { return MakeChannelLayout(5, 6, 5); }

// Entry i is (i, i, i, 0).
void MakeGrayColorTable(TDIBColorTable& Table);
RGBQUAD MakeRGBQuad(BYTE R, BYTE G, BYTE B);
// Red and blue change places; the flags are dropped (and 0 the other way).
TDIBColorTable PaletteToQuads(const TDIBPaletteEntries& Entries);
TDIBPaletteEntries QuadsToPalette(const TDIBColorTable& Quads);
// Byte-for-byte comparison of the first Count entries.
bool SameColorEntries(const RGBQUAD* A, const RGBQUAD* B, std::int32_t Count);

// Expands run-length data (BI_RLE8 / BI_RLE4) into bottom-up pixels of
// Width × Height with rows WidthBytes apart, starting at the bottom row, by
// the GDI's decoder. Pixels outside the picture are dropped and the decoder
// never reads past DataSize bytes; pixels no run covers are left as they are.
void ExpandRLE8(const BYTE* Data, std::size_t DataSize, BYTE* Pixels, std::int32_t Width, std::int32_t Height,
                std::int32_t WidthBytes);
void ExpandRLE4(const BYTE* Data, std::size_t DataSize, BYTE* Pixels, std::int32_t Width, std::int32_t Height,
                std::int32_t WidthBytes);

// The largest pixel block a picture may have: its byte count must fit the
// header's 32-bit size field.
constexpr std::int64_t MaxDIBSize = 0x7FFFFFFF;

// The image that copies of a TDIB share. Made empty; filled once by InitImage,
// LoadImageData, ExpandImage or CopyImage; freed with its last reference.
class TDIBSharedImage {
 public:
  TDIBSharedImage();
  ~TDIBSharedImage();
  TDIBSharedImage(const TDIBSharedImage&) = delete;
  TDIBSharedImage& operator=(const TDIBSharedImage&) = delete;

  void Reference() { ++FRefCount; }
  // Drops one reference and frees the image at zero.
  void Release();
  std::int32_t RefCount() const { return FRefCount; }

  // Gives the image the size, bit count, layout and colour table; allocates
  // zeroed pixels unless it is Compressed (then the reader supplies the data).
  void InitImage(std::int32_t Width, std::int32_t Height, std::int32_t BitCount, const TDIBChannelLayout& PixelFormat,
                 const TDIBColorTable& ColorTable, bool MemoryImage, bool Compressed);
  // Reads the stored form. PixelOffset, when not negative, is the stream
  // position at which the pixels start (the offset field of a file header);
  // it is used when the pixels fit there after the colour table, else the
  // pixels are read right after the colour table.
  void LoadImageData(TStream& Stream, bool MemoryImage, std::int64_t PixelOffset = -1);
  // Reads the file form: a 14-byte file header ("BM", file size, two
  // reserved words, the offset of the pixels from the header's start), then
  // the stored form with its pixels at that offset (when it is usable). No bytes at all leave the
  // image empty and return false.
  bool LoadImageFile(TStream& Stream, bool MemoryImage);
  // Writes the file form; nothing when empty.
  void SaveImageFile(TStream& Stream) const;
  // An uncompressed copy of Source (run-length data expanded).
  void ExpandImage(const TDIBSharedImage& Source, bool MemoryImage);
  // A copy of Source as it is (compressed data stay compressed).
  void CopyImage(const TDIBSharedImage& Source, bool MemoryImage);
  // Takes a new colour table (also into the section's colour table).
  void StoreColorTable(const TDIBColorTable& ColorTable);
  // The GDI palette of the colour table from the shared cache, remade after
  // the table changed; 0 for pictures without a colour table.
  HPALETTE GetPalette();
  // The stored form: the information block, then the pixels. Nothing when empty.
  void SaveImageData(TStream& Stream) const;

  std::int32_t BitCount() const { return FBitCount; }
  std::int32_t Width() const { return FWidth; }
  std::int32_t Height() const { return FHeight; }
  std::int32_t WidthBytes() const { return FWidthBytes; }
  std::int32_t NextLine() const { return FNextLine; }
  // Pixel bytes, or the byte count of run-length data.
  std::int64_t Size() const { return FSize; }
  std::int32_t ColorCount() const { return FColorCount; }
  bool Compressed() const { return FCompressed; }
  bool MemoryImage() const { return FMemoryImage; }
  bool PaletteChanged() const { return FPaletteChanged; }
  void SetPaletteChanged(bool Value) { FPaletteChanged = Value; }
  BYTE* PixelData() const { return FPixelData; }
  // The top row of uncompressed pixels (null for an empty or compressed image).
  BYTE* TopBits() const { return FTopBits; }
  const TDIBChannelLayout& ChannelLayout() const { return FChannelLayout; }
  const TDIBColorTable& ColorTable() const { return FColorTable; }
  // BITMAPINFOHEADER, the masks for 16 and 32 bits, the colour entries.
  const std::vector<BYTE>& BitmapInfo() const { return FBitmapInfo; }
  const BITMAPINFO* BitmapInfoPtr() const { return reinterpret_cast<const BITMAPINFO*>(FBitmapInfo.data()); }
  std::int32_t BitmapInfoSize() const { return static_cast<std::int32_t>(FBitmapInfo.size()); }
  std::int32_t ColorTablePos() const { return FColorTablePos; }
  // The memory device context and bitmap of a section (0 for a memory image).
  HDC DC() const { return FDC; }
  HBITMAP Section() const { return FSection; }

 private:
  void Reset();
  void FreePixels();
  void SetImageSizeField(DWORD Value);

  std::int32_t FRefCount = 0;
  std::int32_t FBitCount = 0;
  std::vector<BYTE> FBitmapInfo;
  bool FPaletteChanged = false;
  TDIBColorTable FColorTable{};
  std::int32_t FColorTablePos = 40;
  bool FCompressed = false;
  std::int32_t FHeight = 0;
  std::int32_t FWidth = 0;
  bool FMemoryImage = true;
  std::int32_t FNextLine = 0;
  BYTE* FTopBits = nullptr;
  std::int32_t FWidthBytes = 0;
  std::int64_t FSize = 0;
  std::int32_t FColorCount = 0;
  BYTE* FPixelData = nullptr;
  TDIBChannelLayout FChannelLayout;
  std::vector<BYTE> FMemory;  // pixels of a memory image, or run-length data
  HDC FDC = nullptr;
  HBITMAP FSection = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  HPALETTE FPalette = nullptr;
};
