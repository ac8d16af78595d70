// The exception class of the drawing control and of its drivers.
#pragma once

#include "platform/rtl/Exceptions.h"

class EDXDrawError : public Exception {
 public:
  using Exception::Exception;
};
