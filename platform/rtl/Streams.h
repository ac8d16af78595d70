// The runtime's streams: the abstract TStream, a growable TMemoryStream and a
// TFileStream over a file. Positions and sizes are 64-bit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr int soFromBeginning = 0;
constexpr int soFromCurrent = 1;
constexpr int soFromEnd = 2;

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads or writes up to Count bytes; returns how many were moved.
  virtual std::int32_t Read(void* Buffer, std::int32_t Count) = 0;
  virtual std::int32_t Write(const void* Buffer, std::int32_t Count) = 0;
  virtual std::int64_t Seek(std::int64_t Offset, int Origin) = 0;
  virtual void SetSize(std::int64_t NewSize) = 0;

  std::int64_t Position() { return Seek(0, soFromCurrent); }
  void SetPosition(std::int64_t Pos) { Seek(Pos, soFromBeginning); }
  std::int64_t Size();

  // Move exactly Count bytes or raise EReadError / EWriteError.
  void ReadBuffer(void* Buffer, std::int64_t Count);
  void WriteBuffer(const void* Buffer, std::int64_t Count);
  // Copies Count bytes from Source (the whole of it from its start when Count is 0).
  std::int64_t CopyFrom(TStream& Source, std::int64_t Count);
};

class TMemoryStream : public TStream {
 public:
  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  void SetSize(std::int64_t NewSize) override;

  void Clear();
  std::uint8_t* Memory() { return FData.data(); }
  const std::uint8_t* Memory() const { return FData.data(); }
  const std::vector<std::uint8_t>& Bytes() const { return FData; }

  void LoadFromStream(TStream& Stream);
  void SaveToStream(TStream& Stream);
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

 private:
  std::vector<std::uint8_t> FData;
  std::int64_t FPosition = 0;
};

// Open modes of TFileStream.
constexpr std::uint16_t fmCreate = 0xFFFF;
constexpr std::uint16_t fmOpenRead = 0x0000;
constexpr std::uint16_t fmOpenWrite = 0x0001;
constexpr std::uint16_t fmOpenReadWrite = 0x0002;
constexpr std::uint16_t fmShareDenyWrite = 0x0020;
constexpr std::uint16_t fmShareDenyNone = 0x0040;

// A file stream. The file name is given in the programs' 8-bit text and is
// turned into the host's file name (UTF-8, '/' separators); fmCreate failing raises EFCreateError
// "Cannot create file "%s". %s", opening failing EFOpenError "Cannot open file "%s". %s"
// (the name as given, then the system's text for the failure).
class TFileStream : public TStream {
 public:
  TFileStream(const std::string& FileName, std::uint16_t Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  void SetSize(std::int64_t NewSize) override;

  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
  std::FILE* FFile = nullptr;
};

// A read-only stream over bytes that someone else owns.
class TBytesStream : public TStream {
 public:
  TBytesStream(const void* Data, std::int64_t Size) : FData(static_cast<const std::uint8_t*>(Data)), FSize(Size) {}
  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  std::int32_t Write(const void*, std::int32_t) override { return 0; }
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  void SetSize(std::int64_t) override {}

 private:
  const std::uint8_t* FData;
  std::int64_t FSize;
  std::int64_t FPosition = 0;
};
