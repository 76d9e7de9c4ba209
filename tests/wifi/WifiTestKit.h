// Helpers of the wireless component's tests: machines with a "wireless"
// section, a gate that holds the check thread inside its probes, and a
// recorder of the component's events.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/SimInternet.h"
#include "sim/SimRadio.h"
#include "testkit/SimMachineBuilder.h"
#include "wifi/WifiNetwork.h"

namespace wifitest {

// The wireless interface, also the GUID of its network connection.
inline const std::string wlan = "{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}";
inline const std::string lan = "{8A3C0F52-6D1E-4B7A-9C2E-1F5D3B7A9E01}";

// A long enough wait for anything another thread does; only a broken
// program ever waits that long.
constexpr std::chrono::seconds patience{30};

struct MachineSpec {
  nlohmann::json networks = nlohmann::json::array();
  nlohmann::json interfaces = nlohmann::json::array({{{"id", wlan}}});
  bool internet = false;  // the wired connection reaches the Internet
  bool sharing = false;   // the wired connection is shared to the wireless one
  std::optional<std::filesystem::path> air;

  MachineSpec& withNetworks(nlohmann::json value) {
    networks = std::move(value);
    return *this;
  }
  MachineSpec& withInterfaces(nlohmann::json value) {
    interfaces = std::move(value);
    return *this;
  }
  MachineSpec& withInternet() {
    internet = true;
    return *this;
  }
  MachineSpec& sharingToWireless() {
    sharing = true;
    return *this;
  }
  MachineSpec& onAir(std::filesystem::path dir) {
    air = std::move(dir);
    return *this;
  }
};

inline std::shared_ptr<plat::sim::SimMachine> makeMachine(const MachineSpec& spec) {
  testkit::SimMachineBuilder builder;
  builder.section("wireless", {{"interfaces", spec.interfaces}, {"networks", spec.networks}});
  builder.section("connections", {{{"guid", lan}, {"name", "Local Area Connection"}, {"internet", spec.internet}},
                                  {{"guid", wlan}, {"name", "Wireless Network Connection"}}});
  if (spec.sharing) builder.section("sharing", {{"public", lan}, {"private", wlan}});
  if (spec.air) builder.airDir(*spec.air);
  return builder.build();
}

// Installed as the machine's check observer: counts the probes that start and
// holds each one until the test lets it through. Records, for each probe, the
// mark the test had set when it started.
class ProbeGate {
 public:
  void attach(plat::sim::SimInternet& internet) {
    internet.setCheckObserver([this](const std::string&) { pass(); });
  }

  void allow(int probes) {
    std::lock_guard lock(mutex_);
    permits_ += probes;
    changed_.notify_all();
  }
  void open() { allow(1 << 20); }

  bool waitStarted(int probes) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, patience, [&] { return started_ >= probes; });
  }
  int started() {
    std::lock_guard lock(mutex_);
    return started_;
  }
  void setMark(int mark) {
    std::lock_guard lock(mutex_);
    mark_ = mark;
  }
  std::vector<int> marks() {
    std::lock_guard lock(mutex_);
    return marks_;
  }

 private:
  void pass() {
    std::unique_lock lock(mutex_);
    const int number = ++started_;
    marks_.push_back(mark_);
    changed_.notify_all();
    changed_.wait(lock, [&] { return permits_ >= number; });
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  int started_ = 0;
  int permits_ = 0;
  int mark_ = 0;
  std::vector<int> marks_;
};

// Records the events that other threads fire.
class EventRecorder {
 public:
  struct Link {
    bool connected;
    std::u16string name;
    bool operator==(const Link&) const = default;
  };

  void attach(TWifiConnection& wifi) {
    wifi.OnInternetStatusChange = [this](std::uint8_t status) {
      record([&] { statuses_.push_back(status); });
      if (throwFromStatus_) throw std::runtime_error("handler failed");
    };
    wifi.OnConnected = [this](const std::u16string& name) { record([&] { links_.push_back({true, name}); }); };
    wifi.OnDisconnected = [this](const std::u16string& name) { record([&] { links_.push_back({false, name}); }); };
  }

  // Set before attach.
  void throwFromStatusHandler() { throwFromStatus_ = true; }

  bool waitStatuses(std::size_t count) { return waitFor([&] { return statuses_.size() >= count; }); }
  bool waitLinks(std::size_t count) { return waitFor([&] { return links_.size() >= count; }); }
  std::vector<std::uint8_t> statuses() {
    std::lock_guard lock(mutex_);
    return statuses_;
  }
  std::vector<Link> links() {
    std::lock_guard lock(mutex_);
    return links_;
  }
  std::vector<std::thread::id> threads() {
    std::lock_guard lock(mutex_);
    return threads_;
  }

 private:
  template <class Change>
  void record(Change change) {
    std::lock_guard lock(mutex_);
    change();
    threads_.push_back(std::this_thread::get_id());
    changed_.notify_all();
  }
  template <class Done>
  bool waitFor(Done done) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, patience, done);
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::uint8_t> statuses_;
  std::vector<Link> links_;
  std::vector<std::thread::id> threads_;
  bool throwFromStatus_ = false;
};

// A machine installed as the current one, with the probe gate closed, and at
// most one component whose events are recorded from its construction on.
class WifiTest : public testing::Test {
 protected:
  void install(const MachineSpec& spec) {
    machine = makeMachine(spec);
    scope.emplace(machine);
    gate.attach(machine->simInternet());
  }

  // The check thread's first probe waits at the gate until allowed.
  TWifiConnection& create(std::chrono::milliseconds interval = std::chrono::hours(1)) {
    wifi = std::make_unique<TWifiConnection>(interval);
    events.attach(*wifi);
    return *wifi;
  }

  // What the machine's first interface hears now.
  std::vector<plat::VisibleNetwork> heard(const std::string& iface = wlan) {
    std::vector<plat::VisibleNetwork> networks;
    EXPECT_EQ(machine->simRadio().visibleNetworks(iface, networks), plat::RadioResult::Ok);
    return networks;
  }

  void TearDown() override {
    gate.open();
    wifi.reset();
    if (machine) machine->simInternet().setCheckObserver(nullptr);
    scope.reset();
  }

  std::shared_ptr<plat::sim::SimMachine> machine;
  std::optional<testkit::ScopedMachine> scope;
  ProbeGate gate;
  EventRecorder events;
  std::unique_ptr<TWifiConnection> wifi;
};

}  // namespace wifitest
