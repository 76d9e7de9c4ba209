#include "http/ConnectionProbe.h"

#include "http/HttpLibrary.h"

namespace plat {

bool canConnectTo(const std::string& url, std::chrono::milliseconds timeout) {
  const HttpFunctions* http = httpLibrary();
  return http != nullptr && http->canConnect(url.c_str(), static_cast<long>(timeout.count()));
}

}  // namespace plat
