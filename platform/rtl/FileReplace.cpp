#include "platform/rtl/FileReplace.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"

namespace {

[[noreturn]] void Fail(int Errno) { throw EInOutError(IoErrorFromErrno(Errno)); }

// A descriptor closed when it goes, unless closed on purpose before.
class TDescriptor {
 public:
  explicit TDescriptor(int Fd) : FFd(Fd) {}
  ~TDescriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  int Get() const { return FFd; }
  // Closes it; the system's errno when that fails, else 0.
  int Close() {
    const int fd = FFd;
    FFd = -1;
    return ::close(fd) == 0 ? 0 : errno;
  }

 private:
  int FFd;
};

std::string FolderOf(const std::string& Path) {
  const std::size_t slash = Path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : Path.substr(0, slash);
}

// The name a chain of symbolic links ends at (Path itself when it is no
// link). A link to a name that does not exist ends there, so that the file
// is made where the link points.
std::string FollowLinks(std::string Path) {
  constexpr int MaxLinks = 40;
  for (int hop = 0; hop < MaxLinks; ++hop) {
    struct stat st {};
    if (::lstat(Path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return Path;
    std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    ssize_t n = 0;
    while ((n = ::readlink(Path.c_str(), buffer.data(), buffer.size())) >= 0 &&
           static_cast<std::size_t>(n) == buffer.size())
      buffer.resize(buffer.size() * 2);
    if (n < 0) Fail(errno);
    const std::string target(buffer.data(), static_cast<std::size_t>(n));
    if (target.empty()) Fail(ENOENT);
    Path = target[0] == '/' ? target : FolderOf(Path) + "/" + target;
  }
  Fail(ELOOP);
}

// Writes Size bytes at the descriptor's position; the errno of a failure, else 0.
int WriteAll(int Fd, const std::uint8_t* Data, std::size_t Size) {
  std::size_t done = 0;
  while (done < Size) {
    const ssize_t n = ::write(Fd, Data + done, Size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return ENOSPC;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

int SyncFile(int Fd) {
  while (::fsync(Fd) != 0)
    if (errno != EINTR) return errno;
  return 0;
}

// Writes the contents to a new file beside Path and renames it over Path.
// Existing: the target's status (null when there is none), whose permission
// bits, owner and group the new file takes. False, with nothing changed and
// nothing left behind, when no such file can be made to stand in the
// target's place; any other failure raises.
bool ReplaceThroughTemporary(const std::string& Path, const struct stat* Existing, const std::uint8_t* Data,
                             std::size_t Size) {
  std::string temp;
  int fd = -1;
  for (int n = 0; n < 100 && fd < 0; ++n) {
    temp = Path + ".~sav" + (n ? std::to_string(n) : std::string());
    // Made afresh (never an existing file or link of that name), readable
    // by its owner only until it has the target's bits.
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Existing ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    if (Existing) return false;
    Fail(errno);
  }
  TDescriptor file(fd);
  auto discard = [&] {
    if (file.Get() >= 0) file.Close();
    ::unlink(temp.c_str());
  };

  if (Existing) {
    struct stat mine {};
    bool same = ::fstat(fd, &mine) == 0;
    if (same && (mine.st_uid != Existing->st_uid || mine.st_gid != Existing->st_gid))
      same = ::fchown(fd, Existing->st_uid, Existing->st_gid) == 0;
    if (same) same = ::fchmod(fd, Existing->st_mode & 07777) == 0;
    if (!same) {
      discard();
      return false;
    }
  }

  int error = WriteAll(fd, Data, Size);
  if (!error) error = SyncFile(fd);
  if (!error) error = file.Close();
  if (!error && ::rename(temp.c_str(), Path.c_str()) != 0) error = errno;
  if (error) {
    discard();
    Fail(error);
  }
  return true;
}

// Writes the contents into the file where it stands. The space is reserved
// first, so a full disk refuses before a byte changes; should the write fail
// later all the same, the bytes it overwrote are put back (when the user may
// read the file) and the file gets its old length.
void WriteInPlace(const std::string& Path, const struct stat& Existing, const std::uint8_t* Data, std::size_t Size) {
  int fd = ::open(Path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
  const bool readable = fd >= 0;
  if (fd < 0 && errno == EACCES) fd = ::open(Path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) Fail(errno);
  TDescriptor file(fd);

  if (!S_ISREG(Existing.st_mode)) {
    // A device or pipe takes the bytes as they come.
    int error = WriteAll(fd, Data, Size);
    if (!error) error = file.Close();
    if (error) Fail(error);
    return;
  }

  if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(Size)) != 0 && errno != EOPNOTSUPP &&
      errno != ENOSYS)
    Fail(errno);

  std::vector<std::uint8_t> old;
  if (readable) {
    old.resize(std::min(Size, static_cast<std::size_t>(Existing.st_size)));
    std::size_t got = 0;
    while (got < old.size()) {
      const ssize_t n = ::pread(fd, old.data() + got, old.size() - got, static_cast<off_t>(got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    old.resize(got);
  }

  int error = WriteAll(fd, Data, Size);
  if (!error && static_cast<std::size_t>(Existing.st_size) > Size && ::ftruncate(fd, static_cast<off_t>(Size)) != 0)
    error = errno;
  if (!error) error = SyncFile(fd);
  if (error) {
    if (readable && ::lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, old.data(), old.size()) == 0) {
      if (::ftruncate(fd, Existing.st_size) == 0) SyncFile(fd);
    }
    Fail(error);
  }
  if ((error = file.Close()) != 0) Fail(error);
}

}  // namespace

void ReplaceFileContents(const std::string& FileName, const std::uint8_t* Data, std::size_t Size) {
  const std::string path = FollowLinks(HostFileName(FileName));
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) Fail(errno);
    ReplaceThroughTemporary(path, nullptr, Data, Size);
    return;
  }
  if (S_ISDIR(st.st_mode)) Fail(EISDIR);
  // The user must be allowed to change the file itself: a new file in its
  // place would otherwise replace one he may only read.
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) Fail(errno);
  // A file with other names keeps them only when it is written where it
  // stands; so does a device.
  if (S_ISREG(st.st_mode) && st.st_nlink == 1 && ReplaceThroughTemporary(path, &st, Data, Size)) return;
  WriteInPlace(path, st, Data, Size);
}
