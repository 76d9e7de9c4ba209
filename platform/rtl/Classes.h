// The runtime's file reading: a file's whole content, or the error that says
// why it cannot be had.
#pragma once

#include <cstddef>
#include <string>

#include "SysUtils.h"

// "Cannot open file "<file>". <reason>".
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};

// The whole content of the file. Raises EFOpenError when it is missing, is a
// folder or anything else but a regular file (a pipe is refused, never waited
// on), cannot be read, or is larger than `maxSize` bytes.
std::string LoadFileText(const std::string& fileName, std::size_t maxSize);
