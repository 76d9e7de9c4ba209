#include "linux/radio/DeviceTracking.h"

#include "linux/nm/NmNames.h"

namespace plat::lnx {
namespace {

RadioEvent event(RadioEvent::Code code, const std::string& interfaceId, const std::string& name) {
  return RadioEvent{interfaceId, code, name, {}};
}

}  // namespace

DeviceTracking::DeviceTracking(NmClient& client, RadioDevices& devices, const std::filesystem::path& systemRoot,
                               std::chrono::milliseconds guestRefreshInterval)
    : client_(client),
      devices_(devices),
      guestWatch_(systemRoot, guestRefreshInterval,
                  [this](const std::vector<RadioEvent>& events) { deliver(events); }) {
  NmClient::Listener listener;
  listener.deviceStateChanged = [this](const QString& device, std::uint32_t newState, std::uint32_t oldState,
                                       std::uint32_t) { deviceStateChanged(device, newState, oldState); };
  listener.runningChanged = [this](bool running) {
    if (!running) networkManagerLeft();
  };
  listener_ = client_.addListener(std::move(listener));
}

DeviceTracking::~DeviceTracking() { client_.removeListener(listener_); }

void DeviceTracking::setEventSink(RadioBackend::EventSink sink) {
  std::lock_guard lock(sinkMutex_);
  sink_ = std::move(sink);
}

std::optional<std::vector<NetworkGuest>> DeviceTracking::guests(const RadioDevices::WifiDevice& wifi) {
  trackActiveDevices();
  {
    // With the tracking's lock held, a hotspot that goes down meanwhile
    // stops being watched after this, not before.
    std::lock_guard lock(trackMutex_);
    const auto hotspot = devices_.runningHotspot(wifi);
    if (!hotspot) return std::nullopt;
    guestWatch_.watch(watchedHotspot(wifi, hotspot->settings));  // its signal may still be on its way
  }
  return guestWatch_.guests(wifi.id);  // none when it went down meanwhile
}

HotspotGuestWatch::Hotspot DeviceTracking::watchedHotspot(const RadioDevices::WifiDevice& wifi,
                                                          const ProfileSettings& settings) {
  return {wifi.id, wifi.device.interfaceName, profileSsid(settings).toStdString()};
}

void DeviceTracking::deviceStateChanged(const QString& device, std::uint32_t newState, std::uint32_t oldState) {
  std::vector<RadioEvent> events;
  std::optional<HotspotGuestWatch::Hotspot> hotspot;
  {
    std::lock_guard lock(trackMutex_);
    if (newState == nm::deviceStateActivated) {
      for (const auto& wifi : devices_.wifiDevices()) {
        if (wifi.device.objectPath != device.toStdString()) continue;
        const auto active = devices_.activeProfile(device);
        const std::string name = active ? profileSsid(active->settings).toStdString() : std::string();
        onNetwork_[device] = Tracked{wifi.id, name};
        events.push_back(event(RadioEvent::Code::Connected, wifi.id, name));
        if (active && isHotspotProfile(active->settings) && devices_.isOwn(device, *active)) {
          hotspot = watchedHotspot(wifi, active->settings);
        }
      }
    } else if (oldState == nm::deviceStateActivated) {
      if (auto left = onNetwork_.extract(device)) {
        events = guestWatch_.stop(left.mapped().interfaceId);
        events.push_back(event(RadioEvent::Code::Disconnected, left.mapped().interfaceId, left.mapped().networkName));
      }
    }
  }
  deliver(events);
  // After its Connected; the next signal waits for this one to be handled.
  if (hotspot) guestWatch_.watch(*hotspot);
}

void DeviceTracking::networkManagerLeft() {
  std::vector<RadioEvent> events;
  {
    std::lock_guard lock(trackMutex_);
    events = guestWatch_.stopAll();
    for (const auto& [path, tracked] : onNetwork_) {
      events.push_back(event(RadioEvent::Code::Disconnected, tracked.interfaceId, tracked.networkName));
    }
    onNetwork_.clear();
    tracking_ = false;  // the devices come back as new objects
  }
  devices_.forgetAll();
  deliver(events);
}

void DeviceTracking::trackActiveDevices() {
  std::lock_guard lock(trackMutex_);
  if (tracking_) return;
  tracking_ = true;
  for (const auto& wifi : devices_.wifiDevices()) {
    if (!wifi.device.activated) continue;
    const QString path = QString::fromStdString(wifi.device.objectPath);
    if (const auto active = devices_.activeProfile(path)) {
      onNetwork_.try_emplace(path, Tracked{wifi.id, profileSsid(active->settings).toStdString()});
      if (active->activated && isHotspotProfile(active->settings) && devices_.isOwn(path, *active)) {
        guestWatch_.watch(watchedHotspot(wifi, active->settings));
      }
    }
  }
}

void DeviceTracking::deliver(const std::vector<RadioEvent>& events) {
  if (events.empty()) return;
  std::lock_guard lock(sinkMutex_);
  if (!sink_) return;
  for (const auto& e : events) sink_(e);
}

}  // namespace plat::lnx
