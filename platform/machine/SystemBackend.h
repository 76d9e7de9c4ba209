// What a machine tells about its operating system and desktop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace plat {

struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
  std::string servicePack;
};

class SystemBackend {
 public:
  virtual ~SystemBackend() = default;

  // Fails (false) when the machine cannot tell its version.
  virtual bool osVersion(OsVersion& version) = 0;

  // Whether kernel32 exports IsWow64Process on this machine.
  virtual bool hasWow64Query() = 0;

  // Whether this 32-bit process runs on a 64-bit system; false when the query
  // itself fails.
  virtual bool queryWow64(bool& wow64) = 0;

  // Opens a web address, mail link or path with the desktop's handler.
  virtual bool openWithDesktop(const std::string& target) = 0;

  // Waits; a machine with a simulated clock advances it instead.
  virtual void sleep(std::uint32_t milliseconds) = 0;

  // Milliseconds on the machine's clock since it started.
  virtual std::uint64_t uptimeMilliseconds() = 0;
};

}  // namespace plat
