// Format: printf-style substitution of the runtime's message texts ("%s", "%d").
// std::string arguments are passed as their text.
#pragma once

#include <cstdio>
#include <string>
#include <type_traits>

namespace FormatDetail {
template <typename T>
decltype(auto) Arg(const T& v) {
  if constexpr (std::is_same_v<T, std::string>)
    return v.c_str();
  else
    return v;
}
}  // namespace FormatDetail

template <typename... Args>
std::string Format(const char* fmt, const Args&... args) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  int n = std::snprintf(nullptr, 0, fmt, FormatDetail::Arg(args)...);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), fmt, FormatDetail::Arg(args)...);
#pragma GCC diagnostic pop
  out.resize(static_cast<size_t>(n));
  return out;
}

inline std::string Format(const char* fmt) { return fmt; }
