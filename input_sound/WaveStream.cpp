#include "input_sound/WaveStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr std::int64_t MaxInt32 = std::numeric_limits<std::int32_t>::max();

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool IsId(const std::uint8_t* p, const char* Id) { return std::memcmp(p, Id, 4) == 0; }

void WriteChunkHeader(TStream& Stream, const char* Id, std::uint32_t Size) {
  std::uint8_t h[8];
  std::memcpy(h, Id, 4);
  PutLe32(h + 4, Size);
  Stream.WriteBuffer(h, 8);
}

[[noreturn]] void Invalid() { throw EWaveStreamError("Wave is invalid"); }
[[noreturn]] void NotOpened() { throw EWaveStreamError("Stream not opend"); }

}  // namespace

// TCustomWaveStream

std::int32_t TCustomWaveStream::Read(void* Buffer, std::int32_t Count) {
  if (Count < 0) Count = 0;
  std::int32_t size = GetDataSize();
  std::int32_t n;
  if (size < 0) {
    n = ReadSamples(Buffer, Count);
  } else {
    if (FPosition > size) FPosition = size;
    if (static_cast<std::int64_t>(FPosition) + Count > size) Count = size - FPosition;
    n = ReadSamples(Buffer, Count);
  }
  if (n < 0) n = 0;
  FPosition = static_cast<std::int32_t>(std::min<std::int64_t>(MaxInt32, static_cast<std::int64_t>(FPosition) + n));
  return n;
}

std::int32_t TCustomWaveStream::Write(const void* Buffer, std::int32_t Count) {
  if (Count < 0) Count = 0;
  std::int32_t size = GetDataSize();
  if (size >= 0 && FPosition > size) FPosition = size;
  std::int32_t n = WriteSamples(Buffer, Count);
  if (n < 0) n = 0;
  FPosition = static_cast<std::int32_t>(std::min<std::int64_t>(MaxInt32, static_cast<std::int64_t>(FPosition) + n));
  return n;
}

std::int64_t TCustomWaveStream::Seek(std::int64_t Offset, int Origin) {
  const std::int64_t size = GetDataSize();
  std::int64_t pos = FPosition;
  switch (Origin) {
    case soFromBeginning: pos = Offset; break;
    case soFromCurrent: pos = pos + Offset; break;
    case soFromEnd: pos = size + Offset; break;
    default: break;
  }
  // A stream that cannot tell its data size (-1) only keeps the position at
  // or above 0.
  pos = std::clamp<std::int64_t>(pos, 0, size >= 0 ? size : MaxInt32);
  FPosition = static_cast<std::int32_t>(pos);
  return FPosition;
}

void TCustomWaveStream::SetSize(std::int64_t) {}

std::int32_t TCustomWaveStream::GetFormatSize() { return 0; }
std::int32_t TCustomWaveStream::GetDataSize() { return -1; }
std::int32_t TCustomWaveStream::ReadSamples(void*, std::int32_t) { return 0; }
std::int32_t TCustomWaveStream::WriteSamples(const void*, std::int32_t) { return 0; }

// TCustomWaveStream2

void TCustomWaveStream2::SetFormatSize(std::int32_t Size) {
  if (Size < 0) Size = 0;
  std::unique_ptr<std::uint8_t[]> block;
  if (Size > 0) {
    block = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(Size));
    if (FFormat) std::memcpy(block.get(), FFormat.get(), static_cast<std::size_t>(std::min(Size, FFormatSize)));
  }
  FFormat = std::move(block);
  FFormatSize = Size;
}

// TWaveStream

TWaveStream::TWaveStream(TStream& Stream) : FStream(Stream) { FStartPosition = Stream.Position(); }

TWaveStream::~TWaveStream() {
  if (FOpened && !FReading && !FHeaderComplete) {
    try {
      CompleteHeader();
    } catch (const std::exception&) {
      // A destructor cannot report it; TWave::SaveToStream completes the
      // header itself first, so its failures reach the caller.
    }
  }
}

void TWaveStream::Open(bool WriteMode) {
  if (WriteMode)
    WriteHeader();
  else
    ReadHeader();
}

