#include "linux/radio/NmRadio.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <tuple>

#include <QDBusObjectPath>

#include "linux/MachineDevices.h"
#include "linux/nm/NmActivation.h"
#include "linux/nm/NmNames.h"
#include "linux/nm/NmReplies.h"
#include "machine/HardwareAddress.h"
#include "machine/Refusal.h"

namespace plat::lnx {
namespace {

constexpr std::size_t maxNameBytes = 32;  // an SSID's limit
constexpr std::uint32_t ownSignal = 100;  // a machine hears its own network at full strength

bool isObject(const QString& path) { return !path.isEmpty() && path != nm::noObject; }

bool replied(const QDBusMessage& reply) {
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

// Whether the program can carry the name byte for byte: its texts end at a
// zero and are UTF-8.
bool carriedWhole(const QByteArray& name) {
  return !name.contains('\0') && QString::fromUtf8(name).toUtf8() == name;
}

bool blankOnly(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= ' '; });
}

// Networks of one name are told apart by security and by who hosts them.
std::uint32_t networkId(bool secured, bool computer) { return 1 + (secured ? 1 : 0) + (computer ? 2 : 0); }

NetworkKind kindOf(bool secured, bool computer) {
  if (computer) return NetworkKind::Computer;
  return secured ? NetworkKind::AccessPoint : NetworkKind::OpenAccessPoint;
}

bool keyRefused(const NmActivation::Outcome& outcome) {
  switch (outcome.deviceReason) {
    case nm::reasonNoSecrets:
    case nm::reasonSupplicantDisconnect:
    case nm::reasonSupplicantFailed:
    case nm::reasonSupplicantTimeout: return true;
    default: break;
  }
  return outcome.activeReason == nm::activeReasonNoSecrets || outcome.activeReason == nm::activeReasonLoginFailed;
}

NmRadio::Options withUser(NmRadio::Options options) {
  if (options.user.empty()) {
    const passwd* entry = getpwuid(geteuid());
    options.user = entry ? entry->pw_name : std::to_string(geteuid());
  }
  return options;
}

RadioEvent event(RadioEvent::Code code, const std::string& interfaceId, const std::string& name) {
  return RadioEvent{interfaceId, code, name, {}};
}

}  // namespace

NmRadio::NmRadio(NmClient& client, DeviceInventory& inventory, Options options)
    : client_(client),
      inventory_(inventory),
      options_(withUser(std::move(options))),
      guestWatch_(options_.systemRoot, options_.guestRefreshInterval,
                  [this](const std::vector<RadioEvent>& events) { deliver(events); }) {
  registerProfileTypes();
  NmClient::Listener listener;
  listener.deviceStateChanged = [this](const QString& device, std::uint32_t newState, std::uint32_t oldState,
                                       std::uint32_t) { deviceStateChanged(device, newState, oldState); };
  listener.runningChanged = [this](bool running) {
    if (!running) networkManagerLeft();
  };
  listener_ = client_.addListener(std::move(listener));
}

NmRadio::~NmRadio() { client_.removeListener(listener_); }

std::vector<std::string> NmRadio::interfaces() {
  clearRefusal();
  if (!client_.networkManagerRunning()) {
    setRefusal(unreachableOr(std::string()));
    return {};
  }
  trackActiveDevices();
  std::vector<std::string> ids;
  for (const auto& wifi : wifiDevices()) ids.push_back(wifi.id);
  if (ids.empty()) setRefusal(unreachableOr(noWifiDevice()));
  return ids;
}

RadioResult NmRadio::visibleNetworks(const std::string& interfaceId, std::vector<VisibleNetwork>& networks) {
  clearRefusal();
  networks.clear();
  const auto wifi = findDevice(interfaceId);
  if (!wifi) return RadioResult::NoSuchInterface;
  trackActiveDevices();
  for (const auto& heard : hear(*wifi)) networks.push_back(heard.shown);
  return RadioResult::Ok;
}

