#include "linux/LinuxInternet.h"

#include <curl/curl.h>

#include <memory>

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
  // curl_easy_init sets libcurl up on first use; Debian's libcurl does so
  // thread-safely.
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), &curl_easy_cleanup);
  if (!easy) return false;
  const long milliseconds = static_cast<long>(timeout.count());
  CURLcode code = curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
  // Name lookup and connection only: the server is not asked for anything.
  if (code == CURLE_OK) code = curl_easy_setopt(easy.get(), CURLOPT_CONNECT_ONLY, 1L);
  // Threads of the program ask too: no signals for the lookup's time-out.
  if (code == CURLE_OK) code = curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
  if (code == CURLE_OK) code = curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT_MS, milliseconds);
  if (code == CURLE_OK) code = curl_easy_setopt(easy.get(), CURLOPT_TIMEOUT_MS, milliseconds);
  return code == CURLE_OK && curl_easy_perform(easy.get()) == CURLE_OK;
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
