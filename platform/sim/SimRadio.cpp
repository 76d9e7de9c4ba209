#include "sim/SimRadio.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "common/AsciiCase.h"
#include "machine/HardwareAddress.h"
#include "sim/SimMachine.h"
#include "sim/SimNetwork.h"
#include "store/JsonFields.h"

namespace plat::sim {
namespace {

constexpr std::uint32_t ownSignal = 100;     // a machine hears its own network at full strength
constexpr std::uint32_t airSignal = 80;      // machines on one computer hear each other well
constexpr std::uint32_t defaultSignal = 60;  // background networks without "signal"
constexpr std::size_t maxNameBytes = 32;     // an SSID's limit
constexpr auto tendingInterval = std::chrono::milliseconds(250);
// The private network the sharing service's DHCP server hands addresses of.
constexpr const char* guestSubnet = "192.168.137.";
constexpr unsigned firstGuestHost = 2;  // .1 is the host itself
constexpr unsigned lastGuestHost = 254;

std::runtime_error scenarioFault(const std::string& what) {
  return std::runtime_error("scenario section \"wireless\": " + what);
}

bool blankOnly(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= ' '; });
}

RadioEvent connectedEvent(const std::string& interfaceId, const std::string& name) {
  return RadioEvent{interfaceId, RadioEvent::Code::Connected, name, {}};
}

RadioEvent disconnectedEvent(const std::string& interfaceId, const std::string& name) {
  return RadioEvent{interfaceId, RadioEvent::Code::Disconnected, name, {}};
}

std::vector<std::uint8_t> adapterAddress(SimNetwork& network, const std::string& guid) {
  for (const auto& adapter : network.adapters()) {
    if (equalsNoCase(adapter.name, guid)) return adapter.hardwareAddress;
  }
  return {};
}

}  // namespace

SimRadio::SimRadio(SimMachine& machine, const nlohmann::json& scenario)
    : machine_(machine), airDir_(machine.options().airDir) {
  const auto& wireless = objectField(scenario, "wireless");
  hostName_ = textField(wireless, "hostName", machine.name());

  for (const auto& n : arrayField(wireless, "networks")) {
    const auto id = static_cast<std::uint32_t>(background_.size() + 1);
    try {
      background_.push_back(backgroundNetwork(n, id));
    } catch (const std::runtime_error& e) {
      throw scenarioFault("network " + std::to_string(id) + ": " + e.what());
    }
  }

  for (const auto& i : arrayField(wireless, "interfaces")) {
    Interface iface;
    std::optional<std::string> joinedName;
    try {
      iface.id = requiredTextField(i, "id");
      iface.connection = textField(i, "connection", iface.id);
      iface.hardwareAddress = adapterAddress(machine.simNetwork(), iface.connection);
      if (optionalField(i, "joined")) joinedName = requiredTextField(i, "joined");
    } catch (const std::runtime_error& e) {
      throw scenarioFault("interface " + std::to_string(interfaces_.size() + 1) + ": " + e.what());
    }
    if (findInterface(iface.id)) throw scenarioFault("interface " + iface.id + " is listed twice");
    if (joinedName) {
      const auto& name = *joinedName;
      auto network = std::find_if(background_.begin(), background_.end(),
                                  [&](const BackgroundNetwork& n) { return n.name == name; });
      if (network == background_.end()) throw scenarioFault("interface " + iface.id + " joined an unknown network");
      iface.joined = Joined{name, network->id, {}};
    }
    interfaces_.push_back(std::move(iface));
  }

  if (!airDir_) return;
  try {
    prepareAirFolder(*airDir_);
  } catch (const std::runtime_error& e) {
    // The machine still runs: it hears its scenario's networks, and hosting
    // fails for the reason given here.
    airFault_ = e.what();
    std::fprintf(stderr, "brisklane: %s\n", e.what());
    return;
  }
  keeper_ = std::jthread([this](std::stop_token stop) {
    pthread_setname_np(pthread_self(), "sim air");  // as a process's threads are listed
    keep(stop);
  });
}

SimRadio::~SimRadio() = default;

