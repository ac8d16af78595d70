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
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <list>
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

// Thrown by a set-up this system cannot arrange (a file system without
// extended attributes, say): the case is reported as not run.
struct TSkip {
  std::string Why;
};

// An access control list as the system keeps it in the
// system.posix_acl_access and system.posix_acl_default attributes, and as its
// short text ("u::rw-,u:1234:rw-,g::r--,m::rw-,o::---").
constexpr std::uint32_t AclVersion = 2, AclNoId = 0xFFFFFFFF;
constexpr struct {
  char Letter;
  std::uint16_t Owner, Named;
} AclTags[] = {{'u', 0x01, 0x02}, {'g', 0x04, 0x08}, {'m', 0x10, 0}, {'o', 0x20, 0}};

void PutLe(std::string& Out, std::uint32_t V, int Bytes) {
  for (int i = 0; i < Bytes; ++i) Out.push_back(static_cast<char>((V >> (8 * i)) & 0xFF));
}

std::uint32_t GetLe(const std::string& In, std::size_t At, int Bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < Bytes; ++i) v |= std::uint32_t{static_cast<unsigned char>(In[At + i])} << (8 * i);
  return v;
}

std::string AclBytes(const std::string& Text) {
  std::string out;
  PutLe(out, AclVersion, 4);
  std::istringstream entries(Text);
  std::string e;
  while (std::getline(entries, e, ',')) {
    const std::size_t colon = e.find(':', 2);
    const std::string id = e.substr(2, colon - 2), perms = e.substr(colon + 1);
    std::uint16_t tag = 0;
    for (const auto& t : AclTags)
      if (t.Letter == e[0]) tag = id.empty() ? t.Owner : t.Named;
    PutLe(out, tag, 2);
    PutLe(out, (perms[0] == 'r' ? 4 : 0) | (perms[1] == 'w' ? 2 : 0) | (perms[2] == 'x' ? 1 : 0), 2);
    PutLe(out, id.empty() ? AclNoId : static_cast<std::uint32_t>(std::stoul(id)), 4);
  }
  return out;
}

std::string AclText(const std::string& Bytes) {
  if (Bytes.size() < 4 || GetLe(Bytes, 0, 4) != AclVersion) return "(not a list)";
  std::string out;
  for (std::size_t at = 4; at + 8 <= Bytes.size(); at += 8) {
    const std::uint32_t tag = GetLe(Bytes, at, 2), perm = GetLe(Bytes, at + 2, 2), id = GetLe(Bytes, at + 4, 4);
    char letter = '?';
    for (const auto& t : AclTags)
      if (tag == t.Owner || (t.Named && tag == t.Named)) letter = t.Letter;
    if (!out.empty()) out += ',';
    out += letter;
    out += ':';
    if (id != AclNoId) out += std::to_string(id);
    out += ':';
    out += perm & 4 ? 'r' : '-';
    out += perm & 2 ? 'w' : '-';
    out += perm & 1 ? 'x' : '-';
  }
  return out;
}

// A file's extended attributes, sorted by name, as "name=value" separated by
// spaces; lists are shown as text. "" when it has none.
std::string AttributesOf(const fs::path& P) {
  std::string names(65536, '\0');
  const ssize_t n = ::listxattr(P.c_str(), names.data(), names.size());
  if (n <= 0) return "";
  names.resize(static_cast<std::size_t>(n));
  std::vector<std::string> all;
  for (std::size_t i = 0; i < names.size(); i += all.back().size() + 1) all.emplace_back(names.c_str() + i);
  std::sort(all.begin(), all.end());
  std::string out;
  for (const std::string& name : all) {
    std::string value(65536, '\0');
    const ssize_t got = ::getxattr(P.c_str(), name.c_str(), value.data(), value.size());
    value.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    if (name.rfind("system.posix_acl_", 0) == 0) value = AclText(value);
    out += (out.empty() ? "" : " ") + name + "=" + value;
  }
  return out;
}

// What a case sets up, below the case's own folder.
struct TSetup {
  fs::path Dir;
  std::size_t OldSize = 100;

