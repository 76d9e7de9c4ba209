#include "linux/nm/NmProfiles.h"

#include <QDBusMetaType>
#include <QUuid>

#include "linux/nm/NmReplies.h"
#include "machine/HardwareAddress.h"

namespace plat::lnx {
namespace {

using StringMap = QMap<QString, QString>;  // a{ss}

constexpr std::size_t minPassphrase = 8;
constexpr std::size_t maxPassphrase = 63;
constexpr std::uint32_t wepKeyIsText = 1;  // NM_WEP_KEY_TYPE_KEY

const QString connectionGroup = QStringLiteral("connection");
const QString wirelessGroup = QStringLiteral("802-11-wireless");
const QString securityGroup = QStringLiteral("802-11-wireless-security");
const QString userGroup = QStringLiteral("user");
const QString instanceKey = QStringLiteral("org.brisklane.instance");

QVariantMap connectionGroupFor(const QString& id, const ProfileOwner& owner) {
  return {
      {QStringLiteral("id"), id},
      {QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
      {QStringLiteral("type"), wirelessGroup},
      {QStringLiteral("autoconnect"), false},
      {QStringLiteral("permissions"), QStringList{QStringLiteral("user:%1:").arg(owner.user)}},
  };
}

QVariantMap userGroupFor(const ProfileOwner& owner) {
  return {{QStringLiteral("data"), QVariant::fromValue(StringMap{{instanceKey, owner.instance}})}};
}

QVariantMap wpaGroup(const QString& keyManagement, const std::string& key) {
  return {
      {QStringLiteral("key-mgmt"), keyManagement},
      {QStringLiteral("psk"), QString::fromStdString(hotspotPassphrase(key))},
  };
}

}  // namespace

void registerProfileTypes() {
  qDBusRegisterMetaType<ProfileSettings>();
  qDBusRegisterMetaType<StringMap>();
}

std::string hotspotPassphrase(const std::string& key) {
  if (key.empty()) return key;
  std::string passphrase = key;
  while (passphrase.size() < minPassphrase) passphrase += key;
  return passphrase;
}

bool isValidPassphrase(const std::string& passphrase) {
  if (passphrase.size() < minPassphrase || passphrase.size() > maxPassphrase) return false;
  for (unsigned char c : passphrase) {
    if (c < 0x20 || c > 0x7e) return false;
  }
  return true;
}

ProfileSettings hotspotSettings(const HotspotProfile& hotspot, const ProfileOwner& owner) {
  ProfileSettings settings;
  settings[connectionGroup] = connectionGroupFor(QStringLiteral("Hotspot %1").arg(QString::fromStdString(hotspot.name)), owner);
  settings[wirelessGroup] = {
      {QStringLiteral("ssid"), QByteArray::fromStdString(hotspot.name)},
      {QStringLiteral("mode"), QStringLiteral("ap")},
      {QStringLiteral("band"), QStringLiteral("bg")},
      // The locally administered bit tells other Brisklane laptops that a
      // computer hosts this network, not a router.
      {QStringLiteral("assigned-mac-address"),
       QString::fromStdString(formatHardwareAddress(locallyAdministered(hotspot.hardwareAddress), ':'))},
  };
  if (!hotspot.key.empty()) {
    QVariantMap security = wpaGroup(QStringLiteral("wpa-psk"), hotspot.key);
    security[QStringLiteral("proto")] = QStringList{QStringLiteral("rsn")};
    security[QStringLiteral("pairwise")] = QStringList{QStringLiteral("ccmp")};
    security[QStringLiteral("group")] = QStringList{QStringLiteral("ccmp")};
    settings[securityGroup] = security;
  }
  settings[QStringLiteral("ipv4")] = {
      {QStringLiteral("method"), hotspot.shared ? QStringLiteral("shared") : QStringLiteral("link-local")}};
  settings[QStringLiteral("ipv6")] = {{QStringLiteral("method"), QStringLiteral("ignore")}};
  settings[userGroup] = userGroupFor(owner);
  return settings;
}

ProfileSettings joinSettings(const std::string& name, JoinSecurity security, const std::string& key,
                             const ProfileOwner& owner) {
  ProfileSettings settings;
  settings[connectionGroup] = connectionGroupFor(QString::fromStdString(name), owner);
  settings[wirelessGroup] = {
      {QStringLiteral("ssid"), QByteArray::fromStdString(name)},
      {QStringLiteral("mode"), QStringLiteral("infrastructure")},
  };
  switch (security) {
    case JoinSecurity::Open: break;
    case JoinSecurity::Wep:
      settings[securityGroup] = {
          {QStringLiteral("key-mgmt"), QStringLiteral("none")},
          {QStringLiteral("wep-key0"), QString::fromStdString(key)},
          {QStringLiteral("wep-key-type"), wepKeyIsText},
      };
      break;
    case JoinSecurity::WpaPersonal: settings[securityGroup] = wpaGroup(QStringLiteral("wpa-psk"), key); break;
    case JoinSecurity::Wpa3Personal: settings[securityGroup] = wpaGroup(QStringLiteral("sae"), key); break;
  }
  settings[QStringLiteral("ipv4")] = {{QStringLiteral("method"), QStringLiteral("auto")}};
  settings[QStringLiteral("ipv6")] = {{QStringLiteral("method"), QStringLiteral("auto")}};
  settings[userGroup] = userGroupFor(owner);
  return settings;
}

QVariantMap activationOptions() {
  return {
      {QStringLiteral("persist"), QStringLiteral("volatile")},
      {QStringLiteral("bind-activation"), QStringLiteral("dbus-client")},
  };
}

QString profileInstance(const ProfileSettings& settings) {
  return nm::stringMap(settings.value(userGroup).value(QStringLiteral("data"))).value(instanceKey);
}

QString profileUuid(const ProfileSettings& settings) {
  return nm::textIn(settings.value(connectionGroup), QStringLiteral("uuid"));
}

QByteArray profileSsid(const ProfileSettings& settings) {
  return nm::bytesIn(settings.value(wirelessGroup), QStringLiteral("ssid"));
}

bool isHotspotProfile(const ProfileSettings& settings) {
  return nm::textIn(settings.value(wirelessGroup), QStringLiteral("mode")) == QStringLiteral("ap");
}

NetworkSecurity hotspotSecurity(const ProfileSettings& settings) {
  const auto security = settings.constFind(securityGroup);
  if (security == settings.constEnd()) return NetworkSecurity::Open;
  const QString keyManagement = nm::textIn(*security, QStringLiteral("key-mgmt"));
  if (keyManagement == QStringLiteral("owe")) return NetworkSecurity::Open;  // encrypted, but without a key
  return keyManagement == QStringLiteral("none") ? NetworkSecurity::Wep : NetworkSecurity::Wpa2Personal;
}

}  // namespace plat::lnx