std::int32_t TWaveStream::GetDataSize() {
  if (!FOpened) return 0;
  return FReading ? FDataSize : FWritten;
}

std::int32_t TWaveStream::ReadSamples(void* Buffer, std::int32_t Count) {
  if (!FOpened) NotOpened();
  FStream.SetPosition(FPosition + FDataStart);
  return FStream.Read(Buffer, Count);
}

std::int32_t TWaveStream::WriteSamples(const void* Buffer, std::int32_t Count) {
  if (!FOpened) NotOpened();
  if (FReading) {
    if (static_cast<std::int64_t>(FPosition) + Count > FDataSize) Count = std::max(0, FDataSize - FPosition);
  } else {
    Count = static_cast<std::int32_t>(std::min<std::int64_t>(Count, MaxInt32 - FPosition));
  }
  FStream.SetPosition(FPosition + FDataStart);
  std::int32_t n = FStream.Write(Buffer, Count);
  if (!FReading && n > 0) {
    FWritten = std::max(FWritten, FPosition + n);
    FHeaderComplete = false;
  }
  return n;
}

void TWaveStream::ReadHeader() {
  if (FOpened) throw EWaveStreamError("Stream has already been opened");
  FOpened = true;
  FReading = true;
  FStream.SetPosition(FStartPosition);
  std::uint8_t riff[12];
  FStream.ReadBuffer(riff, 12);
  if (!IsId(riff, "RIFF") || !IsId(riff + 8, "WAVE")) Invalid();
  const std::int64_t end = FStream.Size();
  for (;;) {
    std::uint8_t h[8] = {};
    // A short header, or a zero identifier, ends the walk.
    if (FStream.Read(h, 8) < 8 || Le32(h) == 0) break;
    // Sizes are unsigned: every step moves forward. The chunks whose bytes are
    // kept must lie inside the stream.
    const std::uint32_t size = Le32(h + 4);
    const std::int64_t here = FStream.Position();
    if (IsId(h, "fmt ")) {
      if (size > end - here || size > MaxInt32) Invalid();
      SetFormatSize(static_cast<std::int32_t>(size));
      FStream.ReadBuffer(GetFormat(), size);
    } else if (IsId(h, "data")) {
      if (size > end - here || size > MaxInt32) Invalid();
      FDataSize = static_cast<std::int32_t>(size);
      FDataStart = here;
      FStream.SetPosition(here + size);
    } else {
      if (size >= end - here) break;  // runs to or past the end: nothing follows
      FStream.SetPosition(here + size);
    }
    SkipPadByte(size);
  }
}

void TWaveStream::SkipPadByte(std::uint32_t ChunkSize) {
  if ((ChunkSize & 1) == 0) return;
  std::uint8_t pad = 0xFF;
  if (FStream.Read(&pad, 1) == 1 && pad != 0) FStream.Seek(-1, soFromCurrent);
}

void TWaveStream::WriteHeader() {
  if (FOpened) throw EWaveStreamError("Stream has already been opened");
  if (GetFormatSize() == 0) throw EWaveStreamError("Format is invalid");
  FOpened = true;
  FStream.SetPosition(FStartPosition);
  std::uint8_t placeholder[12] = {};
  FStream.WriteBuffer(placeholder, 12);
  WriteChunkHeader(FStream, "fmt ", static_cast<std::uint32_t>(GetFormatSize()));
  FStream.WriteBuffer(GetFormat(), GetFormatSize());
  FDataHeaderPosition = FStream.Position();
  WriteChunkHeader(FStream, "data", 0);
  FDataStart = FStream.Position();
  FWritten = 0;
}

void TWaveStream::CompleteHeader() {
  if (!FOpened || FReading) return;
  const std::int64_t end = FDataStart + FWritten;
  FStream.SetPosition(FStartPosition);
  WriteChunkHeader(FStream, "RIFF", static_cast<std::uint32_t>(end - FStartPosition - 8));
  FStream.WriteBuffer("WAVE", 4);
  FStream.SetPosition(FDataHeaderPosition);
  WriteChunkHeader(FStream, "data", static_cast<std::uint32_t>(FWritten));
  FStream.SetPosition(end);
  FHeaderComplete = true;
}
