#include "platform/rtl/Exceptions.h"

#include "platform/rtl/Format.h"

EInOutError::EInOutError(int errorCode) : Exception(TextOf(errorCode)), ErrorCode(errorCode) {}

std::string EInOutError::TextOf(int errorCode) {
  switch (errorCode) {
    case ioFileNotFound: return "File not found";
    case ioPathNotFound: return "Path not found";
    case ioAccessDenied: return "File access denied";
    case ioReadBeyondEnd: return "Read beyond end of file";
    case ioDiskFull: return "Disk full";
    default: return Format("I/O error %d", errorCode);
  }
}
