#include "testkit/LoopbackPorts.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace testkit {
namespace {

// A socket bound to an ephemeral loopback port; its port in `port`.
int bindSocket(int& port) {
  const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (socket < 0 || ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (socket >= 0) ::close(socket);
    throw std::runtime_error("cannot bind a loopback port");
  }
  port = ntohs(address.sin_port);
  return socket;
}

std::string loopbackUrl(int port, const std::string& target) { return "http://127.0.0.1:" + std::to_string(port) + target; }

}  // namespace

RefusingPort::RefusingPort() { socket_ = bindSocket(port_); }

RefusingPort::~RefusingPort() { ::close(socket_); }

std::string RefusingPort::url(const std::string& target) const { return loopbackUrl(port_, target); }

ListeningPort::ListeningPort() {
  socket_ = bindSocket(port_);
  // Not blocking: taking a connection nobody made fails at once.
  if (::fcntl(socket_, F_SETFL, O_NONBLOCK) != 0 || ::listen(socket_, 8) != 0) {
    ::close(socket_);
    throw std::runtime_error("cannot listen on a loopback port");
  }
}

ListeningPort::~ListeningPort() { ::close(socket_); }

std::string ListeningPort::url(const std::string& target) const { return loopbackUrl(port_, target); }

std::string ListeningPort::takeConnection() {
  const int connection = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection < 0) throw std::runtime_error("nobody connected to the loopback port");
  std::string received;
  char buffer[512];
  // The client closed its end before the test looks: read up to the end.
  for (ssize_t count; (count = ::recv(connection, buffer, sizeof buffer, 0)) > 0;) received.append(buffer, static_cast<std::size_t>(count));
  ::close(connection);
  return received;
}

}  // namespace testkit