RadioResult NmRadio::connect(const std::string& interfaceId, const std::string& name,
                             const std::optional<std::string>& key, std::optional<NetworkKind> kind,
                             std::uint32_t id) {
  clearRefusal();
  const auto wifi = findDevice(interfaceId);
  if (!wifi) return RadioResult::NoSuchInterface;
  if (!ready(*wifi)) return RadioResult::Failed;

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
  return activate(*wifi, joinSettings(name, target->security, sentKey, owner()), target->accessPoint, Action::Join,
                  name);
}

RadioResult NmRadio::disconnect(const std::string& interfaceId) {
  clearRefusal();
  givePendingUp(interfaceId);
  const auto wifi = findDevice(interfaceId);
  if (!wifi) return RadioResult::NoSuchInterface;
  const QString devicePath = QString::fromStdString(wifi->device.objectPath);
  const auto own = ownProfile(devicePath);
  return own ? takeDown(devicePath, *own) : RadioResult::Ok;
}

RadioResult NmRadio::addOwnNetwork(const std::string& interfaceId, const std::string& name, const std::string& key) {
  clearRefusal();
  if (name.empty() || name.size() > maxNameBytes || blankOnly(name)) {
    setRefusal(invalidNetworkName());
    return RadioResult::InvalidName;
  }
  std::size_t wifiCount = 0;
  const auto wifi = findDevice(interfaceId, &wifiCount);
  if (!wifi) return RadioResult::NoSuchInterface;
  if (!ready(*wifi)) return RadioResult::Failed;
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
  return activate(*wifi, hotspotSettings(hotspot, owner()), QString(), Action::Host, name);
}

RadioResult NmRadio::deleteOwnNetwork(const std::string& interfaceId, const std::string& name) {
  clearRefusal();
  givePendingUp(interfaceId);
  const auto wifi = findDevice(interfaceId);
  if (!wifi) return RadioResult::NoSuchInterface;
  const QString devicePath = QString::fromStdString(wifi->device.objectPath);
  const auto own = ownProfile(devicePath);
  if (!own || profileSsid(own->settings) != QByteArray::fromStdString(name)) return RadioResult::NotFound;
  return takeDown(devicePath, *own);
}

std::string NmRadio::networkPassphrase(const std::string& key) { return hotspotPassphrase(key); }

RadioResult NmRadio::hostedNetwork(const std::string& interfaceId, HostedNetwork& network) {
  clearRefusal();
  const auto wifi = findDevice(interfaceId);
  if (!wifi) return RadioResult::NoSuchInterface;
  const auto hotspot = runningHotspot(*wifi);
  if (!hotspot) return RadioResult::NotFound;
  network = HostedNetwork{profileSsid(hotspot->settings).toStdString(), hotspotSecurity(hotspot->settings)};
  return RadioResult::Ok;
}

RadioResult NmRadio::guests(const std::string& interfaceId, std::vector<NetworkGuest>& guests) {
  clearRefusal();
  guests.clear();
  const auto wifi = findDevice(interfaceId);
  if (!wifi) return RadioResult::NoSuchInterface;
  trackActiveDevices();
  {
    // With the tracking's lock held, a hotspot that goes down meanwhile
    // stops being watched after this, not before.
    std::lock_guard lock(trackMutex_);
    const auto hotspot = runningHotspot(*wifi);
    if (!hotspot) return RadioResult::NotFound;
    guestWatch_.watch(watchedHotspot(*wifi, hotspot->settings));  // its signal may still be on its way
  }
  auto present = guestWatch_.guests(interfaceId);
  if (!present) return RadioResult::NotFound;  // it went down meanwhile
  guests = std::move(*present);
  return RadioResult::Ok;
}

void NmRadio::setEventSink(EventSink sink) {
  std::lock_guard lock(sinkMutex_);
  sink_ = std::move(sink);
}

