// The Linux radio's hotspot against a mocked NetworkManager: the exact
// profile and options it sends, a second laptop that finds and joins it,
// every refusal explained before anything changes, polkit's questions, and
// activations that fail.
#include "RadioTestSupport.h"

#include <pwd.h>
#include <unistd.h>

#include <functional>

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QUuid>

namespace radiotest {
namespace {

using nmtest::DeviceSpec;

QVariantMap group(const nmtest::NmSettings& settings, const char* name) {
  return settings.value(QString::fromLatin1(name));
}

QString me() { return QString::fromLatin1(getpwuid(geteuid())->pw_name); }

TEST_F(RadioTest, HotspotIsASharedAccessPointOnTwoPointFourGigahertzWithTheKeysPassphraseBoundToTheProgram) {
  machine.devices.push_back(DeviceSpec::wifi("wlan1", "00:1B:2C:3D:4E:60"));  // the other laptop's card
  machine.autoActivation = true;
  InstallDnsmasq();
  Start();

  ASSERT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
  const auto sent = nm->calls(QStringLiteral("AddAndActivateConnection2"));
  ASSERT_EQ(sent.size(), 1u);
  const auto settings = sent[0].settingsArg(0);
  EXPECT_EQ(settings.keys(), (QStringList{"802-11-wireless", "802-11-wireless-security", "connection", "ipv4", "ipv6",
                                          "user"}));
  const auto connection = group(settings, "connection");
  EXPECT_EQ(connection, (QVariantMap{{"id", "Hotspot Brisklane"},
                                     {"uuid", connection.value("uuid")},
                                     {"type", "802-11-wireless"},
                                     {"autoconnect", false},
                                     {"permissions", QStringList{"user:" + me() + ":"}}}));
  EXPECT_EQ(group(settings, "802-11-wireless"), (QVariantMap{{"ssid", QByteArray("Brisklane")},
                                                             {"mode", "ap"},
                                                             {"band", "bg"},
                                                             {"assigned-mac-address", "02:1B:2C:3D:4E:5F"}}));
  EXPECT_EQ(group(settings, "802-11-wireless-security"), (QVariantMap{{"key-mgmt", "wpa-psk"},
                                                                      {"psk", "1234512345"},
                                                                      {"proto", QStringList{"rsn"}},
                                                                      {"pairwise", QStringList{"ccmp"}},
                                                                      {"group", QStringList{"ccmp"}}}));
  EXPECT_EQ(group(settings, "ipv4"), (QVariantMap{{"method", "shared"}}));
  EXPECT_EQ(group(settings, "ipv6"), (QVariantMap{{"method", "ignore"}}));
  EXPECT_EQ((qdbus_cast<QMap<QString, QString>>(group(settings, "user").value("data"))),
            (QMap<QString, QString>{{"org.brisklane.instance", sent[0].sender}}));
  EXPECT_EQ(sent[0].args.value(1).value<QDBusObjectPath>().path(), nm->devicePath("wlan0"));
  EXPECT_EQ(sent[0].mapArg(3), (QVariantMap{{"persist", "volatile"}, {"bind-activation", "dbus-client"}}));
  EXPECT_EQ(radio->networkPassphrase("12345"), "1234512345");
  EXPECT_EQ(radio->networkPassphrase("abcdefghijklm"), "abcdefghijklm");

  ASSERT_TRUE(WaitForEvents(1));
  EXPECT_EQ(Events()[0].code, RadioEvent::Code::Connected);
  EXPECT_EQ(Events()[0].networkName, "Brisklane");
  const auto own = Heard(wlan0);
  ASSERT_EQ(own.size(), 1u);
  EXPECT_EQ(own[0].kind, NetworkKind::Computer);
  EXPECT_TRUE(own[0].connected);

  // The second laptop: its own program instance on the other card.
  plat::lnx::NmClient guestClient(firstLook);
  plat::lnx::NmDeviceInventory guestInventory(guestClient);
  plat::lnx::NmRadio guest(guestClient, guestInventory, {});
  const std::string wlan1 = guidOf("00:1B:2C:3D:4E:60");
  std::vector<VisibleNetwork> heard;
  ASSERT_EQ(guest.visibleNetworks(wlan1, heard), RadioResult::Ok);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].name, "Brisklane");
  EXPECT_EQ(heard[0].kind, NetworkKind::Computer);
  EXPECT_TRUE(heard[0].secured);
  EXPECT_EQ(guest.connect(wlan1, "Brisklane", "12345", NetworkKind::Computer, heard[0].id), RadioResult::Ok)
      << plat::lastRefusal();

