// The simulated radio: the scenario's interfaces and background networks,
// joining and leaving, broadcasting, and two machines sharing one air.
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/Air.h"
#include "sim/SimInternet.h"
#include "sim/SimRadio.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace {

using plat::NetworkKind;
using plat::RadioEvent;
using plat::RadioResult;
using plat::VisibleNetwork;

const std::string wlan = "{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}";

nlohmann::json wireless(nlohmann::json networks, nlohmann::json interfaces = nullptr) {
  if (interfaces.is_null()) interfaces = nlohmann::json::array({{{"id", wlan}}});
  return {{"interfaces", std::move(interfaces)}, {"networks", std::move(networks)}};
}

std::shared_ptr<plat::sim::SimMachine> machineWith(nlohmann::json section,
                                                   const std::filesystem::path* air = nullptr) {
  testkit::SimMachineBuilder builder;
  builder.section("wireless", std::move(section));
  if (air) builder.airDir(*air);
  return builder.build();
}

std::vector<VisibleNetwork> scan(plat::sim::SimRadio& radio, const std::string& iface = wlan) {
  std::vector<VisibleNetwork> networks;
  EXPECT_EQ(radio.visibleNetworks(iface, networks), RadioResult::Ok);
  return networks;
}

const VisibleNetwork* find(const std::vector<VisibleNetwork>& networks, const std::string& name) {
  for (const auto& n : networks) {
    if (n.name == name) return &n;
  }
  return nullptr;
}

// Collects the radio's events; waits for them without a fixed delay.
class EventLog {
 public:
  explicit EventLog(plat::RadioBackend& radio) : radio_(radio) {
    radio.setEventSink([this](const RadioEvent& event) {
      std::lock_guard lock(mutex_);
      events_.push_back(event);
      changed_.notify_all();
    });
  }
  ~EventLog() { radio_.setEventSink(nullptr); }

  std::vector<RadioEvent> waitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    EXPECT_TRUE(changed_.wait_for(lock, std::chrono::seconds(30), [&] { return events_.size() >= count; }));
    return events_;
  }
  std::vector<RadioEvent> events() {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  plat::RadioBackend& radio_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<RadioEvent> events_;
};

TEST(SimRadio, ListsTheScenarioNetworksWithTheirProperties) {
  auto machine = machineWith(wireless({{{"name", "Cafe"}, {"kind", 3}, {"signal", 48}},
                                       {{"name", "HOME"}, {"kind", 2}, {"key", "secret"}, {"signal", 71}},
                                       {{"name", "Laptop"}, {"kind", 1}}},
                                      {{{"id", wlan}, {"joined", "HOME"}}, {{"id", "{SECOND}"}}}));
  auto& radio = machine->simRadio();
  EXPECT_EQ(radio.interfaces(), (std::vector<std::string>{wlan, "{SECOND}"}));

  const auto networks = scan(radio);
  ASSERT_EQ(networks.size(), 3u);
  EXPECT_EQ(networks[0].kind, NetworkKind::OpenAccessPoint);
  EXPECT_FALSE(networks[0].secured);
  EXPECT_EQ(networks[0].signal, 48u);
  EXPECT_FALSE(networks[0].connected);
  EXPECT_EQ(networks[1].kind, NetworkKind::AccessPoint);
  EXPECT_TRUE(networks[1].secured);
  EXPECT_TRUE(networks[1].connected);
  EXPECT_EQ(networks[2].kind, NetworkKind::Computer);
  EXPECT_EQ(networks[2].signal, 60u);
  EXPECT_NE(networks[0].id, networks[1].id);
  EXPECT_NE(networks[0].id, 0u);

  EXPECT_FALSE(scan(radio, "{SECOND}")[1].connected);
  std::vector<VisibleNetwork> none;
  EXPECT_EQ(radio.visibleNetworks("{UNKNOWN}", none), RadioResult::NoSuchInterface);
}

