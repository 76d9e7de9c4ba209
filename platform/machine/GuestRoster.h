// Who is on a network this machine broadcasts, from one look to the next.
// Each look gives the devices present now, however the machine learns them;
// the roster keeps when each one was first seen and tells who joined and who
// left since the previous look. Not thread-safe: its owner guards it.
#pragma once

#include <cstdint>
#include <vector>

#include "machine/RadioBackend.h"

namespace plat {

class GuestRoster {
 public:
  struct Change {
    RadioEvent::Code code;  // GuestJoined or GuestLeft
    NetworkGuest guest;     // with how long it was on the network
  };

  // Takes the devices present at `now` (milliseconds on the machine's clock).
  // A device is known by its hardware address, else by its name, else by its
  // IP address; one known by none of them is left out. A device seen before
  // keeps its first sighting and takes its new name and address. Returns
  // those that left, then those that joined, each in roster order.
  std::vector<Change> update(const std::vector<NetworkGuest>& present, std::uint64_t now);

  // Everybody leaves: the network stopped.
  std::vector<Change> clear(std::uint64_t now) { return update({}, now); }

  // The devices on the network, in the order they joined.
  std::vector<NetworkGuest> guests(std::uint64_t now) const;

 private:
  struct Entry {
    NetworkGuest guest;
    std::uint64_t since;
  };
  static NetworkGuest withDuration(const Entry& entry, std::uint64_t now);

  std::vector<Entry> entries_;
};

}  // namespace plat
