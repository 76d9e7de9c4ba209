// NetworkManager's names on the bus and the numbers of its D-Bus API
// (NetworkManager 1.42) that the Linux machine reads.
#pragma once

#include <cstdint>

#include <QString>

namespace plat::lnx::nm {

inline const QString service = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString managerPath = QStringLiteral("/org/freedesktop/NetworkManager");
inline const QString settingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
inline const QString noObject = QStringLiteral("/");
inline const QString objectManagerPath = QStringLiteral("/org/freedesktop");

// Whether an object path names an object: NetworkManager's "none" is "/".
inline bool isObject(const QString& path) { return !path.isEmpty() && path != noObject; }

inline const QString managerInterface = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString settingsInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
inline const QString profileInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
inline const QString deviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
inline const QString wiredInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wired");
inline const QString wirelessInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
inline const QString accessPointInterface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");
inline const QString dhcp4Interface = QStringLiteral("org.freedesktop.NetworkManager.DHCP4Config");
inline const QString activeInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
inline const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
inline const QString objectManagerInterface = QStringLiteral("org.freedesktop.DBus.ObjectManager");

inline const QString permissionDenied = QStringLiteral("org.freedesktop.NetworkManager.PermissionDenied");

// NMDeviceType
constexpr std::uint32_t deviceTypeEthernet = 1;
constexpr std::uint32_t deviceTypeWifi = 2;
constexpr std::uint32_t deviceTypeModem = 8;

// NMDeviceState
constexpr std::uint32_t deviceStateUnmanaged = 10;
constexpr std::uint32_t deviceStateUnavailable = 20;
constexpr std::uint32_t deviceStateIpConfig = 70;
constexpr std::uint32_t deviceStateActivated = 100;

// NMDeviceStateReason
constexpr std::uint32_t reasonConfigFailed = 4;
constexpr std::uint32_t reasonIpConfigUnavailable = 5;
constexpr std::uint32_t reasonNoSecrets = 7;
constexpr std::uint32_t reasonSupplicantDisconnect = 8;
constexpr std::uint32_t reasonSupplicantFailed = 10;
constexpr std::uint32_t reasonSupplicantTimeout = 11;
constexpr std::uint32_t reasonSharedStartFailed = 18;
constexpr std::uint32_t reasonSharedFailed = 19;
constexpr std::uint32_t reasonSsidNotFound = 53;

// NMActiveConnectionState
constexpr std::uint32_t activeStateActivated = 2;
constexpr std::uint32_t activeStateDeactivated = 4;

// NMActiveConnectionStateReason
constexpr std::uint32_t activeReasonNoSecrets = 9;
constexpr std::uint32_t activeReasonLoginFailed = 10;

// NMDeviceWifiCapabilities
constexpr std::uint32_t wifiCapabilityAccessPoint = 0x40;

// NM80211ApFlags and NM80211ApSecurityFlags
constexpr std::uint32_t apFlagPrivacy = 0x1;
constexpr std::uint32_t apSecurityPsk = 0x100;
constexpr std::uint32_t apSecurity8021x = 0x200;
constexpr std::uint32_t apSecuritySae = 0x400;
constexpr std::uint32_t apSecurityOwe = 0x800;

}  // namespace plat::lnx::nm
