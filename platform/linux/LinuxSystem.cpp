#include "linux/LinuxSystem.h"

#include <sys/utsname.h>

#include <array>
#include <chrono>
#include <ctime>
#include <thread>

namespace plat::lnx {

LinuxSystem::LinuxSystem(std::string kernelMachine, DesktopOpener opener)
    : kernelMachine_(std::move(kernelMachine)), opener_(std::move(opener)) {}

bool LinuxSystem::osVersion(OsVersion& /*version*/) { return false; }

bool LinuxSystem::hasWow64Query() { return true; }

bool LinuxSystem::queryWow64(bool& wow64) {
  static constexpr std::array<const char*, 6> sixtyFourBitKernels = {"x86_64", "aarch64", "ppc64le", "s390x", "riscv64", "mips64"};
  bool kernelIs64Bit = false;
  for (const char* name : sixtyFourBitKernels) kernelIs64Bit = kernelIs64Bit || kernelMachine_ == name;
  wow64 = sizeof(void*) == 4 && kernelIs64Bit;
  return true;
}

bool LinuxSystem::openWithDesktop(const std::string& target) { return opener_ && opener_(target); }

void LinuxSystem::sleep(std::uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::uint64_t LinuxSystem::uptimeMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

std::string LinuxSystem::runningKernelMachine() {
  utsname names{};
  return uname(&names) == 0 ? names.machine : "";
}

}  // namespace plat::lnx
