#include "platform/rtl/Files.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"

namespace fs = std::filesystem;

std::string LiteralHostFileName(std::string_view FileName) {
  std::string out = Cp1250ToUtf8(FileName);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

namespace {

bool EntryExists(const std::string& host) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(fs::path(host), ec)) && !ec;
}

// The entries of a host folder whose windows-1250 names equal Name ignoring
// case: their host names. Entries the code page cannot spell never match.
std::vector<std::string> CaseBlindCandidates(const std::string& hostDir, std::string_view Name) {
  std::vector<std::string> found;
  const std::string want = AnsiLowerCase(Name);
  std::error_code ec;
  fs::directory_iterator it(fs::path(hostDir.empty() ? "." : hostDir), ec);
  if (ec) return found;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::string host = it->path().filename().string();
    std::string name = Utf8ToCp1250(host);
    if (Cp1250ToUtf8(name) != host) continue;
    if (AnsiLowerCase(name) == want) found.push_back(std::move(host));
  }
  return found;
}

}  // namespace

std::string HostFileName(std::string_view FileName) {
  const std::string literal = LiteralHostFileName(FileName);
  if (literal.empty() || EntryExists(literal)) return literal;
  // Walk the path: every component that does not exist as written is replaced
  // by the one entry of its folder that matches it ignoring case. None, or
  // more than one (the folder holds names that differ only in case), and the
  // rest of the path stays as written, so the caller gets its ordinary "not
  // found" or creates exactly the name it gave.
  std::string resolved;
  std::size_t pos = 0;
  if (literal[0] == '/') {
    resolved = "/";
    pos = 1;
  }
  while (pos <= literal.size()) {
    std::size_t end = literal.find('/', pos);
    if (end == std::string::npos) end = literal.size();
    const std::string part = literal.substr(pos, end - pos);
    const bool last = end == literal.size();
    const std::string dirPrefix = resolved;
    if (!part.empty() && part != "." && part != ".." && !EntryExists(dirPrefix + part)) {
      std::vector<std::string> candidates = CaseBlindCandidates(dirPrefix, Utf8ToCp1250(part));
      if (candidates.size() != 1) return resolved + literal.substr(pos);
      resolved += candidates.front();
    } else {
      resolved += part;
    }
    if (last) break;
    resolved += '/';
    pos = end + 1;
  }
  return resolved;
}

std::string ExtractFileName(std::string_view FileName) {
  std::size_t p = FileName.find_last_of("\\/:");
  return std::string(p == std::string_view::npos ? FileName : FileName.substr(p + 1));
}

std::string ExtractFileExt(std::string_view FileName) {
  std::size_t p = FileName.find_last_of(".\\/:");
  if (p == std::string_view::npos || FileName[p] != '.') return std::string();
  return std::string(FileName.substr(p));
}

int IoErrorFromErrno(int Errno) {
  switch (Errno) {
    case ENOENT: return ioFileNotFound;
    case ENOTDIR: return ioPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return ioAccessDenied;
    case ENOSPC: return ioDiskFull;
    default: return Errno;
  }
}

std::string GetCurrentDir() {
  std::error_code ec;
  fs::path p = fs::current_path(ec);
  if (ec) return std::string();
  return Utf8ToCp1250(p.string());
}

bool SetCurrentDir(std::string_view Dir) { return ChangeCurrentDir(Dir) == 0; }

int ChangeCurrentDir(std::string_view Dir) {
  std::error_code ec;
  fs::current_path(fs::path(HostFileName(Dir)), ec);
  if (!ec) return 0;
  const int error = ec.value();
  if (error == ENOENT || error == ENOTDIR) return ioPathNotFound;
  return IoErrorFromErrno(error);
}

bool FileExists(std::string_view FileName) {
  std::error_code ec;
  return fs::is_regular_file(fs::path(HostFileName(FileName)), ec);
}

bool DirectoryExists(std::string_view Dir) {
  std::error_code ec;
  return fs::is_directory(fs::path(HostFileName(Dir)), ec);
}

bool MatchesMask(std::string_view Name, std::string_view Mask) {
  // Iterative wildcard match with one back-track point for the last "*".
  std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
  while (n < Name.size()) {
    if (m < Mask.size() && Mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (m < Mask.size() && (Mask[m] == '?' || AnsiLowerChar(Mask[m]) == AnsiLowerChar(Name[n]))) {
      ++m;
      ++n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < Mask.size() && Mask[m] == '*') ++m;
  return m == Mask.size();
}

namespace {

std::vector<std::string> ListEntries(std::string_view Dir, bool wantDirs, std::string_view Mask) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(fs::path(HostFileName(Dir)), ec);
  if (ec) return names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code sec;
    bool isDir = it->is_directory(sec);
    bool isFile = it->is_regular_file(sec);
    if (wantDirs ? !isDir : !isFile) continue;
    std::string host = it->path().filename().string();
    std::string name = Utf8ToCp1250(host);
    if (Cp1250ToUtf8(name) != host) continue;
    if (!MatchesMask(name, Mask)) continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    int c = AnsiCompareText(a, b);
    return c != 0 ? c < 0 : AnsiCompareStr(a, b) < 0;
  });
  return names;
}

}  // namespace

std::vector<std::string> ListFiles(std::string_view Dir, std::string_view Mask) {
  return ListEntries(Dir, false, Mask);
}

std::vector<std::string> ListDirectories(std::string_view Dir) { return ListEntries(Dir, true, "*"); }