SimRadio::BackgroundNetwork SimRadio::backgroundNetwork(const nlohmann::json& entry, std::uint32_t id) {
  BackgroundNetwork network{requiredTextField(entry, "name"),
                            static_cast<NetworkKind>(integerField(entry, "kind", 3, 1, 3)),
                            textField(entry, "key"),
                            integerField(entry, "signal", defaultSignal, 0u, 100u),
                            flagField(entry, "internet", false),
                            id};
  if (network.kind == NetworkKind::AccessPoint && network.key.empty()) {
    throw std::runtime_error("kind 2 needs a \"key\"");
  }
  if (network.kind == NetworkKind::OpenAccessPoint && !network.key.empty()) {
    throw std::runtime_error("kind 3 has no \"key\"");
  }
  return network;
}

std::vector<std::string> SimRadio::interfaces() {
  std::vector<std::string> ids;
  for (const auto& iface : interfaces_) ids.push_back(iface.id);
  return ids;
}

RadioResult SimRadio::visibleNetworks(const std::string& interfaceId, std::vector<VisibleNetwork>& networks) {
  std::lock_guard lock(mutex_);
  Interface* iface = findInterface(interfaceId);
  if (!iface) return RadioResult::NoSuchInterface;
  const auto heard = listen();
  std::vector<RadioEvent> events;
  dropVanishedLinks(heard, events);
  lookAtGuests(heard, events);

  networks.clear();
  const auto& joined = iface->joined;
  for (const auto& n : background_) {
    const bool on = joined && joined->station.empty() && joined->id == n.id;
    networks.push_back(VisibleNetwork{n.name, n.kind, on, !n.key.empty(), n.signal, n.id});
  }
  if (const auto& own = iface->own) {
    networks.push_back(VisibleNetwork{own->name, NetworkKind::Computer, true, !own->key.empty(), ownSignal, own->id});
  }
  for (const auto& station : heard) {
    for (const auto& n : station.networks) {
      const bool on = joined && joined->station == station.id && joined->id == n.id;
      networks.push_back(VisibleNetwork{n.name, NetworkKind::Computer, on, !n.key.empty(), airSignal, n.id});
    }
  }
  deliver(events);
  return RadioResult::Ok;
}

RadioResult SimRadio::connect(const std::string& interfaceId, const std::string& name,
                              const std::optional<std::string>& key, std::optional<NetworkKind> kind,
                              std::uint32_t id) {
  std::lock_guard lock(mutex_);
  Interface* iface = findInterface(interfaceId);
  if (!iface) return RadioResult::NoSuchInterface;
  const auto heard = listen();
  std::vector<RadioEvent> events;
  dropVanishedLinks(heard, events);

  // The first heard network that matches, in the order a scan lists them.
  struct Target {
    std::string key;
    std::uint32_t id;
    std::optional<std::string> station;  // none: this interface's own network
  };
  std::optional<Target> target;
  auto matches = [&](const std::string& n, NetworkKind k, std::uint32_t i) {
    return !target && n == name && (!kind || *kind == k) && (id == 0 || id == i);
  };
  for (const auto& n : background_) {
    if (matches(n.name, n.kind, n.id)) target = Target{n.key, n.id, std::string()};
  }
  if (iface->own && matches(iface->own->name, NetworkKind::Computer, iface->own->id)) {
    target = Target{iface->own->key, iface->own->id, std::nullopt};
  }
  for (const auto& station : heard) {
    for (const auto& n : station.networks) {
      if (matches(n.name, NetworkKind::Computer, n.id)) target = Target{n.key, n.id, station.id};
    }
  }

  RadioResult result = RadioResult::Ok;
  if (!target) {
    result = RadioResult::NotVisible;
  } else if (!target->key.empty() && key != target->key) {
    result = RadioResult::WrongKey;
  } else {
    if (target->station) {  // on its own network the interface stays where it is
      leave(*iface, events);
      iface->joined = Joined{name, target->id, *target->station};
      republish_ = !publishStation();
    }
    events.push_back(connectedEvent(interfaceId, name));
  }
  deliver(events);
  keeperWake_.notify_all();
  return result;
}

RadioResult SimRadio::disconnect(const std::string& interfaceId) {
  std::lock_guard lock(mutex_);
  Interface* iface = findInterface(interfaceId);
  if (!iface) return RadioResult::NoSuchInterface;
  std::vector<RadioEvent> events;
  leave(*iface, events);
  deliver(events);
  return RadioResult::Ok;
}

