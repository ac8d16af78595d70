#include "platform/rtl/RecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"

TRecordFile::~TRecordFile() {
  if (FHandle >= 0) ::close(FHandle);
}

void TRecordFile::Assign(const std::string& FileName) { FFileName = FileName; }

void TRecordFile::Reset() {
  if (FHandle >= 0) Close();
  int h = ::open(HostFileName(FFileName).c_str(), O_RDONLY | O_CLOEXEC);
  if (h < 0) throw EInOutError(IoErrorFromErrno(errno));
  struct stat st {};
  if (::fstat(h, &st) != 0 || S_ISDIR(st.st_mode)) {
    // A folder opens on the host but is no file to read records from.
    ::close(h);
    throw EInOutError(ioAccessDenied);
  }
  FHandle = h;
}

void TRecordFile::Rewrite() {
  if (FHandle >= 0) Close();
  int h = ::open(HostFileName(FFileName).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (h < 0) throw EInOutError(IoErrorFromErrno(errno));
  FHandle = h;
}

void TRecordFile::Read(std::uint8_t* Record) {
  if (FHandle < 0) throw EInOutError(ioFileNotOpen);
  std::size_t done = 0;
  while (done < FRecordSize) {
    ssize_t n = ::read(FHandle, Record + done, FRecordSize - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(IoErrorFromErrno(errno));
    }
    if (n == 0) throw EInOutError(ioReadBeyondEnd);
    done += static_cast<std::size_t>(n);
  }
}

void TRecordFile::Write(const std::uint8_t* Record) {
  if (FHandle < 0) throw EInOutError(ioFileNotOpen);
  std::size_t done = 0;
  while (done < FRecordSize) {
    ssize_t n = ::write(FHandle, Record + done, FRecordSize - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(IoErrorFromErrno(errno));
    }
    if (n == 0) throw EInOutError(ioDiskFull);
    done += static_cast<std::size_t>(n);
  }
}

void TRecordFile::Flush() {
  if (FHandle < 0) throw EInOutError(ioFileNotOpen);
  while (::fsync(FHandle) != 0) {
    if (errno == EINTR) continue;
    throw EInOutError(IoErrorFromErrno(errno));
  }
}

void TRecordFile::Close() {
  if (FHandle < 0) throw EInOutError(ioFileNotOpen);
  int h = FHandle;
  FHandle = -1;
  if (::close(h) != 0) throw EInOutError(IoErrorFromErrno(errno));
}

void ReadRecordFile(const std::string& FileName, std::uint8_t* Record, std::size_t RecordSize) {
  TRecordFile f(RecordSize);
  f.Assign(FileName);
  f.Reset();
  f.Read(Record);
  f.Close();
}

void WriteRecordFile(const std::string& FileName, const std::uint8_t* Record, std::size_t RecordSize) {
  TRecordFile f(RecordSize);
  f.Assign(FileName);
  f.Rewrite();
  f.Write(Record);
  f.Close();
}
