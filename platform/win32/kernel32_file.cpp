// kernel32 file attributes, over the host's file system.
#include <sys/stat.h>

#include <cerrno>

#include "common/FileMode.h"
#include "win32/ErrnoMapping.h"
#include "win32/FileAttributes.h"
#include "windows.h"

namespace plat {

DWORD fileAttributesOfMode(mode_t mode) {
  DWORD attributes = 0;
  if (S_ISDIR(mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (isReadOnlyMode(mode)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

}  // namespace plat

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
  struct stat status {};
  if (fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (::stat(fileName, &status) != 0) {
    SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : plat::errorFromErrno(errno));
    return INVALID_FILE_ATTRIBUTES;
  }
  return plat::fileAttributesOfMode(status.st_mode);
}
