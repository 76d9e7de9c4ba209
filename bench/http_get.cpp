// One THTTP::Get of a body on loopback, from request to text: the WinInet
// stand-ins over libcurl, the 1024-byte read loop with its zero-byte cut,
// and the growth of the body text. The server is a thread of this program
// that answers every connection with the same HTTP/1.0 response.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include "testkit/TempDir.h"
#include "update/http.h"

namespace {

class OneBodyServer {
 public:
  explicit OneBodyServer(std::size_t size) {
    response_ = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n" + std::string(size, 'x');
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 16);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~OneBodyServer() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/body"; }

 private:
  void serve() {
    while (!stopping_) {
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) continue;
      // The request head ends with an empty line.
      std::string head;
      char buffer[512];
      while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::read(client, buffer, sizeof buffer);
        if (n <= 0) break;
        head.append(buffer, static_cast<std::size_t>(n));
      }
      for (std::size_t sent = 0; sent < response_.size();) {
        const ssize_t n = ::write(client, response_.data() + sent, response_.size() - sent);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
      }
      ::close(client);
    }
  }

  std::string response_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

void BM_HttpGet(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  OneBodyServer server(size);
  testkit::TempDir folder;
  THTTP http((folder / "ErrorLog.txt").string());
  http.Open();
  std::string effectiveUrl, body;
  for (auto _ : state) {
    http.Get(server.url(), effectiveUrl, body);
    if (body.size() != size) state.SkipWithError("short body");
    benchmark::DoNotOptimize(body.data());
  }
  http.Close();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_HttpGet)->Arg(1 << 10)->Arg(64 << 10)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
