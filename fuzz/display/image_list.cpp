// An image list's stored data from untrusted bytes: its items (names,
// pattern and skip sizes, pictures, colour keys) and the collection's
// "ColorTable". Malformed data fails with the reader's errors, never a
// crash; what was read writes data that reads back to the same list.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "display/DXImageList.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Filer.h"

namespace {

bool SameItems(TDXImageList& A, TDXImageList& B) {
  TPictureCollection* a = A.Items();
  TPictureCollection* b = B.Items();
  if (a->Count() != b->Count()) return false;
  if (std::memcmp(a->ColorTable().data(), b->ColorTable().data(), sizeof(TRGBQuads)) != 0) return false;
  for (int i = 0; i < a->Count(); ++i) {
    TPictureCollectionItem* x = a->Items(i);
    TPictureCollectionItem* y = b->Items(i);
    if (x->Name() != y->Name() || x->PatternWidth() != y->PatternWidth() || x->PatternHeight() != y->PatternHeight() ||
        x->SkipWidth() != y->SkipWidth() || x->SkipHeight() != y->SkipHeight() ||
        x->SystemMemory() != y->SystemMemory() || x->Transparent() != y->Transparent() ||
        x->TransparentColor() != y->TransparentColor() || x->Picture()->Width() != y->Picture()->Width() ||
        x->Picture()->Height() != y->Picture()->Height())
      return false;
    // Looking an item up by its name finds one named alike.
    if (a->IndexOf(x->Name()) < 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TMemoryStream input;
  input.WriteBuffer(Data, static_cast<std::int64_t>(Size));
  input.SetPosition(0);
  TDXImageList list(nullptr);
  try {
    ReadPersistentProperties(&input, &list);
  } catch (const Exception&) { return 0; }
  TMemoryStream stored;
  WritePersistentProperties(&stored, &list);
  stored.SetPosition(0);
  TDXImageList again(nullptr);
  ReadPersistentProperties(&stored, &again);
  if (!SameItems(list, again)) std::abort();
  return 0;
}
