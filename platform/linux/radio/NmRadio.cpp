#include "linux/radio/NmRadio.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>

#include <QDBusObjectPath>

#include "linux/nm/NmNames.h"
#include "linux/nm/NmReplies.h"
#include "linux/radio/LeftoverSweep.h"
#include "linux/radio/RadioPreflight.h"
#include "machine/Refusal.h"

namespace plat::lnx {
namespace {

constexpr std::size_t maxNameBytes = 32;  // an SSID's limit

bool blankOnly(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= ' '; });
}

NmRadio::Options withUser(NmRadio::Options options) {
  if (options.user.empty()) {
    const passwd* entry = getpwuid(geteuid());
    options.user = entry ? entry->pw_name : std::to_string(geteuid());
  }
  return options;
}

}  // namespace

NmRadio::NmRadio(NmClient& client, DeviceInventory& inventory, Options options)
    : client_(client),
      options_(withUser(std::move(options))),
      devices_(client, inventory),
      tracking_(client, devices_, options_.systemRoot, options_.guestRefreshInterval),
      activator_(client, devices_, options_.activationTimeout) {}

NmRadio::~NmRadio() = default;

std::vector<std::string> NmRadio::interfaces() {
  clearRefusal();
  if (!client_.networkManagerRunning()) {
    setRefusal(devices_.unreachableOr(std::string()));
    return {};
  }
  tracking_.trackActiveDevices();
  std::vector<std::string> ids;
  for (const auto& wifi : devices_.wifiDevices()) ids.push_back(wifi.id);
  if (ids.empty()) setRefusal(devices_.unreachableOr(noWifiDevice()));
  return ids;
}

RadioResult NmRadio::visibleNetworks(const std::string& interfaceId, std::vector<VisibleNetwork>& networks) {
  clearRefusal();
  networks.clear();
  const auto wifi = devices_.findDevice(interfaceId);
  if (!wifi) return RadioResult::NoSuchInterface;
  tracking_.trackActiveDevices();
  for (const auto& heard : hear(*wifi)) networks.push_back(heard.shown);
  return RadioResult::Ok;
}

RadioResult NmRadio::connect(const std::string& interfaceId, const std::string& name,
                             const std::optional<std::string>& key, std::optional<NetworkKind> kind,
                             std::uint32_t id) {
  clearRefusal();
  const auto wifi = devices_.findDevice(interfaceId);
  if (!wifi) return RadioResult::NoSuchInterface;
  if (!devices_.ready(*wifi)) return RadioResult::Failed;

  const auto heard = hear(*wifi);  // strongest first
  const auto target = std::find_if(heard.begin(), heard.end(), [&](const HeardNetwork& n) {
    return n.shown.name == name && (!kind || *kind == n.shown.kind) && (id == 0 || id == n.shown.id);
  });
  if (target == heard.end()) {
    setRefusal(notInRange(name));
    return RadioResult::NotVisible;
  }
  if (target->own) return RadioResult::Ok;
  const std::string sentKey = key.value_or(std::string());
  if (options_.sharesInternetTo && options_.sharesInternetTo(interfaceId)) {
    if (sentKey.empty()) {
      setRefusal(noJoinWhileSharing(name));
      return RadioResult::Failed;
    }
    return addOwnNetwork(interfaceId, name, sentKey);
  }
  if (target->enterprise) {
    setRefusal(needsSignIn(name));
    return RadioResult::Failed;
  }
  if (target->shown.secured && sentKey.empty()) {
    setRefusal(wrongKey(name));
    return RadioResult::WrongKey;
  }
  const bool wpa = target->security == JoinSecurity::WpaPersonal || target->security == JoinSecurity::Wpa3Personal;
  if (wpa && !isValidPassphrase(hotspotPassphrase(sentKey))) {
    setRefusal(unsuitableKey());
    return RadioResult::WrongKey;
  }
  return activator_.activate(*wifi, joinSettings(name, target->security, sentKey, owner()),
                             QString::fromStdString(target->accessPoint), Action::Join, name);
}

std::optional<NmRadio::Own> NmRadio::giveUpAndFindOwn(const std::string& interfaceId) {
  clearRefusal();
  activator_.givePendingUp(interfaceId);
  const auto wifi = devices_.findDevice(interfaceId);
  if (!wifi) return std::nullopt;
  const QString devicePath = QString::fromStdString(wifi->device.objectPath);
  return Own{devicePath, devices_.ownProfile(devicePath)};
}

RadioResult NmRadio::disconnect(const std::string& interfaceId) {
  const auto own = giveUpAndFindOwn(interfaceId);
  if (!own) return RadioResult::NoSuchInterface;
  return own->profile ? activator_.takeDown(own->devicePath, *own->profile) : RadioResult::Ok;
}

