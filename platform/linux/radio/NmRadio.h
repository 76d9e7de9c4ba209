// The Linux machine's radio: the Wi-Fi devices NetworkManager manages, the
// networks they hear, joining them, and hosting Brisklane's own network as
// an access point that shares the Internet connection, and the devices that
// join that. Any thread may call it; NetworkManager's signals become the
// connect and disconnect events, the hotspot's DHCP leases and the kernel's
// neighbour table the guests' events.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include <QString>

#include "linux/DeviceInventory.h"
#include "linux/hotspot/HotspotGuestWatch.h"
#include "linux/nm/NmClient.h"
#include "linux/nm/NmProfiles.h"
#include "linux/radio/RadioPreflight.h"
#include "machine/RadioBackend.h"

namespace plat::lnx {

class NmRadio : public RadioBackend {
 public:
  struct Options {
    // How long a join or a hotspot may take to come up before the radio
    // withdraws it.
    std::chrono::milliseconds activationTimeout = std::chrono::seconds(20);
    // Where NetworkManager's helper programs, its hotspots' lease files and
    // the kernel's neighbour table are found ("/" but in tests).
    std::filesystem::path systemRoot = "/";
    // How often a hotspot's guests are read again when its lease file did
    // not change: devices that leave without giving back their lease go
    // from the kernel's neighbour table.
    std::chrono::milliseconds guestRefreshInterval = std::chrono::seconds(5);
    // Whether a hotspot on the interface (its GUID) is to share the Internet
    // connection: the sharing service made its connection the private side.
    std::function<bool(const std::string& interfaceId)> sharesInternetTo;
    // The login the radio's profiles belong to; empty: the user running
    // the program.
    std::string user;
  };

  NmRadio(NmClient& client, DeviceInventory& inventory, Options options);
  ~NmRadio() override;

  // Wi-Fi devices, those that can host a network first and among them those
  // that do not carry the Internet; ids are the devices' GUIDs.
  std::vector<std::string> interfaces() override;
  // Heard access points, one entry per name, security and kind (the
  // strongest); a secured network whose base station has a locally
  // administered address is a computer's. A name the program cannot carry
  // byte for byte (with a zero byte, or not UTF-8) is left out. Asks for a
  // new scan for the next call, without waiting.
  RadioResult visibleNetworks(const std::string& interfaceId, std::vector<VisibleNetwork>& networks) override;
  // Its own network is Ok as it is. On a device that the sharing service
  // made the private side (Start WiFi of the computer that shares), the
  // network of the name is hosted with the key instead of joined: a join
  // shares nothing here, and its handshake would hand the key to whoever
  // took the name; without a key it refuses.
  RadioResult connect(const std::string& interfaceId, const std::string& name, const std::optional<std::string>& key,
                      std::optional<NetworkKind> kind, std::uint32_t id) override;
  // These two take down only what this instance brought up (its own
  // profile, which carries its tag); what others run on the device stays.
  // A join or hotspot of this instance still coming up on the device is
  // given up first: the caller waiting for it hears so, and what
  // NetworkManager brings up for it late is taken down.
  RadioResult disconnect(const std::string& interfaceId) override;
  RadioResult addOwnNetwork(const std::string& interfaceId, const std::string& name, const std::string& key) override;
  RadioResult deleteOwnNetwork(const std::string& interfaceId, const std::string& name) override;
  // The key repeated until it is a WPA2 passphrase (hotspotPassphrase).
  std::string networkPassphrase(const std::string& key) override;
  // The hotspot this instance runs on the device, secured with WPA2 and the
  // key's passphrase (open when made without a key).
  RadioResult hostedNetwork(const std::string& interfaceId, HostedNetwork& network) override;
  // Devices with a lease from the hotspot's DHCP server that the kernel saw
  // on its link, and devices seen there with an address of their own.
  RadioResult guests(const std::string& interfaceId, std::vector<NetworkGuest>& guests) override;
  void setEventSink(EventSink sink) override;

