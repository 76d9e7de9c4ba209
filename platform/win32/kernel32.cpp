// kernel32 stand-ins: last-error code, sleeping, the clock, module lookup,
// version information and system error texts.
#include <cctype>
#include <cstring>
#include <string>

#include "machine/Machine.h"
#include "machine/SystemBackend.h"
#include "windows.h"

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

// The one module the program looks into at run time.
HMODULE const kernel32Module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x7c800000u));
HANDLE const currentProcessPseudoHandle = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64) {
  if (process != currentProcessPseudoHandle || wow64 == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  bool answer = false;
  if (!plat::machine().system().queryWow64(answer)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  *wow64 = answer ? TRUE : FALSE;
  return TRUE;
}

struct SystemMessage {
  DWORD code;
  const char* text;
};

// The system's texts for the codes this platform produces.
constexpr SystemMessage systemMessages[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough storage is available to process this command."},
    {ERROR_BAD_FORMAT, "An attempt was made to load a program with an incorrect format."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_OUTOFMEMORY, "Not enough storage is available to complete this operation."},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_BUFFER_OVERFLOW, "The file name is too long."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_FILE_TOO_LARGE, "The file size exceeds the limit allowed and cannot be saved."},
    {ERROR_NO_DATA, "The pipe is being closed."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_CANTOPEN, "The configuration registry key could not be opened."},
    {ERROR_CANTREAD, "The configuration registry key could not be read."},
    {ERROR_CANTWRITE, "The configuration registry key could not be written."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {1052, "The requested control is not valid for this service."},
    {1065, "The database specified does not exist."},
    {1056, "An instance of the service is already running."},
    {1060, "The specified service does not exist as an installed service."},
    {1062, "The service has not been started."},
    {1061, "The service cannot accept control messages at this time."},
    {1053, "The service did not respond to the start or control request in a timely fashion."},
    {1058, "The service cannot be started, either because it is disabled or because it has no enabled devices associated with it."},
    {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error."},
    {ERROR_CANT_RESOLVE_FILENAME, "The name of the file cannot be resolved by the system."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, "The specified resource type cannot be found in the image file."},
};

}  // namespace

DWORD WINAPI GetLastError() { return lastError; }

void WINAPI SetLastError(DWORD code) { lastError = code; }

void WINAPI Sleep(DWORD milliseconds) { plat::machine().system().sleep(milliseconds); }

DWORD WINAPI GetTickCount() { return static_cast<DWORD>(plat::machine().system().uptimeMilliseconds()); }

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName != nullptr) {
    std::string name(moduleName);
    for (auto& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "kernel32" || name == "kernel32.dll") return kernel32Module;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName) {
  if (module == kernel32Module && procName != nullptr && std::strcmp(procName, "IsWow64Process") == 0 &&
      plat::machine().system().hasWow64Query()) {
    return reinterpret_cast<FARPROC>(&IsWow64Process);
  }
  SetLastError(module == kernel32Module ? ERROR_PROC_NOT_FOUND : ERROR_INVALID_HANDLE);
  return nullptr;
}

HANDLE WINAPI GetCurrentProcess() { return currentProcessPseudoHandle; }

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  plat::OsVersion version;
  if (!plat::machine().system().osVersion(version)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  info->dwMajorVersion = version.major;
  info->dwMinorVersion = version.minor;
  info->dwBuildNumber = version.build;
  info->dwPlatformId = version.platformId;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  std::strncpy(info->szCSDVersion, version.servicePack.c_str(), sizeof info->szCSDVersion - 1);
  return TRUE;
}

DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID /*source*/, DWORD messageId, DWORD /*languageId*/,
                            LPSTR buffer, DWORD size, void* /*arguments*/) {
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (const auto& message : systemMessages) {
    if (message.code != messageId) continue;
    // Windows ends system texts with a line break.
    std::string text = std::string(message.text) + "\r\n";
    if (text.size() + 1 > size) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
  }
  SetLastError(317);  // ERROR_MR_MID_NOT_FOUND
  return 0;
}
