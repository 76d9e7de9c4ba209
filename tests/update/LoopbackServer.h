// Web servers on 127.0.0.1 for the HTTP tests: a python3 script
// (loopback_server.py beside this file) started for the test's lifetime on
// ephemeral ports. See the script for the paths it serves.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "testkit/LoopbackPorts.h"
#include "testkit/TempDir.h"

namespace updatetest {

class LoopbackServer {
 public:
  enum class Tls { Off, On };

  // Starts the servers; with Tls::On also three HTTPS servers ("valid",
  // "wronghost", "expired") whose certificates caFile() signed.
  explicit LoopbackServer(Tls tls = Tls::Off);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port(const std::string& server = "http") const;
  // "http://127.0.0.1:<port>" + target.
  std::string url(const std::string& target) const;
  // "https://127.0.0.1:<port of server>" + target.
  std::string httpsUrl(const std::string& server, const std::string& target) const;
  // The URL whose reply is `body` (status 200).
  std::string replyUrl(const std::string& body) const;
  std::string caFile() const;

  // Blocks until the script prints `line` (it announces each /hang request).
  void waitForLine(const std::string& line);

 private:
  testkit::TempDir folder_;
  pid_t pid_ = -1;
  int toServer_ = -1;
  std::FILE* fromServer_ = nullptr;
  nlohmann::json ports_;
};

using RefusingPort = testkit::RefusingPort;

std::string percentEncode(const std::string& text);

}  // namespace updatetest
