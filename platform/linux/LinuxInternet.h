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

  // Never: the desktop has no offline mode of its own.
  bool workingOffline(bool& offline) override;
  bool checkConnection(const std::string& url, std::chrono::milliseconds timeout) override;
  // A LAN (or a modem, for a point-to-point link) for each default route.
  InternetAccess access() override;

 private:
  std::filesystem::path root_;
};

}  // namespace plat::lnx
