#include "linux/hotspot/HotspotGuestWatch.h"

#include <cstdio>
#include <set>
#include <system_error>

namespace plat::lnx {

HotspotGuestWatch::HotspotGuestWatch(std::filesystem::path root, std::chrono::milliseconds interval, EventSink sink)
    : root_(std::move(root)), interval_(interval), sink_(std::move(sink)) {}

HotspotGuestWatch::~HotspotGuestWatch() { stopAll(); }

void HotspotGuestWatch::watch(const Hotspot& hotspot) {
  {
    std::lock_guard lock(mutex_);
    const auto found = watched_.find(hotspot.interfaceId);
    if (found != watched_.end() && found->second.hotspot.networkName == hotspot.networkName) return;
  }
  const auto left = stop(hotspot.interfaceId);  // another network of that interface's before

  {
    std::lock_guard lock(mutex_);
    if (!left.empty()) sink_(left);
    Watched watched;
    watched.hotspot = hotspot;
    watched.id = ++lastId_;
    const auto [entry, added] = watched_.try_emplace(hotspot.interfaceId, std::move(watched));
    if (!added) return;  // a caller on another thread was first
    try {
      entry->second.leases = std::make_unique<FileWatch>(leaseFilePath(root_, hotspot.interfaceName), interval_,
                                                         [this, id = hotspot.interfaceId] { look(id); });
      return;
    } catch (const std::system_error& error) {
      // Out of file descriptors: the guests are still read whenever asked.
      std::fprintf(stderr, "brisklane: devices joining or leaving %s show only when the list is read anew: %s\n",
                   hotspot.networkName.c_str(), error.what());
    }
  }
  look(hotspot.interfaceId);
}

std::vector<RadioEvent> HotspotGuestWatch::stop(const std::string& interfaceId) {
  std::unique_ptr<FileWatch> leases;
  std::vector<RadioEvent> left;
  {
    std::lock_guard lock(mutex_);
    auto node = watched_.extract(interfaceId);
    if (node.empty()) return {};
    leases = std::move(node.mapped().leases);
    left = events(node.mapped().hotspot, node.mapped().roster.clear(now()));
  }
  leases.reset();  // outside the lock: its thread may be waiting for it
  return left;
}

std::vector<RadioEvent> HotspotGuestWatch::stopAll() {
  std::map<std::string, Watched> all;
  std::vector<RadioEvent> left;
  {
    std::lock_guard lock(mutex_);
    all.swap(watched_);
    for (auto& [id, watched] : all) {
      auto gone = events(watched.hotspot, watched.roster.clear(now()));
      left.insert(left.end(), gone.begin(), gone.end());
    }
  }
  all.clear();  // outside the lock, as in stop
  return left;
}

std::optional<std::vector<NetworkGuest>> HotspotGuestWatch::guests(const std::string& interfaceId) {
  look(interfaceId);
  std::lock_guard lock(mutex_);
  const auto found = watched_.find(interfaceId);
  if (found == watched_.end()) return std::nullopt;
  return found->second.roster.guests(now());
}

void HotspotGuestWatch::look(const std::string& interfaceId) {
  std::string interfaceName;
  std::uint64_t id = 0;
  std::uint64_t reading = 0;
  {
    std::lock_guard lock(mutex_);
    const auto found = watched_.find(interfaceId);
    if (found == watched_.end()) return;
    interfaceName = found->second.hotspot.interfaceName;
    id = found->second.id;
    reading = ++found->second.readings;
  }
  const auto files = readHotspotFiles(root_, interfaceName, std::chrono::system_clock::now());
  std::lock_guard lock(mutex_);
  const auto found = watched_.find(interfaceId);
  if (found == watched_.end() || found->second.id != id || found->second.applied > reading) return;
  found->second.applied = reading;
  apply(found->second, files);
}

void HotspotGuestWatch::apply(Watched& watched, const HotspotFiles& files) {
  const auto time = std::chrono::system_clock::now();
  auto present = hotspotGuests(files, watched.hotspot.interfaceName, time, watched.leased);
  holdBackUnleased(watched, present);
  if (!files.settled) {
    // Midway through a rewrite: who seems gone may be in the part still to come.
    std::set<std::vector<std::uint8_t>> seen;
    for (const auto& guest : present) seen.insert(guest.hardwareAddress);
    for (auto& listed : watched.roster.guests(now())) {
      if (seen.count(listed.hardwareAddress) == 0) present.push_back(std::move(listed));
    }
  }
  const auto changed = events(watched.hotspot, watched.roster.update(present, now()));
  if (!changed.empty()) sink_(changed);
}

void HotspotGuestWatch::holdBackUnleased(Watched& watched, std::vector<NetworkGuest>& present) const {
  const auto time = now();
  const auto waitFor = static_cast<std::uint64_t>(interval_.count());
  std::map<std::vector<std::uint8_t>, std::uint64_t> unleased;
  std::erase_if(present, [&](const NetworkGuest& guest) {
    if (watched.leased.count(guest.hardwareAddress) != 0) return false;
    const auto found = watched.unleasedSince.find(guest.hardwareAddress);
    const auto since = found != watched.unleasedSince.end() ? found->second : time;
    unleased.emplace(guest.hardwareAddress, since);
    return time - since < waitFor;
  });
  watched.unleasedSince = std::move(unleased);  // a device seen again later waits anew
}

std::vector<RadioEvent> HotspotGuestWatch::events(const Hotspot& hotspot, std::vector<GuestRoster::Change> changes) {
  std::vector<RadioEvent> list;
  for (auto& change : changes) {
    list.push_back(RadioEvent{hotspot.interfaceId, change.code, hotspot.networkName, std::move(change.guest)});
  }
  return list;
}

std::uint64_t HotspotGuestWatch::now() {
  const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

}  // namespace plat::lnx
