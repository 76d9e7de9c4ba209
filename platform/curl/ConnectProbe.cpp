#include "curl/ConnectProbe.h"

#include <curl/curl.h>

#include <memory>

#include "curl/CurlLibrary.h"

namespace plat::curl {

bool canConnect(const char* url, long timeoutMs) {
  if (url == nullptr || !curlReady()) return false;
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), &curl_easy_cleanup);
  if (!easy) return false;
  CURLcode code = CURLE_OK;
  const auto set = [&](CURLoption option, auto value) {
    if (code == CURLE_OK) code = curl_easy_setopt(easy.get(), option, value);
  };
  set(CURLOPT_URL, url);
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_CONNECT_ONLY, 1L);
  // Any thread may ask: no signals for the name lookup's time-out.
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
  set(CURLOPT_TIMEOUT_MS, timeoutMs);
  return code == CURLE_OK && curl_easy_perform(easy.get()) == CURLE_OK;
}

}  // namespace plat::curl
