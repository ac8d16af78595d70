// One sound in memory: its wave format block (the bytes of a RIFF "fmt "
// chunk, not interpreted here) and its sample bytes. Stored in a window's
// component data as the binary property "WAVE", whose value is a whole
// RIFF/WAVE file.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/rtl/Streams.h"
#include "platform/toolkit/Persistent.h"

class TWave : public TPersistent {
 public:
  // Sample data grow in blocks of this many bytes.
  static constexpr std::int32_t BlockBytes = 8096;

  TWave() = default;
  ~TWave() override;
  TWave(const TWave&) = delete;
  TWave& operator=(const TWave&) = delete;

  // Null clears; a TWave is copied; anything else raises EConvertError.
  void Assign(const TPersistent* Source) override;
  // Frees both blocks; both sizes become 0.
  void Clear();
  // Sets the data size (below 0: 0), reallocating only when the number of
  // blocks changes; the contents are kept up to the shorter length.
  void SetSize(std::int32_t Size);
  // Sets the format size (below 0: 0); the block is exactly that long.
  void SetFormatSize(std::int32_t Size);

  // Reads a RIFF/WAVE file from the stream's position. An empty stream gives
  // an empty wave; a load that fails leaves the wave empty.
  void LoadFromStream(TStream& Stream);
  // Writes the wave as a RIFF/WAVE file at the stream's position; a wave
  // without a format writes nothing.
  void SaveToStream(TStream& Stream);

  const std::uint8_t* Format() const { return FFormat.get(); }
  std::uint8_t* Format() { return FFormat.get(); }
  std::int32_t FormatSize() const { return FFormatSize; }
  const std::uint8_t* Data() const { return FData.get(); }
  std::uint8_t* Data() { return FData.get(); }
  std::int32_t Size() const { return FSize; }
  // Bytes allocated for the samples: whole blocks.
  std::int32_t DataCapacity() const { return FCapacity; }

 protected:
  void DefineProperties(TFiler* Filer) override;
  // The read and write procedures of the "WAVE" property.
  virtual void ReadWaveData(TStream& Stream);
  virtual void WriteWaveData(TStream& Stream);

 private:
  std::unique_ptr<std::uint8_t[]> FData;
  std::unique_ptr<std::uint8_t[]> FFormat;
  std::int32_t FFormatSize = 0;
  std::int32_t FSize = 0;
  std::int32_t FCapacity = 0;
};
