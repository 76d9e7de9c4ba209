#include "sim/SimSystem.h"

#include <thread>

#include <nlohmann/json.hpp>

#include "store/JsonFields.h"

namespace plat::sim {

SimSystem::SimSystem(const nlohmann::json& os, bool simulatedClock, DesktopOpener opener)
    : simulatedClock_(simulatedClock), opener_(std::move(opener)) {
  version_.major = integerField(os, "major", 6u);
  version_.minor = integerField(os, "minor", 1u);
  version_.build = integerField(os, "build", 7601u);
  version_.platformId = integerField(os, "platformId", 2u);
  version_.servicePack = textField(os, "servicePack");
  // "wow64": true or false; null means kernel32 has no IsWow64Process.
  const auto wow64 = os.find("wow64");
  if (wow64 != os.end() && wow64->is_null()) {
    hasWow64Query_ = false;
  } else {
    wow64_ = flagField(os, "wow64", false);
  }
}

bool SimSystem::osVersion(OsVersion& version) {
  if (versionFails_) return false;
  version = version_;
  return true;
}

bool SimSystem::hasWow64Query() { return hasWow64Query_; }

bool SimSystem::queryWow64(bool& wow64) {
  if (wow64Fails_) return false;
  wow64 = wow64_;
  return true;
}

bool SimSystem::openWithDesktop(const std::string& target) {
  {
    std::lock_guard lock(mutex_);
    opened_.push_back(target);
  }
  return opener_ ? opener_(target) : false;
}

void SimSystem::sleep(std::uint32_t milliseconds) {
  if (simulatedClock_) {
    advanceClock(milliseconds);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint64_t SimSystem::uptimeMilliseconds() {
  if (simulatedClock_) {
    std::lock_guard lock(mutex_);
    return simulatedMilliseconds_;
  }
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start_)
                                        .count());
}

void SimSystem::advanceClock(std::uint64_t milliseconds) {
  std::lock_guard lock(mutex_);
  simulatedMilliseconds_ += milliseconds;
}

std::vector<std::string> SimSystem::openedTargets() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

}  // namespace plat::sim
