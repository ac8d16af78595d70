// Makes file permissions count for the calling thread while the object lives,
// also when the tests run as root: the capabilities that let root pass by
// them (overriding read, write and search permission, and acting as any
// file's owner) leave the thread's effective set and come back at the end.
// They stay in the permitted set, so they can come back. Any other user is
// subject to permissions anyway, and nothing changes. A test that makes a
// file or folder unreadable holds one of these around the code it drives.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class TPermissionsApply {
 public:
  TPermissionsApply() {
    if (::geteuid() != 0 || !Get(FSaved)) return;
    __user_cap_data_struct lowered[2] = {FSaved[0], FSaved[1]};
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
      lowered[cap / 32].effective &= ~(1u << (cap % 32));
    FActive = Set(lowered);
  }
  ~TPermissionsApply() {
    if (FActive) Set(FSaved);
  }
  TPermissionsApply(const TPermissionsApply&) = delete;
  TPermissionsApply& operator=(const TPermissionsApply&) = delete;

  // Whether permissions now count for this thread (false only when root's
  // capabilities could not be lowered).
  bool Applies() const { return FActive || ::geteuid() != 0; }

 private:
  static bool Get(__user_cap_data_struct (&Data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, Data) == 0;
  }
  static bool Set(__user_cap_data_struct (&Data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, Data) == 0;
  }
  __user_cap_data_struct FSaved[2] = {};
  bool FActive = false;
};
