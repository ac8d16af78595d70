// Replacing a file's contents as the user meets it. Root passes every
// permission check, so each case runs in a child process that is no root:
// started as root, the child sets the case up, hands its files to "nobody"
// and becomes that user; started as a user, it stays that user. The small
// full file systems are tmpfs mounts of a few kilobytes in a mount namespace
// of the child's own (a user namespace as well when started as a user), so
// nothing outside the child ever sees them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileReplace.h"

namespace fs = std::filesystem;

namespace {

using TBytes = std::vector<std::uint8_t>;

// The new contents: a map-sized record.
const TBytes& NewBytes() {
  static const TBytes bytes = [] {
    TBytes b(228145);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return b;
  }();
  return bytes;
}

TBytes OldBytes(std::size_t Size) {
  TBytes b(Size);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>('o' + i % 5);
  return b;
}

TBytes ReadAll(const fs::path& P) {
  std::ifstream in(P, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), {});
}

// What a case sets up, below the case's own folder.
struct TSetup {
  fs::path Dir;
  std::size_t OldSize = 100;

  // A file with the old contents and the given permission bits.
  void File(const char* Name, unsigned Mode) const {
    const TBytes old = OldBytes(OldSize);
    std::ofstream(Dir / Name, std::ios::binary).write(reinterpret_cast<const char*>(old.data()),
                                                      static_cast<std::streamsize>(old.size()));
    fs::permissions(Dir / Name, static_cast<fs::perms>(Mode));
  }
  void Folder(const char* Name) const { fs::create_directories(Dir / Name); }
  void Mode(const char* Name, unsigned Mode) const { fs::permissions(Dir / Name, static_cast<fs::perms>(Mode)); }
  void Link(const char* Name, const char* Target) const { fs::create_symlink(Target, Dir / Name); }
  void HardLink(const char* Name, const char* Existing) const { fs::create_hard_link(Dir / Existing, Dir / Name); }
  // Fills the file system the folder is on to the last byte.
  void FillUp() const {
    const int fd = ::open((Dir / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::vector<char> block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    while (::write(fd, block.data(), 1) > 0) {
    }
    ::close(fd);
  }
};

struct TCase {
  const char* Name;
  std::size_t SmallFsBytes;                  // 0: the ordinary temporary folder
  std::function<void(const TSetup&)> Setup;  // run as root when the test runs as root
  const char* Save;                          // the name given to ReplaceFileContents
  const char* Watch;                         // the file whose contents and mode are reported
  const char* Link;                          // a name that must stay a symbolic link, or null
  // Expected.
  const char* Error;    // "" when the save succeeds
  const char* Content;  // "old", "new" or "missing"
  unsigned Mode;        // of the watched file
  std::size_t OldSize = 100;
};

// One line that says what a case ended with, so that a mismatch reads at a glance.
std::string Describe(const std::string& Error, const std::string& Content, unsigned Mode, const char* Link,
                     bool LinkStays, const std::vector<std::string>& Leftovers) {
  std::ostringstream out;
  out << "error \"" << Error << "\", " << Content;
  if (Content != "missing") out << " mode 0" << std::oct << Mode << std::dec;
  if (Link) out << (LinkStays ? ", still a link" : ", link replaced");
  out << ", left behind:";
  for (const std::string& l : Leftovers) out << " " << l;
  return out.str();
}

std::string Found(const TCase& C, const fs::path& Dir, const std::string& Error) {
  std::string content = "missing";
  unsigned mode = 0;
  struct stat st {};
  if (::stat((Dir / C.Watch).c_str(), &st) == 0) {
    const TBytes now = ReadAll(Dir / C.Watch);
    content = now == NewBytes()               ? "new"
              : now == OldBytes(C.OldSize)    ? "old"
                                              : "other (" + std::to_string(now.size()) + " bytes)";
    mode = st.st_mode & 07777;
  }
  bool linkStays = false;
  if (C.Link) linkStays = ::lstat((Dir / C.Link).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  std::vector<std::string> leftovers;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(Dir, ec))
    if (e.path().filename().string().find(".~") != std::string::npos) leftovers.push_back(e.path().filename());
  return Describe(Error, content, mode, C.Link, linkStays, leftovers);
}

bool WriteText(const char* Path, const std::string& Text) {
  const int fd = ::open(Path, O_WRONLY);
  if (fd < 0) return false;
  const bool ok = ::write(fd, Text.data(), Text.size()) == static_cast<ssize_t>(Text.size());
  ::close(fd);
  return ok;
}

// Mounts a tmpfs of Bytes on Dir in a mount namespace of this process's own;
// "" when done, else why not.
std::string MountSmallFs(const fs::path& Dir, std::size_t Bytes, bool Root) {
  if (Root) {
    if (::unshare(CLONE_NEWNS) != 0) return std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
  } else {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
      return std::string("unshare(CLONE_NEWUSER | CLONE_NEWNS): ") + std::strerror(errno);
    if (!WriteText("/proc/self/setgroups", "deny") ||
        !WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
      return std::string("mapping the user namespace: ") + std::strerror(errno);
  }
  if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    return std::string("making the mounts private: ") + std::strerror(errno);
  const std::string options = "size=" + std::to_string(Bytes) + ",mode=0755";
  if (::mount("tmpfs", Dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
    return std::string("mounting a tmpfs: ") + std::strerror(errno);
  return "";
}

// The case in this (child) process; returns what it found, or "skip: why".
std::string RunInChild(const TCase& C, const fs::path& Dir) {
  ::umask(022);
  const bool root = ::geteuid() == 0;
  if (C.SmallFsBytes) {
    const std::string why = MountSmallFs(Dir, C.SmallFsBytes, root);
    if (!why.empty()) return "skip: " + why;
  }
  C.Setup(TSetup{Dir, C.OldSize});
  if (root) {
    const passwd* pw = ::getpwnam("nobody");
    const uid_t uid = pw ? pw->pw_uid : 65534;
    const gid_t gid = pw ? pw->pw_gid : 65534;
    std::vector<fs::path> all{Dir};
    for (const auto& e : fs::recursive_directory_iterator(Dir)) all.push_back(e.path());
    for (const fs::path& p : all) {
      struct stat st {};
      ::lstat(p.c_str(), &st);
      if (::lchown(p.c_str(), uid, gid) != 0) return "skip: lchown to nobody: " + std::string(std::strerror(errno));
      // A change of owner clears set-id bits only; the case's bits stay.
      if (!S_ISLNK(st.st_mode)) ::chmod(p.c_str(), st.st_mode & 07777);
    }
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
      return "skip: becoming nobody: " + std::string(std::strerror(errno));
  } else if (C.SmallFsBytes) {
    // Root of the user namespace only to mount; the save runs without any
    // capability, as the ordinary owner of the files.
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capset, &header, data) != 0) return "skip: dropping capabilities: " + std::string(std::strerror(errno));
  }
  if (::geteuid() == 0 && root) return "skip: still root";

  std::string error;
  try {
    ReplaceFileContents(Utf8ToCp1250((Dir / C.Save).string()), NewBytes().data(), NewBytes().size());
  } catch (const EInOutError& e) {
    error = e.Message();
  }
  return Found(C, Dir, error);
}

std::string RunCase(const TCase& C, const fs::path& Dir) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid < 0) return "fork failed";
  if (pid == 0) {
    ::close(pipeFds[0]);
    std::string report;
    try {
      report = RunInChild(C, Dir);
    } catch (const std::exception& e) {
      report = std::string("the case's set-up failed: ") + e.what();
    }
    std::size_t done = 0;
    while (done < report.size()) {
      const ssize_t n = ::write(pipeFds[1], report.data() + done, report.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string report;
  char buffer[512];
  ssize_t n = 0;
  while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) report.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status)) report += " (the child ended abnormally)";
  return report;
}

class FileReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/brask_replace_XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    Base = templ;
    fs::permissions(Base, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  }
  void TearDown() override {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(Base, ec))
      if (e.is_directory(ec) && !e.is_symlink(ec)) fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(Base, ec);
  }

  // Runs each case in a folder of its own. Cases that cannot be arranged
  // here are collected and reported as a skip with the reason.
  void RunTable(const std::vector<TCase>& Cases) {
    std::vector<std::string> skipped;
    for (std::size_t i = 0; i < Cases.size(); ++i) {
      const TCase& c = Cases[i];
      const fs::path dir = Base / std::to_string(i);
      fs::create_directories(dir);
      const std::string found = RunCase(c, dir);
      if (found.rfind("skip: ", 0) == 0) {
        skipped.push_back(std::string(c.Name) + ": " + found.substr(6));
        continue;
      }
      EXPECT_EQ(found, Describe(c.Error, c.Content, c.Mode, c.Link, true, {})) << c.Name;
    }
    if (!skipped.empty()) {
      std::string all;
      for (const std::string& s : skipped) all += "\n  " + s;
      GTEST_SKIP() << "NOT RUN: " << skipped.size() << " of " << Cases.size()
                   << " cases could not be arranged on this system:" << all;
    }
  }

  fs::path Base;
};

}  // namespace