  ASSERT_EQ(radio->deleteOwnNetwork(wlan0, "Other"), RadioResult::NotFound);
  ASSERT_EQ(radio->deleteOwnNetwork(wlan0, "Brisklane"), RadioResult::Ok);
  // Both cards sit in this one machine: its radio tells of the guest's join too.
  ASSERT_TRUE(WaitForEvents(3));
  EXPECT_EQ(Events()[1].code, RadioEvent::Code::Connected);
  EXPECT_EQ(Events()[1].interfaceId, wlan1);
  EXPECT_EQ(Events()[2].code, RadioEvent::Code::Disconnected);
  EXPECT_EQ(Events()[2].interfaceId, wlan0);
  EXPECT_EQ(Events()[2].networkName, "Brisklane");
  EXPECT_TRUE(nmtest::waitUntil([&] { return nm->deviceState("wlan1") == nmtest::kDisconnected; }))
      << "the guest lost the network";
}

TEST_F(RadioTest, HotspotOfACardWithoutTheSharingRoleGivesLinkLocalAddressesAndNeedsNoDnsmasq) {
  machine.autoActivation = true;
  sharedInterface.clear();
  Start();

  ASSERT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", ""), RadioResult::Ok) << plat::lastRefusal();
  const auto settings = nm->calls(QStringLiteral("AddAndActivateConnection2")).at(0).settingsArg(0);
  EXPECT_EQ(group(settings, "ipv4"), (QVariantMap{{"method", "link-local"}}));
  EXPECT_FALSE(settings.contains("802-11-wireless-security")) << "no key: an open network";
}

TEST_F(RadioTest, HotspotTellsWhoJoinsAndLeavesAsDnsmasqRewritesItsLeasesUntilItStops) {
  using Code = RadioEvent::Code;
  machine.autoActivation = true;
  InstallDnsmasq();
  WriteNeighbours("");
  WriteLeases("");
  Start();
  plat::HostedNetwork hosted;
  std::vector<plat::NetworkGuest> guests;
  EXPECT_EQ(radio->hostedNetwork(wlan0, hosted), RadioResult::NotFound);
  EXPECT_EQ(radio->guests(wlan0, guests), RadioResult::NotFound);

  ASSERT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
  ASSERT_EQ(radio->hostedNetwork(wlan0, hosted), RadioResult::Ok);
  EXPECT_EQ(hosted.name, "Brisklane");
  EXPECT_EQ(hosted.security, plat::NetworkSecurity::Wpa2Personal);
  ASSERT_EQ(radio->guests(wlan0, guests), RadioResult::Ok);
  EXPECT_TRUE(guests.empty());
  ASSERT_TRUE(WaitForEvents(1));

  // dnsmasq tells the kernel the address it hands out, then writes the lease:
  // in between, the phone is not on the list yet rather than nameless.
  WriteNeighbours("10.42.0.23       0x1         0x2         aa:bb:cc:dd:ee:01     *        wlan0\n");
  ASSERT_EQ(radio->guests(wlan0, guests), RadioResult::Ok);
  EXPECT_TRUE(guests.empty());
  const std::string phoneLease = "0 aa:bb:cc:dd:ee:01 10.42.0.23 pixel-7 01:aa:bb:cc:dd:ee:01\n";
  WriteLeases(phoneLease);
  ASSERT_TRUE(WaitForEvents(2));
  const auto joined = Events()[1];
  EXPECT_EQ(joined.code, Code::GuestJoined);
  EXPECT_EQ(joined.interfaceId, wlan0);
  EXPECT_EQ(joined.networkName, "Brisklane");
  EXPECT_EQ(joined.guest.name, "pixel-7");
  EXPECT_EQ(joined.guest.hardwareAddress, plat::parseHardwareAddress("aa:bb:cc:dd:ee:01").value());
  EXPECT_EQ(joined.guest.ipAddress, "10.42.0.23");
  ASSERT_EQ(radio->guests(wlan0, guests), RadioResult::Ok);
  ASSERT_EQ(guests.size(), 1u);
  EXPECT_EQ(guests[0].name, "pixel-7");
  EXPECT_EQ(guests[0].ipAddress, "10.42.0.23");

  WriteLeases("");  // the phone gave its lease back; the kernel still knows its address
  ASSERT_TRUE(WaitForEvents(3));
  EXPECT_EQ(Events()[2].code, Code::GuestLeft);
  EXPECT_EQ(Events()[2].guest.name, "pixel-7");
  ASSERT_EQ(radio->guests(wlan0, guests), RadioResult::Ok);
  EXPECT_TRUE(guests.empty());

  WriteLeases(phoneLease);
  ASSERT_TRUE(WaitForEvents(4));
  ASSERT_EQ(radio->deleteOwnNetwork(wlan0, "Brisklane"), RadioResult::Ok);
  ASSERT_TRUE(WaitForEvents(6));
  EXPECT_EQ(Codes(), (std::vector<Code>{Code::Connected, Code::GuestJoined, Code::GuestLeft, Code::GuestJoined,
                                        Code::GuestLeft, Code::Disconnected}));
  EXPECT_EQ(radio->guests(wlan0, guests), RadioResult::NotFound);
  EXPECT_TRUE(guests.empty());
  EXPECT_EQ(radio->hostedNetwork(wlan0, hosted), RadioResult::NotFound);
}

