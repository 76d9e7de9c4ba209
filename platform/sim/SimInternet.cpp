#include "sim/SimInternet.h"

#include <nlohmann/json.hpp>

#include "sim/SimMachine.h"
#include "sim/SimNetwork.h"
#include "sim/SimRadio.h"
#include "store/JsonFields.h"
#include "wininet.h"

namespace plat::sim {

SimInternet::SimInternet(SimMachine& machine, const nlohmann::json& scenario) : machine_(machine) {
  offline_ = flagField(objectField(scenario, "internet"), "offline", false);
}

bool SimInternet::connectedState(std::uint32_t& state) {
  state = offline_ ? INTERNET_STATE_DISCONNECTED | INTERNET_STATE_DISCONNECTED_BY_USER : INTERNET_STATE_CONNECTED;
  return true;
}

bool SimInternet::checkConnection(const std::string& url, std::chrono::milliseconds /*timeout*/) {
  std::function<void(const std::string&)> observer;
  {
    std::lock_guard lock(observerMutex_);
    observer = observer_;
  }
  if (observer) observer(url);
  return reachesInternet();
}

bool SimInternet::connectedFlags(std::uint32_t& flags) {
  flags = INTERNET_CONNECTION_CONFIGURED | (offline_ ? INTERNET_CONNECTION_OFFLINE : 0);
  if (reachesInternet()) flags |= INTERNET_CONNECTION_LAN;
  return (flags & INTERNET_CONNECTION_LAN) != 0;
}

void SimInternet::setCheckObserver(std::function<void(const std::string& url)> observer) {
  std::lock_guard lock(observerMutex_);
  observer_ = std::move(observer);
}

bool SimInternet::reachesInternet() {
  return machine_.simNetwork().reachesInternetDirectly() || machine_.simRadio().joinedNetworkLeadsToInternet();
}

}  // namespace plat::sim
