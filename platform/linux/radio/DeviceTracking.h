// Which Wi-Fi devices are on a network, told as the radio's Connected and
// Disconnected events from NetworkManager's signals, and the guests of this
// instance's hotspots, watched while they are up. Any thread may call it.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "linux/hotspot/HotspotGuestWatch.h"
#include "linux/nm/NmClient.h"
#include "linux/radio/RadioDevices.h"
#include "machine/RadioBackend.h"

namespace plat::lnx {

class DeviceTracking {
 public:
  // Reads hotspots' files under `systemRoot`, again every
  // `guestRefreshInterval` while one runs.
  DeviceTracking(NmClient& client, RadioDevices& devices, const std::filesystem::path& systemRoot,
                 std::chrono::milliseconds guestRefreshInterval);
  ~DeviceTracking();
  DeviceTracking(const DeviceTracking&) = delete;
  DeviceTracking& operator=(const DeviceTracking&) = delete;

  void setEventSink(RadioBackend::EventSink sink);

  // Takes in what is up already, once: NetworkManager's signals tell what
  // changes from then on.
  void trackActiveDevices();

  // The devices on this instance's hotspot on the device, read now; none
  // when it runs none there.
  std::optional<std::vector<NetworkGuest>> guests(const RadioDevices::WifiDevice& wifi);

 private:
  struct Tracked {
    std::string interfaceId;
    std::string networkName;
  };

  static HotspotGuestWatch::Hotspot watchedHotspot(const RadioDevices::WifiDevice& wifi,
                                                   const ProfileSettings& settings);
  void deviceStateChanged(const QString& device, std::uint32_t newState, std::uint32_t oldState);
  void networkManagerLeft();
  void deliver(const std::vector<RadioEvent>& events);

  NmClient& client_;
  RadioDevices& devices_;

  std::mutex trackMutex_;  // the two below; taken before the devices' own
  std::map<QString, Tracked> onNetwork_;  // Wi-Fi devices on a network, by object path
  bool tracking_ = false;                 // onNetwork_ holds what was up before the signals began

  std::mutex sinkMutex_;
  RadioBackend::EventSink sink_;

  HotspotGuestWatch guestWatch_;  // the hotspots that are up; delivers through sink_

  NmClient::ListenerId listener_ = 0;
};

}  // namespace plat::lnx
