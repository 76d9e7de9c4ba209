// A reachability probe that opens a connection and asks nothing.
#pragma once

namespace plat::curl {

// Whether a connection to the server of `url` (at its port, else its
// scheme's) can be made within `timeoutMs`. Nothing is requested; an https
// address also completes the TLS handshake. A proxy from the environment is
// the server then.
bool canConnect(const char* url, long timeoutMs);

}  // namespace plat::curl
