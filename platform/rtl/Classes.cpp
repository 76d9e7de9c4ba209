#include "rtl/Classes.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "win32/RegularFile.h"

namespace {

// The reason readRegularFile's error gives, as a user would look for it.
std::string reasonFor(const std::string& fileName, int error, std::size_t maxSize) {
  if (error == EFBIG) return "The file is larger than " + std::to_string(maxSize) + " bytes";
  struct stat status {};
  if (error == EACCES && ::stat(fileName.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    return "Not a regular file";
  }
  return std::strerror(error);
}

}  // namespace

std::string LoadFileText(const std::string& fileName, std::size_t maxSize) {
  std::string content;
  const int error = plat::readRegularFile(fileName.c_str(), maxSize, content);
  if (error != 0) throw EFOpenError("Cannot open file \"" + fileName + "\". " + reasonFor(fileName, error, maxSize));
  return content;
}
