#include "platform/toolkit/BmpCodec.h"

#include <algorithm>
#include <cstring>

#include "platform/toolkit/Graphics.h"

namespace {

DWORD Le32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}
WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
void Put32(BYTE* p, DWORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
  p[2] = static_cast<BYTE>(v >> 16);
  p[3] = static_cast<BYTE>(v >> 24);
}
void Put16(BYTE* p, WORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}

[[noreturn]] void Invalid(const TBmpReadOptions& o) { throw EInvalidGraphic(o.ErrorText); }

// A mask is one run of one bits inside the pixel.
bool MaskValid(DWORD mask, int bitCount) {
  if (!mask) return false;
  if (bitCount < 32 && (mask >> bitCount)) return false;
  DWORD low = mask & (~mask + 1);
  DWORD run = mask + low;  // clears the run when it is contiguous
  return (run & mask) == 0;
}

bool DefaultMasks(const TBmpImage& im) {
  if (im.BitCount == 16) return im.RMask == 0x7C00 && im.GMask == 0x3E0 && im.BMask == 0x1F;
  if (im.BitCount == 32) return im.RMask == 0xFF0000 && im.GMask == 0xFF00 && im.BMask == 0xFF;
  return true;
}

}  // namespace

void ReadFileHeader(const BYTE* d, BITMAPFILEHEADER& h) {
  h.bfType = Le16(d);
  h.bfSize = Le32(d + 2);
  h.bfReserved1 = Le16(d + 6);
  h.bfReserved2 = Le16(d + 8);
  h.bfOffBits = Le32(d + 10);
}

void WriteFileHeader(const BITMAPFILEHEADER& h, BYTE* d) {
  Put16(d, h.bfType);
  Put32(d + 2, h.bfSize);
  Put16(d + 6, h.bfReserved1);
  Put16(d + 8, h.bfReserved2);
  Put32(d + 10, h.bfOffBits);
}