TEST_F(FileReplace, PermissionsLinksAndFoldersAsTheUserSetThem) {
  const std::vector<TCase> cases = {
      {"a writable file", 0, [](const TSetup& s) { s.File("mapa.map", 0644); }, "mapa.map", "mapa.map", nullptr, "",
       "new", 0644},
      {"its permission bits are kept", 0, [](const TSetup& s) { s.File("mapa.map", 0660); }, "mapa.map", "mapa.map",
       nullptr, "", "new", 0660},
      {"a read-only file", 0, [](const TSetup& s) { s.File("mapa.map", 0444); }, "mapa.map", "mapa.map", nullptr,
       "File access denied", "old", 0444},
      {"a symbolic link", 0,
       [](const TSetup& s) {
         s.Folder("maps");
         s.File("maps/prawdziwa.map", 0640);
         s.Link("link.map", "maps/prawdziwa.map");
       },
       "link.map", "maps/prawdziwa.map", "link.map", "", "new", 0640},
      {"a link to a read-only file", 0,
       [](const TSetup& s) {
         s.File("prawdziwa.map", 0444);
         s.Link("link.map", "prawdziwa.map");
       },
       "link.map", "prawdziwa.map", "link.map", "File access denied", "old", 0444},
      {"a link to a file not made yet", 0,
       [](const TSetup& s) {
         s.Folder("maps");
         s.Link("link.map", "maps/nowa.map");
       },
       "link.map", "maps/nowa.map", "link.map", "", "new", 0644},
      {"a writable file in a read-only folder", 0,
       [](const TSetup& s) {
         s.Folder("ro");
         s.File("ro/mapa.map", 0644);
         s.Mode("ro", 0555);
       },
       "ro/mapa.map", "ro/mapa.map", nullptr, "", "new", 0644},
      {"a read-only file in a read-only folder", 0,
       [](const TSetup& s) {
         s.Folder("ro");
         s.File("ro/mapa.map", 0444);
         s.Mode("ro", 0555);
       },
       "ro/mapa.map", "ro/mapa.map", nullptr, "File access denied", "old", 0444},
      {"a new file in a read-only folder", 0,
       [](const TSetup& s) {
         s.Folder("ro");
         s.Mode("ro", 0555);
       },
       "ro/nowa.map", "ro/nowa.map", nullptr, "File access denied", "missing", 0},
      {"a missing folder", 0, [](const TSetup&) {}, "brak/mapa.map", "brak/mapa.map", nullptr, "File not found",
       "missing", 0},
      {"a file with a second name", 0,
       [](const TSetup& s) {
         s.File("mapa.map", 0640);
         s.HardLink("druga.map", "mapa.map");
       },
       "mapa.map", "druga.map", nullptr, "", "new", 0640},
  };
  RunTable(cases);
}

