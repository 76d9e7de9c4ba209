#include "sim/SimInternet.h"

#include <nlohmann/json.hpp>

#include "sim/SimMachine.h"
#include "sim/SimNetwork.h"
#include "sim/SimRadio.h"
#include "store/JsonFields.h"

namespace plat::sim {

SimInternet::SimInternet(SimMachine& machine, const nlohmann::json& scenario) : machine_(machine) {
  offline_ = flagField(objectField(scenario, "internet"), "offline", false);
}

bool SimInternet::workingOffline(bool& offline) {
  offline = offline_;
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

InternetAccess SimInternet::access() {
  InternetAccess access;
  access.offline = offline_;
  access.lan = reachesInternet();
  return access;
}

void SimInternet::setCheckObserver(std::function<void(const std::string& url)> observer) {
  std::lock_guard lock(observerMutex_);
  observer_ = std::move(observer);
}

bool SimInternet::reachesInternet() {
  return machine_.simNetwork().reachesInternetDirectly() || machine_.simRadio().joinedNetworkLeadsToInternet();
}

}  // namespace plat::sim
