// Bitmap files from untrusted bytes: the file header, its pixel offset and the
// bitmap data behind it must be read without leaving the data, a written file
// must read back to the same bytes, and drawing, expanding and writing pixels
// of what was read must stay inside the picture.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "display/DIB.h"

namespace {

// Pictures larger than this are read but not drawn or expanded.
constexpr std::int64_t MaxWorkedBytes = 1 << 20;

}  // namespace

// The GDI's stock objects (the default palette selected around a draw) live
// for the whole process and are not freed at exit; they are no leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:MakeStock\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  // Half the inputs get the file type, so that most runs reach the bitmap data.
  std::vector<std::uint8_t> bytes(Data, Data + Size);
  if (bytes.size() >= 2 && (bytes[0] & 1)) {
    bytes[0] = 'B';
    bytes[1] = 'M';
  }
  TDIB dib;
  TBytesStream stream(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  try {
    dib.LoadFromStream(&stream);
  } catch (const Exception&) { return 0; }
  TMemoryStream first;
  dib.SaveToStream(&first);
  first.SetPosition(0);
  TDIB again;
  again.LoadFromStream(&first);
  TMemoryStream second;
  again.SaveToStream(&second);
  if (first.Bytes() != second.Bytes()) std::abort();

  if (dib.Empty() || std::int64_t{dib.Image()->WidthBytes()} * dib.Height() > MaxWorkedBytes) return 0;
  static TDIB* const target = [] {
    auto* t = new TDIB;
    t->SetSize(16, 16, 24);
    return t;
  }();
  target->Canvas()->StretchDraw(Rect(0, 0, 16, 16), &dib);
  TDIB copy;
  copy.Assign(&dib);
  copy.SetPixel(dib.Width() - 1, 0, 0xFFFFFFFF);
  copy.SetPixel(0, dib.Height() - 1, 0x12345678);
  TMemoryStream third;
  copy.SaveToStream(&third);
  return 0;
}