RadioResult SimRadio::addOwnNetwork(const std::string& interfaceId, const std::string& name, const std::string& key) {
  if (name.empty() || name.size() > maxNameBytes || blankOnly(name)) return RadioResult::InvalidName;
  const Interface* known = findInterface(interfaceId);
  if (!known) return RadioResult::NoSuchInterface;
  // Asked before the lock: the network part has locks of its own.
  const bool internet = machine_.simNetwork().sharesInternetTo(known->connection);

  std::lock_guard lock(mutex_);
  Interface& iface = *findInterface(interfaceId);
  std::vector<RadioEvent> events;
  leave(iface, events);
  iface.own = AirNetwork{name, key, newAirNetworkId(), internet};
  RadioResult result = RadioResult::Ok;
  if (publishStation()) {
    events.push_back(connectedEvent(interfaceId, name));
  } else {
    iface.own.reset();
    result = RadioResult::Failed;
  }
  deliver(events);
  keeperWake_.notify_all();
  return result;
}

RadioResult SimRadio::deleteOwnNetwork(const std::string& interfaceId, const std::string& name) {
  std::lock_guard lock(mutex_);
  Interface* iface = findInterface(interfaceId);
  if (!iface) return RadioResult::NoSuchInterface;
  const bool on = (iface->own && iface->own->name == name) || (iface->joined && iface->joined->name == name);
  if (!on) return RadioResult::NotFound;
  std::vector<RadioEvent> events;
  leave(*iface, events);
  deliver(events);
  return RadioResult::Ok;
}

std::string SimRadio::networkPassphrase(const std::string& key) { return key; }

void SimRadio::setEventSink(EventSink sink) {
  std::lock_guard lock(sinkMutex_);
  sink_ = std::move(sink);
}

RadioResult SimRadio::hostedNetwork(const std::string& interfaceId, HostedNetwork& network) {
  std::lock_guard lock(mutex_);
  const Interface* iface = findInterface(interfaceId);
  if (!iface) return RadioResult::NoSuchInterface;
  if (!iface->own) return RadioResult::NotFound;
  network = HostedNetwork{iface->own->name, iface->own->key.empty() ? NetworkSecurity::Open : NetworkSecurity::Wep};
  return RadioResult::Ok;
}

RadioResult SimRadio::guests(const std::string& interfaceId, std::vector<NetworkGuest>& guests) {
  std::lock_guard lock(mutex_);
  Interface* iface = findInterface(interfaceId);
  if (!iface) return RadioResult::NoSuchInterface;
  if (!iface->own) return RadioResult::NotFound;
  std::vector<RadioEvent> events;
  lookAtGuests(listen(), events);
  guests = iface->guests.guests(machine_.system().uptimeMilliseconds());
  deliver(events);
  return RadioResult::Ok;
}

bool SimRadio::joinedNetworkLeadsToInternet() {
  std::lock_guard lock(mutex_);
  for (const auto& iface : interfaces_) {
    if (!iface.joined) continue;
    if (iface.joined->station.empty()) {
      if (background_.at(iface.joined->id - 1).internet) return true;
    } else if (airDir_) {
      const auto station = listenToStation(*airDir_, iface.joined->station);
      if (!station) continue;
      for (const auto& n : station->networks) {
        if (n.id == iface.joined->id && n.internet) return true;
      }
    }
  }
  return false;
}

void SimRadio::tendAir() {
  std::vector<std::size_t> hosts;
  {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < interfaces_.size(); ++i) {
      if (interfaces_[i].own) hosts.push_back(i);
    }
  }
  std::vector<bool> shares;
  for (auto i : hosts) shares.push_back(machine_.simNetwork().sharesInternetTo(interfaces_[i].connection));

  std::lock_guard lock(mutex_);
  bool changed = false;
  for (std::size_t h = 0; h < hosts.size(); ++h) {
    auto& own = interfaces_[hosts[h]].own;
    if (own && own->internet != shares[h]) {
      own->internet = shares[h];
      changed = true;
    }
  }
  // A failed write is tried again next round.
  if (changed || republish_) republish_ = !publishStation();

  if (needsTending()) {
    const auto heard = listen();
    std::vector<RadioEvent> events;
    dropVanishedLinks(heard, events);
    lookAtGuests(heard, events);
    deliver(events);
  }
}

SimRadio::Interface* SimRadio::findInterface(const std::string& id) {
  auto it = std::find_if(interfaces_.begin(), interfaces_.end(), [&](const Interface& i) { return i.id == id; });
  return it == interfaces_.end() ? nullptr : &*it;
}

std::vector<HeardStation> SimRadio::listen() {
  if (!airDir_ || airFault_) return {};
  return listenToAir(*airDir_, station_ ? station_->id() : std::string());
}

