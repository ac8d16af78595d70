// The runtime's exception classes. Each carries its message text.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  ~Exception() override = default;
  const std::string& Message() const { return FMessage; }
  void SetMessage(std::string message) { FMessage = std::move(message); }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

// Input/output failures of files, with the runtime's texts for its error codes.
class EInOutError : public Exception {
 public:
  explicit EInOutError(int errorCode);
  int ErrorCode;
  // The runtime's text for an I/O error code: 2 "File not found",
  // 5 "File access denied", 100 "Read beyond end of file", else "I/O error %d".
  static std::string TextOf(int errorCode);
};

// The runtime's I/O error codes.
constexpr int ioFileNotFound = 2;
constexpr int ioPathNotFound = 3;
constexpr int ioAccessDenied = 5;
constexpr int ioReadBeyondEnd = 100;
constexpr int ioDiskFull = 101;

class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("Stream read error") {}
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("Stream write error") {}
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

class EOutOfMemory : public Exception {
 public:
  EOutOfMemory() : Exception("Out of memory") {}
};

class EListError : public Exception {
 public:
  using Exception::Exception;
};

// The runtime's assertion that a class cannot take the value given.
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

// An interface cast to an interface the object does not offer.
class EIntfCastError : public Exception {
 public:
  EIntfCastError() : Exception("Interface not supported") {}
};

// The runtime's failed checked typecast ("as").
class EInvalidCast : public Exception {
 public:
  EInvalidCast() : Exception("Invalid class typecast") {}
};