std::optional<bool> NmRadio::removeLeftovers() {
  const NmObjectCache& objects = client_.objects();
  if (!objects.settled()) return std::nullopt;
  const auto manager = objects.properties(nm::managerPath, nm::managerInterface);
  const auto settingsService = objects.properties(nm::settingsPath, nm::settingsInterface);
  if (!manager || !settingsService) return std::nullopt;
  std::map<QString, QString> activeByProfile;
  for (const auto& active : nm::objectPaths(manager->value(QStringLiteral("ActiveConnections")))) {
    if (const auto properties = objects.properties(active.path(), nm::activeInterface)) {
      activeByProfile[nm::objectPathIn(*properties, QStringLiteral("Connection"))] = active.path();
    }
  }
  const QString self = client_.uniqueName();
  bool liveHotspot = false;
  for (const auto& profile : nm::objectPaths(settingsService->value(QStringLiteral("Connections")))) {
    const auto settings = objects.settings(profile.path());
    if (!settings) continue;  // arrived after the look began
    const QString instance = profileInstance(*settings);
    if (instance.isEmpty()) continue;  // not Brisklane's
    const auto active = activeByProfile.find(profile.path());
    if (instance == self || client_.nameHasOwner(instance)) {
      liveHotspot = liveHotspot || (isHotspotProfile(*settings) && active != activeByProfile.end());
      continue;
    }
    const auto profileProperties = objects.properties(profile.path(), nm::profileInterface);
    if (!profileProperties || !nm::flagIn(*profileProperties, QStringLiteral("Unsaved"))) continue;  // a user's copy
    withdraw(client_, active != activeByProfile.end() ? active->second : QString(), profile.path());
  }
  return liveHotspot;
}

