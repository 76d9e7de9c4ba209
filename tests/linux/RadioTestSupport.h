// The Linux radio over a mocked NetworkManager: the fixture that starts
// both, collects the radio's events and tells what the radio asked to change.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "harness/NetworkManagerMock.h"
#include "harness/Waiting.h"
#include "linux/kernel/DeviceGuid.h"
#include "linux/nm/NmClient.h"
#include "linux/nm/NmDeviceInventory.h"
#include "linux/nm/NmNames.h"
#include "linux/nm/NmReplies.h"
#include "linux/radio/NmRadio.h"
#include "machine/HardwareAddress.h"
#include "machine/Refusal.h"
#include "testkit/TempDir.h"

namespace radiotest {

using namespace std::chrono_literals;
using plat::NetworkKind;
using plat::RadioEvent;
using plat::RadioResult;
using plat::VisibleNetwork;

inline std::string guidOf(const std::string& hardwareAddress) {
  return plat::lnx::deviceGuid(plat::parseHardwareAddress(hardwareAddress).value());
}

// How long a test's client waits for the mock's first picture: the mock
// answers at once, but a loaded machine may be slow.
inline constexpr std::chrono::seconds firstLook{5};

// Returns once the client has heard what NetworkManager announced before:
// the reply to a call of the client's comes after the signals sent before it.
inline void hearAll(plat::lnx::NmClient& client) {
  client.call(plat::lnx::nm::managerPath, plat::lnx::nm::propertiesInterface, QStringLiteral("Get"),
              {plat::lnx::nm::managerInterface, QStringLiteral("Version")});
}

inline nmtest::NetworkSpec network(std::string ssid, std::string bssid, std::string security, unsigned strength,
                                  std::string passphrase = {}) {
  nmtest::NetworkSpec spec;
  spec.ssid = std::move(ssid);
  spec.bssid = std::move(bssid);
  spec.security = std::move(security);
  spec.strength = strength;
  spec.passphrase = std::move(passphrase);
  return spec;
}

// The laptop's Wi-Fi card (MockMachine::laptop's wlan0).
inline const std::string wlan0 = guidOf("00:1B:2C:3D:4E:5F");

class RadioTest : public testing::Test {
 protected:
  ~RadioTest() override {
    radio.reset();
    inventory.reset();
    client.reset();
    plat::clearRefusal();
  }

  // Starts the mocked NetworkManager for `machine` and the radio over it.
  void Start() {
    nm = std::make_unique<nmtest::NetworkManagerMock>(machine);
    StartRadio();
  }

  // A radio of its own, as a second instance of the program would have.
  void StartRadio() {
    radio.reset();
    inventory.reset();
    client = std::make_unique<plat::lnx::NmClient>(firstLook);
    inventory = std::make_unique<plat::lnx::NmDeviceInventory>(*client);
    plat::lnx::NmRadio::Options options;
    options.activationTimeout = activationTimeout;
    options.systemRoot = systemRoot.path();
    options.guestRefreshInterval = guestRefreshInterval;
    options.sharesInternetTo = [this](const std::string& id) { return id == sharedInterface; };
    radio = std::make_unique<plat::lnx::NmRadio>(*client, *inventory, options);
    radio->setEventSink([this](const RadioEvent& event) {
      std::lock_guard lock(eventsMutex);
      events.push_back(event);
    });
  }

  // NetworkManager's shared mode finds its helper.
  void InstallDnsmasq() {
    std::filesystem::create_directories(systemRoot / "usr/sbin");
    std::ofstream(systemRoot / "usr/sbin/dnsmasq") << "#!/bin/sh\n";
  }

  // What dnsmasq keeps for a hotspot on wlan0, rewritten in place as dnsmasq does.
  void WriteLeases(const std::string& lines) {
    WriteFile(systemRoot / "var/lib/NetworkManager/dnsmasq-wlan0.leases", lines);
  }
  // The kernel's neighbour table: "<IP> <type> <flags> <MAC> <mask> <device>" rows.
  void WriteNeighbours(const std::string& rows) {
    WriteFile(systemRoot / "proc/net/arp", "IP address       HW type     Flags       HW address            Mask     Device\n" + rows);
  }
  static void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
  }

  std::vector<RadioEvent::Code> Codes() {
    std::vector<RadioEvent::Code> codes;
    for (const auto& event : Events()) codes.push_back(event.code);
    return codes;
  }

  std::vector<VisibleNetwork> Heard(const std::string& interfaceId) {
    std::vector<VisibleNetwork> networks;
    EXPECT_EQ(radio->visibleNetworks(interfaceId, networks), RadioResult::Ok);
    return networks;
  }

  std::vector<RadioEvent> Events() {
    std::lock_guard lock(eventsMutex);
    return events;
  }
  bool WaitForEvents(std::size_t count) {
    return nmtest::waitUntil([&] { return Events().size() >= count; });
  }

  // Waits until the radio's client has heard of everything NetworkManager
  // announced so far, every profile's settings included: a reply to a call
  // of the client's comes after the signals sent before it.
  bool WaitUntilHeard() {
    hearAll(*client);
    return nmtest::waitUntil([&] {
      const auto& objects = client->objects();
      const auto settings = objects.properties(plat::lnx::nm::settingsPath, plat::lnx::nm::settingsInterface);
      return objects.settled() && settings &&
             plat::lnx::nm::objectPaths(settings->value(QStringLiteral("Connections"))).size() ==
                 nm->profilePaths().size();
    });
  }

  // The methods this radio called that change NetworkManager's state.
  std::vector<std::string> Changes() {
    static const std::set<QString> changing{
        QStringLiteral("AddAndActivateConnection"), QStringLiteral("AddAndActivateConnection2"),
        QStringLiteral("ActivateConnection"),       QStringLiteral("DeactivateConnection"),
        QStringLiteral("AddConnection"),            QStringLiteral("AddConnection2"),
        QStringLiteral("Delete"),                   QStringLiteral("Update"),
        QStringLiteral("Update2"),                  QStringLiteral("Disconnect"),
        QStringLiteral("Enable"),                   QStringLiteral("Set")};
    std::vector<std::string> members;
    const QString self = client->uniqueName();
    for (const auto& call : nm->calls()) {
      if (call.sender == self && changing.count(call.member)) members.push_back(call.member.toStdString());
    }
    return members;
  }

  nmtest::MockMachine machine = nmtest::MockMachine::laptop();
  std::chrono::milliseconds activationTimeout = 10s;
  // Long: only the watch on the lease file notices guests, unless a test
  // shortens it.
  std::chrono::milliseconds guestRefreshInterval = 1h;
  std::string sharedInterface = wlan0;  // whose hotspot shares the Internet
  testkit::TempDir systemRoot;

  std::unique_ptr<nmtest::NetworkManagerMock> nm;
  std::unique_ptr<plat::lnx::NmClient> client;
  std::unique_ptr<plat::lnx::NmDeviceInventory> inventory;
  std::unique_ptr<plat::lnx::NmRadio> radio;

  std::mutex eventsMutex;
  std::vector<RadioEvent> events;
};

}  // namespace radiotest
