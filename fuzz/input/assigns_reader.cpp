// The stored key assignments ("Assigns") from untrusted bytes: a value shorter
// than the table fails with the stream's read error and changes nothing; any
// other value fills the table from its first 432 bytes, which write back
// unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "input_sound/Keyboard.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TBytesStream in(Data, static_cast<std::int64_t>(Size));
  TKeyAssignTable table;
  DefaultKeyAssigns(table);
  const TKeyAssignTable before = table;
  try {
    ReadKeyAssignTable(&in, table);
  } catch (const EReadError&) {
    if (Size >= KeyAssignTableSize || table != before) std::abort();
    return 0;
  }
  if (Size < KeyAssignTableSize || in.Position() != KeyAssignTableSize) std::abort();
  TMemoryStream out;
  WriteKeyAssignTable(&out, table);
  if (out.Size() != KeyAssignTableSize || std::memcmp(out.Memory(), Data, KeyAssignTableSize) != 0) std::abort();
  return 0;
}
