// The simulated machine's operating system: version, 64-bit flag, clock and
// desktop.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "machine/SystemBackend.h"

namespace plat::sim {

class SimSystem : public SystemBackend {
 public:
  using DesktopOpener = std::function<bool(const std::string& target)>;

  // `os` is the scenario's "os" object. With `simulatedClock`, sleep()
  // advances the machine's clock at once instead of waiting.
  SimSystem(const nlohmann::json& os, bool simulatedClock, DesktopOpener opener);

  bool osVersion(OsVersion& version) override;
  bool hasWow64Query() override;
  bool queryWow64(bool& wow64) override;
  bool openWithDesktop(const std::string& target) override;
  void sleep(std::uint32_t milliseconds) override;
  std::uint64_t uptimeMilliseconds() override;

  // Test hooks.
  void failVersionQuery(bool fail) { versionFails_ = fail; }
  void failWow64Query(bool fail) { wow64Fails_ = fail; }
  void advanceClock(std::uint64_t milliseconds);
  std::vector<std::string> openedTargets() const;

 private:
  OsVersion version_;
  bool hasWow64Query_ = true;
  bool wow64_ = false;
  bool versionFails_ = false;
  bool wow64Fails_ = false;
  bool simulatedClock_;
  DesktopOpener opener_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();

  mutable std::mutex mutex_;
  std::uint64_t simulatedMilliseconds_ = 0;
  std::vector<std::string> opened_;
};

}  // namespace plat::sim