TEST(SimRadio, RejectsAnInvalidWirelessSection) {
  const std::vector<nlohmann::json> faults = {
      wireless({{{"name", "x"}, {"kind", 4}}}),
      wireless({{{"name", "x"}, {"kind", 0}}}),
      wireless({{{"name", "x"}, {"kind", 2}}}),
      wireless({{{"name", "x"}, {"kind", 3}, {"key", "k"}}}),
      wireless({{{"name", "x"}, {"kind", 3}, {"signal", 101}}}),
      wireless({{{"name", "x"}, {"kind", 3}, {"signal", 1e300}}}),
      wireless({{{"name", "x"}, {"kind", 2.5}, {"key", "k"}}}),
      wireless({}, {{{"id", "{A}"}}, {{"id", "{A}"}}}),
      wireless({}, {{{"id", "{A}"}, {"joined", "nowhere"}}}),
  };
  for (const auto& section : faults) {
    EXPECT_THROW(machineWith(section), std::runtime_error) << section.dump();
  }
}

TEST(SimRadio, JoinsWithTheRightKeyAndTellsEveryChange) {
  auto machine = machineWith(wireless({{{"name", "HOME"}, {"kind", 2}, {"key", "secret"}},
                                       {{"name", "Cafe"}, {"kind", 3}}}));
  auto& radio = machine->simRadio();
  EventLog log(radio);

  EXPECT_EQ(radio.connect(wlan, "HOME", std::string("wrong"), std::nullopt, 0), RadioResult::WrongKey);
  EXPECT_EQ(radio.connect(wlan, "HOME", std::nullopt, std::nullopt, 0), RadioResult::WrongKey);
  EXPECT_EQ(radio.connect(wlan, "HOME", std::string("secret"), NetworkKind::Computer, 0), RadioResult::NotVisible);
  EXPECT_EQ(radio.connect(wlan, "Nowhere", std::nullopt, std::nullopt, 0), RadioResult::NotVisible);
  EXPECT_EQ(radio.connect("{X}", "HOME", std::nullopt, std::nullopt, 0), RadioResult::NoSuchInterface);
  EXPECT_TRUE(log.events().empty());

  EXPECT_EQ(radio.connect(wlan, "HOME", std::string("secret"), NetworkKind::AccessPoint, 0), RadioResult::Ok);
  EXPECT_TRUE(find(scan(radio), "HOME")->connected);
  // An open network takes any key or none; joining it leaves HOME.
  EXPECT_EQ(radio.connect(wlan, "Cafe", std::string("whatever"), std::nullopt, 0), RadioResult::Ok);
  EXPECT_FALSE(find(scan(radio), "HOME")->connected);
  EXPECT_EQ(radio.disconnect(wlan), RadioResult::Ok);
  EXPECT_EQ(radio.disconnect(wlan), RadioResult::Ok);

  const auto events = log.events();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].code, RadioEvent::Code::Connected);
  EXPECT_EQ(events[0].networkName, "HOME");
  EXPECT_EQ(events[0].interfaceId, wlan);
  EXPECT_EQ(events[1].code, RadioEvent::Code::Disconnected);
  EXPECT_EQ(events[1].networkName, "HOME");
  EXPECT_EQ(events[2].networkName, "Cafe");
  EXPECT_EQ(events[3].code, RadioEvent::Code::Disconnected);
}

TEST(SimRadio, TheIdPicksOneOfTwoNetworksOfOneName) {
  auto machine = machineWith(wireless({{{"name", "Twin"}, {"kind", 1}}, {{"name", "Twin"}, {"kind", 1}}}));
  auto& radio = machine->simRadio();
  const auto before = scan(radio);
  ASSERT_EQ(radio.connect(wlan, "Twin", std::nullopt, NetworkKind::Computer, before[1].id), RadioResult::Ok);
  const auto after = scan(radio);
  EXPECT_FALSE(after[0].connected);
  EXPECT_TRUE(after[1].connected);
}

