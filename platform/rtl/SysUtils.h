// The runtime's error classes: every error the program raises derives from
// Exception, whose text the framework's standard error box shows.
#pragma once

#include <stdexcept>
#include <string>

#include "windows.h"

class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  std::string Message() const { return what(); }
};

// A text is not a value of the asked type, e.g. "'8o' is not a valid integer
// value".
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// An OS call failed: "System Error.  Code: %d.\r\n%s" with the platform's
// text for the code, or "A call to an OS function failed" for code 0.
class EOSError : public Exception {
 public:
  explicit EOSError(DWORD code);
  DWORD ErrorCode;
};

// The platform's text for an error code, without trailing blanks, line breaks
// and dots; empty for an unknown code.
std::string SysErrorMessage(DWORD code);

[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD code);
