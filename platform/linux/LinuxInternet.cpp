#include "linux/LinuxInternet.h"

#include "http/ConnectionProbe.h"
#include "linux/kernel/DefaultRoutes.h"
#include "linux/kernel/KernelInterfaces.h"

namespace plat::lnx {

LinuxInternet::LinuxInternet(std::filesystem::path root) : root_(std::move(root)) {}

bool LinuxInternet::workingOffline(bool& offline) {
  offline = false;
  return true;
}

bool LinuxInternet::checkConnection(const std::string& url, std::chrono::milliseconds timeout) {
  // The probe is libcurl's, in the platform's HTTP library, which the first
  // probe loads: a run that never probes does not map libcurl.
  return canConnectTo(url, timeout);
}

InternetAccess LinuxInternet::access() {
  InternetAccess access;
  for (const DefaultRoute& route : defaultRoutes(root_)) {
    const auto kernel = readKernelInterface(root_, route.interfaceName);
    (kernel && kernel->linkType == linkTypePpp ? access.modem : access.lan) = true;
  }
  return access;
}

}  // namespace plat::lnx
