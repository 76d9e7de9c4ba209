#include "sim/SimRadio.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <system_error>

#include <nlohmann/json.hpp>

#include "sim/SimMachine.h"
#include "sim/SimNetwork.h"

namespace plat::sim {
namespace {

constexpr std::uint32_t ownSignal = 100;     // a machine hears its own network at full strength
constexpr std::uint32_t airSignal = 80;      // machines on one computer hear each other well
constexpr std::uint32_t defaultSignal = 60;  // background networks without "signal"
constexpr std::size_t maxNameBytes = 32;     // an SSID's limit
constexpr auto tendingInterval = std::chrono::milliseconds(250);

std::runtime_error scenarioFault(const std::string& what) {
  return std::runtime_error("scenario section \"wireless\": " + what);
}

bool blankOnly(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= ' '; });
}

RadioEvent connectedEvent(const std::string& interfaceId, const std::string& name) {
  return RadioEvent{interfaceId, RadioEvent::Code::Connected, name};
}

RadioEvent disconnectedEvent(const std::string& interfaceId, const std::string& name) {
  return RadioEvent{interfaceId, RadioEvent::Code::Disconnected, name};
}

}  // namespace

SimRadio::SimRadio(SimMachine& machine, const nlohmann::json& scenario)
    : machine_(machine), airDir_(machine.options().airDir) {
  const auto wireless = scenario.value("wireless", nlohmann::json::object());

  for (const auto& n : wireless.value("networks", nlohmann::json::array())) {
    const auto where = "network " + std::to_string(background_.size() + 1) + ": ";
    BackgroundNetwork network{n.at("name").get<std::string>(),
                              NetworkKind::OpenAccessPoint,
                              n.value("key", std::string()),
                              n.value("signal", defaultSignal),
                              n.value("internet", false),
                              static_cast<std::uint32_t>(background_.size() + 1)};
    const int kind = n.value("kind", 3);
    if (kind < 1 || kind > 3) throw scenarioFault(where + "\"kind\" must be 1, 2 or 3");
    network.kind = static_cast<NetworkKind>(kind);
    if (network.kind == NetworkKind::AccessPoint && network.key.empty()) {
      throw scenarioFault(where + "kind 2 needs a \"key\"");
    }
    if (network.kind == NetworkKind::OpenAccessPoint && !network.key.empty()) {
      throw scenarioFault(where + "kind 3 has no \"key\"");
    }
    if (network.signal > 100) throw scenarioFault(where + "\"signal\" is a percentage");
    background_.push_back(std::move(network));
  }

  for (const auto& i : wireless.value("interfaces", nlohmann::json::array())) {
    Interface iface;
    iface.id = i.at("id").get<std::string>();
    iface.connection = i.value("connection", iface.id);
    if (findInterface(iface.id)) throw scenarioFault("interface " + iface.id + " is listed twice");
    if (auto joined = i.find("joined"); joined != i.end()) {
      const auto name = joined->get<std::string>();
      auto network = std::find_if(background_.begin(), background_.end(),
                                  [&](const BackgroundNetwork& n) { return n.name == name; });
      if (network == background_.end()) throw scenarioFault("interface " + iface.id + " joined an unknown network");
      iface.joined = Joined{name, network->id, {}};
    }
    interfaces_.push_back(std::move(iface));
  }

  if (airDir_) {
    keeper_ = std::jthread([this](std::stop_token stop) {
      pthread_setname_np(pthread_self(), "sim air");  // as a process's threads are listed
      keep(stop);
    });
  }
}

SimRadio::~SimRadio() = default;

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
      if (auto left = leave(*iface)) events.push_back(*left);
      iface->joined = Joined{name, target->id, *target->station};
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
  if (auto left = leave(*iface)) deliver({*left});
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
  if (auto left = leave(iface)) events.push_back(*left);
  iface.own = AirNetwork{name, key, newAirNetworkId(), internet};
  RadioResult result = RadioResult::Ok;
  if (publishOwnNetworks()) {
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
  deliver({*leave(*iface)});
  return RadioResult::Ok;
}

void SimRadio::setEventSink(EventSink sink) {
  std::lock_guard lock(sinkMutex_);
  sink_ = std::move(sink);
}

bool SimRadio::joinedNetworkLeadsToInternet() {
  std::lock_guard lock(mutex_);
  for (const auto& iface : interfaces_) {
    if (!iface.joined) continue;
    if (iface.joined->station.empty()) {
      if (background_.at(iface.joined->id - 1).internet) return true;
    } else if (airDir_) {
      const auto networks = listenToStation(*airDir_, iface.joined->station);
      if (!networks) continue;
      for (const auto& n : *networks) {
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
  if (changed || republish_) republish_ = !publishOwnNetworks();

  const bool joinedAir = std::any_of(interfaces_.begin(), interfaces_.end(),
                                     [](const Interface& i) { return i.joined && !i.joined->station.empty(); });
  if (joinedAir) {
    std::vector<RadioEvent> events;
    dropVanishedLinks(listen(), events);
    deliver(events);
  }
}

SimRadio::Interface* SimRadio::findInterface(const std::string& id) {
  auto it = std::find_if(interfaces_.begin(), interfaces_.end(), [&](const Interface& i) { return i.id == id; });
  return it == interfaces_.end() ? nullptr : &*it;
}

std::vector<HeardStation> SimRadio::listen() {
  if (!airDir_) return {};
  return listenToAir(*airDir_, station_ ? station_->id() : std::string());
}

std::optional<RadioEvent> SimRadio::leave(Interface& iface) {
  std::optional<RadioEvent> event;
  if (iface.own) {
    event = disconnectedEvent(iface.id, iface.own->name);
    iface.own.reset();
    republish_ = !publishOwnNetworks();
  } else if (iface.joined) {
    event = disconnectedEvent(iface.id, iface.joined->name);
    iface.joined.reset();
  }
  return event;
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
    }
  }
}

bool SimRadio::publishOwnNetworks() {
  if (!airDir_) return true;
  std::vector<AirNetwork> own;
  for (const auto& iface : interfaces_) {
    if (iface.own) own.push_back(*iface.own);
  }
  if (!station_) {
    if (own.empty()) return true;
    try {
      station_ = std::make_unique<AirStation>(*airDir_);
    } catch (const std::system_error&) {
      return false;
    }
  }
  return station_->publish(own);
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
