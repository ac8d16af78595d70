// The BMP file format: a validating reader of untrusted bytes and a writer.
//
// The reader takes the file header (optional), the bitmap header (core
// 12-byte, 40-byte, or the 52/56/108/124-byte forms), the colour masks, the
// colour table and the pixels (uncompressed, BI_RLE8, BI_RLE4 or
// BI_BITFIELDS; rows bottom-up or top-down) into a plain image: pixels always
// bottom-up in the DIB memory order, rows padded to 4 bytes. Sizes are worked
// out in 64 bits, nothing is read outside the data and nothing is written
// outside the image; any fault raises EInvalidGraphic.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Streams.h"
#include "platform/win/Gdi.h"

constexpr WORD kBmpSignature = 0x4D42;  // "BM"
constexpr size_t kBmpFileHeaderSize = 14;

struct BITMAPFILEHEADER {
  WORD bfType = kBmpSignature;
  DWORD bfSize = 0;
  WORD bfReserved1 = 0;
  WORD bfReserved2 = 0;
  DWORD bfOffBits = 0;
};
void ReadFileHeader(const BYTE* data, BITMAPFILEHEADER& header);   // 14 bytes
void WriteFileHeader(const BITMAPFILEHEADER& header, BYTE* data);  // 14 bytes

// A decoded picture.
struct TBmpImage {
  LONG Width = 0;
  LONG Height = 0;             // always positive
  int BitCount = 0;            // 1, 4, 8, 16, 24 or 32
  DWORD Compression = BI_RGB;  // as stored
  bool Compressed = false;     // Pixels hold BI_RLE8/BI_RLE4 data rather than rows
  DWORD HeaderSize = 40;       // header form read: 12, 40, 52, 56, 108 or 124
  bool TopDown = false;        // rows were stored top row first
  // Channel masks of 16- and 32-bit pixels (the defaults 5-5-5 and 8-8-8
  // when the file has none).
  DWORD RMask = 0, GMask = 0, BMask = 0, AMask = 0;
  // Colour table as stored (up to 256 entries; 1 << BitCount for the
  // indexed formats when the file gives fewer, the rest black).
  std::vector<RGBQUAD> Colors;
  std::int64_t WidthBytes = 0;  // row length of Pixels
  // Bottom-up rows (WidthBytes × Height bytes), or the run-length data as
  // stored when the image was read with KeepCompressed.
  std::vector<BYTE> Pixels;
};

struct TBmpReadOptions {
  bool FileHeader = true;       // data start with the 14-byte file header
  bool KeepCompressed = false;  // keep BI_RLE8/BI_RLE4 data as it is
  const char* ErrorText = "Bitmap image is not valid";
  // Pictures larger than this many pixel bytes are refused.
  std::int64_t MaxPixelBytes = std::int64_t{1} << 30;
};

// Reads a whole BMP from Data. Raises EInvalidGraphic with ErrorText.
TBmpImage DecodeBmp(const BYTE* data, size_t size, const TBmpReadOptions& options = {});
// Reads a BMP from the stream's current position to its end.
TBmpImage DecodeBmp(TStream* stream, const TBmpReadOptions& options = {});

// Writes a BMP file: file header, BITMAPINFOHEADER, masks for BI_BITFIELDS
// (16 bits other than 5-5-5, 32 bits other than 8-8-8), colour table for the
// indexed formats, then the bottom-up rows of Image.Pixels (or its
// run-length data as they are, for a compressed image).
std::vector<BYTE> EncodeBmp(const TBmpImage& image);
void EncodeBmp(const TBmpImage& image, TStream* stream);

// The bitmap information block (header, masks, colour table) of an image, as
// GDI calls such as CreateDIBSection and StretchDIBits take it.
std::vector<BYTE> BmpInfoBlock(const TBmpImage& image);