  // A file with the old contents and the given permission bits.
  void File(const char* Name, unsigned Mode) const {
    const TBytes old = OldBytes(OldSize);
    std::ofstream(Dir / Name, std::ios::binary)
        .write(reinterpret_cast<const char*>(old.data()), static_cast<std::streamsize>(old.size()));
    fs::permissions(Dir / Name, static_cast<fs::perms>(Mode));
  }
  void Folder(const char* Name) const { fs::create_directories(Dir / Name); }
  void Mode(const char* Name, unsigned Mode) const { fs::permissions(Dir / Name, static_cast<fs::perms>(Mode)); }
  void Link(const char* Name, const char* Target) const { fs::create_symlink(Target, Dir / Name); }
  void HardLink(const char* Name, const char* Existing) const { fs::create_hard_link(Dir / Existing, Dir / Name); }
  // An extended attribute of a file or folder; a list of users and groups is
  // set by its text under system.posix_acl_access or _default.
  void Attribute(const char* Name, const char* Attribute, const std::string& Value) const {
    const std::string bytes = std::string(Attribute).rfind("system.posix_acl_", 0) == 0 ? AclBytes(Value) : Value;
    if (::setxattr((Dir / Name).c_str(), Attribute, bytes.data(), bytes.size(), 0) != 0)
      throw TSkip{std::string("setting ") + Attribute + ": " + std::strerror(errno)};
  }
  // Mounts the file Source over the file Name (the case must have a mount
  // namespace of its own: a small file system).
  void BindMount(const char* Name, const char* Source) const {
    if (::mount((Dir / Source).c_str(), (Dir / Name).c_str(), nullptr, MS_BIND, nullptr) != 0)
      throw TSkip{std::string("bind-mounting a file: ") + std::strerror(errno)};
  }
  // Fills the file system the folder is on to the last byte.
  void FillUp() const {
    const int fd = ::open((Dir / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::vector<char> block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {}
    while (::write(fd, block.data(), 1) > 0) {}
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
  const char* Attributes = "";  // of the watched file, as AttributesOf shows them
};

// One line that says what a case ended with, so that a mismatch reads at a glance.
std::string Describe(const std::string& Error, const std::string& Content, unsigned Mode, const std::string& Attributes,
                     const char* Link, bool LinkStays, const std::vector<std::string>& Leftovers) {
  std::ostringstream out;
  out << "error \"" << Error << "\", " << Content;
  if (Content != "missing") out << " mode 0" << std::oct << Mode << std::dec;
  if (!Attributes.empty()) out << ", attributes " << Attributes;
  if (Link) out << (LinkStays ? ", still a link" : ", link replaced");
  out << ", left behind:";
  for (const std::string& l : Leftovers) out << " " << l;
  return out.str();
}

std::string Found(const TCase& C, const fs::path& Dir, const std::string& Error) {
  std::string content = "missing";
  unsigned mode = 0;
  std::string attributes;
  struct stat st {};
  if (::stat((Dir / C.Watch).c_str(), &st) == 0) {
    const TBytes now = ReadAll(Dir / C.Watch);
    content = now == NewBytes()            ? "new"
              : now == OldBytes(C.OldSize) ? "old"
                                           : "other (" + std::to_string(now.size()) + " bytes)";
    mode = st.st_mode & 07777;
    attributes = AttributesOf(Dir / C.Watch);
  }
  bool linkStays = false;
  if (C.Link) linkStays = ::lstat((Dir / C.Link).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  std::vector<std::string> leftovers;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(Dir, ec))
    if (e.path().filename().string().find(".~") != std::string::npos) leftovers.push_back(e.path().filename());
  return Describe(Error, content, mode, attributes, C.Link, linkStays, leftovers);
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
  try {
    C.Setup(TSetup{Dir, C.OldSize});
  } catch (const TSkip& skip) { return "skip: " + skip.Why; }
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
    if (::syscall(SYS_capset, &header, data) != 0)
      return "skip: dropping capabilities: " + std::string(std::strerror(errno));
  }
  if (::geteuid() == 0 && root) return "skip: still root";

  std::string error;
  try {
    ReplaceFileContents(Utf8ToCp1250((Dir / C.Save).string()), NewBytes().data(), NewBytes().size());
  } catch (const EInOutError& e) { error = e.Message(); }
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
    } catch (const std::exception& e) { report = std::string("the case's set-up failed: ") + e.what(); }
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
      if (e.is_directory(ec) && !e.is_symlink(ec))
        fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
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
      EXPECT_EQ(found, Describe(c.Error, c.Content, c.Mode, c.Attributes, c.Link, true, {})) << c.Name;
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

// The longest name the folder takes, and one byte more.
const std::string LongestName = std::string(251, 'n') + ".map";
const std::string TooLongName = std::string(252, 'n') + ".map";

TEST_F(FileReplace, TheLongestNamesSaveAsAPlainCreateWould) {
  const std::vector<TCase> cases = {
      {"a new file", 0, [](const TSetup&) {}, LongestName.c_str(), LongestName.c_str(), nullptr, "", "new", 0644},
      {"an existing file", 0, [](const TSetup& s) { s.File(LongestName.c_str(), 0640); }, LongestName.c_str(),
       LongestName.c_str(), nullptr, "", "new", 0640},
      {"a name too long for any file", 0, [](const TSetup&) {}, TooLongName.c_str(), TooLongName.c_str(), nullptr,
       "I/O error 36", "missing", 0},
  };
  RunTable(cases);
}

// A file mounted over the name cannot be renamed over: it is written where it
// stands, so the mounted file gets the contents, and a failure leaves its old
// bytes.
TEST_F(FileReplace, AFileMountedOverTheNameIsWrittenWhereItStands) {
  constexpr std::size_t Small = 16 * 1024, MapSized = 256 * 1024, Roomy = 1024 * 1024;
  const auto mounted = [](unsigned Mode, bool Full) {
    return [Mode, Full](const TSetup& s) {
      std::ofstream(s.Dir / "mapa.map").put('m');
      s.File("zrodlo.map", Mode);
      s.BindMount("mapa.map", "zrodlo.map");
      if (Full) s.FillUp();
    };
  };
  const std::vector<TCase> cases = {
      {"with room to spare", Roomy, mounted(0640, false), "mapa.map", "zrodlo.map", nullptr, "", "new", 0640},
      {"on a full file system", Small, mounted(0640, true), "mapa.map", "zrodlo.map", nullptr, "Disk full", "old",
       0640},
      // No temporary copy is tried first: it would not fit.
      {"as large as the new one on a full file system", MapSized, mounted(0644, true), "mapa.map", "zrodlo.map",
       nullptr, "", "new", 0644, 228145},
  };
  RunTable(cases);
}

// Extended attributes and lists of users and groups stay as the target had
// them, on the ordinary temporary folder and on a memory file system alike.
TEST_F(FileReplace, AttributesAndAccessListsAreKept) {
  std::vector<TCase> cases;
  std::list<std::string> names;
  for (const std::size_t onFs : {std::size_t{0}, std::size_t{1024 * 1024}}) {
    const std::vector<TCase> some = {
        {"a user attribute", onFs,
         [](const TSetup& s) {
           s.File("mapa.map", 0644);
           s.Attribute("mapa.map", "user.brask.note", "kept");
         },
         "mapa.map", "mapa.map", nullptr, "", "new", 0644, 100, "user.brask.note=kept"},
        {"a list of users and groups", onFs,
         [](const TSetup& s) {
           s.File("mapa.map", 0640);
           s.Attribute("mapa.map", "system.posix_acl_access", "u::rw-,u:1234:rw-,g::r--,m::rw-,o::---");
         },
         "mapa.map", "mapa.map", nullptr, "", "new", 0660, 100,
         "system.posix_acl_access=u::rw-,u:1234:rw-,g::r--,m::rw-,o::---"},
        // A new file in the folder would get a list from the folder's
        // default; the saved one has none, as before.
        {"a folder's default list the file does not have", onFs,
         [](const TSetup& s) {
           s.Folder("maps");
           s.File("maps/mapa.map", 0644);
           s.Attribute("maps", "system.posix_acl_default", "u::rwx,u:1234:rwx,g::r-x,m::rwx,o::r-x");
         },
         "maps/mapa.map", "maps/mapa.map", nullptr, "", "new", 0644},
        // Only the administrator may set such an attribute on a new file;
        // written where it stands, the file keeps it.
        {"a security attribute", onFs,
         [](const TSetup& s) {
           s.File("mapa.map", 0644);
           s.Attribute("mapa.map", "security.brask", "1");
         },
         "mapa.map", "mapa.map", nullptr, "", "new", 0644, 100, "security.brask=1"},
    };
    for (TCase c : some) {
      if (onFs) c.Name = names.emplace_back(std::string(c.Name) + " on a memory file system").c_str();
      cases.push_back(c);
    }
  }
  RunTable(cases);
}
