#include "display/DIBImage.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "display/DIBPalette.h"
#include "platform/rtl/Format.h"

namespace {

// (1 shl Bits) − 1 shifted by Shift, in 64 bits so that a 32-bit run and
// shifts of 32 or more stay defined; the result keeps the low 32 bits.
DWORD MaskOf(std::int64_t Bits, std::int64_t Shift) {
  if (Bits <= 0 || Shift >= 64) return 0;
  std::uint64_t ones = Bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << Bits) - 1;
  return static_cast<DWORD>(ones << Shift);
}

std::int32_t LowestBit(DWORD Mask) {
  if (Mask == 0) return 0;
  std::int32_t n = 0;
  while (!(Mask & 1)) {
    Mask >>= 1;
    ++n;
  }
  return n;
}

void PutWord(BYTE* p, WORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}
void PutDword(BYTE* p, DWORD v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}
WORD GetWord(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD GetDword(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}

[[noreturn]] void InvalidDIB() { throw EInvalidGraphic("DIB is invalid"); }

// The row length of a picture, padded to 4 bytes, in 64 bits.
std::int64_t RowBytes(std::int64_t BitCount, std::int64_t Width) { return ((BitCount * Width + 31) >> 5) * 4; }

// Row length × rows, or MaxDIBSize + 1 for anything larger (no overflow).
std::int64_t ImageBytes(std::int64_t WidthBytes, std::int64_t Height) {
  if (Height > 0 && WidthBytes > MaxDIBSize / Height) return MaxDIBSize + 1;
  return WidthBytes * Height;
}

// Bit count and layout as InitImage accepts them.
void CheckFormat(std::int32_t BitCount, const TDIBChannelLayout& PixelFormat) {
  switch (BitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
      if (!SameMasks(PixelFormat, Layout888())) throw EInvalidGraphicOperation("PixelFormat in invalid");
      break;
    case 16:
      if (!SameMasks(PixelFormat, Layout555()) && !SameMasks(PixelFormat, Layout565()))
        throw EInvalidGraphicOperation("PixelFormat in invalid");
      break;
    default: throw EInvalidGraphicOperation(Format("Bitcount in invalid (%d)", BitCount));
  }
}

// Moves the channels of 16- or 32-bit pixels from the positions of the stored
// masks to the packed positions of Layout (counts are equal by construction).
void RepackChannels(BYTE* Pixels, std::int32_t Width, std::int32_t Height, std::int32_t WidthBytes,
                    std::int32_t BitCount, const DWORD (&Stored)[3], const TDIBChannelLayout& Layout) {
  const DWORD target[3] = {Layout.RMask, Layout.GMask, Layout.BMask};
  const std::int32_t bits[3] = {Layout.RBits, Layout.GBits, Layout.BBits};
  std::int32_t from[3], to[3];
  DWORD ones[3];
  for (int c = 0; c < 3; ++c) {
    from[c] = LowestBit(Stored[c]);
    to[c] = LowestBit(target[c]);
    ones[c] = MaskOf(bits[c], 0);
  }
  const int bytes = BitCount / 8;
  for (std::int32_t y = 0; y < Height; ++y) {
    BYTE* p = Pixels + static_cast<std::int64_t>(y) * WidthBytes;
    for (std::int32_t x = 0; x < Width; ++x, p += bytes) {
      DWORD v = bytes == 2 ? GetWord(p) : GetDword(p);
      DWORD out = 0;
      for (int c = 0; c < 3; ++c) out |= ((v >> from[c]) & ones[c]) << to[c];
      if (bytes == 2)
        PutWord(p, static_cast<WORD>(out));
      else
        PutDword(p, out);
    }
  }
}

}  // namespace

// Channel layouts and colour tables

TDIBChannelLayout MakeChannelLayout(std::int32_t R, std::int32_t G, std::int32_t B) {
  TDIBChannelLayout l;
  l.RBits = R;
  l.GBits = G;
  l.BBits = B;
  l.BMask = MaskOf(B, 0);
  l.GMask = MaskOf(G, B);
  l.RMask = MaskOf(R, static_cast<std::int64_t>(G) + B);
  return l;
}

