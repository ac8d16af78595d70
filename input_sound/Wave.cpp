#include "input_sound/Wave.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "input_sound/WaveStream.h"

namespace {
std::int32_t BlocksFor(std::int32_t Size) {
  return static_cast<std::int32_t>((static_cast<std::int64_t>(Size) + TWave::BlockBytes - 1) / TWave::BlockBytes);
}
}  // namespace

TWave::~TWave() { Clear(); }

void TWave::Assign(const TPersistent* Source) {
  if (!Source) {
    Clear();
    return;
  }
  if (auto* wave = dynamic_cast<const TWave*>(Source)) {
    if (wave == this) return;
    SetSize(wave->FSize);
    SetFormatSize(wave->FFormatSize);
    if (FSize) std::memcpy(FData.get(), wave->FData.get(), static_cast<std::size_t>(FSize));
    if (FFormatSize) std::memcpy(FFormat.get(), wave->FFormat.get(), static_cast<std::size_t>(FFormatSize));
    return;
  }
  TPersistent::Assign(Source);
}

void TWave::Clear() {
  FData.reset();
  FFormat.reset();
  FFormatSize = 0;
  FSize = 0;
  FCapacity = 0;
}

void TWave::SetSize(std::int32_t Size) {
  if (Size < 0) Size = 0;
  const std::int32_t blocks = BlocksFor(Size);
  if (blocks != BlocksFor(FSize) || (blocks > 0 && !FData)) {
    std::unique_ptr<std::uint8_t[]> data;
    const std::int32_t capacity = static_cast<std::int32_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(blocks) * BlockBytes, std::numeric_limits<std::int32_t>::max()));
    if (blocks > 0) {
      data = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(capacity));
      if (FData) std::memcpy(data.get(), FData.get(), static_cast<std::size_t>(std::min(FSize, Size)));
    }
    FData = std::move(data);
    FCapacity = blocks > 0 ? capacity : 0;
  }
  FSize = Size;
}

void TWave::SetFormatSize(std::int32_t Size) {
  if (Size < 0) Size = 0;
  std::unique_ptr<std::uint8_t[]> block;
  if (Size > 0) {
    block = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(Size));
    if (FFormat) std::memcpy(block.get(), FFormat.get(), static_cast<std::size_t>(std::min(Size, FFormatSize)));
  }
  FFormat = std::move(block);
  FFormatSize = Size;
}

void TWave::LoadFromStream(TStream& Stream) {
  Clear();
  // An empty value (as an empty wave is saved) loads as an empty wave.
  if (Stream.Size() - Stream.Position() <= 0) return;
  try {
    TWaveStream wave(Stream);
    wave.Open(false);
    SetFormatSize(wave.GetFormatSize());
    if (FFormatSize) std::memcpy(FFormat.get(), wave.GetFormat(), static_cast<std::size_t>(FFormatSize));
    SetSize(wave.GetDataSize());
    wave.ReadBuffer(FData.get(), FSize);
  } catch (...) {
    // Half a wave is no wave: a failed load leaves it empty.
    Clear();
    throw;
  }
}

void TWave::SaveToStream(TStream& Stream) {
  // Without a format there is nothing to describe the samples. A format
  // without samples is saved with an empty "data" chunk.
  if (FFormatSize == 0) return;
  TWaveStream wave(Stream);
  wave.SetFormatSize(FFormatSize);
  std::memcpy(wave.GetFormat(), FFormat.get(), static_cast<std::size_t>(FFormatSize));
  wave.Open(true);
  wave.WriteBuffer(FData.get(), FSize);
  wave.CompleteHeader();
}

void TWave::DefineProperties(TFiler* Filer) { TPersistent::DefineProperties(Filer); }

void TWave::ReadWaveData(TStream& Stream) { LoadFromStream(Stream); }

void TWave::WriteWaveData(TStream& Stream) { SaveToStream(Stream); }
