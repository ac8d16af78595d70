// BMP files from untrusted bytes: the reader must refuse or decode them without
// reading past the data or writing outside the picture; a decoded picture
// loads into a bitmap, draws through GDI (also straight from run-length data),
// and writes a file that reads back to the same pixels.
//
// Pictures stay at sizes a fuzzer gets through quickly: the reader refuses more
// pixel bytes than a 256 x 256 picture of 8 bits holds, and only pictures of
// at most 256 pixels a side go on to be drawn, loaded and written. The draw
// goes to a 16 x 16 target: small enough for the colour conversion of each
// drawn pixel to stay cheap, large enough to both shrink and enlarge; the
// run-length data are expanded whole whatever the target.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/BmpCodec.h"

namespace {

constexpr LONG MaxSide = 256;
constexpr std::int64_t MaxPixelBytes = std::int64_t{MaxSide} * MaxSide;
constexpr int Target = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TBmpReadOptions options;
  options.MaxPixelBytes = MaxPixelBytes;
  options.FileHeader = Size > 0 && Data[0] == 'B';
  TBmpImage image;
  try {
    image = DecodeBmp(Data, Size, options);
  } catch (const EInvalidGraphic&) { return 0; }
  if (image.Width <= 0 || image.Height <= 0) std::abort();
  if (static_cast<std::int64_t>(image.Pixels.size()) != image.WidthBytes * image.Height) std::abort();
  if (image.WidthBytes * image.Height > MaxPixelBytes) std::abort();
  if (image.Width > MaxSide || image.Height > MaxSide) return 0;

  // The same bytes kept compressed, drawn by GDI from the run-length data.
  TBmpReadOptions keep = options;
  keep.KeepCompressed = true;
  TBmpImage raw = DecodeBmp(Data, Size, keep);
  std::vector<std::uint32_t> screen(Target * Target);
  HDC dc = CreateDCOverBits(screen.data(), Target, Target, Target * 4, 32, 0xFF0000, 0xFF00, 0xFF, nullptr, 0);
  std::vector<BYTE> info = BmpInfoBlock(raw);
  StretchDIBits(dc, 0, 0, Target, Target, 0, 0, raw.Width, raw.Height, raw.Pixels.data(),
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
