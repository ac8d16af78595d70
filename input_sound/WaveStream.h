// Streams over wave data: TCustomWaveStream keeps its position inside the
// sample data, TCustomWaveStream2 adds a format block held in memory, and
// TWaveStream maps both onto a RIFF/WAVE file in a base stream:
//
//   "RIFF", file length - 8, "WAVE", "fmt ", F, F format bytes,
//   "data", D, D sample bytes            (little-endian 32-bit sizes)
//
// Written files have no pad byte after an odd-sized chunk and end after the
// last sample byte. Reading walks the chunks in any order.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

class EWaveStreamError : public Exception {
 public:
  using Exception::Exception;
};

class TCustomWaveStream : public TStream {
 public:
  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;
  // Origin 0 from the beginning, 1 from the position, 2 from the end of the
  // data; the position stays within 0 and the data size.
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  // The size follows the data: setting it does nothing.
  void SetSize(std::int64_t NewSize) override;

  virtual void* GetFormat() = 0;
  virtual std::int32_t GetFormatSize();
  // -1: a stream that cannot tell its data size.
  virtual std::int32_t GetDataSize();
  virtual std::int32_t ReadSamples(void* Buffer, std::int32_t Count);
  virtual void SetFormatSize(std::int32_t Size) = 0;
  virtual std::int32_t WriteSamples(const void* Buffer, std::int32_t Count);

 protected:
  std::int32_t FPosition = 0;
};

class TCustomWaveStream2 : public TCustomWaveStream {
 public:
  ~TCustomWaveStream2() override = default;
  void* GetFormat() override { return FFormat.get(); }
  std::int32_t GetFormatSize() override { return FFormatSize; }
  // Reallocates the block to exactly Size bytes (contents kept up to the shorter).
  void SetFormatSize(std::int32_t Size) override;

 private:
  std::unique_ptr<std::uint8_t[]> FFormat;
  std::int32_t FFormatSize = 0;
};

class TWaveStream : public TCustomWaveStream2 {
 public:
  // The RIFF file begins at Stream's current position. Stream is not owned.
  explicit TWaveStream(TStream& Stream);
  // Completes the header of a stream opened for writing.
  ~TWaveStream() override;
  TWaveStream(const TWaveStream&) = delete;
  TWaveStream& operator=(const TWaveStream&) = delete;

  // Reads the header (WriteMode false) or writes it (true).
  void Open(bool WriteMode);
  // Writes the RIFF and "data" sizes of a stream opened for writing and leaves
  // the base stream after the last sample. The destructor runs it too, where a
  // failure can no longer be reported: call it to see one.
  void CompleteHeader();

  std::int32_t GetDataSize() override;
  std::int32_t ReadSamples(void* Buffer, std::int32_t Count) override;
  std::int32_t WriteSamples(const void* Buffer, std::int32_t Count) override;

 private:
  void ReadHeader();
  void WriteHeader();
  // After a chunk of odd size, steps over the pad byte that RIFF writers put
  // there; a file written without one is read as it is.
  void SkipPadByte(std::uint32_t ChunkSize);

  std::int64_t FDataStart = 0;
  std::int64_t FDataHeaderPosition = 0;
  bool FOpened = false;
  std::int64_t FStartPosition = 0;
  bool FReading = false;
  std::int32_t FDataSize = 0;
  TStream& FStream;
  // Writing: the end of the samples written so far, which the header counts
  // (bytes that the base stream already held past it are not data).
  std::int32_t FWritten = 0;
  bool FHeaderComplete = false;
};