TEST(SimRadio, BroadcastsItsOwnNetworkOnOneInterface) {
  auto machine = machineWith(wireless({}, {{{"id", wlan}}, {{"id", "{SECOND}"}}}));
  auto& radio = machine->simRadio();
  EventLog log(radio);

  for (const std::string& name : std::vector<std::string>{"", "   ", std::string(33, 'n')}) {
    EXPECT_EQ(radio.addOwnNetwork(wlan, name, "60917"), RadioResult::InvalidName) << '"' << name << '"';
  }
  EXPECT_EQ(radio.addOwnNetwork("{X}", "Brisklane", "60917"), RadioResult::NoSuchInterface);
  ASSERT_EQ(radio.addOwnNetwork(wlan, std::string(32, 'n'), "60917"), RadioResult::Ok);
  ASSERT_EQ(radio.addOwnNetwork(wlan, "Brisklane", "60917"), RadioResult::Ok);

  const auto networks = scan(radio);
  ASSERT_EQ(networks.size(), 1u);
  EXPECT_EQ(networks[0].name, "Brisklane");
  EXPECT_EQ(networks[0].kind, NetworkKind::Computer);
  EXPECT_TRUE(networks[0].connected);
  EXPECT_TRUE(networks[0].secured);
  EXPECT_TRUE(scan(radio, "{SECOND}").empty());
  // Joining its own network keeps it.
  EXPECT_EQ(radio.connect(wlan, "Brisklane", std::string("60917"), NetworkKind::Computer, 0), RadioResult::Ok);
  EXPECT_EQ(scan(radio).size(), 1u);

  EXPECT_EQ(radio.deleteOwnNetwork(wlan, "brisklane"), RadioResult::NotFound);
  EXPECT_EQ(radio.deleteOwnNetwork(wlan, "Brisklane"), RadioResult::Ok);
  EXPECT_TRUE(scan(radio).empty());
  EXPECT_EQ(radio.deleteOwnNetwork(wlan, "Brisklane"), RadioResult::NotFound);

  std::vector<std::pair<RadioEvent::Code, std::string>> seen;
  for (const auto& e : log.events()) seen.emplace_back(e.code, e.networkName);
  using C = RadioEvent::Code;
  EXPECT_EQ(seen, (std::vector<std::pair<C, std::string>>{{C::Connected, std::string(32, 'n')},
                                                          {C::Disconnected, std::string(32, 'n')},
                                                          {C::Connected, "Brisklane"},
                                                          {C::Connected, "Brisklane"},
                                                          {C::Disconnected, "Brisklane"}}));
}

TEST(SimRadio, TwoMachinesOnOneAirHearJoinAndLoseEachOther) {
  testkit::TempDir air;
  auto host = machineWith(wireless({}), &air.path());
  auto guest = machineWith(wireless({{{"name", "Cafe"}, {"kind", 3}}}), &air.path());
  auto& hostRadio = host->simRadio();
  auto& guestRadio = guest->simRadio();
  EventLog guestLog(guestRadio);

  ASSERT_EQ(hostRadio.addOwnNetwork(wlan, "Brisklane", "60917"), RadioResult::Ok);
  auto heard = scan(guestRadio);
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[1].name, "Brisklane");
  EXPECT_EQ(heard[1].kind, NetworkKind::Computer);
  EXPECT_TRUE(heard[1].secured);
  EXPECT_FALSE(heard[1].connected);
  EXPECT_EQ(scan(hostRadio).size(), 1u);  // the host hears its own network once

  EXPECT_EQ(guestRadio.connect(wlan, "Brisklane", std::string("wrong"), NetworkKind::Computer, heard[1].id),
            RadioResult::WrongKey);
  ASSERT_EQ(guestRadio.connect(wlan, "Brisklane", std::string("60917"), NetworkKind::Computer, heard[1].id),
            RadioResult::Ok);
  EXPECT_TRUE(scan(guestRadio)[1].connected);

  // The host stops: the guest's keeper notices on its own.
  ASSERT_EQ(hostRadio.deleteOwnNetwork(wlan, "Brisklane"), RadioResult::Ok);
  const auto events = guestLog.waitFor(2);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].code, RadioEvent::Code::Disconnected);
  EXPECT_EQ(events[1].networkName, "Brisklane");
  EXPECT_EQ(scan(guestRadio).size(), 1u);
}

