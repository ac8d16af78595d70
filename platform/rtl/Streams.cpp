#include "platform/rtl/Streams.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

std::int64_t TStream::Size() {
  std::int64_t pos = Seek(0, soFromCurrent);
  std::int64_t end = Seek(0, soFromEnd);
  Seek(pos, soFromBeginning);
  return end;
}

void TStream::ReadBuffer(void* Buffer, std::int64_t Count) {
  auto* p = static_cast<std::uint8_t*>(Buffer);
  while (Count > 0) {
    std::int32_t chunk = static_cast<std::int32_t>(std::min<std::int64_t>(Count, 1 << 30));
    std::int32_t n = Read(p, chunk);
    if (n != chunk) throw EReadError();
    p += n;
    Count -= n;
  }
}

void TStream::WriteBuffer(const void* Buffer, std::int64_t Count) {
  auto* p = static_cast<const std::uint8_t*>(Buffer);
  while (Count > 0) {
    std::int32_t chunk = static_cast<std::int32_t>(std::min<std::int64_t>(Count, 1 << 30));
    std::int32_t n = Write(p, chunk);
    if (n != chunk) throw EWriteError();
    p += n;
    Count -= n;
  }
}

std::int64_t TStream::CopyFrom(TStream& Source, std::int64_t Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  std::int64_t result = Count;
  std::vector<std::uint8_t> buf(static_cast<size_t>(std::min<std::int64_t>(std::max<std::int64_t>(Count, 1), 65536)));
  while (Count > 0) {
    std::int64_t n = std::min<std::int64_t>(Count, static_cast<std::int64_t>(buf.size()));
    Source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    Count -= n;
  }
  return result;
}

// TMemoryStream

std::int32_t TMemoryStream::Read(void* Buffer, std::int32_t Count) {
  if (Count <= 0 || FPosition >= static_cast<std::int64_t>(FData.size())) return 0;
  std::int64_t n = std::min<std::int64_t>(Count, static_cast<std::int64_t>(FData.size()) - FPosition);
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return static_cast<std::int32_t>(n);
}

std::int32_t TMemoryStream::Write(const void* Buffer, std::int32_t Count) {
  if (Count <= 0) return 0;
  std::int64_t end = FPosition + Count;
  if (end > static_cast<std::int64_t>(FData.size())) FData.resize(static_cast<size_t>(end));
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

std::int64_t TMemoryStream::Seek(std::int64_t Offset, int Origin) {
  std::int64_t base = Origin == soFromBeginning ? 0
                      : Origin == soFromCurrent ? FPosition
                                                : static_cast<std::int64_t>(FData.size());
  FPosition = std::max<std::int64_t>(0, base + Offset);
  return FPosition;
}

void TMemoryStream::SetSize(std::int64_t NewSize) {
  FData.resize(static_cast<size_t>(std::max<std::int64_t>(0, NewSize)));
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
  Stream.SetPosition(0);
  std::int64_t n = Stream.Size();
  SetSize(n);
  if (n) Stream.ReadBuffer(FData.data(), n);
  FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& Stream) {
  if (!FData.empty()) Stream.WriteBuffer(FData.data(), static_cast<std::int64_t>(FData.size()));
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(f);
}

// TFileStream

TFileStream::TFileStream(const std::string& FileName, std::uint16_t Mode) : FFileName(FileName) {
  if (Mode == fmCreate) {
    FFile = std::fopen(HostFileName(FileName).c_str(), "w+b");
    if (!FFile) throw EFCreateError(Format("Cannot create file \"%s\". %s", FileName, SysErrorMessage(errno)));
    return;
  }
  const char* how = (Mode & 3) == fmOpenRead ? "rb" : "r+b";
  FFile = std::fopen(HostFileName(FileName).c_str(), how);
  if (!FFile) throw EFOpenError(Format("Cannot open file \"%s\". %s", FileName, SysErrorMessage(errno)));
}

TFileStream::~TFileStream() {
  if (FFile) std::fclose(FFile);
}

std::int32_t TFileStream::Read(void* Buffer, std::int32_t Count) {
  if (Count <= 0) return 0;
  return static_cast<std::int32_t>(std::fread(Buffer, 1, static_cast<size_t>(Count), FFile));
}

std::int32_t TFileStream::Write(const void* Buffer, std::int32_t Count) {
  if (Count <= 0) return 0;
  return static_cast<std::int32_t>(std::fwrite(Buffer, 1, static_cast<size_t>(Count), FFile));
}

std::int64_t TFileStream::Seek(std::int64_t Offset, int Origin) {
  int whence = Origin == soFromBeginning ? SEEK_SET : Origin == soFromCurrent ? SEEK_CUR : SEEK_END;
  if (fseeko(FFile, static_cast<off_t>(Offset), whence) != 0) return -1;
  return static_cast<std::int64_t>(ftello(FFile));
}

void TFileStream::SetSize(std::int64_t NewSize) {
  std::fflush(FFile);
  if (ftruncate(fileno(FFile), static_cast<off_t>(NewSize)) == 0 && Position() > NewSize)
    Seek(NewSize, soFromBeginning);
}

// TBytesStream

std::int32_t TBytesStream::Read(void* Buffer, std::int32_t Count) {
  if (Count <= 0 || FPosition >= FSize) return 0;
  std::int64_t n = std::min<std::int64_t>(Count, FSize - FPosition);
  std::memcpy(Buffer, FData + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return static_cast<std::int32_t>(n);
}

std::int64_t TBytesStream::Seek(std::int64_t Offset, int Origin) {
  std::int64_t base = Origin == soFromBeginning ? 0 : Origin == soFromCurrent ? FPosition : FSize;
  FPosition = std::max<std::int64_t>(0, base + Offset);
  return FPosition;
}
