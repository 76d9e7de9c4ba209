#include "sim/Air.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <regex>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "common/AtomicFile.h"
#include "common/RegularFile.h"
#include "machine/HardwareAddress.h"
#include "store/JsonFields.h"

namespace plat::sim {
namespace {

constexpr const char* entrySuffix = ".json";
constexpr const char* lockSuffix = ".lock";
// An entry lists a machine's few networks; anything larger is not one.
constexpr std::size_t entryLimit = 64 * 1024;

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

// "<pid>-<counter>-<random hex>"; isStationId accepts exactly this form.
std::string newStationId() {
  static std::atomic<unsigned> counter{0};
  std::ostringstream id;
  id << ::getpid() << '-' << counter++ << '-' << std::hex << randomNumber();
  return id.str();
}

bool isStationId(const std::string& id) {
  static const std::regex form("[0-9]+-[0-9]+-[0-9a-f]+");
  return std::regex_match(id, form);
}

// Removes a station's entry if it is a regular file: whatever else carries
// its name was not written by a station.
void removeEntry(const std::filesystem::path& dir, const std::string& station) {
  const auto entry = entryFile(dir, station);
  struct stat info {};
  if (::lstat(entry.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(entry.c_str());
}

// Whether the station may still be alive. Only a lock that this listener
// can take proves its station gone; the listener then removes the station's
// files while it holds that lock, so that two listeners agree. A lock that
// exists but cannot be opened, or is no regular file, proves nothing.
bool stationAlive(const std::filesystem::path& dir, const std::string& station) {
  const auto lock = lockFile(dir, station);
  int fd = ::open(lock.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    // The entry outlived its lock: its owner stopped between removing the
    // two files, or someone removed the lock. A new lock of that name is
    // taken to remove the entry; failing that, another listener is at it.
    fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  }
  if (fd < 0) return true;
  struct stat info {};
  const bool abandoned = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (abandoned) {
    removeEntry(dir, station);
    ::unlink(lock.c_str());
  }
  ::close(fd);
  return !abandoned;
}

std::optional<HeardStation> readEntry(const std::filesystem::path& file) {
  std::string text;
  if (readRegularFile(file.c_str(), entryLimit, text, /*followLinks=*/false) != 0) return std::nullopt;
  try {
    const auto entry = nlohmann::json::parse(text);
    HeardStation station;
    for (const auto& n : arrayField(entry, "networks")) {
      station.networks.push_back(AirNetwork{requiredTextField(n, "name"), textField(n, "key"),
                                            requiredIntegerField<std::uint32_t>(n, "id"),
                                            flagField(n, "internet", false)});
    }
    for (const auto& l : arrayField(entry, "joined")) {
      auto hardwareAddress = parseHardwareAddress(textField(l, "mac"));
      if (!hardwareAddress) continue;  // a link the host could not list
      station.links.push_back(AirLink{requiredTextField(l, "station"), requiredIntegerField<std::uint32_t>(l, "network"),
                                      textField(l, "name"), std::move(*hardwareAddress)});
    }
    return station;
  } catch (const std::runtime_error&) {
    return std::nullopt;  // not a station entry; ignored
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

std::runtime_error folderFault(const std::filesystem::path& dir, const std::string& cause) {
  return std::runtime_error("the air folder " + dir.string() + " " + cause +
                            "; wireless networks of other instances cannot be heard, nor this one's broadcast "
                            "(remove the folder or choose another with BRISKLANE_AIR_DIR)");
}

}  // namespace

void prepareAirFolder(const std::filesystem::path& dir) {
  const auto folder = dir.has_filename() ? dir : dir.parent_path();  // without a trailing separator
  std::error_code ignored;
  std::filesystem::create_directories(folder.parent_path(), ignored);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    throw folderFault(folder, std::string("cannot be created: ") + std::strerror(errno));
  }
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) {
    throw folderFault(folder, std::string("cannot be examined: ") + std::strerror(errno));
  }
  if (S_ISLNK(info.st_mode)) throw folderFault(folder, "is a symbolic link");
  if (!S_ISDIR(info.st_mode)) throw folderFault(folder, "is not a folder");
  if (info.st_uid != ::geteuid()) {
    throw folderFault(folder, "belongs to another user (uid " + std::to_string(info.st_uid) + ")");
  }
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    throw folderFault(folder, std::string("can be written by other users (mode ") + mode + ")");
  }
}

AirStation::AirStation(std::filesystem::path dir) : dir_(std::move(dir)), id_(newStationId()) {
  prepareAirFolder(dir_);
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
  // Created readable by its owner only, as every new file: it holds keys.
  return writeFileAtomically(entryFile(dir_, id_), entry.dump());
}

std::vector<HeardStation> listenToAir(const std::filesystem::path& dir, const std::string& exceptStation) {
  std::vector<std::string> stations;
  std::error_code error;
  for (std::filesystem::directory_iterator item(dir, error), end; !error && item != end; item.increment(error)) {
    const auto name = item->path().filename().string();
    if (!name.ends_with(entrySuffix)) continue;
    auto station = name.substr(0, name.size() - std::string_view(entrySuffix).size());
    if (station != exceptStation && isStationId(station)) stations.push_back(std::move(station));
  }
  std::sort(stations.begin(), stations.end());

  std::vector<HeardStation> heard;
  for (auto& station : stations) {
    if (auto entry = listenToStation(dir, station)) heard.push_back(std::move(*entry));
  }
  return heard;
}

std::optional<HeardStation> listenToStation(const std::filesystem::path& dir, const std::string& station) {
  if (!isStationId(station) || !stationAlive(dir, station)) return std::nullopt;
  auto entry = readEntry(entryFile(dir, station));
  if (entry) entry->id = station;
  return entry;
}

std::uint32_t newAirNetworkId() { return randomNumber() | 0x80000000u; }

}  // namespace plat::sim
