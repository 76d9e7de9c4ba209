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
#include <optional>
#include <string>
#include <vector>

#include "linux/DeviceInventory.h"
#include "linux/nm/NmClient.h"
#include "linux/nm/NmProfiles.h"
#include "linux/radio/DeviceTracking.h"
#include "linux/radio/RadioActivator.h"
#include "linux/radio/RadioDevices.h"
#include "linux/radio/ScanMerge.h"
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
  // NetworkManager (sweepLeftovers): whether a hotspot of a running instance
  // is up; none, and nothing done, while NetworkManager's profiles have not
  // all arrived.
  std::optional<bool> removeLeftovers();

 private:
  // The networks the device hears, strongest first; asks for a new scan.
  std::vector<HeardNetwork> hear(const RadioDevices::WifiDevice& wifi);
  ProfileOwner owner();
  // What Disconnect and Stop WiFi start with: whatever is still coming up
  // on the interface given up, and this instance's own profile on it found;
  // none when the interface is gone.
  struct Own {
    QString devicePath;
    std::optional<RadioDevices::ActiveProfile> profile;
  };
  std::optional<Own> giveUpAndFindOwn(const std::string& interfaceId);

  NmClient& client_;
  const Options options_;
  RadioDevices devices_;
  DeviceTracking tracking_;  // after devices_, which it reads until it goes
  RadioActivator activator_;
};

}  // namespace plat::lnx
