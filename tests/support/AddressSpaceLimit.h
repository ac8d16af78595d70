// A limit on the calling process's address space (what "ulimit -v" sets), a
// given number of bytes above what the process holds now. Used in a death
// test's child to show how a start or a load behaves when the system refuses
// memory and threads. Under the address sanitizer the process holds terabytes
// of reserved shadow memory and a limit says nothing; tests skip there.
#pragma once

#include <sys/resource.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool AddressSpaceLimitsWork = false;
#else
inline constexpr bool AddressSpaceLimitsWork = true;
#endif

// The address space the process holds now (VmSize), in bytes.
inline std::size_t AddressSpaceInUse() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  unsigned long kb = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "VmSize: %lu kB", &kb) == 1) break;
  std::fclose(f);
  return std::size_t(kb) << 10;
}

// Lets the process take Extra bytes more address space than it holds now.
inline bool LimitAddressSpace(std::size_t Extra) {
  const rlimit limit{AddressSpaceInUse() + Extra, RLIM_INFINITY};
  return limit.rlim_cur > Extra && setrlimit(RLIMIT_AS, &limit) == 0;
}
