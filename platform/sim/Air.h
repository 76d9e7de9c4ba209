// The air that simulated machines on one computer share: a folder in which
// every machine that broadcasts wireless networks, or joined another's,
// keeps a station.
//
// A station is two files named by the station's id ("<pid>-<n>-<hex>"):
// "<id>.lock", locked (flock) by the station's process for as long as the
// station lives, and "<id>.json", the networks it broadcasts and the networks
// of other stations it joined (readable by its owner only: they carry keys),
// always replaced whole by rename. A station whose lock is free belongs to a
// process that ended without cleaning up; listeners take that lock and
// remove its files. Any number of processes may broadcast and listen at the
// same time.
//
// The folder is the user's own (prepareAirFolder), but nothing in it is
// trusted: names of another form, files that are not regular files and
// oversized entries are left alone, and nothing is opened in a way that
// could block.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plat::sim {

struct AirNetwork {
  std::string name;
  std::string key;        // empty: open
  std::uint32_t id = 0;   // unique in the air
  bool internet = false;  // what joins it reaches the Internet
};

// A network of another station that this station's machine joined, with
// what the host lists the machine by.
struct AirLink {
  std::string station;        // the host's station
  std::uint32_t network = 0;  // the id of the joined network
  std::string deviceName;
  std::vector<std::uint8_t> hardwareAddress;  // empty: none
};

struct HeardStation {
  std::string id;
  std::vector<AirNetwork> networks;
  std::vector<AirLink> links;
};

// Creates the folder (0700) when missing. Throws std::runtime_error naming
// the folder and the cause when it cannot be the air: not a folder, a
// symbolic link, another user's, or writable by other users.
void prepareAirFolder(const std::filesystem::path& dir);

class AirStation {
 public:
  // Prepares the folder. Throws std::runtime_error (a std::system_error for
  // a failed system call) when the station cannot be set up there.
  explicit AirStation(std::filesystem::path dir);
  // Removes the station's files.
  ~AirStation();
  AirStation(const AirStation&) = delete;
  AirStation& operator=(const AirStation&) = delete;

  const std::string& id() const { return id_; }

  // Replaces what the station broadcasts and the networks it joined (both
  // empty: nothing). False when the entry cannot be written; the previous
  // one then stays.
  bool publish(const std::vector<AirNetwork>& networks, const std::vector<AirLink>& links = {});

 private:
  std::filesystem::path dir_;
  std::string id_;
  int lockFd_ = -1;
};

// What every live station but `exceptStation` broadcasts and joined, ordered
// by station id. Removes the files of stations whose process has ended.
std::vector<HeardStation> listenToAir(const std::filesystem::path& dir, const std::string& exceptStation = {});

// What one station broadcasts and joined; none when it is gone or its
// process has ended.
std::optional<HeardStation> listenToStation(const std::filesystem::path& dir, const std::string& station);

// A fresh network id for the air: random, with the top bit set so that it
// never equals the small ids of a machine's own background networks.
std::uint32_t newAirNetworkId();

}  // namespace plat::sim
