// The runtime's exception family: every library failure is one of these, carrying a message text.
#pragma once
#include <stdexcept>
#include <string>
#include "platform/rtl/Types.h"

namespace orv {

// Base of every exception the system raises; Message() is the text shown to the user.
class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : FMessage(std::move(message)) {}
  const char* what() const noexcept override { return FMessage.c_str(); }
  const AnsiString& Message() const noexcept { return FMessage; }
  void SetMessage(AnsiString m) { FMessage = std::move(m); }
 private:
  AnsiString FMessage;
};

// The silent abort: unwinds without any message being shown.
class EAbort : public Exception { public: using Exception::Exception; };
// Short read or failed write of a record file, or another file error; Code() is the error number.
class EInOutError : public Exception {
 public:
  EInOutError(AnsiString message, int code = 0) : Exception(std::move(message)), FCode(code) {}
  int Code() const noexcept { return FCode; }
 private:
  int FCode;
};
class EConvertError : public Exception { public: using Exception::Exception; };
class EStreamError : public Exception { public: using Exception::Exception; };
class EFOpenError : public EStreamError { public: using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { public: using EStreamError::EStreamError; };
class EReadError : public EStreamError { public: using EStreamError::EStreamError; };
class EWriteError : public EStreamError { public: using EStreamError::EStreamError; };
class EListError : public Exception { public: using Exception::Exception; };
class EOutOfMemory : public Exception { public: using Exception::Exception; };
// An operating-system failure with its error code.
class EOSError : public Exception {
 public:
  EOSError(AnsiString message, int code) : Exception(std::move(message)), FErrorCode(code) {}
  int ErrorCode() const noexcept { return FErrorCode; }
 private:
  int FErrorCode;
};

// Raises the silent abort.
[[noreturn]] void Abort();
// Raises EOSError for errno (or the given code) with the system's text for it.
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(int code);

// Raises EInOutError with the class library's text for the I/O result code: 100 "Read beyond end
// of file", 101 "Disk full", an errno value with the system's text, else "I/O error %d".
[[noreturn]] void RaiseInOutError(int code);
inline constexpr int kIoReadBeyondEnd = 100;
inline constexpr int kIoDiskFull = 101;

// Text of the stream read error, as the class library words it.
inline constexpr const char* SReadError = "Stream-Read-Fehler";
inline constexpr const char* SWriteError = "Stream-Write-Fehler";

}  // namespace orv
