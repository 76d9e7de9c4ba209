// What a machine answers about its Internet access, for WinInet's
// reachability queries.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace plat {

// The ways the machine has to the Internet, as far as it can tell without
// asking a server.
struct InternetAccess {
  bool offline = false;  // the user chose to work offline
  bool lan = false;      // a connection through a local network may lead to it
  bool modem = false;    // a connection through a modem may lead to it

  bool connected() const { return lan || modem; }
};

class InternetBackend {
 public:
  virtual ~InternetBackend() = default;

  // Whether the user chose to work offline; false when the query itself
  // fails.
  virtual bool workingOffline(bool& offline) = 0;

  // Whether a connection to the server of `url` can be made now; gives up
  // (false) after `timeout`.
  virtual bool checkConnection(const std::string& url, std::chrono::milliseconds timeout) = 0;

  // Whether the machine has a connection that may lead to the Internet, and
  // of which kind.
  virtual InternetAccess access() = 0;
};

}  // namespace plat
