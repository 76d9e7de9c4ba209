#include "sim/Air.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "machine/HardwareAddress.h"
#include "win32/AtomicFile.h"

namespace plat::sim {
namespace {

constexpr const char* entrySuffix = ".json";
constexpr const char* lockSuffix = ".lock";

std::filesystem::path entryFile(const std::filesystem::path& dir, const std::string& station) {
  return dir / (station + entrySuffix);
}

std::filesystem::path lockFile(const std::filesystem::path& dir, const std::string& station) {
  return dir / (station + lockSuffix);
}

std::uint32_t randomNumber() {
  static std::mutex mutex;
  static std::mt19937 generator{std::random_device{}()};
  std::lock_guard lock(mutex);
  return generator();
}

std::string newStationId() {
  static std::atomic<unsigned> counter{0};
  std::ostringstream id;
  id << ::getpid() << '-' << counter++ << '-' << std::hex << randomNumber();
  return id.str();
}

// Whether the station's process still holds its lock. A station found
// abandoned has its files removed while this listener holds the lock, so
// that two listeners agree.
bool stationAlive(const std::filesystem::path& dir, const std::string& station) {
  const auto lock = lockFile(dir, station);
  int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    // The entry outlived its lock: the owner was stopped between removing
    // the two files, or someone removed the lock. Either way it is gone.
    std::error_code ignored;
    std::filesystem::remove(entryFile(dir, station), ignored);
    return false;
  }
  // Only a lock that can be had proves the owner gone; any other failure
  // counts as alive.
  const bool alive = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
  if (!alive) {
    std::error_code ignored;
    std::filesystem::remove(entryFile(dir, station), ignored);
    std::filesystem::remove(lock, ignored);
  }
  ::close(fd);
  return alive;
}

std::optional<HeardStation> readEntry(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  try {
    auto entry = nlohmann::json::parse(in);
    HeardStation station;
    for (const auto& n : entry.at("networks")) {
      station.networks.push_back(AirNetwork{n.at("name").get<std::string>(), n.value("key", std::string()),
                                            n.at("id").get<std::uint32_t>(), n.value("internet", false)});
    }
    for (const auto& l : entry.value("joined", nlohmann::json::array())) {
      auto hardwareAddress = parseHardwareAddress(l.value("mac", std::string()));
      if (!hardwareAddress) continue;  // a link the host could not list
      station.links.push_back(AirLink{l.at("station").get<std::string>(), l.at("network").get<std::uint32_t>(),
                                      l.value("name", std::string()), std::move(*hardwareAddress)});
    }
    return station;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;  // not a station entry; ignored
  }
}

}  // namespace

AirStation::AirStation(std::filesystem::path dir) : dir_(std::move(dir)), id_(newStationId()) {
  std::filesystem::create_directories(dir_);
  // The lock is taken under a name that listeners ignore and only then
  // renamed into place, so a listener never finds an unlocked live lock.
  const auto pending = dir_ / (id_ + ".lock.pending");
  lockFd_ = ::open(pending.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
  if (lockFd_ < 0) throw std::system_error(errno, std::generic_category(), "cannot create " + pending.string());
  if (::flock(lockFd_, LOCK_EX) != 0 || ::rename(pending.c_str(), lockFile(dir_, id_).c_str()) != 0) {
    int error = errno;
    ::close(lockFd_);
    ::unlink(pending.c_str());
    throw std::system_error(error, std::generic_category(), "cannot set up the air station " + id_);
  }
}

AirStation::~AirStation() {
  std::error_code ignored;
  std::filesystem::remove(entryFile(dir_, id_), ignored);
  std::filesystem::remove(lockFile(dir_, id_), ignored);
  ::close(lockFd_);
}

bool AirStation::publish(const std::vector<AirNetwork>& networks, const std::vector<AirLink>& links) {
  if (networks.empty() && links.empty()) {
    std::error_code error;
    std::filesystem::remove(entryFile(dir_, id_), error);
    return !error;
  }
  nlohmann::json entry = {{"pid", ::getpid()}, {"networks", nlohmann::json::array()}};
  for (const auto& n : networks) {
    entry["networks"].push_back({{"name", n.name}, {"key", n.key}, {"id", n.id}, {"internet", n.internet}});
  }
  if (!links.empty()) {
    entry["joined"] = nlohmann::json::array();
    for (const auto& l : links) {
      entry["joined"].push_back({{"station", l.station},
                                 {"network", l.network},
                                 {"name", l.deviceName},
                                 {"mac", formatHardwareAddress(l.hardwareAddress)}});
    }
  }
  return writeFileAtomically(entryFile(dir_, id_), entry.dump());
}

std::vector<HeardStation> listenToAir(const std::filesystem::path& dir, const std::string& exceptStation) {
  std::vector<std::string> stations;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(dir, error)) {
    const auto name = item.path().filename().string();
    if (!name.ends_with(entrySuffix)) continue;
    auto station = name.substr(0, name.size() - std::string_view(entrySuffix).size());
    if (station != exceptStation) stations.push_back(std::move(station));
  }
  std::sort(stations.begin(), stations.end());

  std::vector<HeardStation> heard;
  for (auto& station : stations) {
    if (auto entry = listenToStation(dir, station)) heard.push_back(std::move(*entry));
  }
  return heard;
}

std::optional<HeardStation> listenToStation(const std::filesystem::path& dir, const std::string& station) {
  if (station.empty() || !stationAlive(dir, station)) return std::nullopt;
  auto entry = readEntry(entryFile(dir, station));
  if (entry) entry->id = station;
  return entry;
}

std::uint32_t newAirNetworkId() { return randomNumber() | 0x80000000u; }

}  // namespace plat::sim
