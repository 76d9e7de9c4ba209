// The simulated machine's Internet access: reachable through a connected
// connection that reaches it, or through a joined wireless network that leads
// to it (see SimRadio), unless the machine is set off line.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>

#include <nlohmann/json_fwd.hpp>

#include "machine/InternetBackend.h"

namespace plat::sim {

class SimMachine;

class SimInternet : public InternetBackend {
 public:
  // `scenario` is the whole scenario; its "internet" object may set
  // "offline": true.
  SimInternet(SimMachine& machine, const nlohmann::json& scenario);

  bool workingOffline(bool& offline) override;
  // Answers at once, well within any timeout.
  bool checkConnection(const std::string& url, std::chrono::milliseconds timeout) override;
  InternetAccess access() override;

  // Test hooks: WinInet's off-line mode; a function told of every
  // checkConnection (its URL) before it is answered, on the asking thread.
  void setOffline(bool offline) { offline_ = offline; }
  void setCheckObserver(std::function<void(const std::string& url)> observer);

 private:
  bool reachesInternet();

  SimMachine& machine_;
  std::atomic<bool> offline_{false};
  std::mutex observerMutex_;
  std::function<void(const std::string& url)> observer_;
};

}  // namespace plat::sim
