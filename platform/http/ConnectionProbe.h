// Whether a server can be reached, for machines that try real servers: the
// probe of the platform's HTTP library, which its first use loads.
#pragma once

#include <chrono>
#include <string>

namespace plat {

// Whether a TCP connection to the server of `url` (its port, else its
// scheme's) can be made within `timeout`; nothing is sent. False also when
// the HTTP library cannot be loaded.
bool canConnectTo(const std::string& url, std::chrono::milliseconds timeout);

}  // namespace plat
