#include "linux/radio/RadioPreflight.h"

#include <algorithm>
#include <system_error>

#include "linux/nm/NmNames.h"
#include "linux/nm/NmReplies.h"

namespace plat::lnx {
namespace {

const QString networkControl = QStringLiteral("org.freedesktop.NetworkManager.network-control");
const QString modifyOwnSettings = QStringLiteral("org.freedesktop.NetworkManager.settings.modify.own");
const QString shareProtected = QStringLiteral("org.freedesktop.NetworkManager.wifi.share.protected");
const QString shareOpen = QStringLiteral("org.freedesktop.NetworkManager.wifi.share.open");

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string deviceReasonText(std::uint32_t reason) {
  switch (reason) {
    case nm::reasonConfigFailed: return "the adapter could not be configured";
    case nm::reasonIpConfigUnavailable: return "no address could be configured";
    case nm::reasonNoSecrets: return "the key was missing";
    case nm::reasonSupplicantDisconnect:
    case nm::reasonSupplicantFailed:
    case nm::reasonSupplicantTimeout: return "the Wi-Fi authentication failed";
    case nm::reasonSsidNotFound: return "the network was not found";
    default: return "reason " + std::to_string(reason);
  }
}

}  // namespace

std::string networkManagerNotRunning() {
  return "NetworkManager is not running: start it (systemctl start NetworkManager) and try again.";
}

std::string networkManagerSilent() {
  return "NetworkManager has not answered yet: wait a moment and press Refresh; if it stays silent, restart it "
         "(systemctl restart NetworkManager).";
}

std::string networkManagerNotAnswering() {
  return "NetworkManager did not answer in time: restart it (systemctl restart NetworkManager) and try again.";
}

std::string networkManagerFailing(const QString& message) {
  return "NetworkManager is running but answers its requests with an error (" + message.toStdString() +
         "): restart it (systemctl restart NetworkManager) and try again.";
}

std::string noWifiDevice() { return "NetworkManager knows no Wi-Fi adapter on this computer: plug one in or install its driver."; }

std::string deviceGone() { return "That Wi-Fi adapter is no longer there: press Refresh and try again."; }

Refusal readinessRefusal(const QVariantMap& manager, const NetworkDevice& device) {
  if (!nm::flagIn(manager, QStringLiteral("WirelessHardwareEnabled"), true)) {
    return "Wi-Fi is switched off by the computer's wireless switch or key: switch it on and try again.";
  }
  if (!nm::flagIn(manager, QStringLiteral("WirelessEnabled"), true)) {
    return "Wi-Fi is switched off: switch it on in the network settings (or run: nmcli radio wifi on) and try again.";
  }
  if (!device.managed) {
    return "NetworkManager does not manage the Wi-Fi adapter " + device.interfaceName +
           " (it is probably set up in /etc/network/interfaces): let NetworkManager manage it and try again.";
  }
  return std::nullopt;
}

Refusal hostingRefusal(const NetworkDevice& device, std::size_t wifiDevices) {
  if (!device.canHostAccessPoint) {
    return "The Wi-Fi adapter " + device.interfaceName +
           " cannot host a network (its driver has no access-point mode): use another adapter.";
  }
  if (device.primary) {
    const std::string which = wifiDevices == 1 ? "The only Wi-Fi adapter, " + device.interfaceName + ","
                                               : "The Wi-Fi adapter " + device.interfaceName;
    return which + " carries this computer's Internet connection, and hosting a network on it would cut the "
                   "Internet it should share: connect to the Internet by cable or through another adapter.";
  }
  return std::nullopt;
}

Refusal sharingHelperRefusal(const std::filesystem::path& root) {
  std::error_code error;
  if (std::filesystem::is_regular_file(root / "usr/sbin/dnsmasq", error)) return std::nullopt;
  return "NetworkManager needs dnsmasq to share the Internet connection, and it is not installed: install the "
         "package dnsmasq-base and try again.";
}

namespace {

QStringList neededPermissions(Action action, bool secured) {
  QStringList needed{networkControl};
  if (action != Action::Leave) needed << modifyOwnSettings;
  if (action == Action::Host) needed << (secured ? shareProtected : shareOpen);
  return needed;
}

}  // namespace

bool permissionAsksUser(const QMap<QString, QString>& permissions, Action action, bool secured) {
  const QStringList needed = neededPermissions(action, secured);
  return std::any_of(needed.begin(), needed.end(),
                     [&](const QString& permission) { return permissions.value(permission) == QStringLiteral("auth"); });
}

Refusal permissionRefusal(const QMap<QString, QString>& permissions, Action action, bool secured) {
  for (const auto& permission : neededPermissions(action, secured)) {
    if (permissions.value(permission) == QStringLiteral("no")) {
      return "This user may not " +
             std::string(action == Action::Host ? "host a Wi-Fi network" : "change Wi-Fi connections") +
             " (polkit refuses " + permission.toStdString() + "): ask an administrator to allow it.";
    }
  }
  return std::nullopt;
}

std::string permissionDenied() {
  return "NetworkManager refused permission: polkit asks for it only in an active desktop session, so from SSH or "
         "an inactive session start Brisklane in your desktop, or ask an administrator to allow it.";
}

std::string unsuitableKey() {
  return "The key cannot make a WPA2 passphrase: use 5 or 13 plain ASCII characters (Options).";
}

std::string invalidNetworkName() {
  return "The network name must be 1 to 32 bytes long and not only blanks: change it in Options.";
}

std::string needsSignIn(const std::string& network) {
  return quoted(network) + " asks for a user name and password (802.1X), which Brisklane cannot give: join it "
                           "through the network settings.";
}

std::string hostingFailed(const NetworkDevice& device, std::uint32_t deviceReason) {
  if (deviceReason == nm::reasonSharedStartFailed || deviceReason == nm::reasonSharedFailed) {
    return "NetworkManager could not share the Internet connection on " + device.interfaceName +
           " (its dnsmasq did not start; another DNS or DHCP server may hold the ports).";
  }
  return "The Wi-Fi adapter " + device.interfaceName + " could not start a network on the 2.4 GHz band (" +
         deviceReasonText(deviceReason) + "): the driver may not allow access-point mode right now.";
}

std::string joinFailed(const std::string& network, std::uint32_t deviceReason) {
  return "Joining " + quoted(network) + " failed (" + deviceReasonText(deviceReason) + ").";
}

std::string wrongKey(const std::string& network) {
  return "The key was not accepted by " + quoted(network) + ": check the key in Options.";
}

std::string notInRange(const std::string& network) {
  return "No network called " + quoted(network) + " is in range: press Refresh and try again.";
}

std::string givenUp(const std::string& network) {
  return "Bringing up \"" + network + "\" was stopped before it finished; nothing of it stays.";
}

std::string activationTimedOut(const std::string& network, std::chrono::milliseconds timeout) {
  return quoted(network) + " did not come up within " + std::to_string(timeout.count() / 1000) +
         " seconds, so Brisklane gave up: try again closer to the other computer.";
}

// A WPA2/WPA3 network (what NetworkManager hosts where the driver can)
// rejects a wrong key at the WPA3 handshake, which wpa_supplicant retries
// without NetworkManager ever calling the key wrong.
std::string keyNotAcceptedInTime(const std::string& network, std::chrono::milliseconds timeout) {
  return quoted(network) + " did not accept this computer within " + std::to_string(timeout.count() / 1000) +
         " seconds, so Brisklane gave up: check that the key in Options is the other computer's.";
}

std::string networkManagerStopped(const std::string& network) {
  return "NetworkManager stopped while bringing up " + quoted(network) + ": start it and try again.";
}

std::string networkManagerRefused(const QString& message) {
  return "NetworkManager refused: " + message.toStdString();
}

std::string noJoinWhileSharing(const std::string& network) {
  return "This adapter shares the Internet, so it hosts " + quoted(network) +
         " itself instead of joining a network of that name, and that needs the key: set it in Options.";
}

}  // namespace plat::lnx