RadioResult NmRadio::addOwnNetwork(const std::string& interfaceId, const std::string& name, const std::string& key) {
  clearRefusal();
  if (name.empty() || name.size() > maxNameBytes || blankOnly(name)) {
    setRefusal(invalidNetworkName());
    return RadioResult::InvalidName;
  }
  std::size_t wifiCount = 0;
  const auto wifi = devices_.findDevice(interfaceId, &wifiCount);
  if (!wifi) return RadioResult::NoSuchInterface;
  if (!devices_.ready(*wifi)) return RadioResult::Failed;
  if (auto refusal = hostingRefusal(wifi->device, wifiCount)) {
    setRefusal(*refusal);
    return RadioResult::Failed;
  }
  if (!key.empty() && !isValidPassphrase(hotspotPassphrase(key))) {
    setRefusal(unsuitableKey());
    return RadioResult::Failed;
  }
  const bool shared = options_.sharesInternetTo && options_.sharesInternetTo(interfaceId);
  if (shared) {
    if (auto refusal = sharingHelperRefusal(options_.systemRoot)) {
      setRefusal(*refusal);
      return RadioResult::Failed;
    }
  }
  const HotspotProfile hotspot{name, key, wifi->device.permanentHardwareAddress, shared};
  return activator_.activate(*wifi, hotspotSettings(hotspot, owner()), QString(), Action::Host, name);
}

RadioResult NmRadio::deleteOwnNetwork(const std::string& interfaceId, const std::string& name) {
  const auto own = giveUpAndFindOwn(interfaceId);
  if (!own) return RadioResult::NoSuchInterface;
  if (!own->profile || profileSsid(own->profile->settings) != QByteArray::fromStdString(name)) {
    return RadioResult::NotFound;
  }
  return activator_.takeDown(own->devicePath, *own->profile);
}

std::string NmRadio::networkPassphrase(const std::string& key) { return hotspotPassphrase(key); }

RadioResult NmRadio::hostedNetwork(const std::string& interfaceId, HostedNetwork& network) {
  clearRefusal();
  const auto wifi = devices_.findDevice(interfaceId);
  if (!wifi) return RadioResult::NoSuchInterface;
  const auto hotspot = devices_.runningHotspot(*wifi);
  if (!hotspot) return RadioResult::NotFound;
  network = HostedNetwork{profileSsid(hotspot->settings).toStdString(), hotspotSecurity(hotspot->settings)};
  return RadioResult::Ok;
}

RadioResult NmRadio::guests(const std::string& interfaceId, std::vector<NetworkGuest>& guests) {
  clearRefusal();
  guests.clear();
  const auto wifi = devices_.findDevice(interfaceId);
  if (!wifi) return RadioResult::NoSuchInterface;
  auto present = tracking_.guests(*wifi);
  if (!present) return RadioResult::NotFound;
  guests = std::move(*present);
  return RadioResult::Ok;
}

void NmRadio::setEventSink(EventSink sink) { tracking_.setEventSink(std::move(sink)); }

std::optional<bool> NmRadio::removeLeftovers() { return sweepLeftovers(client_); }

std::vector<HeardNetwork> NmRadio::hear(const RadioDevices::WifiDevice& wifi) {
  const QString devicePath = QString::fromStdString(wifi.device.objectPath);
  const auto wireless = client_.properties(devicePath, nm::wirelessInterface);
  const QString activeAccessPoint = wireless ? nm::objectPathIn(*wireless, QStringLiteral("ActiveAccessPoint")) : QString();
  const auto accessPoints = wireless ? nm::objectPaths(wireless->value(QStringLiteral("AccessPoints")))
                                     : QList<QDBusObjectPath>();
  std::vector<AccessPointRecord> records;
  for (const auto& accessPoint : accessPoints) {
    const auto ap = client_.properties(accessPoint.path(), nm::accessPointInterface);
    if (!ap) continue;  // gone meanwhile
    AccessPointRecord record;
    record.path = accessPoint.path().toStdString();
    record.ssid = nm::bytesIn(*ap, QStringLiteral("Ssid")).toStdString();
    if (listedName(record.ssid)) {  // what else an unlisted one tells is not read
      record.flags = nm::numberIn(*ap, QStringLiteral("Flags"));
      record.wpaFlags = nm::numberIn(*ap, QStringLiteral("WpaFlags"));
      record.rsnFlags = nm::numberIn(*ap, QStringLiteral("RsnFlags"));
      record.hardwareAddress = nm::textIn(*ap, QStringLiteral("HwAddress")).toStdString();
      record.strength = nm::byteIn(*ap, QStringLiteral("Strength"));
      record.active = accessPoint.path() == activeAccessPoint;
    }
    records.push_back(std::move(record));
  }

  std::optional<OwnHotspot> own;
  const auto hotspot = wifi.device.activated ? devices_.runningHotspot(wifi) : std::nullopt;
  if (hotspot) {
    own = OwnHotspot{profileSsid(hotspot->settings).toStdString(),
                     hotspotSecurity(hotspot->settings) != NetworkSecurity::Open};
  }
  if (wifi.device.managed && !hotspot) {
    client_.send(devicePath, nm::wirelessInterface, QStringLiteral("RequestScan"), {QVariantMap()});
  }
  return mergeScan(records, own);
}

ProfileOwner NmRadio::owner() { return ProfileOwner{QString::fromStdString(options_.user), client_.uniqueName()}; }

}  // namespace plat::lnx
