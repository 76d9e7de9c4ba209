// Private-profile (INI) functions of kernel32, with Windows' rules (see
// win32/ProfileText.h). Each call reads the file whole and a write saves it
// whole. Unlike Windows, a write replaces the file atomically, so a crash or a
// full disk cannot leave it truncated.
#include <algorithm>
#include <cstring>
#include <string>

#include "win32/ProfileText.h"
#include "windows.h"

namespace {

DWORD copyOut(const std::string& text, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  DWORD count = static_cast<DWORD>(std::min<std::size_t>(text.size(), size - 1));
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return count;
}

}  // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returnedString,
                                      DWORD size, LPCSTR fileName) {
  // Windows drops trailing blanks of the default.
  std::string fallback = defaultValue ? defaultValue : "";
  while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) fallback.pop_back();
  if (appName == nullptr || keyName == nullptr || fileName == nullptr) {
    // Listing sections or keys is not used by the program.
    SetLastError(ERROR_NOT_SUPPORTED);
    return copyOut(fallback, returnedString, size);
  }
  plat::ProfileText profile;
  if (const DWORD error = plat::readProfileFile(fileName, profile); error != ERROR_SUCCESS) {
    SetLastError(error);
    return copyOut(fallback, returnedString, size);
  }
  const auto value = profile.value(appName, keyName);
  if (!value) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return copyOut(fallback, returnedString, size);
  }
  SetLastError(ERROR_SUCCESS);
  return copyOut(*value, returnedString, size);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName) {
  if (appName == nullptr || fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  plat::ProfileText profile;
  if (const DWORD error = plat::readProfileFile(fileName, profile);
      error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
    SetLastError(error);
    return FALSE;
  }
  if (keyName == nullptr) {
    // Deletes the whole section; nothing to delete is no error.
    if (!profile.removeSection(appName)) return TRUE;
  } else if (value == nullptr) {
    // Deletes the key.
    if (!profile.removeKey(appName, keyName)) return TRUE;
  } else {
    profile.setValue(appName, keyName, value);
  }
  const DWORD error = plat::writeProfileFile(fileName, profile);
  SetLastError(error);
  return error == ERROR_SUCCESS ? TRUE : FALSE;
}