TDIBChannelLayout MakeChannelLayoutFromMasks(DWORD RMask, DWORD GMask, DWORD BMask) {
  return MakeChannelLayout(CountMaskBits(RMask), CountMaskBits(GMask), CountMaskBits(BMask));
}

std::int32_t CountMaskBits(DWORD Mask) {
  if (Mask == 0) return 0;
  Mask >>= LowestBit(Mask);
  std::int32_t n = 0;
  while (Mask & 1) {
    Mask >>= 1;
    ++n;
  }
  return n;
}

bool SameMasks(const TDIBChannelLayout& A, const TDIBChannelLayout& B) {
  return A.RMask == B.RMask && A.GMask == B.GMask && A.BMask == B.BMask;
}

void MakeGrayColorTable(TDIBColorTable& Table) {
  for (int i = 0; i < 256; ++i) {
    BYTE v = static_cast<BYTE>(i);
    Table[i] = RGBQUAD{v, v, v, 0};
  }
}

RGBQUAD MakeRGBQuad(BYTE R, BYTE G, BYTE B) { return RGBQUAD{B, G, R, 0}; }

TDIBColorTable PaletteToQuads(const TDIBPaletteEntries& Entries) {
  TDIBColorTable out{};
  for (int i = 0; i < 256; ++i) out[i] = MakeRGBQuad(Entries[i].peRed, Entries[i].peGreen, Entries[i].peBlue);
  return out;
}

TDIBPaletteEntries QuadsToPalette(const TDIBColorTable& Quads) {
  TDIBPaletteEntries out{};
  for (int i = 0; i < 256; ++i) out[i] = PALETTEENTRY{Quads[i].rgbRed, Quads[i].rgbGreen, Quads[i].rgbBlue, 0};
  return out;
}

bool SameColorEntries(const RGBQUAD* A, const RGBQUAD* B, std::int32_t Count) {
  return Count <= 0 || std::memcmp(A, B, static_cast<std::size_t>(Count) * sizeof(RGBQUAD)) == 0;
}

// Run-length decoding

void ExpandRLE8(const BYTE* Data, std::size_t DataSize, BYTE* Pixels, std::int32_t Width, std::int32_t Height,
                std::int32_t WidthBytes) {
  if (Data && Pixels && Width > 0 && Height > 0)
    ExpandDibRle(Data, DataSize, BI_RLE8, Width, Height, Pixels, WidthBytes);
}

void ExpandRLE4(const BYTE* Data, std::size_t DataSize, BYTE* Pixels, std::int32_t Width, std::int32_t Height,
                std::int32_t WidthBytes) {
  if (Data && Pixels && Width > 0 && Height > 0)
    ExpandDibRle(Data, DataSize, BI_RLE4, Width, Height, Pixels, WidthBytes);
}

// TDIBSharedImage

TDIBSharedImage::TDIBSharedImage() { Reset(); }

TDIBSharedImage::~TDIBSharedImage() { FreePixels(); }

void TDIBSharedImage::Release() {
  if (--FRefCount <= 0) delete this;
}

void TDIBSharedImage::FreePixels() {
  if (FDC) {
    if (FOldBitmap) SelectObject(FDC, FOldBitmap);
    if (FSection) DeleteObject(FSection);
    DeleteDC(FDC);
  }
  FDC = nullptr;
  FSection = nullptr;
  FOldBitmap = nullptr;
  if (FPalette) PaletteManager().ReleasePalette(FPalette);
  FPalette = nullptr;
  std::vector<BYTE>().swap(FMemory);
  FPixelData = nullptr;
  FTopBits = nullptr;
}

void TDIBSharedImage::Reset() {
  FreePixels();
  FBitCount = 0;
  FBitmapInfo.clear();
  FPaletteChanged = false;
  MakeGrayColorTable(FColorTable);
  FColorTablePos = 40;
  FCompressed = false;
  FHeight = FWidth = 0;
  FMemoryImage = true;
  FNextLine = 0;
  FWidthBytes = 0;
  FSize = 0;
  FColorCount = 0;
  FChannelLayout = Layout888();
}

void TDIBSharedImage::SetImageSizeField(DWORD Value) {
  if (FBitmapInfo.size() >= 24) PutDword(FBitmapInfo.data() + 20, Value);
}

