// What a machine answers about its Internet access, for WinInet's
// reachability queries.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace plat {

class InternetBackend {
 public:
  virtual ~InternetBackend() = default;

  // INTERNET_STATE_* bits; false when the query itself fails.
  virtual bool connectedState(std::uint32_t& state) = 0;

  // Whether a connection to the server of `url` can be made now; gives up
  // (false) after `timeout`.
  virtual bool checkConnection(const std::string& url, std::chrono::milliseconds timeout) = 0;

  // Whether the machine has a connection that may lead to the Internet, with
  // INTERNET_CONNECTION_* flags.
  virtual bool connectedFlags(std::uint32_t& flags) = 0;
};

}  // namespace plat
