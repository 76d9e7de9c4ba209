// What a machine answers about its radio: its wireless interfaces, the
// networks they hear, joining and leaving them, broadcasting a network of its
// own and the devices that join it, and the events that follow. Text is
// UTF-8; the wireless library's front converts and owns layouts and result
// codes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plat {

// How a heard network is run.
enum class NetworkKind : std::uint8_t {
  Computer = 1,         // broadcast by another computer's wireless interface
  AccessPoint = 2,      // an access point that asks for a key
  OpenAccessPoint = 3,  // an access point without a key
};

// How a network this machine broadcasts is secured: what a device needs to
// join it.
enum class NetworkSecurity : std::uint8_t {
  Open,
  Wep,           // a WEP key of 5 or 13 characters
  Wpa2Personal,  // a WPA2 passphrase of 8 to 63 characters
};

struct HostedNetwork {
  std::string name;
  NetworkSecurity security = NetworkSecurity::Open;
};

// A device on a network this machine broadcasts.
struct NetworkGuest {
  std::string name;                           // the name it gave; empty when it gave none
  std::vector<std::uint8_t> hardwareAddress;  // at most 8 bytes; empty when unknown
  std::string ipAddress;                      // dotted IPv4 text; empty while it has none
  std::uint64_t connectedMilliseconds = 0;    // how long it has been on the network
};

struct VisibleNetwork {
  std::string name;
  NetworkKind kind = NetworkKind::OpenAccessPoint;
  bool connected = false;    // the asking interface is joined to it or broadcasts it
  bool secured = false;      // joining it needs its key
  std::uint32_t signal = 0;  // quality in percent
  std::uint32_t id = 0;      // tells apart networks of one name; never 0
};

enum class RadioResult {
  Ok,
  NoSuchInterface,
  NotVisible,  // no heard network matches name, kind and id
  WrongKey,
  NotFound,    // the interface neither broadcasts nor joined that name
  InvalidName,
  Failed,      // the machine could not carry it out
  NotSupported,  // this kind of machine cannot answer that
};

struct RadioEvent {
  // Connected and Disconnected concern the interface itself; GuestJoined and
  // GuestLeft a device on the network the interface broadcasts.
  enum class Code { Connected, Disconnected, GuestJoined, GuestLeft };
  std::string interfaceId;
  Code code = Code::Connected;
  std::string networkName;
  NetworkGuest guest;  // GuestJoined and GuestLeft only

  bool concernsGuest() const { return code == Code::GuestJoined || code == Code::GuestLeft; }
};

class RadioBackend {
 public:
  using EventSink = std::function<void(const RadioEvent&)>;

  virtual ~RadioBackend() = default;

  // Identifiers of the wireless interfaces, in the machine's order.
  virtual std::vector<std::string> interfaces() = 0;

  // What the interface hears now; NoSuchInterface or Ok.
  virtual RadioResult visibleNetworks(const std::string& interfaceId, std::vector<VisibleNetwork>& networks) = 0;

  // Joins the heard network called `name`, of `kind` (none: any kind) and
  // `id` (0: any network of that name). A secured network needs `key`; an
  // open one ignores it. Leaves what the interface was on first. Raises
  // Connected on success.
  virtual RadioResult connect(const std::string& interfaceId, const std::string& name,
                              const std::optional<std::string>& key, std::optional<NetworkKind> kind,
                              std::uint32_t id) = 0;

  // Leaves the network the interface joined or broadcasts (Disconnected);
  // Ok also when it was on none.
  virtual RadioResult disconnect(const std::string& interfaceId) = 0;

  // Broadcasts a network of this machine on the interface, in place of what
  // the interface was on (Disconnected for that, then Connected). The name
  // is 1 to 32 bytes and not only blanks.
  virtual RadioResult addOwnNetwork(const std::string& interfaceId, const std::string& name,
                                    const std::string& key) = 0;

  // Stops broadcasting the network `name` on the interface, or leaves it
  // when the interface joined a network of that name (Disconnected).
  virtual RadioResult deleteOwnNetwork(const std::string& interfaceId, const std::string& name) = 0;

  // The passphrase other devices type to join a network that addOwnNetwork
  // created with `key`.
  virtual std::string networkPassphrase(const std::string& key) = 0;

  // The two questions below are Brisklane's own, beyond what the wireless
  // library was made for; a machine that cannot answer them keeps these
  // answers (NotSupported).

  // The network the interface broadcasts: NotFound when it broadcasts none.
  virtual RadioResult hostedNetwork(const std::string& /*interfaceId*/, HostedNetwork& /*network*/) {
    return RadioResult::NotSupported;
  }

  // The devices on the network the interface broadcasts, in the order they
  // joined: NotFound when it broadcasts none. A machine that answers raises
  // GuestJoined and GuestLeft as devices come and go.
  virtual RadioResult guests(const std::string& /*interfaceId*/, std::vector<NetworkGuest>& /*guests*/) {
    return RadioResult::NotSupported;
  }

  // Receives the events from now on, on whatever thread causes them; null
  // stops them. Once it returns, the previous sink is no longer called.
  virtual void setEventSink(EventSink sink) = 0;
};

}  // namespace plat
