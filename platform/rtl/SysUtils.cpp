#include "platform/rtl/SysUtils.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"

bool TryStrToInt(const std::string& S, std::int32_t& Value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) negative = S[i++] == '-';
  if (i == S.size()) return false;
  // Accumulated as a negative number, whose range reaches one further.
  std::int64_t v = 0;
  for (; i < S.size(); ++i) {
    if (S[i] < '0' || S[i] > '9') return false;
    v = v * 10 + (S[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  Value = static_cast<std::int32_t>(v);
  return true;
}

std::int32_t StrToInt(const std::string& S) {
  std::int32_t v = 0;
  if (!TryStrToInt(S, v)) throw EConvertError(Format("'%s' is not a valid integer value", S));
  return v;
}

std::string IntToStr(std::int64_t Value) { return std::to_string(Value); }

bool RenameFile(const std::string& OldName, const std::string& NewName) {
  return std::rename(HostFileName(OldName).c_str(), HostFileName(NewName).c_str()) == 0;
}

bool DeleteFile(const std::string& FileName) {
  const std::string host = HostFileName(FileName);
  struct stat st {};
  if (::lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(host.c_str()) == 0;
}

std::string SysErrorMessage(int ErrorCode) { return std::strerror(ErrorCode); }