TEST(SimRadio, AHostThatGoesAwayDisconnectsItsGuest) {
  testkit::TempDir air;
  auto guest = machineWith(wireless({}), &air.path());
  auto& guestRadio = guest->simRadio();
  EventLog guestLog(guestRadio);
  {
    auto host = machineWith(wireless({}), &air.path());
    ASSERT_EQ(host->simRadio().addOwnNetwork(wlan, "Brisklane", ""), RadioResult::Ok);
    ASSERT_EQ(guestRadio.connect(wlan, "Brisklane", std::nullopt, std::nullopt, 0), RadioResult::Ok);
  }
  // Noticed at once by a scan, before the keeper's next round.
  EXPECT_TRUE(scan(guestRadio).empty());
  const auto events = guestLog.events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].code, RadioEvent::Code::Disconnected);
}

TEST(SimRadio, AHostListsTheMachinesOnItsNetworkAsTheyComeAndGo) {
  using plat::NetworkGuest;
  testkit::TempDir air;
  auto host =
      testkit::SimMachineBuilder().section("wireless", wireless({})).airDir(air.path()).simulatedClock().build();
  auto laptop = testkit::SimMachineBuilder()
                    .section("wireless", {{"hostName", "LAPTOP2"}, {"interfaces", {{{"id", wlan}}}}})
                    .section("adapters", {{{"guid", wlan}, {"index", 12}, {"type", 71}, {"mac", "00-26-5E-4C-8D-91"}}})
                    .airDir(air.path())
                    .build();
  auto phone = machineWith(wireless({}), &air.path());  // no adapter: no hardware address; named after its scenario
  auto& radio = host->simRadio();
  EventLog log(radio);
  const auto guests = [&] {
    std::vector<NetworkGuest> list;
    EXPECT_EQ(radio.guests(wlan, list), RadioResult::Ok);
    return list;
  };

  std::vector<NetworkGuest> none;
  plat::HostedNetwork hosted;
  EXPECT_EQ(radio.guests(wlan, none), RadioResult::NotFound);
  EXPECT_EQ(radio.hostedNetwork(wlan, hosted), RadioResult::NotFound);
  EXPECT_EQ(radio.hostedNetwork("{X}", hosted), RadioResult::NoSuchInterface);
  ASSERT_EQ(radio.addOwnNetwork(wlan, "Brisklane", "60917"), RadioResult::Ok);
  ASSERT_EQ(radio.hostedNetwork(wlan, hosted), RadioResult::Ok);
  EXPECT_EQ(hosted.name, "Brisklane");
  EXPECT_EQ(hosted.security, plat::NetworkSecurity::Wep);
  EXPECT_TRUE(guests().empty());

  // The host's keeper notices a machine that joins, on its own.
  ASSERT_EQ(laptop->simRadio().connect(wlan, "Brisklane", std::string("60917"), NetworkKind::Computer, 0),
            RadioResult::Ok);
  auto events = log.waitFor(2);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].code, RadioEvent::Code::GuestJoined);
  EXPECT_EQ(events[1].networkName, "Brisklane");
  EXPECT_EQ(events[1].guest.name, "LAPTOP2");
  EXPECT_EQ(events[1].guest.hardwareAddress, (std::vector<std::uint8_t>{0x00, 0x26, 0x5E, 0x4C, 0x8D, 0x91}));
  EXPECT_EQ(events[1].guest.ipAddress, "192.168.137.2");

  host->simSystem().advanceClock(90'000);
  ASSERT_EQ(phone->simRadio().connect(wlan, "Brisklane", std::string("60917"), NetworkKind::Computer, 0),
            RadioResult::Ok);
  auto list = guests();  // a query sees the newcomer at once, and tells of it
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "LAPTOP2");
  EXPECT_EQ(list[0].connectedMilliseconds, 90'000u);
  EXPECT_EQ(list[1].name, "test");
  EXPECT_TRUE(list[1].hardwareAddress.empty());
  EXPECT_EQ(list[1].ipAddress, "192.168.137.3");
  EXPECT_EQ(list[1].connectedMilliseconds, 0u);
  EXPECT_EQ(log.events().size(), 3u);

  host->simSystem().advanceClock(30'000);
  ASSERT_EQ(laptop->simRadio().disconnect(wlan), RadioResult::Ok);
  events = log.waitFor(4);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[3].code, RadioEvent::Code::GuestLeft);
  EXPECT_EQ(events[3].guest.name, "LAPTOP2");
  EXPECT_EQ(events[3].guest.connectedMilliseconds, 120'000u);
  list = guests();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].name, "test");

  // Back again, it keeps its address; when the host stops, everybody leaves
  // before the network goes.
  ASSERT_EQ(laptop->simRadio().connect(wlan, "Brisklane", std::string("60917"), NetworkKind::Computer, 0),
            RadioResult::Ok);
  list = guests();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].ipAddress, "192.168.137.2");
  ASSERT_EQ(radio.deleteOwnNetwork(wlan, "Brisklane"), RadioResult::Ok);
  events = log.events();
  ASSERT_EQ(events.size(), 8u);
  EXPECT_EQ(events[4].code, RadioEvent::Code::GuestJoined);
  EXPECT_EQ(events[5].code, RadioEvent::Code::GuestLeft);
  EXPECT_EQ(events[6].code, RadioEvent::Code::GuestLeft);
  EXPECT_EQ(events[7].code, RadioEvent::Code::Disconnected);
  EXPECT_EQ(radio.guests(wlan, none), RadioResult::NotFound);
}