void TDIBSharedImage::InitImage(std::int32_t Width, std::int32_t Height, std::int32_t BitCount,
                                const TDIBChannelLayout& PixelFormat, const TDIBColorTable& ColorTable,
                                bool MemoryImage, bool Compressed) {
  Reset();
  CheckFormat(BitCount, PixelFormat);
  if (Width < 0 || Height < 0) throw EInvalidGraphicOperation("DIB is invalid");
  const std::int64_t widthBytes = RowBytes(BitCount, Width);
  const std::int64_t size = ImageBytes(widthBytes, Height);
  // Compressed images take their byte count from the reader.
  if (!Compressed && size > MaxDIBSize) throw EOutOfMemory();

  FBitCount = BitCount;
  FHeight = Height;
  FWidth = Width;
  FWidthBytes = static_cast<std::int32_t>(std::min<std::int64_t>(widthBytes, MaxDIBSize));
  FNextLine = -FWidthBytes;
  FSize = Compressed ? 0 : size;
  FChannelLayout = PixelFormat;
  FColorCount = BitCount <= 8 ? (1 << BitCount) : 0;

  DWORD compression = BI_RGB;
  if (BitCount == 16 || BitCount == 32)
    compression = BI_BITFIELDS;
  else if (Compressed && BitCount == 4)
    compression = BI_RLE4;
  else if (Compressed && BitCount == 8)
    compression = BI_RLE8;
  FColorTablePos = compression == BI_BITFIELDS ? 52 : 40;
  FBitmapInfo.assign(static_cast<std::size_t>(FColorTablePos) + 4 * static_cast<std::size_t>(FColorCount), 0);
  BYTE* bi = FBitmapInfo.data();
  PutDword(bi + 0, 40);
  PutDword(bi + 4, static_cast<DWORD>(Width));
  PutDword(bi + 8, static_cast<DWORD>(Height));
  PutWord(bi + 12, 1);
  PutWord(bi + 14, static_cast<WORD>(BitCount));
  PutDword(bi + 16, compression);
  PutDword(bi + 20, static_cast<DWORD>(FSize));
  if (compression == BI_BITFIELDS) {
    PutDword(bi + 40, PixelFormat.RMask);
    PutDword(bi + 44, PixelFormat.GMask);
    PutDword(bi + 48, PixelFormat.BMask);
  }
  for (std::int32_t i = 0; i < FColorCount; ++i) {
    BYTE* e = bi + FColorTablePos + 4 * i;
    e[0] = ColorTable[i].rgbBlue;
    e[1] = ColorTable[i].rgbGreen;
    e[2] = ColorTable[i].rgbRed;
    e[3] = ColorTable[i].rgbReserved;
  }

  FColorTable = ColorTable;
  FPaletteChanged = true;

  FCompressed = compression == BI_RLE8 || compression == BI_RLE4;
  FMemoryImage = MemoryImage || FCompressed;
  if (FCompressed || FSize == 0) return;
  if (FMemoryImage) {
    try {
      FMemory.assign(static_cast<std::size_t>(FSize), 0);
    } catch (const std::bad_alloc&) {
      Reset();
      throw EOutOfMemory();
    }
    FPixelData = FMemory.data();
  } else {
    FDC = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    if (FDC) FSection = CreateDIBSection(FDC, BitmapInfoPtr(), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!FSection || !bits) {
      Reset();
      throw EOutOfResources(Format("%s cannot be made", "DIB"));
    }
    FOldBitmap = SelectObject(FDC, FSection);
    FPixelData = static_cast<BYTE*>(bits);
  }
  FTopBits = FPixelData + static_cast<std::int64_t>(Height - 1) * FWidthBytes;
}

