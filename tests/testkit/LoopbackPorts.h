// Ports on 127.0.0.1 for tests that connect: one that refuses every
// connection, and one that accepts them and tells what a client sent.
#pragma once

#include <string>

namespace testkit {

// A loopback port that refuses connections: bound, never listening.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;

  int port() const { return port_; }
  std::string url(const std::string& target) const;

 private:
  int socket_ = -1;
  int port_ = 0;
};

// A loopback port that accepts connections without answering.
class ListeningPort {
 public:
  ListeningPort();
  ~ListeningPort();
  ListeningPort(const ListeningPort&) = delete;
  ListeningPort& operator=(const ListeningPort&) = delete;

  int port() const { return port_; }
  std::string url(const std::string& target) const;

  // Takes the oldest connection made so far (none: fails the test) and
  // returns what its client sent before it closed the connection.
  std::string takeConnection();

 private:
  int socket_ = -1;
  int port_ = 0;
};

}  // namespace testkit
