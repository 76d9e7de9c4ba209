#include "linux/radio/RadioDevices.h"

#include <algorithm>
#include <tuple>

#include "linux/MachineDevices.h"
#include "linux/nm/NmNames.h"
#include "linux/nm/NmReplies.h"
#include "linux/radio/RadioPreflight.h"
#include "machine/Refusal.h"

namespace plat::lnx {

RadioDevices::RadioDevices(NmClient& client, DeviceInventory& inventory) : client_(client), inventory_(inventory) {
  registerProfileTypes();
}

std::vector<RadioDevices::WifiDevice> RadioDevices::wifiDevices() {
  std::vector<WifiDevice> wifi;
  for (auto& device : inventory_.devices()) {
    if (device.kind != DeviceKind::Wifi) continue;
    std::string id = guidOf(device);
    wifi.push_back(WifiDevice{std::move(device), std::move(id)});
  }
  // Hosting takes the first interface: one that can, and whose Internet
  // connection the hotspot does not cut.
  std::stable_sort(wifi.begin(), wifi.end(), [](const WifiDevice& a, const WifiDevice& b) {
    return std::make_tuple(!a.device.canHostAccessPoint, a.device.primary) <
           std::make_tuple(!b.device.canHostAccessPoint, b.device.primary);
  });
  return wifi;
}

std::optional<RadioDevices::WifiDevice> RadioDevices::findDevice(const std::string& interfaceId,
                                                                 std::size_t* wifiCount) {
  auto all = wifiDevices();
  if (wifiCount) *wifiCount = all.size();
  for (auto& wifi : all) {
    if (wifi.id == interfaceId) return std::move(wifi);
  }
  setRefusal(unreachableOr(deviceGone()));
  return std::nullopt;
}

std::string RadioDevices::unreachableOr(std::string otherwise) {
  const NmObjectCache& objects = client_.objects();
  switch (objects.state()) {
    case NmObjectCache::State::Filled:
      return client_.networkManagerRunning() ? otherwise : networkManagerNotRunning();
    case NmObjectCache::State::Waiting: return networkManagerSilent();
    case NmObjectCache::State::Unreachable: break;
  }
  const QString reason = objects.unreachableReason();
  return reason.isEmpty() ? networkManagerNotRunning() : reason.toStdString();
}

bool RadioDevices::ready(const WifiDevice& wifi) {
  const auto manager = client_.properties(nm::managerPath, nm::managerInterface);
  if (!manager) {
    setRefusal(networkManagerNotRunning());
    return false;
  }
  if (auto refusal = readinessRefusal(*manager, wifi.device)) {
    setRefusal(*refusal);
    return false;
  }
  return true;
}

std::optional<RadioDevices::ActiveProfile> RadioDevices::activeProfile(const QString& devicePath) {
  const auto device = client_.properties(devicePath, nm::deviceInterface);
  if (!device) return std::nullopt;
  ActiveProfile profile;
  profile.activePath = nm::objectPathIn(*device, QStringLiteral("ActiveConnection"));
  if (!nm::isObject(profile.activePath)) return std::nullopt;
  const auto active = client_.properties(profile.activePath, nm::activeInterface);
  if (!active) return std::nullopt;
  profile.profilePath = nm::objectPathIn(*active, QStringLiteral("Connection"));
  {
    std::lock_guard lock(createdMutex_);
    const auto created = created_.find(devicePath);
    if (created != created_.end() && created->second.profilePath == profile.profilePath) {
      profile.settings = created->second.settings;
    }
  }
  if (profile.settings.isEmpty()) {
    const auto settings = client_.objects().settings(profile.profilePath);
    if (!settings) return std::nullopt;  // not arrived yet
    profile.settings = *settings;
  }
  profile.activated = nm::numberIn(*active, QStringLiteral("State")) == nm::activeStateActivated;
  return profile;
}

std::optional<RadioDevices::ActiveProfile> RadioDevices::ownProfile(const QString& devicePath) {
  auto active = activeProfile(devicePath);
  if (!active || !isOwn(devicePath, *active)) return std::nullopt;
  return active;
}

bool RadioDevices::isOwn(const QString& devicePath, const ActiveProfile& active) {
  {
    std::lock_guard lock(createdMutex_);
    const auto created = created_.find(devicePath);
    if (created == created_.end() || created->second.activePath != active.activePath ||
        created->second.profilePath != active.profilePath ||
        profileUuid(created->second.settings) != profileUuid(active.settings)) {
      return false;
    }
  }
  // Object paths are numbered afresh when NetworkManager restarts.
  return profileInstance(active.settings) == client_.uniqueName();
}

std::optional<RadioDevices::ActiveProfile> RadioDevices::runningHotspot(const WifiDevice& wifi) {
  if (!wifi.device.activated) return std::nullopt;
  auto own = ownProfile(QString::fromStdString(wifi.device.objectPath));
  if (!own || !own->activated || !isHotspotProfile(own->settings)) return std::nullopt;
  return own;
}

void RadioDevices::remember(const QString& devicePath, const QString& activePath, const QString& profilePath,
                            const ProfileSettings& settings) {
  std::lock_guard lock(createdMutex_);
  created_[devicePath] = Created{activePath, profilePath, settings};
}

void RadioDevices::forget(const QString& devicePath) {
  std::lock_guard lock(createdMutex_);
  created_.erase(devicePath);
}

void RadioDevices::forgetAll() {
  std::lock_guard lock(createdMutex_);
  created_.clear();
}

}  // namespace plat::lnx