void TDIBSharedImage::LoadImageData(TStream& Stream, bool MemoryImage, std::int64_t PixelOffset) {
  Reset();
  BYTE head[4];
  std::int32_t got = Stream.Read(head, 4);
  if (got == 0) return;
  if (got < 4) InvalidDIB();
  const DWORD headerSize = GetDword(head);
  bool core = false;
  std::int64_t width = 0, height = 0;
  std::int32_t bitCount = 0;
  DWORD compression = 0, imageSize = 0, colorsUsed = 0;
  if (headerSize == 40) {
    BYTE h[36];
    Stream.ReadBuffer(h, sizeof h);
    width = static_cast<LONG>(GetDword(h + 0));
    height = static_cast<LONG>(GetDword(h + 4));
    bitCount = GetWord(h + 10);
    compression = GetDword(h + 12);
    imageSize = GetDword(h + 16);
    colorsUsed = GetDword(h + 28);
  } else if (headerSize == 12) {
    core = true;
    BYTE h[8];
    Stream.ReadBuffer(h, sizeof h);
    width = GetWord(h + 0);
    height = GetWord(h + 2);
    bitCount = GetWord(h + 6);
  } else {
    InvalidDIB();
  }
  if (width < 0) InvalidDIB();
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (height > 0x7FFFFFFF) InvalidDIB();

  DWORD masks[3] = {0, 0, 0};
  TDIBChannelLayout layout = bitCount == 16 ? Layout555() : Layout888();
  if (compression == BI_BITFIELDS) {
    BYTE m[12];
    Stream.ReadBuffer(m, sizeof m);
    for (int i = 0; i < 3; ++i) masks[i] = GetDword(m + 4 * i);
    layout = MakeChannelLayoutFromMasks(masks[0], masks[1], masks[2]);
  }

  // The colour table; entries beyond 256 are skipped.
  TDIBColorTable table{};
  std::int64_t entries = colorsUsed;
  if (entries == 0 && bitCount <= 8) entries = std::int64_t{1} << bitCount;
  const std::int64_t entrySize = core ? 3 : 4;
  const std::int64_t taken = std::min<std::int64_t>(entries, 256);
  BYTE raw[256 * 4];
  Stream.ReadBuffer(raw, taken * entrySize);
  for (std::int64_t i = 0; i < taken; ++i) {
    const BYTE* e = raw + i * entrySize;
    table[i] = core ? MakeRGBQuad(e[2], e[1], e[0]) : RGBQUAD{e[0], e[1], e[2], e[3]};
  }
  // Where the pixels are when nothing says otherwise: right after the whole
  // colour table (surplus entries included).
  const std::int64_t afterTables = Stream.Position() + (entries - taken) * entrySize;

  // A compression code must fit the bit count before the layout is judged.
  switch (compression) {
    case BI_RGB: break;
    case BI_RLE8:
      if (bitCount != 8 || topDown) InvalidDIB();
      break;
    case BI_RLE4:
      if (bitCount != 4 || topDown) InvalidDIB();
      break;
    case BI_BITFIELDS:
      if (bitCount != 16 && bitCount != 32) InvalidDIB();
      break;
    default: InvalidDIB();
  }
  CheckFormat(bitCount, layout);
  const bool compressed = compression == BI_RLE8 || compression == BI_RLE4;
  const std::int64_t size = ImageBytes(RowBytes(bitCount, width), height);
  if (size > MaxDIBSize) InvalidDIB();
  // Bytes the pixels take in the stream, checked before anything is allocated.
  const std::int64_t stored = compressed ? imageSize : size;
  // A file's pixel offset is taken when the pixels lie there whole, past the
  // header and the colour table; a zero or stale offset is passed over and
  // the pixels are read straight after the colour table.
  std::int64_t pixelsAt = afterTables;
  if (PixelOffset >= afterTables && PixelOffset <= Stream.Size() - stored) pixelsAt = PixelOffset;
  if (pixelsAt != Stream.Position() && Stream.Seek(pixelsAt, soFromBeginning) != pixelsAt) throw EReadError();
  if (Stream.Size() - pixelsAt < stored) throw EReadError();
  if (width == 0 || height == 0) {
    // An empty picture; its stored bytes are passed over.
    Stream.Seek(stored, soFromCurrent);
    return;
  }

  InitImage(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), bitCount, layout, table, MemoryImage,
            compressed);
  try {
    if (compressed) {
      FMemory.assign(static_cast<std::size_t>(imageSize), 0);
      FPixelData = FMemory.empty() ? nullptr : FMemory.data();
      FSize = imageSize;
      SetImageSizeField(imageSize);
      Stream.ReadBuffer(FMemory.data(), imageSize);
    } else if (!topDown) {
      Stream.ReadBuffer(FPixelData, FSize);
    } else {
      for (std::int32_t i = 0; i < FHeight; ++i)
        Stream.ReadBuffer(FPixelData + static_cast<std::int64_t>(FHeight - 1 - i) * FWidthBytes, FWidthBytes);
    }
    if (compression == BI_BITFIELDS &&
        (masks[0] != layout.RMask || masks[1] != layout.GMask || masks[2] != layout.BMask))
      RepackChannels(FPixelData, FWidth, FHeight, FWidthBytes, FBitCount, masks, layout);
  } catch (...) {
    Reset();
    throw;
  }
}

