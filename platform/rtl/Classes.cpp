#include "rtl/Classes.h"

#include "common/RegularFile.h"

std::string LoadFileText(const std::string& fileName, std::size_t maxSize) {
  std::string content;
  const int error = plat::readRegularFile(fileName.c_str(), maxSize, content);
  if (error != 0) {
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + plat::readFailureReason(fileName.c_str(), error, maxSize));
  }
  return content;
}
