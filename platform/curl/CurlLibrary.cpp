// The library's entry: libcurl set up once, and the table of functions the
// platform's loader (http/HttpLibrary.cpp) asks for.
#include "curl/CurlLibrary.h"

#include <curl/curl.h>

#include <mutex>

#include "curl/ConnectProbe.h"
#include "curl/CurlWinInet.h"
#include "curl/WinInetErrors.h"
#include "http/HttpLibrary.h"

namespace plat::curl {

bool curlReady() {
  static std::once_flag once;
  static CURLcode result = CURLE_OK;
  std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (result != CURLE_OK) SetLastError(winInetErrorFromCurl(result));
  return result == CURLE_OK;
}

}  // namespace plat::curl

extern "C" __attribute__((visibility("default"))) const plat::HttpFunctions* brisklane_curl_functions() {
  using namespace plat::curl;
  static const plat::HttpFunctions functions{sizeof(plat::HttpFunctions),
                                             &internetOpen,
                                             &internetConnect,
                                             &httpOpenRequest,
                                             &httpSendRequest,
                                             &internetReadFile,
                                             &internetQueryOption,
                                             &internetCloseHandle,
                                             &canConnect};
  return &functions;
}
