#include "platform/rtl/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <string>
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

// The name of the N-th try at a temporary file for Path: the target's own name
// with a suffix. The folder stays as it is; when the whole name would exceed
// NameMax bytes the target's name is cut to fit (never inside a UTF-8
// sequence), so that a target with a name of the longest length still gets
// one.
std::string TemporaryName(const std::string& Path, std::size_t NameMax, int N) {
  const std::size_t slash = Path.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::string suffix = ".~sav" + (N ? std::to_string(N) : std::string());
  const std::size_t limit = NameMax > suffix.size() + 1 ? NameMax - suffix.size() : 1;
  std::size_t keep = Path.size() - start;
  if (keep > limit) {
    keep = limit;
    while (keep > 1 && (static_cast<unsigned char>(Path[start + keep]) & 0xC0) == 0x80) --keep;
  }
  return Path.substr(0, start + keep) + suffix;
}

// The longest file name the folder of Path takes, in bytes.
std::size_t NameMaxOf(const std::string& Path) {
  const long max = ::pathconf(FolderOf(Path).c_str(), _PC_NAME_MAX);
  return max > 0 ? static_cast<std::size_t>(max) : 255;
}

// Whether Path is a file mounted over another one: no rename can replace it.
bool IsMountRoot(const std::string& Path) {
  struct statx sx {};
  if (::statx(AT_FDCWD, Path.c_str(), 0, STATX_BASIC_STATS, &sx) != 0) return false;
  return (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

// Reads a list or value of extended attributes through Get (one of the
// system's xattr calls bound to a file and, for a value, a name), sized on a
// first call and read again should it have grown meanwhile. False, with the
// system's errno, when it cannot be read.
template <typename F>
bool ReadAttributeBytes(F Get, std::string& Out) {
  for (;;) {
    const ssize_t size = Get(nullptr, 0);
    if (size < 0) return false;
    Out.assign(static_cast<std::size_t>(size), '\0');
    if (size == 0) return true;
    const ssize_t got = Get(Out.data(), Out.size());
    if (got >= 0) {
      Out.resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

// The names of a file's extended attributes, through List (listxattr or
// flistxattr bound to the file). A file system that keeps none gives an empty
// list; false when the list cannot be read.
template <typename F>
bool AttributeNames(F List, std::vector<std::string>& Names) {
  Names.clear();
  std::string all;
  if (!ReadAttributeBytes(List, all)) return errno == ENOTSUP;
  for (std::size_t i = 0; i < all.size();) {
    const std::size_t end = all.find('\0', i);
    Names.push_back(all.substr(i, end - i));
    i = end == std::string::npos ? all.size() : end + 1;
  }
  return true;
}

// Gives the new file (Fd) exactly the extended attributes of the target
// (Path): access control lists are among them (system.posix_acl_access), so
// the users and groups the owner let in keep their access, and an attribute
// the new file got from its folder (a default list) but the target lacks is
// taken away. False when that cannot be done in full (an attribute that
// cannot be read, set or removed, such as a security attribute only the
// administrator may set): the caller then writes the file where it stands,
// which keeps every attribute, rather than save it with one lost.
bool CopyAttributes(const std::string& Path, int Fd) {
  std::vector<std::string> wanted, made;
  if (!AttributeNames([&](char* b, std::size_t n) { return ::listxattr(Path.c_str(), b, n); }, wanted) ||
      !AttributeNames([&](char* b, std::size_t n) { return ::flistxattr(Fd, b, n); }, made))
    return false;
  for (const std::string& name : made)
    if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() && ::fremovexattr(Fd, name.c_str()) != 0)
      return false;
  for (const std::string& name : wanted) {
    std::string value, mine;
    if (!ReadAttributeBytes([&](char* b, std::size_t n) { return ::getxattr(Path.c_str(), name.c_str(), b, n); },
                            value))
      return false;
    // One the new file already has alike (a security label given at its
    // making) needs no setting, which might need a privilege.
    if (ReadAttributeBytes([&](char* b, std::size_t n) { return ::fgetxattr(Fd, name.c_str(), b, n); }, mine) &&
        mine == value)
      continue;
    if (::fsetxattr(Fd, name.c_str(), value.data(), value.size(), 0) != 0) return false;
  }
  return true;
}

// Writes the contents to a new file beside Path and renames it over Path.
// Existing: the target's status (null when there is none), whose permission
// bits, owner, group and extended attributes the new file takes. False, with
// nothing changed and nothing left behind, when no such file can be made to
// stand in the target's place or the target cannot be renamed over (a file
// mounted there); any other failure raises.
bool ReplaceThroughTemporary(const std::string& Path, const struct stat* Existing, const std::uint8_t* Data,
                             std::size_t Size) {
  const std::size_t nameMax = NameMaxOf(Path);
  std::string temp;
  int fd = -1;
  for (int n = 0; n < 100 && fd < 0; ++n) {
    temp = TemporaryName(Path, nameMax, n);
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
    // After the owner (a change of owner may drop attributes) and before
    // the bits (setting a list sets the group bits from it).
    if (same) same = CopyAttributes(Path, fd);
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
    if (error == EBUSY && Existing) return false;
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

  if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(Size)) != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
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
  // stands; so does a device, and a file mounted over the name.
  if (S_ISREG(st.st_mode) && st.st_nlink == 1 && !IsMountRoot(path) && ReplaceThroughTemporary(path, &st, Data, Size))
    return;
  WriteInPlace(path, st, Data, Size);
}
