// The Linux machine's operating system, as the Windows-shaped front asks
// about it. Linux is no Windows version: the version query fails (so the
// program's operating system tag names no Windows release, and the Windows
// XP service check never runs), whatever the kernel's release number is.
// The 64-bit question is answered truthfully for this process: true only for
// a 32-bit build on a 64-bit kernel.
#pragma once

#include <functional>
#include <string>

#include "machine/SystemBackend.h"

namespace plat::lnx {

class LinuxSystem : public SystemBackend {
 public:
  using DesktopOpener = std::function<bool(const std::string& target)>;

  // `kernelMachine` is the kernel's hardware name (uname -m: "x86_64",
  // "aarch64", "i686"); `opener` hands web addresses and mail links to the
  // desktop.
  LinuxSystem(std::string kernelMachine, DesktopOpener opener);

  // Always false: the front reports ERROR_NOT_SUPPORTED.
  bool osVersion(OsVersion& version) override;
  bool hasWow64Query() override;
  bool queryWow64(bool& wow64) override;
  bool openWithDesktop(const std::string& target) override;
  void sleep(std::uint32_t milliseconds) override;
  // Milliseconds since the machine booted, suspended time included.
  std::uint64_t uptimeMilliseconds() override;

  // The running kernel's hardware name.
  static std::string runningKernelMachine();

 private:
  std::string kernelMachine_;
  DesktopOpener opener_;
};

}  // namespace plat::lnx
