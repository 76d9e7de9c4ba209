#include "linux/LinuxInternet.h"

#include "http/HttpLibrary.h"
#include "linux/DefaultRoutes.h"
#include "linux/KernelInterfaces.h"
#include "wininet.h"

namespace plat::lnx {

LinuxInternet::LinuxInternet(std::filesystem::path root) : root_(std::move(root)) {}

bool LinuxInternet::connectedState(std::uint32_t& state) {
  state = INTERNET_STATE_CONNECTED;
  return true;
}

bool LinuxInternet::checkConnection(const std::string& url, std::chrono::milliseconds timeout) {
  // The probe is libcurl's, in the platform's HTTP library, which the first
  // probe loads: a run that never probes does not map libcurl.
  const HttpFunctions* http = httpLibrary();
  return http != nullptr && http->canConnect(url.c_str(), static_cast<long>(timeout.count()));
}

bool LinuxInternet::connectedFlags(std::uint32_t& flags) {
  flags = INTERNET_CONNECTION_CONFIGURED;
  for (const DefaultRoute& route : defaultRoutes(root_)) {
    const auto kernel = readKernelInterface(root_, route.interfaceName);
    flags |= kernel && kernel->linkType == linkTypePpp ? INTERNET_CONNECTION_MODEM : INTERNET_CONNECTION_LAN;
  }
  return (flags & (INTERNET_CONNECTION_LAN | INTERNET_CONNECTION_MODEM)) != 0;
}

}  // namespace plat::lnx
