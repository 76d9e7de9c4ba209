#include "machine/GuestRoster.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

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
  std::unordered_map<std::string, const NetworkGuest*> seen;  // the first of each identity
  for (const auto& guest : present) seen.try_emplace(identity(guest), &guest);

  std::vector<Change> changes;
  std::vector<Entry> kept;
  std::unordered_set<std::string> known;
  for (auto& entry : entries_) {
    auto id = identity(entry.guest);
    const auto found = seen.find(id);
    if (found == seen.end()) {
      changes.push_back(Change{RadioEvent::Code::GuestLeft, withDuration(entry, now)});
    } else {
      entry.guest = *found->second;
      kept.push_back(std::move(entry));
      known.insert(std::move(id));
    }
  }
  entries_ = std::move(kept);

  for (const auto& guest : present) {
    auto id = identity(guest);
    if (id.empty() || !known.insert(std::move(id)).second) continue;
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