  // Removes what Brisklane instances that no longer run left in
  // NetworkManager: their unsaved profiles and those profiles' activations,
  // without waiting for it to carry that out. A saved profile with an
  // instance's tag is a user's copy and stays. Whether a hotspot of a
  // running instance is up; none, and nothing done, while NetworkManager's
  // profiles have not all arrived.
  std::optional<bool> removeLeftovers();

 private:
  struct WifiDevice {
    NetworkDevice device;
    std::string id;
  };
  // A profile in use on a device.
  struct ActiveProfile {
    QString activePath;
    QString profilePath;
    ProfileSettings settings;
    bool activated = false;  // up, not still coming up or going down
  };
  // One entry of the visible list and the base station that speaks for it.
  struct HeardNetwork {
    VisibleNetwork shown;
    QString accessPoint;
    JoinSecurity security = JoinSecurity::Open;
    bool enterprise = false;  // needs an 802.1X sign-in
    bool own = false;         // the network this instance hosts on the device
  };
  struct Tracked {
    std::string interfaceId;
    std::string networkName;
  };
  // What this instance asked NetworkManager to bring up on a device.
  struct Created {
    QString activePath;
    QString profilePath;
    ProfileSettings settings;
  };

  std::vector<WifiDevice> wifiDevices();
  // The device, or the refusal why there is none.
  std::optional<WifiDevice> findDevice(const std::string& interfaceId, std::size_t* wifiCount = nullptr);
  // Why no device was found: NetworkManager away or answering with errors,
  // else `otherwise`.
  std::string unreachableOr(std::string otherwise);
  // NetworkManager running, Wi-Fi switched on and the device managed.
  bool ready(const WifiDevice& wifi);
  std::optional<ActiveProfile> activeProfile(const QString& devicePath);
  // This instance's own profile in use on the device: the one it created
  // there, still carrying its tag.
  std::optional<ActiveProfile> ownProfile(const QString& devicePath);
  bool isOwn(const QString& devicePath, const ActiveProfile& active);
  // This instance's hotspot, up on the device.
  std::optional<ActiveProfile> runningHotspot(const WifiDevice& wifi);
  static HotspotGuestWatch::Hotspot watchedHotspot(const WifiDevice& wifi, const ProfileSettings& settings);
  std::vector<HeardNetwork> hear(const WifiDevice& wifi);
  bool permitted(Action action, bool secured, std::stop_token stop);
  ProfileOwner owner();
  RadioResult activate(const WifiDevice& wifi, const ProfileSettings& settings, const QString& accessPoint,
                       Action action, const std::string& name);
  RadioResult activateUnlessGivenUp(const WifiDevice& wifi, const ProfileSettings& settings,
                                    const QString& accessPoint, Action action, const std::string& name,
                                    std::stop_token stop);
  RadioResult deactivate(const QString& activePath);
  // Takes down, without waiting, what an activation brought up.
  static void withdraw(NmClient& client, const QString& activePath, const QString& profilePath);
  // A stop for the activation about to start on the device; released with
  // endPending.
  std::stop_token beginPending(const std::string& interfaceId);
  void endPending(const std::string& interfaceId);
  void givePendingUp(const std::string& interfaceId);
  // Takes this instance's own profile on the device down and deletes it.
  RadioResult takeDown(const QString& devicePath, const ActiveProfile& own);

  void deviceStateChanged(const QString& device, std::uint32_t newState, std::uint32_t oldState);
  void networkManagerLeft();
  void trackActiveDevices();
  void deliver(const std::vector<RadioEvent>& events);

  NmClient& client_;
  DeviceInventory& inventory_;
  const Options options_;

  std::mutex trackMutex_;  // the two below
  std::map<QString, Tracked> onNetwork_;  // Wi-Fi devices on a network, by object path
  bool tracking_ = false;                 // onNetwork_ holds what was up before the signals began

  std::mutex sinkMutex_;
  EventSink sink_;

  std::mutex pendingMutex_;
  std::map<std::string, std::stop_source> pending_;  // by interface id

  std::mutex createdMutex_;
  std::map<QString, Created> created_;  // by device path; taken after trackMutex_

  HotspotGuestWatch guestWatch_;  // the hotspots that are up; delivers through sink_

  NmClient::ListenerId listener_ = 0;  // last: removed before the rest goes
};

}  // namespace plat::lnx