TEST_F(RadioTest, HotspotListsADeviceWithAnAddressOfItsOwnOnceItHasGoneAnIntervalWithoutALease) {
  machine.autoActivation = true;
  InstallDnsmasq();
  guestRefreshInterval = 10ms;
  WriteNeighbours("10.42.0.99 0x1 0x2 aa:bb:cc:dd:ee:02 * wlan0\n");
  WriteLeases("");
  Start();

  ASSERT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
  ASSERT_TRUE(WaitForEvents(2));
  const auto joined = Events()[1];
  EXPECT_EQ(joined.code, RadioEvent::Code::GuestJoined);
  EXPECT_EQ(joined.guest.name, "");
  EXPECT_EQ(joined.guest.hardwareAddress, plat::parseHardwareAddress("aa:bb:cc:dd:ee:02").value());
  EXPECT_EQ(joined.guest.ipAddress, "10.42.0.99");
}

// What others run on the card: Stop WiFi, Disconnect and Exit leave it up,
// and it is not the network the QR code describes.
TEST_F(RadioTest, WhatThisInstanceDidNotBringUpIsNeitherTakenDownNorCalledItsHotspot) {
  auto profile = [](const char* mode) -> nmtest::NmSettings {
    return {{"connection", {{"id", "Brisklane"}, {"uuid", QUuid::createUuid().toString(QUuid::WithoutBraces)},
                            {"type", "802-11-wireless"}}},
            {"802-11-wireless", {{"ssid", QByteArray("Brisklane")}, {"mode", mode}}}};
  };
  auto bringUp = [this](const nmtest::NmSettings& settings, const QString& persist) {
    nm->addProfile(settings, persist);
    nm->activateProfile(settings["connection"]["uuid"].toString(), "wlan0");
  };
  std::unique_ptr<plat::lnx::NmClient> otherClient;
  std::unique_ptr<plat::lnx::NmDeviceInventory> otherInventory;
  std::unique_ptr<plat::lnx::NmRadio> other;
  struct Case {
    const char* what;
    std::function<void()> bringUp;
  };
  const std::vector<Case> cases{
      {"another instance's hotspot of the same name",
       [&] {
         otherClient = std::make_unique<plat::lnx::NmClient>(firstLook);
         otherInventory = std::make_unique<plat::lnx::NmDeviceInventory>(*otherClient);
         other = std::make_unique<plat::lnx::NmRadio>(*otherClient, *otherInventory, plat::lnx::NmRadio::Options{});
         ASSERT_EQ(other->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
       }},
      {"the user's connection to a network of that name", [&] { bringUp(profile("infrastructure"), "disk"); }},
      {"the user's own hotspot of that name", [&] { bringUp(profile("ap"), "disk"); }},
      {"the user's saved copy of this instance's hotspot",
       [&] {
         ASSERT_FALSE(radio->interfaces().empty());  // on the bus: its tag is known
         bringUp(plat::lnx::hotspotSettings({"Brisklane", "12345", {0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}, false},
                                            {me(), client->uniqueName()}),
                 "disk");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine = nmtest::MockMachine::laptop();
    machine.autoActivation = true;
    machine.networks = {network("Brisklane", "02:AA:BB:CC:DD:01", "open", 60)};
    Start();
    c.bringUp();
    ASSERT_EQ(nm->deviceState("wlan0"), nmtest::kActivated);
    const auto profiles = nm->profilePaths().size();

    plat::HostedNetwork hosted;
    EXPECT_EQ(radio->hostedNetwork(wlan0, hosted), RadioResult::NotFound);
    EXPECT_EQ(radio->deleteOwnNetwork(wlan0, "Brisklane"), RadioResult::NotFound);
    EXPECT_EQ(radio->disconnect(wlan0), RadioResult::Ok);
    EXPECT_EQ(Changes(), std::vector<std::string>{});
    EXPECT_EQ(nm->deviceState("wlan0"), nmtest::kActivated);
    EXPECT_EQ(nm->profilePaths().size(), profiles);
    other.reset();
    otherInventory.reset();
    otherClient.reset();
    radio.reset();
    nm.reset();
  }
}

// Each refusal names its cause, and NetworkManager was asked to change nothing.
TEST_F(RadioTest, HotspotRefusalsAreExplainedBeforeAnythingChanges) {
  struct Case {
    const char* what;
    std::function<void()> before;  // the machine, before the mock starts
    std::function<void()> after;   // NetworkManager's state, after
    std::string key;
    RadioResult result;
    std::string reason;
    bool running = true;  // a stopped NetworkManager hears no call at all
  };
  auto nothing = [] {};
  auto withDnsmasq = [this] { InstallDnsmasq(); };
  const std::vector<Case> cases{
      {"NetworkManager not running", withDnsmasq, [this] { nm->stop(); }, "12345",
       RadioResult::NoSuchInterface,
       "NetworkManager is not running: start it (systemctl start NetworkManager) and try again.", false},
      {"NetworkManager failing every call", withDnsmasq,
       [this] {
         nm->setFailing("The daemon is broken");
         StartRadio();  // from the start: the first picture of its objects fails too
       },
       "12345", RadioResult::NoSuchInterface,
       "NetworkManager is running but answers its requests with an error (The daemon is broken): restart it "
       "(systemctl restart NetworkManager) and try again."},
      {"Wi-Fi off", withDnsmasq, [this] { nm->setWirelessEnabled(false); }, "12345", RadioResult::Failed,
       "Wi-Fi is switched off: switch it on in the network settings (or run: nmcli radio wifi on) and try again."},
      {"Wi-Fi off by its switch", withDnsmasq, [this] { nm->setWirelessHardwareEnabled(false); }, "12345",
       RadioResult::Failed, "Wi-Fi is switched off by the computer's wireless switch or key: switch it on and try again."},
      {"unmanaged", withDnsmasq, [this] { nm->setDeviceManaged("wlan0", false); }, "12345",
       RadioResult::Failed,
       "NetworkManager does not manage the Wi-Fi adapter wlan0 (it is probably set up in /etc/network/interfaces): "
       "let NetworkManager manage it and try again."},
      {"no access-point mode",
       [this] {
         InstallDnsmasq();
         machine.devices[1].withoutAccessPoint();
       },
       nothing, "12345", RadioResult::Failed,
       "The Wi-Fi adapter wlan0 cannot host a network (its driver has no access-point mode): use another adapter."},
      {"the only card carries the Internet",
       [this] {
         InstallDnsmasq();
         machine.devices.erase(machine.devices.begin());  // no cable
         machine.networks.push_back(network("Home", "00:11:22:33:44:01", "open", 70));
       },
       [this] {
         const QString home = QStringLiteral("3f0c8c2e-5d4b-4c3a-9b2a-1e0f9d8c7b6a");
         nm->addProfile({{"connection", {{"id", "Home"}, {"uuid", home}, {"type", "802-11-wireless"}}},
                           {"802-11-wireless", {{"ssid", QByteArray("Home")}}}});
         nm->activateProfile(home, "wlan0");
         nm->clearCalls();
       },
       "12345", RadioResult::Failed,
       "The only Wi-Fi adapter, wlan0, carries this computer's Internet connection, and hosting a network on it "
       "would cut the Internet it should share: connect to the Internet by cable or through another adapter."},
      {"dnsmasq missing", nothing, nothing, "12345", RadioResult::Failed,
       "NetworkManager needs dnsmasq to share the Internet connection, and it is not installed: install the package "
       "dnsmasq-base and try again."},
      {"polkit says no", withDnsmasq, [this] { nm->setPermission("wifi.share.protected", "no"); },
       "12345", RadioResult::Failed,
       "This user may not host a Wi-Fi network (polkit refuses org.freedesktop.NetworkManager.wifi.share.protected): "
       "ask an administrator to allow it."},
      {"a key WPA2 cannot use", withDnsmasq, nothing, "\xC3\xA4\xC3\xB6\xC3\xBC", RadioResult::Failed,
       "The key cannot make a WPA2 passphrase: use 5 or 13 plain ASCII characters (Options)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine = nmtest::MockMachine::laptop();
    std::filesystem::remove_all(systemRoot / "usr");
    c.before();
    Start();
    c.after();
    hearAll(*client);
    EXPECT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", c.key), c.result);
    EXPECT_EQ(plat::lastRefusal(), c.reason);
    if (c.running) {
      EXPECT_EQ(Changes(), std::vector<std::string>{});
    }
    radio.reset();
    nm.reset();
  }
}

TEST_F(RadioTest, HotspotAsksPolkitInteractivelyAndExplainsARefusalThere) {
  machine.autoActivation = true;
  InstallDnsmasq();
  Start();
  nm->setPermission("network-control", "auth");
  nm->setPermission("wifi.share.protected", "auth");

  ASSERT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
  EXPECT_EQ(nm->authorizationRequests(), (QStringList{"org.freedesktop.NetworkManager.network-control",
                                                      "org.freedesktop.NetworkManager.wifi.share.protected"}));
  ASSERT_EQ(radio->deleteOwnNetwork(wlan0, "Brisklane"), RadioResult::Ok);

  nm->setAuthorizationAgent(false);  // no agent could ask (SSH), or the user said no
  EXPECT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Failed);
  EXPECT_EQ(plat::lastRefusal(),
            "NetworkManager refused permission: polkit asks for it only in an active desktop session, so from SSH or "
            "an inactive session start Brisklane in your desktop, or ask an administrator to allow it.");
}

TEST_F(RadioTest, HotspotThatFailsToComeUpSaysWhyAndLeavesNothing) {
  machine.autoActivation = true;
  InstallDnsmasq();
  Start();

  nm->failNextActivation(4);  // NM_DEVICE_STATE_REASON_CONFIG_FAILED: the driver refused the mode or band
  EXPECT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Failed);
  EXPECT_EQ(plat::lastRefusal(),
            "The Wi-Fi adapter wlan0 could not start a network on the 2.4 GHz band (the adapter could not be "
            "configured): the driver may not allow access-point mode right now.");

  nm->failNextActivation(nmtest::kReasonSharedStartFailed);
  EXPECT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Failed);
  EXPECT_EQ(plat::lastRefusal(),
            "NetworkManager could not share the Internet connection on wlan0 (its dnsmasq did not start; another DNS "
            "or DHCP server may hold the ports).");
  EXPECT_TRUE(nmtest::waitUntil([&] { return nm->profilePaths().size() == 1; })) << "only the wired profile stays";
  EXPECT_TRUE(Events().empty());
}

}  // namespace
}  // namespace radiotest
