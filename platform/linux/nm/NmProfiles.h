// The connection profiles Brisklane hands NetworkManager, as dictionaries of
// settings groups (D-Bus a{sa{sv}}): its hotspot, a network it joins, and
// the tag that marks both as made by one running instance of Brisklane.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariantMap>

#include "machine/RadioBackend.h"

namespace plat::lnx {

using ProfileSettings = QMap<QString, QVariantMap>;

// Registers the profile's D-Bus types with QtDBus; called before the first
// profile is sent or read.
void registerProfileTypes();

// A hotspot's WPA2 passphrase is 8 to 63 characters, the program's key 5 or
// 13: the key repeated until it is at least 8 characters long ("12345"
// gives "1234512345"; 13 characters stay as they are). Both Brisklane ends
// apply it. An empty key (an open network) stays empty.
std::string hotspotPassphrase(const std::string& key);

// Whether NetworkManager accepts the text as a WPA passphrase: 8 to 63
// printable ASCII characters.
bool isValidPassphrase(const std::string& passphrase);

// Who a profile belongs to: the login it is restricted to and the running
// instance that made it (its unique name on the bus).
struct ProfileOwner {
  QString user;
  QString instance;
};

struct HotspotProfile {
  std::string name;
  std::string key;  // empty: an open network
  std::vector<std::uint8_t> hardwareAddress;  // the address the hotspot uses on the air
  bool shared = false;  // gives its clients this computer's Internet connection
};

// An access point on the 2.4 GHz band that never connects on its own, WPA2
// with the key's passphrase, DHCP, DNS and NAT by NetworkManager when shared
// (link-local addresses otherwise).
ProfileSettings hotspotSettings(const HotspotProfile& hotspot, const ProfileOwner& owner);

enum class JoinSecurity { Open, Wep, WpaPersonal, Wpa3Personal };

// A client of the named network; WPA networks get the key's passphrase,
// WEP networks the key itself.
ProfileSettings joinSettings(const std::string& name, JoinSecurity security, const std::string& key,
                             const ProfileOwner& owner);

// Options of AddAndActivateConnection2: the profile is never saved, and it
// goes, with its activation, when this client leaves the bus.
QVariantMap activationOptions();

// The instance that made a profile; empty when Brisklane did not make it.
QString profileInstance(const ProfileSettings& settings);

// The profile's UUID, which a copy of it does not share.
QString profileUuid(const ProfileSettings& settings);

// The network name of a Wi-Fi profile.
QByteArray profileSsid(const ProfileSettings& settings);

// Whether a Wi-Fi profile hosts its network (access-point mode).
bool isHotspotProfile(const ProfileSettings& settings);

// What a device needs to join a hotspot profile's network: WEP for key
// management "none", nothing for "owe" or without a security group,
// otherwise a WPA passphrase.
NetworkSecurity hotspotSecurity(const ProfileSettings& settings);

}  // namespace plat::lnx