bool TDIBSharedImage::LoadImageFile(TStream& Stream, bool MemoryImage) {
  Reset();
  const std::int64_t start = Stream.Position();
  BYTE header[14];
  std::int32_t got = Stream.Read(header, sizeof header);
  if (got == 0) return false;
  if (got < 14 || GetWord(header) != 0x4D42) InvalidDIB();
  LoadImageData(Stream, MemoryImage, start + GetDword(header + 10));
  return true;
}

void TDIBSharedImage::SaveImageFile(TStream& Stream) const {
  if (FSize == 0) return;
  BYTE header[14] = {};
  const std::int64_t offset = 14 + BitmapInfoSize();
  PutWord(header, 0x4D42);
  PutDword(header + 2, static_cast<DWORD>(offset + FSize));
  PutDword(header + 10, static_cast<DWORD>(offset));
  Stream.WriteBuffer(header, sizeof header);
  SaveImageData(Stream);
}

void TDIBSharedImage::ExpandImage(const TDIBSharedImage& Source, bool MemoryImage) {
  if (!Source.FCompressed) {
    CopyImage(Source, MemoryImage);
    return;
  }
  InitImage(Source.FWidth, Source.FHeight, Source.FBitCount, Source.FChannelLayout, Source.FColorTable, MemoryImage,
            false);
  const std::size_t n = static_cast<std::size_t>(Source.FSize);
  if (Source.FBitCount == 8)
    ExpandRLE8(Source.FPixelData, n, FPixelData, FWidth, FHeight, FWidthBytes);
  else
    ExpandRLE4(Source.FPixelData, n, FPixelData, FWidth, FHeight, FWidthBytes);
}

void TDIBSharedImage::CopyImage(const TDIBSharedImage& Source, bool MemoryImage) {
  if (Source.FSize == 0) {
    Reset();
    FMemoryImage = MemoryImage;
    return;
  }
  InitImage(Source.FWidth, Source.FHeight, Source.FBitCount, Source.FChannelLayout, Source.FColorTable, MemoryImage,
            Source.FCompressed);
  if (Source.FCompressed) {
    FMemory.assign(Source.FPixelData, Source.FPixelData + Source.FSize);
    FPixelData = FMemory.data();
    FSize = Source.FSize;
    SetImageSizeField(static_cast<DWORD>(FSize));
  } else {
    std::memcpy(FPixelData, Source.FPixelData, static_cast<std::size_t>(FSize));
  }
}

void TDIBSharedImage::StoreColorTable(const TDIBColorTable& ColorTable) {
  FColorTable = ColorTable;
  FPaletteChanged = true;
  if (FSize > 0 && FColorCount > 0) {
    if (FDC) SetDIBColorTable(FDC, 0, 256, ColorTable.data());
    for (std::int32_t i = 0; i < FColorCount; ++i) {
      BYTE* e = FBitmapInfo.data() + FColorTablePos + 4 * i;
      e[0] = ColorTable[i].rgbBlue;
      e[1] = ColorTable[i].rgbGreen;
      e[2] = ColorTable[i].rgbRed;
      e[3] = ColorTable[i].rgbReserved;
    }
  }
}

HPALETTE TDIBSharedImage::GetPalette() {
  if (FColorCount == 0) return nullptr;
  if (FPaletteChanged) {
    FPaletteChanged = false;
    PaletteManager().ReleasePalette(FPalette);
    FPalette = PaletteManager().AcquirePalette(FColorTable, FColorCount);
  }
  return FPalette;
}

void TDIBSharedImage::SaveImageData(TStream& Stream) const {
  if (FSize == 0) return;
  Stream.WriteBuffer(FBitmapInfo.data(), static_cast<std::int64_t>(FBitmapInfo.size()));
  Stream.WriteBuffer(FPixelData, FSize);
}