TBmpImage DecodeBmp(const BYTE* data, size_t size, const TBmpReadOptions& o) {
  TBmpImage im;
  std::int64_t total = static_cast<std::int64_t>(size);
  std::int64_t info = 0;
  std::int64_t offBits = 0;
  if (o.FileHeader) {
    if (total < static_cast<std::int64_t>(kBmpFileHeaderSize)) Invalid(o);
    BITMAPFILEHEADER fh;
    ReadFileHeader(data, fh);
    if (fh.bfType != kBmpSignature) Invalid(o);
    offBits = fh.bfOffBits;
    info = kBmpFileHeaderSize;
  }
  if (total - info < 4) Invalid(o);
  const BYTE* h = data + info;
  DWORD hsize = Le32(h);
  if (hsize != 12 && hsize != 40 && hsize != 52 && hsize != 56 && hsize != 108 && hsize != 124) Invalid(o);
  if (total - info < hsize) Invalid(o);
  im.HeaderSize = hsize;
  std::int64_t width, height;
  DWORD clrUsed = 0, sizeImage = 0;
  if (hsize == 12) {
    width = Le16(h + 4);
    height = Le16(h + 6);
    im.BitCount = Le16(h + 10);
  } else {
    width = static_cast<LONG>(Le32(h + 4));
    height = static_cast<LONG>(Le32(h + 8));
    im.BitCount = Le16(h + 14);
    im.Compression = Le32(h + 16);
    sizeImage = Le32(h + 20);
    clrUsed = Le32(h + 32);
  }
  if (width <= 0 || height == 0) Invalid(o);
  im.TopDown = height < 0;
  std::int64_t rows = height < 0 ? -height : height;
  switch (im.BitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: Invalid(o);
  }
  bool rle = im.Compression == BI_RLE8 || im.Compression == BI_RLE4;
  switch (im.Compression) {
    case BI_RGB: break;
    case BI_RLE8:
      if (im.BitCount != 8 || im.TopDown) Invalid(o);
      break;
    case BI_RLE4:
      if (im.BitCount != 4 || im.TopDown) Invalid(o);
      break;
    case BI_BITFIELDS:
      if (im.BitCount != 16 && im.BitCount != 32) Invalid(o);
      break;
    default: Invalid(o);
  }

  std::int64_t tableStart = info + hsize;
  if (im.Compression == BI_BITFIELDS) {
    const BYTE* m = h + 40;
    if (hsize == 40) {
      if (total - tableStart < 12) Invalid(o);
      tableStart += 12;
    }
    im.RMask = Le32(m);
    im.GMask = Le32(m + 4);
    im.BMask = Le32(m + 8);
    if (hsize >= 56) im.AMask = Le32(m + 12);
    if (!MaskValid(im.RMask, im.BitCount) || !MaskValid(im.GMask, im.BitCount) || !MaskValid(im.BMask, im.BitCount))
      Invalid(o);
    if ((im.RMask & im.GMask) || (im.RMask & im.BMask) || (im.GMask & im.BMask)) Invalid(o);
  } else if (im.BitCount == 16) {
    im.RMask = 0x7C00;
    im.GMask = 0x3E0;
    im.BMask = 0x1F;
  } else if (im.BitCount == 32) {
    im.RMask = 0xFF0000;
    im.GMask = 0xFF00;
    im.BMask = 0xFF;
  }

  // The colour table: the count the header gives, all of it inside the data.
  std::int64_t entrySize = hsize == 12 ? 3 : 4;
  std::int64_t count = clrUsed ? static_cast<std::int64_t>(clrUsed) : (im.BitCount <= 8 ? (1 << im.BitCount) : 0);
  if (count > (total - tableStart) / entrySize) Invalid(o);
  std::int64_t tableEnd = tableStart + count * entrySize;
  if (im.BitCount <= 8) {
    std::int64_t keep = std::min<std::int64_t>(count, std::int64_t{1} << im.BitCount);
    im.Colors.assign(size_t{1} << im.BitCount, RGBQUAD{});
    for (std::int64_t i = 0; i < keep; ++i) {
      const BYTE* e = data + tableStart + i * entrySize;
      im.Colors[static_cast<size_t>(i)] = RGBQUAD{e[0], e[1], e[2], 0};
    }
  }

  // The pixels start where the file header says when that lies past the
  // headers; otherwise right after the colour table.
  std::int64_t headersEnd = tableStart;
  std::int64_t pixStart = tableEnd;
  if (o.FileHeader && offBits >= headersEnd && offBits <= total) pixStart = offBits;
  std::int64_t available = total - pixStart;

  im.Width = static_cast<LONG>(width);
  im.Height = static_cast<LONG>(rows);
  im.WidthBytes = DibWidthBytes(width, im.BitCount);
  if (im.WidthBytes > o.MaxPixelBytes || rows > o.MaxPixelBytes || im.WidthBytes * rows > o.MaxPixelBytes) Invalid(o);
  std::int64_t pixelBytes = im.WidthBytes * rows;

  if (rle) {
    std::int64_t n = sizeImage && sizeImage <= available ? static_cast<std::int64_t>(sizeImage) : available;
    if (n <= 0) Invalid(o);
    if (o.KeepCompressed) {
      im.Compressed = true;
      im.Pixels.assign(data + pixStart, data + pixStart + n);
    } else {
      im.Pixels.assign(static_cast<size_t>(pixelBytes), 0);
      ExpandDibRle(data + pixStart, static_cast<size_t>(n), im.Compression, im.Width, im.Height, im.Pixels.data(),
                   im.WidthBytes);
    }
    return im;
  }
  if (available < pixelBytes) Invalid(o);
  im.Pixels.resize(static_cast<size_t>(pixelBytes));
  if (!im.TopDown) {
    std::memcpy(im.Pixels.data(), data + pixStart, static_cast<size_t>(pixelBytes));
  } else {
    for (std::int64_t i = 0; i < rows; ++i)
      std::memcpy(im.Pixels.data() + (rows - 1 - i) * im.WidthBytes, data + pixStart + i * im.WidthBytes,
                  static_cast<size_t>(im.WidthBytes));
  }
  return im;
}