void SimRadio::leave(Interface& iface, std::vector<RadioEvent>& events) {
  if (iface.own) {
    for (auto& change : iface.guests.clear(machine_.system().uptimeMilliseconds())) {
      events.push_back(RadioEvent{iface.id, change.code, iface.own->name, std::move(change.guest)});
    }
    events.push_back(disconnectedEvent(iface.id, iface.own->name));
    iface.own.reset();
  } else if (iface.joined) {
    events.push_back(disconnectedEvent(iface.id, iface.joined->name));
    iface.joined.reset();
  } else {
    return;
  }
  republish_ = !publishStation();
}

void SimRadio::dropVanishedLinks(const std::vector<HeardStation>& heard, std::vector<RadioEvent>& events) {
  for (auto& iface : interfaces_) {
    if (!iface.joined || iface.joined->station.empty()) continue;
    const bool present = std::any_of(heard.begin(), heard.end(), [&](const HeardStation& s) {
      return s.id == iface.joined->station &&
             std::any_of(s.networks.begin(), s.networks.end(),
                         [&](const AirNetwork& n) { return n.id == iface.joined->id; });
    });
    if (!present) {
      events.push_back(disconnectedEvent(iface.id, iface.joined->name));
      iface.joined.reset();
      republish_ = !publishStation();
    }
  }
}

void SimRadio::lookAtGuests(const std::vector<HeardStation>& heard, std::vector<RadioEvent>& events) {
  const auto now = machine_.system().uptimeMilliseconds();
  for (auto& iface : interfaces_) {
    if (!iface.own) continue;
    std::vector<NetworkGuest> present;
    for (const auto& station : heard) {
      for (const auto& link : station.links) {
        if (!station_ || link.station != station_->id() || link.network != iface.own->id) continue;
        NetworkGuest guest{link.deviceName, link.hardwareAddress, {}, 0};
        guest.ipAddress = leaseFor(iface, guest);
        present.push_back(std::move(guest));
      }
    }
    for (auto& change : iface.guests.update(present, now)) {
      events.push_back(RadioEvent{iface.id, change.code, iface.own->name, std::move(change.guest)});
    }
  }
}

std::string SimRadio::leaseFor(Interface& iface, const NetworkGuest& guest) {
  const auto client =
      guest.hardwareAddress.empty() ? "name " + guest.name : formatHardwareAddress(guest.hardwareAddress);
  if (auto lease = iface.leases.find(client); lease != iface.leases.end()) return lease->second;
  const auto host = firstGuestHost + iface.leases.size();
  if (host > lastGuestHost) return {};  // the pool is used up: the guest has no address
  return iface.leases[client] = guestSubnet + std::to_string(host);
}

bool SimRadio::publishStation() {
  if (!airDir_) return true;
  if (airFault_) return false;
  std::vector<AirNetwork> own;
  std::vector<AirLink> links;
  for (const auto& iface : interfaces_) {
    if (iface.own) own.push_back(*iface.own);
    if (iface.joined && !iface.joined->station.empty()) {
      links.push_back(AirLink{iface.joined->station, iface.joined->id, hostName_, iface.hardwareAddress});
    }
  }
  if (!station_) {
    if (own.empty() && links.empty()) return true;
    try {
      station_ = std::make_unique<AirStation>(*airDir_);
    } catch (const std::runtime_error& e) {
      std::fprintf(stderr, "brisklane: %s\n", e.what());
      return false;
    }
  }
  return station_->publish(own, links);
}

bool SimRadio::needsTending() const {
  return std::any_of(interfaces_.begin(), interfaces_.end(), [](const Interface& i) {
    return i.own || (i.joined && !i.joined->station.empty());
  });
}

void SimRadio::deliver(const std::vector<RadioEvent>& events) {
  if (events.empty()) return;
  std::lock_guard lock(sinkMutex_);
  if (!sink_) return;
  for (const auto& event : events) sink_(event);
}

void SimRadio::keep(std::stop_token stop) {
  while (!stop.stop_requested()) {
    {
      std::unique_lock lock(mutex_);
      // Idle while there is nothing to tend: no wake-ups at all.
      if (!keeperWake_.wait(lock, stop, [this] { return needsTending(); }) || stop.stop_requested()) return;
    }
    tendAir();
    std::unique_lock lock(mutex_);
    keeperWake_.wait_for(lock, stop, tendingInterval, [] { return false; });
  }
}

}  // namespace plat::sim
