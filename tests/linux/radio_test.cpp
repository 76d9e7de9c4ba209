// The Linux radio's interfaces, scans and joins against a mocked
// NetworkManager: hosting order and GUIDs, networks merged by name,
// security and host, and a join with the right key, a wrong one, a network
// out of range and one that never comes up.
#include "RadioTestSupport.h"

namespace plat {

bool operator==(const VisibleNetwork& a, const VisibleNetwork& b) {
  return a.name == b.name && a.kind == b.kind && a.connected == b.connected && a.secured == b.secured &&
         a.signal == b.signal && a.id == b.id;
}

void PrintTo(const VisibleNetwork& n, std::ostream* os) {
  *os << n.name << " kind " << int(n.kind) << (n.connected ? " connected" : "") << (n.secured ? " secured" : "")
      << " signal " << n.signal << " id " << n.id;
}

}  // namespace plat

namespace radiotest {
namespace {

using nmtest::DeviceSpec;
using nmtest::NetworkSpec;

// Another laptop's Brisklane network with the key "12345": its base station
// address is locally administered.
const NetworkSpec brisklaneNearby = network("Brisklane", "02:AA:BB:CC:DD:01", "wpa2-psk", 60, "1234512345");

TEST_F(RadioTest, InterfacesAreTheWifiCardsThatCanHostFirstAndNamedByTheirPermanentAddress) {
  machine.devices = {DeviceSpec::ethernet("eth0", "52:54:00:12:34:56").up(),
                     DeviceSpec::wifi("wlan0", "00:1B:2C:3D:4E:01").withoutAccessPoint(),
                     DeviceSpec::wifi("wlan1", "00:1B:2C:3D:4E:02"),
                     DeviceSpec::wifi("wlan2", "02:1B:2C:3D:4E:99")};
  machine.devices[3].permHwAddress = "00:1B:2C:3D:4E:03";  // runs with a random address now
  machine.networks = {network("Home", "00:11:22:33:44:01", "open", 70)};
  Start();
  // wlan1 carries the Internet.
  const QString home = QStringLiteral("0b5a3c1e-7f51-4a61-9d5e-1c2b3a4d5e6f");
  nm->addProfile({{QStringLiteral("connection"),
                   {{QStringLiteral("id"), QStringLiteral("Home")},
                    {QStringLiteral("uuid"), home},
                    {QStringLiteral("type"), QStringLiteral("802-11-wireless")}}},
                  {QStringLiteral("802-11-wireless"), {{QStringLiteral("ssid"), QByteArray("Home")}}}});
  nm->activateProfile(home, QStringLiteral("wlan1"));
  nm->setPrimaryConnection(QStringLiteral("wlan1"));
  hearAll(*client);

  const std::vector<std::string> expected{guidOf("00:1B:2C:3D:4E:03"), guidOf("00:1B:2C:3D:4E:02"),
                                          guidOf("00:1B:2C:3D:4E:01")};
  EXPECT_EQ(radio->interfaces(), expected);
  StartRadio();  // another run of the program
  EXPECT_EQ(radio->interfaces(), expected);
  EXPECT_EQ(plat::lastRefusal(), "");
}

TEST_F(RadioTest, NoInterfacesAreListedWithTheReasonWhy) {
  struct Case {
    const char* what;
    std::function<void()> after;
    std::string reason;
  };
  const std::vector<Case> cases{
      {"NetworkManager not running", [this] { nm->stop(); },
       "NetworkManager is not running: start it (systemctl start NetworkManager) and try again."},
      {"NetworkManager failing every call, from the start",
       [this] {
         nm->setFailing("The daemon is broken");
         StartRadio();
       },
       "NetworkManager is running but answers its requests with an error (The daemon is broken): restart it "
       "(systemctl restart NetworkManager) and try again."},
      {"no Wi-Fi card", [this] { nm->removeDevice("wlan0"); },
       "NetworkManager knows no Wi-Fi adapter on this computer: plug one in or install its driver."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start();
    c.after();
    hearAll(*client);
    EXPECT_EQ(radio->interfaces(), std::vector<std::string>{});
    EXPECT_EQ(plat::lastRefusal(), c.reason);
    radio.reset();
    nm.reset();
  }
}

TEST_F(RadioTest, ScanListsOneNetworkPerNameSecurityAndHostAtItsStrongestAndAsksForTheNextScan) {
  machine.networks = {network("Cafe", "00:11:22:33:44:01", "wpa2-psk", 40, "cafe-key"),
                      network("Cafe", "00:11:22:33:44:02", "wpa-wpa2-psk", 80, "cafe-key"),
                      network("Cafe", "00:11:22:33:44:03", "open", 30),
                      brisklaneNearby,
                      network("Phone", "06:AA:BB:CC:DD:02", "open", 50),
                      network("Old", "00:11:22:33:44:05", "wep", 20, "abcde"),
                      network("Office", "00:11:22:33:44:06", "wpa3-sae", 10, "office-key")};
  NetworkSpec hidden = network("Hidden", "00:11:22:33:44:04", "wpa2-psk", 90, "hidden-key");
  hidden.hidden = true;
  machine.networks.push_back(hidden);
  Start();

  const std::vector<VisibleNetwork> expected{
      {"Cafe", NetworkKind::AccessPoint, false, true, 80, 2},
      {"Brisklane", NetworkKind::Computer, false, true, 60, 4},
      {"Phone", NetworkKind::OpenAccessPoint, false, false, 50, 1},  // a Brisklane network has a key
      {"Cafe", NetworkKind::OpenAccessPoint, false, false, 30, 1},
      {"Old", NetworkKind::AccessPoint, false, true, 20, 2},
      {"Office", NetworkKind::AccessPoint, false, true, 10, 2},
  };
  EXPECT_EQ(Heard(wlan0), expected);
  EXPECT_TRUE(nmtest::waitUntil([&] { return nm->calls(QStringLiteral("RequestScan")).size() == 1; }));

  std::vector<VisibleNetwork> networks;
  EXPECT_EQ(radio->visibleNetworks("{00000000-0000-0000-0000-000000000000}", networks),
            RadioResult::NoSuchInterface);
}

TEST_F(RadioTest, JoinWithTheRightKeyRaisesConnectedAndLeavesAVolatileProfileBoundToTheProgram) {
  machine.networks = {brisklaneNearby};
  machine.autoActivation = true;
  sharedInterface.clear();  // the laptop that joins shares nothing
  Start();

  ASSERT_EQ(radio->connect(wlan0, "Brisklane", "12345", NetworkKind::Computer, 4), RadioResult::Ok)
      << plat::lastRefusal();
  ASSERT_TRUE(WaitForEvents(1));
  EXPECT_EQ(Events()[0].code, RadioEvent::Code::Connected);
  EXPECT_EQ(Events()[0].interfaceId, wlan0);
  EXPECT_EQ(Events()[0].networkName, "Brisklane");
  const auto sent = nm->calls(QStringLiteral("AddAndActivateConnection2"));
  ASSERT_EQ(sent.size(), 1u);
  const auto settings = sent[0].settingsArg(0);
  EXPECT_EQ(settings.value(QStringLiteral("802-11-wireless")).value(QStringLiteral("ssid")).toByteArray(), "Brisklane");
  EXPECT_EQ(settings.value(QStringLiteral("802-11-wireless-security")).value(QStringLiteral("psk")).toString(),
            "1234512345");
  EXPECT_EQ(settings.value(QStringLiteral("connection")).value(QStringLiteral("autoconnect")), QVariant(false));
  EXPECT_EQ(sent[0].mapArg(3), (QVariantMap{{QStringLiteral("persist"), QStringLiteral("volatile")},
                                            {QStringLiteral("bind-activation"), QStringLiteral("dbus-client")}}));
  EXPECT_TRUE(Heard(wlan0).at(0).connected);

  ASSERT_EQ(radio->disconnect(wlan0), RadioResult::Ok);
  ASSERT_TRUE(WaitForEvents(2));
  EXPECT_EQ(Events()[1].code, RadioEvent::Code::Disconnected);
  EXPECT_EQ(Events()[1].networkName, "Brisklane");
  EXPECT_TRUE(nmtest::waitUntil([&] { return nm->profilePaths().size() == 1; })) << "only the wired profile stays";
}

// A WPA2 network makes NetworkManager call a wrong key wrong; a WPA2/WPA3
// one (what NetworkManager 1.42 hosts where the driver can) only keeps
// rejecting it, and the join is given up when its time is up.
TEST_F(RadioTest, JoinWithAWrongKeyIsRefusedAsAWrongKeyAndLeavesNothing) {
  struct Case {
    const char* security;
    RadioResult result;
    std::string refusal;
  };
  const Case cases[] = {
      {"wpa2-psk", RadioResult::WrongKey, "The key was not accepted by \"Brisklane\": check the key in Options."},
      {"wpa2-wpa3", RadioResult::Failed,
       "\"Brisklane\" did not accept this computer within 0 seconds, so Brisklane gave up: check that the key in "
       "Options is the other computer's."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.security);
    machine.networks = {network("Brisklane", "02:AA:BB:CC:DD:01", c.security, 60, "1234512345")};
    machine.autoActivation = true;
    activationTimeout = 200ms;
    sharedInterface.clear();  // the laptop that joins shares nothing
    Start();

    EXPECT_EQ(radio->connect(wlan0, "Brisklane", "54321", NetworkKind::Computer, 0), c.result);
    EXPECT_EQ(plat::lastRefusal(), c.refusal);
    EXPECT_TRUE(nmtest::waitUntil([&] { return nm->profilePaths().size() == 1; }));
    EXPECT_TRUE(nmtest::waitUntil([&] { return nm->deviceState(QStringLiteral("wlan0")) == nmtest::kDisconnected; }));
    EXPECT_TRUE(Events().empty());
    radio.reset();
    nm.reset();
  }
}

TEST_F(RadioTest, JoinOfANetworkNotInRangeSendsNothing) {
  machine.networks = {brisklaneNearby};
  Start();

  EXPECT_EQ(radio->connect(wlan0, "Elsewhere", "12345", std::nullopt, 0), RadioResult::NotVisible);
  EXPECT_EQ(plat::lastRefusal(), "No network called \"Elsewhere\" is in range: press Refresh and try again.");
  EXPECT_EQ(radio->connect(wlan0, "Brisklane", "12345", NetworkKind::AccessPoint, 0), RadioResult::NotVisible)
      << "a router of that name is not there";
  EXPECT_EQ(Changes(), std::vector<std::string>{});
}

// The card that shares the Internet (Start WiFi) hosts the network of the
// name instead of joining it, which takes the key; the handshake of a join
// would give the key to whoever took the name.
TEST_F(RadioTest, JoinOnTheCardThatSharesHostsTheNetworkInsteadWithItsKey) {
  struct Case {
    std::optional<std::string> key;
    RadioResult result;
    std::vector<std::string> changes;
    std::string reason;
  };
  const std::vector<Case> cases{
      {"12345", RadioResult::Ok, {"AddAndActivateConnection2"}, ""},
      {std::nullopt, RadioResult::Failed, {},
       "This adapter shares the Internet, so it hosts \"Brisklane\" itself instead of joining a network of that "
       "name, and that needs the key: set it in Options."},
  };
  InstallDnsmasq();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key.value_or("no key"));
    machine = nmtest::MockMachine::laptop();
    machine.networks = {brisklaneNearby};
    machine.autoActivation = true;
    Start();
    EXPECT_EQ(radio->connect(wlan0, "Brisklane", c.key, NetworkKind::Computer, 0), c.result);
    EXPECT_EQ(plat::lastRefusal(), c.reason);
    EXPECT_EQ(Changes(), c.changes);
    for (const auto& sent : nm->calls(QStringLiteral("AddAndActivateConnection2"))) {
      EXPECT_EQ(sent.settingsArg(0).value("802-11-wireless").value("mode"), QVariant("ap"));
    }
    radio.reset();
    nm.reset();
  }
}

TEST_F(RadioTest, JoinThatNeverComesUpIsWithdrawnWhenItsTimeIsUp) {
  machine.networks = {brisklaneNearby};
  activationTimeout = 50ms;  // activations advance only when a test steps them
  sharedInterface.clear();  // the laptop that joins shares nothing
  Start();

  EXPECT_EQ(radio->connect(wlan0, "Brisklane", "12345", NetworkKind::Computer, 0), RadioResult::Failed);
  EXPECT_EQ(plat::lastRefusal(),
            "\"Brisklane\" did not accept this computer within 0 seconds, so Brisklane gave up: check that the key in "
            "Options is the other computer's.");
  EXPECT_EQ(Changes(), (std::vector<std::string>{"AddAndActivateConnection2", "DeactivateConnection"}));
  EXPECT_EQ(nm->deviceState(QStringLiteral("wlan0")), nmtest::kDisconnected);
  EXPECT_TRUE(nmtest::waitUntil([&] { return nm->profilePaths().size() == 1; }));
}

}  // namespace
}  // namespace radiotest
