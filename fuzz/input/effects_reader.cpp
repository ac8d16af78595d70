// The stored force-feedback tree ("Effects") from untrusted bytes: the reader
// fails only with the runtime's and the toolkit's exceptions; a tree that
// loads is written, and that writing reads back and writes again unchanged.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "input_sound/ForceFeedback.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

namespace {

std::vector<std::uint8_t> Write(TForceFeedbackEffects& Root) {
  TMemoryStream out;
  Root.WriteEffects(&out);
  return std::vector<std::uint8_t>(out.Memory(), out.Memory() + out.Size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  // A tree without a device: nothing reaches DirectInput.
  TForceFeedbackEffects root(nullptr);
  TBytesStream in(Data, static_cast<std::int64_t>(Size));
  try {
    root.ReadEffects(&in);
  } catch (const Exception&) { return 0; }
  std::vector<std::uint8_t> first = Write(root);
  TForceFeedbackEffects again(nullptr);
  TBytesStream back(first.data(), static_cast<std::int64_t>(first.size()));
  try {
    again.ReadEffects(&back);
  } catch (const Exception&) {
    std::abort();  // our own writing must read back
  }
  if (Write(again) != first) std::abort();
  return 0;
}
