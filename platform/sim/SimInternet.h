// The simulated machine's Internet access: reachable through a connected
// connection that reaches it, unless the machine is set off line.
#pragma once

#include <atomic>

#include <nlohmann/json_fwd.hpp>

#include "machine/InternetBackend.h"

namespace plat::sim {

class SimMachine;

class SimInternet : public InternetBackend {
 public:
  // `scenario` is the whole scenario; its "internet" object may set
  // "offline": true.
  SimInternet(SimMachine& machine, const nlohmann::json& scenario);

  bool connectedState(std::uint32_t& state) override;
  bool checkConnection(const std::string& url) override;
  bool connectedFlags(std::uint32_t& flags) override;

  // Test hook: WinInet's off-line mode.
  void setOffline(bool offline) { offline_ = offline; }

 private:
  SimMachine& machine_;
  std::atomic<bool> offline_{false};
};

}  // namespace plat::sim
