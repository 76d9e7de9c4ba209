// What the Linux radio checks before it asks NetworkManager to change
// anything, and the one-line reasons it gives a user when it cannot go on:
// each names the cause, the device where there is one, and what to do.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <QMap>
#include <QString>
#include <QVariantMap>

#include "linux/DeviceInventory.h"

namespace plat::lnx {

using Refusal = std::optional<std::string>;

std::string networkManagerNotRunning();
// On the bus, but its objects have not arrived yet.
std::string networkManagerSilent();
// On the bus, but it did not answer a question in time.
std::string networkManagerNotAnswering();
// On the bus, but answering with an error (its message) where it should list.
std::string networkManagerFailing(const QString& message);
std::string noWifiDevice();
std::string deviceGone();

// Wi-Fi switched off in software or by a hardware switch (the manager's
// properties), or the device not managed by NetworkManager.
Refusal readinessRefusal(const QVariantMap& manager, const NetworkDevice& device);

// A device that cannot host a network, or one that carries the Internet
// connection the hotspot would share.
Refusal hostingRefusal(const NetworkDevice& device, std::size_t wifiDevices);

// NetworkManager's shared mode runs /usr/sbin/dnsmasq below `root`.
Refusal sharingHelperRefusal(const std::filesystem::path& root);

// The answers of GetPermissions: a "no" to anything the action needs, and
// whether polkit will ask the user for any of it ("auth").
enum class Action { Join, Host, Leave };
Refusal permissionRefusal(const QMap<QString, QString>& permissions, Action action, bool secured);
bool permissionAsksUser(const QMap<QString, QString>& permissions, Action action, bool secured);

// NetworkManager refused a call for want of permission (after polkit had
// its chance to ask).
std::string permissionDenied();

// A key the hotspot cannot turn into a WPA2 passphrase.
std::string unsuitableKey();
std::string invalidNetworkName();
// A network that asks for an 802.1X (enterprise) sign-in.
std::string needsSignIn(const std::string& network);

// Why an activation of a network ended without it: NetworkManager's device
// and active-connection reasons in words.
std::string hostingFailed(const NetworkDevice& device, std::uint32_t deviceReason);
std::string joinFailed(const std::string& network, std::uint32_t deviceReason);
std::string wrongKey(const std::string& network);
std::string notInRange(const std::string& network);
// The caller stopped waiting (Stop, Disconnect or the program's end).
std::string givenUp(const std::string& network);
std::string activationTimedOut(const std::string& network, std::chrono::milliseconds timeout);
std::string keyNotAcceptedInTime(const std::string& network, std::chrono::milliseconds timeout);
std::string networkManagerStopped(const std::string& network);
std::string networkManagerRefused(const QString& message);
// A device that shares the Internet joins no network.
std::string noJoinWhileSharing(const std::string& network);

}  // namespace plat::lnx
