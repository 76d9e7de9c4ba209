#include "update/LoopbackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace updatetest {

namespace {

const std::string script = std::string(BRISKLANE_SOURCE_DIR) + "/tests/update/loopback_server.py";

std::string readLine(std::FILE* in) {
  std::string line;
  for (int c = std::fgetc(in); c != EOF && c != '\n'; c = std::fgetc(in)) line += static_cast<char>(c);
  return line;
}

}  // namespace

LoopbackServer::LoopbackServer(Tls tls) {
  int input[2], output[2];
  if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  std::vector<std::string> args{"python3", script, folder_.path().string()};
  if (tls == Tls::On) args.emplace_back("--tls");
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(input[0]);
  ::close(output[1]);
  toServer_ = input[1];
  fromServer_ = fdopen(output[0], "r");
  if (spawned != 0) throw std::runtime_error("cannot start python3");
  const std::string first = readLine(fromServer_);
  ports_ = nlohmann::json::parse(first, nullptr, false);
  if (!ports_.is_object()) throw std::runtime_error("loopback server did not start: " + first);
}

LoopbackServer::~LoopbackServer() {
  // The script ends when its input closes.
  ::close(toServer_);
  if (fromServer_ != nullptr) std::fclose(fromServer_);
  if (pid_ > 0) waitpid(pid_, nullptr, 0);
}

int LoopbackServer::port(const std::string& server) const { return ports_.at(server).get<int>(); }

std::string LoopbackServer::url(const std::string& target) const {
  return "http://127.0.0.1:" + std::to_string(port()) + target;
}

std::string LoopbackServer::httpsUrl(const std::string& server, const std::string& target) const {
  return "https://127.0.0.1:" + std::to_string(port(server)) + target;
}

std::string LoopbackServer::replyUrl(const std::string& body) const { return url("/reply?body=" + percentEncode(body)); }

std::string LoopbackServer::caFile() const { return ports_.at("ca").get<std::string>(); }

void LoopbackServer::waitForLine(const std::string& line) {
  while (!std::feof(fromServer_)) {
    if (readLine(fromServer_) == line) return;
  }
  throw std::runtime_error("loopback server ended before printing " + line);
}

std::string percentEncode(const std::string& text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace updatetest
