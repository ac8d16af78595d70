// Bitmap data from untrusted bytes: reading, expanding run-length data,
// copying and writing back must stay inside the image and the data, and a
// written picture must read back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "display/DIBImage.h"

namespace {

// Pictures larger than this are read but not expanded, to keep runs fast.
constexpr std::int64_t MaxExpandedBytes = 1 << 22;

void Check(const std::uint8_t* Data, std::size_t Size, std::int64_t PixelOffset) {
  TDIBSharedImage image;
  TBytesStream stream(Data, static_cast<std::int64_t>(Size));
  try {
    image.LoadImageData(stream, true, PixelOffset);
  } catch (const Exception&) { return; }
  TMemoryStream first;
  image.SaveImageData(first);
  if (static_cast<std::int64_t>(first.Bytes().size()) != (image.Size() ? image.BitmapInfoSize() + image.Size() : 0))
    std::abort();
  TDIBSharedImage again;
  first.SetPosition(0);
  again.LoadImageData(first, true);
  TMemoryStream second;
  again.SaveImageData(second);
  if (first.Bytes() != second.Bytes()) std::abort();

  if (image.Compressed() && std::int64_t{image.WidthBytes()} * image.Height() <= MaxExpandedBytes) {
    TDIBSharedImage flat;
    flat.ExpandImage(image, true);
    unsigned sum = 0;
    for (std::int64_t i = 0; i < flat.Size(); ++i) sum += flat.PixelData()[i];
    volatile unsigned sink = sum;
    (void)sink;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  Check(Data, Size, -1);
  return 0;
}
