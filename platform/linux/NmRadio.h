// The Linux machine's radio: the Wi-Fi devices NetworkManager manages, the
// networks they hear, joining them, and hosting Brisklane's own network as
// an access point that shares the Internet connection. Any thread may call
// it; NetworkManager's signals become the connect and disconnect events.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "linux/DeviceInventory.h"
#include "linux/NmClient.h"
#include "linux/NmProfiles.h"
#include "linux/RadioPreflight.h"
#include "machine/RadioBackend.h"

namespace plat::lnx {

class NmRadio : public RadioBackend {
 public:
  struct Options {
    // How long a join or a hotspot may take to come up before the radio
    // withdraws it.
    std::chrono::milliseconds activationTimeout = std::chrono::seconds(20);
    // Where NetworkManager's helper programs are installed ("/" but in tests).
    std::filesystem::path systemRoot = "/";
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
  // strongest); a base station with a locally administered address is a
  // computer's. Asks for a new scan for the next call, without waiting.
  RadioResult visibleNetworks(const std::string& interfaceId, std::vector<VisibleNetwork>& networks) override;
  RadioResult connect(const std::string& interfaceId, const std::string& name, const std::optional<std::string>& key,
                      std::optional<NetworkKind> kind, std::uint32_t id) override;
  RadioResult disconnect(const std::string& interfaceId) override;
  RadioResult addOwnNetwork(const std::string& interfaceId, const std::string& name, const std::string& key) override;
  RadioResult deleteOwnNetwork(const std::string& interfaceId, const std::string& name) override;
  // The key repeated until it is a WPA2 passphrase (hotspotPassphrase).
  std::string networkPassphrase(const std::string& key) override;
  void setEventSink(EventSink sink) override;

  // Removes what Brisklane instances that no longer run left in
  // NetworkManager (their profiles and activations). Returns whether a
  // hotspot of a running instance is up.
  bool removeLeftovers();

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
  };
  // One entry of the visible list and the base station that speaks for it.
  struct HeardNetwork {
    VisibleNetwork shown;
    QString accessPoint;
    JoinSecurity security = JoinSecurity::Open;
    bool enterprise = false;  // needs an 802.1X sign-in
  };
  struct Tracked {
    std::string interfaceId;
    std::string networkName;
  };

  std::vector<WifiDevice> wifiDevices();
  // The device, or the refusal why there is none.
  std::optional<WifiDevice> findDevice(const std::string& interfaceId, std::size_t* wifiCount = nullptr);
  // NetworkManager running, Wi-Fi switched on and the device managed.
  bool ready(const WifiDevice& wifi);
  std::optional<ActiveProfile> activeProfile(const QString& devicePath);
  std::vector<HeardNetwork> hear(const WifiDevice& wifi);
  bool permitted(Action action, bool secured);
  ProfileOwner owner();
  RadioResult activate(const WifiDevice& wifi, const ProfileSettings& settings, const QString& accessPoint,
                       Action action, const std::string& name);
  RadioResult deactivate(const QString& activePath);

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

  NmClient::ListenerId listener_ = 0;  // last: removed before the rest goes
};

}  // namespace plat::lnx
