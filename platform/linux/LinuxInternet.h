// The Linux machine's Internet access. Reachability is a real probe: a
// connection to the server of the asked address, without a request, given up
// after the caller's time-out (NetworkManager's connectivity check is left
// unconfigured on Debian, so its answer says nothing). There is no off-line
// mode; a default route makes the machine count as having a connection.
#pragma once

#include <filesystem>

#include "machine/InternetBackend.h"

namespace plat::lnx {

class LinuxInternet : public InternetBackend {
 public:
  // `root` is where procfs and sysfs are mounted ("/").
  explicit LinuxInternet(std::filesystem::path root);

  bool connectedState(std::uint32_t& state) override;
  bool checkConnection(const std::string& url, std::chrono::milliseconds timeout) override;
  // INTERNET_CONNECTION_CONFIGURED, with LAN (or MODEM for a point-to-point
  // link) while a default route exists; true then.
  bool connectedFlags(std::uint32_t& flags) override;

 private:
  std::filesystem::path root_;
};

}  // namespace plat::lnx
