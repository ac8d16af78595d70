// BMP files from untrusted bytes: the reader must refuse or decode them without
// reading past the data or writing outside the picture; a decoded picture
// loads into a bitmap, draws through GDI (also straight from run-length data),
// and writes a file that reads back to the same pixels.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/BmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TBmpReadOptions options;
  options.MaxPixelBytes = std::int64_t{1} << 22;
  options.FileHeader = Size > 0 && Data[0] == 'B';
  TBmpImage image;
  try {
    image = DecodeBmp(Data, Size, options);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  if (image.Width <= 0 || image.Height <= 0) std::abort();
  if (static_cast<std::int64_t>(image.Pixels.size()) != image.WidthBytes * image.Height) std::abort();

  // The same bytes kept compressed, drawn by GDI from the run-length data.
  TBmpReadOptions keep = options;
  keep.KeepCompressed = true;
  TBmpImage raw = DecodeBmp(Data, Size, keep);
  std::vector<std::uint32_t> screen(64 * 64);
  HDC dc = CreateDCOverBits(screen.data(), 64, 64, 64 * 4, 32, 0xFF0000, 0xFF00, 0xFF, nullptr, 0);
  std::vector<BYTE> info = BmpInfoBlock(raw);
  StretchDIBits(dc, 0, 0, 64, 64, 0, 0, raw.Width, raw.Height, raw.Pixels.data(),
                reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
  DeleteDC(dc);

  TBitmap bitmap;
  bitmap.LoadFromImage(image);
  TMemoryStream stream;
  bitmap.SaveToStream(&stream);
  stream.SetPosition(0);
  TBmpReadOptions file = options;
  file.FileHeader = true;
  TBmpImage again = DecodeBmp(&stream, file);
  if (again.Pixels != image.Pixels || again.Width != image.Width || again.Height != image.Height) std::abort();
  return 0;
}
