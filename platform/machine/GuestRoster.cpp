#include "machine/GuestRoster.h"

#include <algorithm>
#include <string>

#include "machine/HardwareAddress.h"

namespace plat {
namespace {

std::string identity(const NetworkGuest& guest) {
  if (!guest.hardwareAddress.empty()) return "hw " + formatHardwareAddress(guest.hardwareAddress);
  if (!guest.name.empty()) return "name " + guest.name;
  if (!guest.ipAddress.empty()) return "ip " + guest.ipAddress;
  return {};
}

}  // namespace

std::vector<GuestRoster::Change> GuestRoster::update(const std::vector<NetworkGuest>& present, std::uint64_t now) {
  std::vector<Change> changes;
  std::vector<Entry> kept;
  for (auto& entry : entries_) {
    const auto id = identity(entry.guest);
    auto seen = std::find_if(present.begin(), present.end(), [&](const NetworkGuest& g) { return identity(g) == id; });
    if (seen == present.end()) {
      changes.push_back(Change{RadioEvent::Code::GuestLeft, withDuration(entry, now)});
    } else {
      entry.guest = *seen;
      kept.push_back(std::move(entry));
    }
  }
  entries_ = std::move(kept);

  for (const auto& guest : present) {
    const auto id = identity(guest);
    if (id.empty()) continue;
    const bool known = std::any_of(entries_.begin(), entries_.end(),
                                   [&](const Entry& e) { return identity(e.guest) == id; });
    if (known) continue;
    entries_.push_back(Entry{guest, now});
    changes.push_back(Change{RadioEvent::Code::GuestJoined, withDuration(entries_.back(), now)});
  }
  return changes;
}

std::vector<NetworkGuest> GuestRoster::guests(std::uint64_t now) const {
  std::vector<NetworkGuest> list;
  for (const auto& entry : entries_) list.push_back(withDuration(entry, now));
  return list;
}

NetworkGuest GuestRoster::withDuration(const Entry& entry, std::uint64_t now) {
  NetworkGuest guest = entry.guest;
  guest.connectedMilliseconds = now >= entry.since ? now - entry.since : 0;
  return guest;
}

}  // namespace plat