std::vector<NmRadio::WifiDevice> NmRadio::wifiDevices() {
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

std::optional<NmRadio::WifiDevice> NmRadio::findDevice(const std::string& interfaceId, std::size_t* wifiCount) {
  auto all = wifiDevices();
  if (wifiCount) *wifiCount = all.size();
  for (auto& wifi : all) {
    if (wifi.id == interfaceId) return std::move(wifi);
  }
  setRefusal(unreachableOr(deviceGone()));
  return std::nullopt;
}

std::string NmRadio::unreachableOr(std::string otherwise) {
  const NmObjectCache& objects = client_.objects();
  switch (objects.state()) {
    case NmObjectCache::State::Filled: return otherwise;
    case NmObjectCache::State::Waiting: return networkManagerSilent();
    case NmObjectCache::State::Unreachable: break;
  }
  const QString reason = objects.unreachableReason();
  return reason.isEmpty() ? networkManagerNotRunning() : reason.toStdString();
}

bool NmRadio::ready(const WifiDevice& wifi) {
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

std::optional<NmRadio::ActiveProfile> NmRadio::activeProfile(const QString& devicePath) {
  const auto device = client_.properties(devicePath, nm::deviceInterface);
  if (!device) return std::nullopt;
  ActiveProfile profile;
  profile.activePath = nm::objectPathIn(*device, QStringLiteral("ActiveConnection"));
  if (!isObject(profile.activePath)) return std::nullopt;
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

std::optional<NmRadio::ActiveProfile> NmRadio::ownProfile(const QString& devicePath) {
  auto active = activeProfile(devicePath);
  if (!active || !isOwn(devicePath, *active)) return std::nullopt;
  return active;
}

bool NmRadio::isOwn(const QString& devicePath, const ActiveProfile& active) {
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

std::optional<NmRadio::ActiveProfile> NmRadio::runningHotspot(const WifiDevice& wifi) {
  if (!wifi.device.activated) return std::nullopt;
  auto own = ownProfile(QString::fromStdString(wifi.device.objectPath));
  if (!own || !own->activated || !isHotspotProfile(own->settings)) return std::nullopt;
  return own;
}

HotspotGuestWatch::Hotspot NmRadio::watchedHotspot(const WifiDevice& wifi, const ProfileSettings& settings) {
  return {wifi.id, wifi.device.interfaceName, profileSsid(settings).toStdString()};
}

std::vector<NmRadio::HeardNetwork> NmRadio::hear(const WifiDevice& wifi) {
  const QString devicePath = QString::fromStdString(wifi.device.objectPath);
  const auto wireless = client_.properties(devicePath, nm::wirelessInterface);
  const QString activeAccessPoint = wireless ? nm::objectPathIn(*wireless, QStringLiteral("ActiveAccessPoint")) : QString();

  std::map<std::tuple<std::string, bool, bool>, HeardNetwork> merged;
  auto entry = [&](const std::string& name, bool secured, bool computer) -> HeardNetwork& {
    auto [it, added] = merged.try_emplace({name, secured, computer});
    if (added) it->second.shown = VisibleNetwork{name, kindOf(secured, computer), false, secured, 0,
                                                 networkId(secured, computer)};
    return it->second;
  };

  const auto accessPoints = wireless ? nm::objectPaths(wireless->value(QStringLiteral("AccessPoints")))
                                     : QList<QDBusObjectPath>();
  for (const auto& accessPoint : accessPoints) {
    const auto ap = client_.properties(accessPoint.path(), nm::accessPointInterface);
    if (!ap) continue;  // gone meanwhile
    const QByteArray ssid = nm::bytesIn(*ap, QStringLiteral("Ssid"));
    if (ssid.isEmpty() || !carriedWhole(ssid)) continue;  // a hidden network, or one the program cannot name
    const std::string name = ssid.toStdString();
    const auto flags = nm::numberIn(*ap, QStringLiteral("Flags"));
    const auto security = nm::numberIn(*ap, QStringLiteral("WpaFlags")) | nm::numberIn(*ap, QStringLiteral("RsnFlags"));
    const bool secured = (flags & nm::apFlagPrivacy) != 0 || (security & ~nm::apSecurityOwe) != 0;
    const auto baseStation = parseHardwareAddress(nm::textIn(*ap, QStringLiteral("HwAddress")).toStdString());
    // Brisklane's networks always have a key: an open one is nobody's to join as such.
    const bool computer = secured && baseStation && isLocallyAdministered(*baseStation);
    const auto strength = nm::byteIn(*ap, QStringLiteral("Strength"));

    HeardNetwork& network = entry(name, secured, computer);
    network.shown.connected = network.shown.connected || accessPoint.path() == activeAccessPoint;
    if (!network.accessPoint.isEmpty() && strength <= network.shown.signal) continue;
    network.shown.signal = strength;
    network.accessPoint = accessPoint.path();
    network.enterprise = (security & nm::apSecurity8021x) != 0 && (security & nm::apSecurityPsk) == 0;
    if (security & nm::apSecurityPsk) {
      network.security = JoinSecurity::WpaPersonal;
    } else if (security & nm::apSecuritySae) {
      network.security = JoinSecurity::Wpa3Personal;
    } else {
      network.security = secured ? JoinSecurity::Wep : JoinSecurity::Open;
    }
  }

  // The device's own hotspot, heard at full strength.
  const auto hotspot = wifi.device.activated ? runningHotspot(wifi) : std::nullopt;
  if (hotspot) {
    const bool secured = hotspotSecurity(hotspot->settings) != NetworkSecurity::Open;
    HeardNetwork& own = entry(profileSsid(hotspot->settings).toStdString(), secured, true);
    own.shown.connected = true;
    own.shown.signal = ownSignal;
    own.own = true;
  }
  if (wifi.device.managed && !hotspot) {
    client_.send(devicePath, nm::wirelessInterface, QStringLiteral("RequestScan"), {QVariantMap()});
  }

  std::vector<HeardNetwork> heard;
  for (auto& [key, network] : merged) heard.push_back(std::move(network));
  std::stable_sort(heard.begin(), heard.end(),
                   [](const HeardNetwork& a, const HeardNetwork& b) { return a.shown.signal > b.shown.signal; });
  return heard;
}

bool NmRadio::permitted(Action action, bool secured, std::stop_token stop) {
  const auto reply = client_.call(nm::managerPath, nm::managerInterface, QStringLiteral("GetPermissions"), {},
                                  NmClient::CallKind::Query, stop);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    // A daemon that fails or does not answer this would not carry out the rest.
    setRefusal(networkManagerFailing(reply.errorMessage()));
    return false;
  }
  if (!replied(reply)) return true;  // NetworkManager itself refuses what is not allowed
  if (auto refusal = permissionRefusal(nm::stringMap(nm::firstArgument(reply)), action, secured)) {
    setRefusal(*refusal);
    return false;
  }
  return true;
}

ProfileOwner NmRadio::owner() { return ProfileOwner{QString::fromStdString(options_.user), client_.uniqueName()}; }

RadioResult NmRadio::activate(const WifiDevice& wifi, const ProfileSettings& settings, const QString& accessPoint,
                              Action action, const std::string& name) {
  const std::stop_token stop = beginPending(wifi.id);
  const auto result = activateUnlessGivenUp(wifi, settings, accessPoint, action, name, stop);
  endPending(wifi.id);
  return result;
}

RadioResult NmRadio::activateUnlessGivenUp(const WifiDevice& wifi, const ProfileSettings& settings,
                                           const QString& accessPoint, Action action, const std::string& name,
                                           std::stop_token stop) {
  const bool secured = action == Action::Host ? hotspotSecurity(settings) != NetworkSecurity::Open
                                              : !settings.value(QStringLiteral("802-11-wireless-security")).isEmpty();
  if (!permitted(action, secured, stop)) return RadioResult::Failed;
  const QString devicePath = QString::fromStdString(wifi.device.objectPath);
  NmActivation activation(client_, devicePath);
  // What comes after the caller gave up goes again at once, also when the
  // radio has gone by then.
  const auto late = [&client = client_](const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) return;
    try {
      withdraw(client, nm::objectPath(reply.arguments().at(1)), nm::objectPath(reply.arguments().at(0)));
    } catch (const nm::UnexpectedReply&) {
      // Nothing this client can name to take down; the profile is bound to
      // the client and goes with it.
    }
  };
  const auto reply = client_.call(
      nm::managerPath, nm::managerInterface, QStringLiteral("AddAndActivateConnection2"),
      {QVariant::fromValue(settings), QVariant::fromValue(QDBusObjectPath(devicePath)),
       QVariant::fromValue(QDBusObjectPath(isObject(accessPoint) ? accessPoint : nm::noObject)),
       activationOptions()},
      NmClient::CallKind::Action, stop, late);
  if (stop.stop_requested()) {
    if (reply.type() == QDBusMessage::ReplyMessage) late(reply);
    setRefusal(givenUp(name));
    return RadioResult::Failed;
  }
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) {
    setRefusal(reply.errorName() == nm::permissionDenied ? permissionDenied() : networkManagerRefused(reply.errorMessage()));
    return RadioResult::Failed;
  }
  const QString activePath = nm::objectPath(reply.arguments().at(1));
  const QString profilePath = nm::objectPath(reply.arguments().at(0));
  {
    std::lock_guard lock(createdMutex_);
    created_[devicePath] = Created{activePath, profilePath, settings};
  }
  const auto outcome = activation.wait(activePath, options_.activationTimeout, stop);
  if (outcome.result == NmActivation::Result::Activated && !stop.stop_requested()) return RadioResult::Ok;
  {
    std::lock_guard lock(createdMutex_);
    created_.erase(devicePath);
  }
  switch (outcome.result) {
    case NmActivation::Result::Activated:
    case NmActivation::Result::GivenUp:
      withdraw(client_, activePath, profilePath);
      setRefusal(givenUp(name));
      return RadioResult::Failed;
    case NmActivation::Result::TimedOut:
      withdraw(client_, activePath, profilePath);
      setRefusal(action == Action::Join && outcome.furthestDeviceState < nm::deviceStateIpConfig
                     ? keyNotAcceptedInTime(name, options_.activationTimeout)
                     : activationTimedOut(name, options_.activationTimeout));
      return RadioResult::Failed;
    case NmActivation::Result::NetworkManagerGone:
      setRefusal(networkManagerStopped(name));
      return RadioResult::Failed;
    case NmActivation::Result::Failed: break;
  }
  if (action == Action::Host) {
    setRefusal(hostingFailed(wifi.device, outcome.deviceReason));
    return RadioResult::Failed;
  }
  if (keyRefused(outcome)) {
    setRefusal(wrongKey(name));
    return RadioResult::WrongKey;
  }
  if (outcome.deviceReason == nm::reasonSsidNotFound) {
    setRefusal(notInRange(name));
    return RadioResult::NotVisible;
  }
  setRefusal(joinFailed(name, outcome.deviceReason));
  return RadioResult::Failed;
}

RadioResult NmRadio::deactivate(const QString& activePath) {
  const auto reply = client_.call(nm::managerPath, nm::managerInterface, QStringLiteral("DeactivateConnection"),
                                  {QVariant::fromValue(QDBusObjectPath(activePath))}, NmClient::CallKind::Action);
  if (reply.type() == QDBusMessage::ReplyMessage) return RadioResult::Ok;
  setRefusal(reply.errorName() == nm::permissionDenied ? permissionDenied() : networkManagerRefused(reply.errorMessage()));
  return RadioResult::Failed;
}

void NmRadio::withdraw(NmClient& client, const QString& activePath, const QString& profilePath) {
  if (isObject(activePath)) {
    client.send(nm::managerPath, nm::managerInterface, QStringLiteral("DeactivateConnection"),
                 {QVariant::fromValue(QDBusObjectPath(activePath))});
  }
  // A volatile profile goes with its activation; this covers one that stayed.
  if (isObject(profilePath)) client.send(profilePath, nm::profileInterface, QStringLiteral("Delete"));
}

std::stop_token NmRadio::beginPending(const std::string& interfaceId) {
  std::lock_guard lock(pendingMutex_);
  return pending_.insert_or_assign(interfaceId, std::stop_source()).first->second.get_token();
}

void NmRadio::endPending(const std::string& interfaceId) {
  std::lock_guard lock(pendingMutex_);
  pending_.erase(interfaceId);
}

void NmRadio::givePendingUp(const std::string& interfaceId) {
  std::lock_guard lock(pendingMutex_);
  if (const auto pending = pending_.find(interfaceId); pending != pending_.end()) pending->second.request_stop();
}

RadioResult NmRadio::takeDown(const QString& devicePath, const ActiveProfile& own) {
  const auto result = deactivate(own.activePath);
  if (result != RadioResult::Ok) return result;
  {
    std::lock_guard lock(createdMutex_);
    created_.erase(devicePath);
  }
  // A volatile profile goes with its activation; this covers one that stayed.
  client_.call(own.profilePath, nm::profileInterface, QStringLiteral("Delete"), {}, NmClient::CallKind::Action);
  return result;
}

void NmRadio::deviceStateChanged(const QString& device, std::uint32_t newState, std::uint32_t oldState) {
  std::vector<RadioEvent> events;
  std::optional<HotspotGuestWatch::Hotspot> hotspot;
  {
    std::lock_guard lock(trackMutex_);
    if (newState == nm::deviceStateActivated) {
      for (const auto& wifi : wifiDevices()) {
        if (wifi.device.objectPath != device.toStdString()) continue;
        const auto active = activeProfile(device);
        const std::string name = active ? profileSsid(active->settings).toStdString() : std::string();
        onNetwork_[device] = Tracked{wifi.id, name};
        events.push_back(event(RadioEvent::Code::Connected, wifi.id, name));
        if (active && isHotspotProfile(active->settings) && isOwn(device, *active)) {
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

void NmRadio::networkManagerLeft() {
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
  {
    std::lock_guard lock(createdMutex_);
    created_.clear();  // volatile profiles do not outlive NetworkManager
  }
  deliver(events);
}

void NmRadio::trackActiveDevices() {
  std::lock_guard lock(trackMutex_);
  if (tracking_) return;
  tracking_ = true;
  for (const auto& wifi : wifiDevices()) {
    if (!wifi.device.activated) continue;
    const QString path = QString::fromStdString(wifi.device.objectPath);
    if (const auto active = activeProfile(path)) {
      onNetwork_.try_emplace(path, Tracked{wifi.id, profileSsid(active->settings).toStdString()});
      if (active->activated && isHotspotProfile(active->settings) && isOwn(path, *active)) {
        guestWatch_.watch(watchedHotspot(wifi, active->settings));
      }
    }
  }
}

void NmRadio::deliver(const std::vector<RadioEvent>& events) {
  if (events.empty()) return;
  std::lock_guard lock(sinkMutex_);
  if (!sink_) return;
  for (const auto& e : events) sink_(e);
}

}  // namespace plat::lnx
