// Bitmap files from untrusted bytes: the file header, its pixel offset and the
// bitmap data behind it must be read without leaving the data, and a written
// file must read back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "display/DIBImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  // Half the inputs get the file type, so that most runs reach the bitmap data.
  std::vector<std::uint8_t> bytes(Data, Data + Size);
  if (bytes.size() >= 2 && (bytes[0] & 1)) {
    bytes[0] = 'B';
    bytes[1] = 'M';
  }
  TDIBSharedImage image;
  TBytesStream stream(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  try {
    image.LoadImageFile(stream, true);
  } catch (const Exception&) {
    return 0;
  }
  TMemoryStream first;
  image.SaveImageFile(first);
  first.SetPosition(0);
  TDIBSharedImage again;
  again.LoadImageFile(first, true);
  TMemoryStream second;
  again.SaveImageFile(second);
  if (first.Bytes() != second.Bytes()) std::abort();
  return 0;
}