TEST_F(FileReplace, AFullFileSystemLeavesTheOldFile) {
  constexpr std::size_t Small = 16 * 1024, MapSized = 256 * 1024;
  const std::vector<TCase> cases = {
      {"a small file", Small,
       [](const TSetup& s) {
         s.File("mapa.map", 0640);
         s.FillUp();
       },
       "mapa.map", "mapa.map", nullptr, "Disk full", "old", 0640},
      {"a small file in a read-only folder", Small,
       [](const TSetup& s) {
         s.Folder("ro");
         s.File("ro/mapa.map", 0644);
         s.FillUp();
         s.Mode("ro", 0555);
       },
       "ro/mapa.map", "ro/mapa.map", nullptr, "Disk full", "old", 0644},
      {"a file as large as the new one", MapSized,
       [](const TSetup& s) {
         s.File("mapa.map", 0644);
         s.FillUp();
       },
       "mapa.map", "mapa.map", nullptr, "Disk full", "old", 0644, 228145},
      // Written where it stands, the new contents need no more room.
      {"a file as large as the new one in a read-only folder", MapSized,
       [](const TSetup& s) {
         s.Folder("ro");
         s.File("ro/mapa.map", 0644);
         s.FillUp();
         s.Mode("ro", 0555);
       },
       "ro/mapa.map", "ro/mapa.map", nullptr, "", "new", 0644, 228145},
      {"a new file", Small, [](const TSetup& s) { s.FillUp(); }, "nowa.map", "nowa.map", nullptr, "Disk full",
       "missing", 0},
  };
  RunTable(cases);
}