TBmpImage DecodeBmp(TStream* stream, const TBmpReadOptions& o) {
  std::int64_t left = stream->Size() - stream->Position();
  if (left < 0) left = 0;
  std::int64_t take = left;
  if (o.FileHeader && left >= static_cast<std::int64_t>(kBmpFileHeaderSize)) {
    // A file header naming a size within the stream bounds the picture, so
    // that data following it in the stream stay unread.
    BYTE head[kBmpFileHeaderSize];
    std::int64_t start = stream->Position();
    stream->ReadBuffer(head, sizeof(head));
    stream->SetPosition(start);
    BITMAPFILEHEADER fh;
    ReadFileHeader(head, fh);
    if (fh.bfSize >= kBmpFileHeaderSize + 12 && fh.bfSize <= left) take = fh.bfSize;
  }
  std::int64_t limit = o.MaxPixelBytes + (std::int64_t{1} << 20);
  if (take > limit) Invalid(o);
  std::int64_t start = stream->Position();
  std::vector<BYTE> bytes(static_cast<size_t>(take));
  stream->ReadBuffer(bytes.data(), take);
  if (take == left) return DecodeBmp(bytes.data(), bytes.size(), o);
  try {
    return DecodeBmp(bytes.data(), bytes.size(), o);
  } catch (const EInvalidGraphic&) {
    // A size field too small for the picture: try the whole rest.
    if (left > limit) throw;
    stream->SetPosition(start);
    bytes.resize(static_cast<size_t>(left));
    stream->ReadBuffer(bytes.data(), left);
    return DecodeBmp(bytes.data(), bytes.size(), o);
  }
}

std::vector<BYTE> BmpInfoBlock(const TBmpImage& im) {
  bool fields = (im.BitCount == 16 || im.BitCount == 32) && !DefaultMasks(im);
  size_t colors = im.BitCount <= 8 ? std::min(im.Colors.size(), size_t{1} << im.BitCount) : 0;
  std::vector<BYTE> block(40 + (fields ? 12 : 0) + 4 * colors, 0);
  BYTE* h = block.data();
  Put32(h, 40);
  Put32(h + 4, static_cast<DWORD>(im.Width));
  Put32(h + 8, static_cast<DWORD>(im.Height));
  Put16(h + 12, 1);
  Put16(h + 14, static_cast<WORD>(im.BitCount));
  DWORD compression = im.Compressed ? im.Compression : (fields ? BI_BITFIELDS : BI_RGB);
  Put32(h + 16, compression);
  Put32(h + 20, static_cast<DWORD>(im.Pixels.size()));
  Put32(h + 32, colors && colors < (size_t{1} << im.BitCount) ? static_cast<DWORD>(colors) : 0);
  BYTE* p = h + 40;
  if (fields) {
    Put32(p, im.RMask);
    Put32(p + 4, im.GMask);
    Put32(p + 8, im.BMask);
    p += 12;
  }
  for (size_t i = 0; i < colors; ++i, p += 4) {
    p[0] = im.Colors[i].rgbBlue;
    p[1] = im.Colors[i].rgbGreen;
    p[2] = im.Colors[i].rgbRed;
    p[3] = 0;
  }
  return block;
}

std::vector<BYTE> EncodeBmp(const TBmpImage& im) {
  std::vector<BYTE> info = BmpInfoBlock(im);
  std::vector<BYTE> out(kBmpFileHeaderSize + info.size() + im.Pixels.size());
  BITMAPFILEHEADER fh;
  fh.bfSize = static_cast<DWORD>(out.size());
  fh.bfOffBits = static_cast<DWORD>(kBmpFileHeaderSize + info.size());
  WriteFileHeader(fh, out.data());
  std::memcpy(out.data() + kBmpFileHeaderSize, info.data(), info.size());
  if (!im.Pixels.empty()) std::memcpy(out.data() + fh.bfOffBits, im.Pixels.data(), im.Pixels.size());
  return out;
}

void EncodeBmp(const TBmpImage& image, TStream* stream) {
  std::vector<BYTE> bytes = EncodeBmp(image);
  stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}
