// RIFF/WAVE files from untrusted bytes: the chunk walk must end, allocate no
// more than the input holds, fail only with the streams' own errors and leave
// a failed wave empty; a loaded wave must save and load back unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "input_sound/Wave.h"
#include "input_sound/WaveStream.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

namespace {
bool Same(const TWave& a, const TWave& b) {
  return a.FormatSize() == b.FormatSize() && a.Size() == b.Size() &&
         (a.FormatSize() == 0 || std::memcmp(a.Format(), b.Format(), static_cast<std::size_t>(a.FormatSize())) == 0) &&
         (a.Size() == 0 || std::memcmp(a.Data(), b.Data(), static_cast<std::size_t>(a.Size())) == 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TBytesStream in(Data, static_cast<std::int64_t>(Size));
  TWave wave;
  try {
    wave.LoadFromStream(in);
  } catch (const EWaveStreamError&) {
    if (wave.FormatSize() != 0 || wave.Size() != 0) std::abort();
    return 0;
  } catch (const EReadError&) {
    if (wave.FormatSize() != 0 || wave.Size() != 0) std::abort();
    return 0;
  }
  if (static_cast<std::size_t>(wave.FormatSize()) > Size || static_cast<std::size_t>(wave.Size()) > Size) std::abort();

  TMemoryStream out;
  wave.SaveToStream(out);
  if (wave.FormatSize() == 0) {
    if (out.Size() != 0) std::abort();
    return 0;
  }
  if (out.Size() != 28 + wave.FormatSize() + wave.Size()) std::abort();
  out.SetPosition(0);
  TWave back;
  back.LoadFromStream(out);
  if (!Same(wave, back)) std::abort();

  // The sample stream keeps its position inside the data.
  out.SetPosition(0);
  TWaveStream samples(out);
  samples.Open(false);
  const std::int64_t end = samples.Seek(Size, soFromBeginning);
  if (end != wave.Size()) std::abort();
  std::uint8_t buf[16];
  const std::int64_t pos = samples.Seek(-static_cast<std::int64_t>(Size % 17), soFromEnd);
  const std::int64_t expect = std::min<std::int64_t>(sizeof buf, wave.Size() - pos);
  if (samples.Read(buf, sizeof buf) != expect || samples.Position() != pos + expect) std::abort();
  if (expect > 0 && std::memcmp(buf, wave.Data() + pos, static_cast<std::size_t>(expect)) != 0) std::abort();
  return 0;
}
