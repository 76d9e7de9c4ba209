// Who is on the hotspots the Linux machine runs, kept up to date while each
// runs: the hotspot's lease file is watched, and the devices on it
// (readHotspotGuests) are read again whenever dnsmasq rewrites it, and at a
// slow interval besides for devices that leave without giving their lease
// back (or whose lease runs out); a GuestRoster per hotspot turns each reading into GuestJoined and
// GuestLeft events. A device the kernel resolved that holds no lease counts
// only once it has gone an interval without one: dnsmasq enters a device in
// the neighbour table as it hands out the address and writes the lease a
// moment later, so the device would otherwise join nameless. A reading that
// catches dnsmasq rewriting the lease file lets nobody leave: the reading
// after the rewrite tells. The files are read outside the watch's lock, so
// a caller never waits for another's reading. Any thread may call it.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "linux/hotspot/FileWatch.h"
#include "linux/hotspot/HotspotGuests.h"
#include "machine/GuestRoster.h"
#include "machine/RadioBackend.h"

namespace plat::lnx {

class HotspotGuestWatch {
 public:
  struct Hotspot {
    std::string interfaceId;    // the radio's id of the interface
    std::string interfaceName;  // the kernel's name of it
    std::string networkName;
  };
  using EventSink = std::function<void(const std::vector<RadioEvent>&)>;

  // Reads the files under `root` ("/" but in tests), again every `interval`
  // while a hotspot runs. `sink` gets the events of each reading, in order,
  // on the thread that read; it must not call this watch.
  HotspotGuestWatch(std::filesystem::path root, std::chrono::milliseconds interval, EventSink sink);
  ~HotspotGuestWatch();
  HotspotGuestWatch(const HotspotGuestWatch&) = delete;
  HotspotGuestWatch& operator=(const HotspotGuestWatch&) = delete;

  // Starts watching the hotspot and reads its guests at once; nothing
  // changes when that interface's network is watched already.
  void watch(const Hotspot& hotspot);

  // Stops watching the interface's hotspot: a GuestLeft for each device
  // that was on it, for the caller to hand on before the hotspot's
  // Disconnected. None when it was not watched.
  std::vector<RadioEvent> stop(const std::string& interfaceId);
  // Every hotspot, as stop.
  std::vector<RadioEvent> stopAll();

  // The devices on the interface's hotspot, read now (the sink gets what
  // changed), in the order they joined; none when it is not watched.
  std::optional<std::vector<NetworkGuest>> guests(const std::string& interfaceId);

 private:
  struct Watched {
    Hotspot hotspot;
    std::uint64_t id = 0;        // tells this watch from a later one of the same interface
    std::uint64_t readings = 0;  // readings begun
    std::uint64_t applied = 0;   // the reading last applied: an older one that ends later is dropped
    GuestRoster roster;
    LeaseHistory leased;
    std::map<std::vector<std::uint8_t>, std::uint64_t> unleasedSince;  // by hardware address, now() of first sight
    std::unique_ptr<FileWatch> leases;
  };

  // Reads the hotspot's guests and hands on what changed; not under mutex_.
  void look(const std::string& interfaceId);
  // The reading's guests into the roster; under mutex_.
  void apply(Watched& watched, const HotspotFiles& files);
  // Leaves out of `present` the devices without a lease seen for less than an interval.
  void holdBackUnleased(Watched& watched, std::vector<NetworkGuest>& present) const;
  static std::vector<RadioEvent> events(const Hotspot& hotspot, std::vector<GuestRoster::Change> changes);
  static std::uint64_t now();

  const std::filesystem::path root_;
  const std::chrono::milliseconds interval_;
  const EventSink sink_;

  std::mutex mutex_;  // watched_, also while the sink runs: the events keep their order
  std::map<std::string, Watched> watched_;  // by interface id
  std::uint64_t lastId_ = 0;
};

}  // namespace plat::lnx