TEST(SimRadio, WithoutAnAirNobodyElseHearsTheMachine) {
  auto host = machineWith(wireless({}));
  auto guest = machineWith(wireless({}));
  ASSERT_EQ(host->simRadio().addOwnNetwork(wlan, "Brisklane", "60917"), RadioResult::Ok);
  EXPECT_TRUE(scan(guest->simRadio()).empty());
}

TEST(SimRadio, AnAirFolderOthersCanWriteIsRefusedButTheMachineRuns) {
  testkit::TempDir parent;
  const auto air = parent / "air";
  std::filesystem::create_directory(air);
  std::filesystem::permissions(air, std::filesystem::perms::all);

  testing::internal::CaptureStderr();
  auto machine = machineWith(wireless({{{"name", "Cafe"}, {"kind", 3}}}), &air);
  auto& radio = machine->simRadio();
  EXPECT_EQ(scan(radio).size(), 1u);
  EXPECT_EQ(radio.addOwnNetwork(wlan, "Brisklane", "60917"), RadioResult::Failed);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("the air folder " + air.string() + " can be written by other users"), std::string::npos) << said;
  EXPECT_TRUE(std::filesystem::is_empty(air));
}

TEST(SimInternet, IsReachedThroughAJoinedNetworkThatLeadsToIt) {
  testkit::TempDir air;
  auto machine = machineWith(wireless({{{"name", "Cafe"}, {"kind", 3}, {"internet", true}},
                                       {{"name", "Closed"}, {"kind", 3}}}),
                             &air.path());
  auto& radio = machine->simRadio();
  auto& internet = machine->simInternet();
  const auto check = [&] { return internet.checkConnection("http://www.example.com/", std::chrono::seconds(1)); };

  EXPECT_FALSE(check());
  EXPECT_FALSE(internet.access().connected());
  ASSERT_EQ(radio.connect(wlan, "Cafe", std::nullopt, std::nullopt, 0), RadioResult::Ok);
  EXPECT_TRUE(check());
  EXPECT_TRUE(internet.access().lan);
  ASSERT_EQ(radio.connect(wlan, "Closed", std::nullopt, std::nullopt, 0), RadioResult::Ok);
  EXPECT_FALSE(check());

  // Another machine's network carries the Internet while its host shares it.
  plat::sim::AirStation station(air.path());
  ASSERT_TRUE(station.publish({{"Shared", "", 0x80000001u, true}}));
  ASSERT_EQ(radio.connect(wlan, "Shared", std::nullopt, std::nullopt, 0), RadioResult::Ok);
  EXPECT_TRUE(check());
  ASSERT_TRUE(station.publish({{"Shared", "", 0x80000001u, false}}));
  EXPECT_FALSE(check());
}

}  // namespace
