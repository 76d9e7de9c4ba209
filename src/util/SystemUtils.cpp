#include "util/SystemUtils.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "Registry.h"
#include "windows.h"

const char* const AutoRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string GetWindowsVersionTag() {
  std::string tag;
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  if (GetVersionExA(&info)) {
    struct Row {
      DWORD major, minor;
      const char* tag;
    };
    static constexpr Row table[] = {
        {5, 0, "win2000"}, {5, 1, "winxp"}, {5, 2, "win2003"}, {6, 0, "vista"}, {6, 1, "win7"}};
    for (const auto& row : table) {
      if (row.major == info.dwMajorVersion && row.minor == info.dwMinorVersion) tag = row.tag;
    }
  }
  // Looked up at run time: older systems do not export it.
  if (auto isWow64Process = reinterpret_cast<LPFN_ISWOW64PROCESS>(
          GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process"))) {
    BOOL wow64 = FALSE;
    if (isWow64Process(GetCurrentProcess(), &wow64) && wow64) tag += "64";
  }
  return tag;
}

std::string GetFileVersionString(const std::string& fileName) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
  if (size == 0) return {};
  std::vector<BYTE> buffer(size);  // released on every path
  if (!GetFileVersionInfoA(fileName.c_str(), handle, size, buffer.data())) return {};
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(buffer.data(), "\\", &value, &length) || value == nullptr) return {};
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", info->dwFileVersionMS >> 16, info->dwFileVersionMS & 0xFFFF,
                info->dwFileVersionLS >> 16, info->dwFileVersionLS & 0xFFFF);
  return text;
}

void AddAutoRun(const std::string& programPath, const std::string& valueName) {
  TRegistry registry;
  registry.RootKey = HKEY_LOCAL_MACHINE;
  if (!registry.OpenKey(AutoRunKey, true)) return;
  registry.WriteString(valueName, programPath);
  registry.CloseKey();
}

void RemoveAutoRun(const std::string& valueName) {
  TRegistry registry;
  registry.RootKey = HKEY_LOCAL_MACHINE;
  if (!registry.OpenKey(AutoRunKey, true)) return;
  registry.DeleteValue(valueName);
  registry.CloseKey();
}
