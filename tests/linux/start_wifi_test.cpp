// Start WiFi of the program's wireless component on the Linux radio, with
// networks of the same name around: it hosts its own network and shares
// into it, joins none of them, and hears when its network ends without
// Stop WiFi.
#include "RadioTestSupport.h"

#include "sim/SimMachine.h"
#include "testkit/SimMachineBuilder.h"
#include "wifi/WifiHotspot.h"
#include "wifi/WifiNetwork.h"

namespace radiotest {
namespace {

// The Linux radio under the program; the rest simulated and off line.
class LinuxRadioMachine : public plat::Machine {
 public:
  LinuxRadioMachine(plat::RadioBackend& radio, std::shared_ptr<plat::Machine> rest)
      : radio_(radio), rest_(std::move(rest)) {}
  plat::SystemBackend& system() override { return rest_->system(); }
  plat::RegistryBackend& registry() override { return rest_->registry(); }
  plat::RadioBackend& radio() override { return radio_; }
  plat::NetworkBackend& network() override { return rest_->network(); }
  plat::ServiceBackend& services() override { return rest_->services(); }
  plat::InternetBackend& internet() override { return rest_->internet(); }
  plat::MachineDescription description() const override { return rest_->description(); }

 private:
  plat::RadioBackend& radio_;
  std::shared_ptr<plat::Machine> rest_;
};

class StartWifi : public RadioTest {
 protected:
  // The program's component on the radio, with the settings' name and key,
  // after its first scan.
  void Open() {
    InstallDnsmasq();
    machine.autoActivation = true;
    Start();
    scope.emplace(std::make_shared<LinuxRadioMachine>(
        *radio, testkit::SimMachineBuilder().stateDir(state.path()).airDir(air.path()).build()));
    wifi = std::make_unique<TWifiConnection>();
    wifi->SetSSID("Brisklane");
    wifi->SetPassword("12345");
    wifi->OnDisconnected = [this](const std::u16string& name) {
      std::lock_guard lock(endedMutex);
      ended.push_back(name);
    };
    wifi->Refresh();
  }

  std::vector<std::u16string> Ended() {
    std::lock_guard lock(endedMutex);
    return ended;
  }

  void TearDown() override {
    wifi.reset();
    scope.reset();
  }

  testkit::TempDir state;
  testkit::TempDir air;
  std::optional<testkit::ScopedMachine> scope;
  std::unique_ptr<TWifiConnection> wifi;
  std::mutex endedMutex;
  std::vector<std::u16string> ended;  // what OnDisconnected named
};

TEST_F(StartWifi, HostsItsOwnNetworkWhateverOfThatNameIsInRangeAndJoinsNone) {
  struct Case {
    const char* what;
    nmtest::NetworkSpec heard;  // a base station of a computer: its address is locally administered
  };
  const std::vector<Case> cases{
      {"an open network", network("Brisklane", "06:AA:BB:CC:DD:01", "open", 70)},
      {"a stranger's WPA2 network", network("Brisklane", "06:AA:BB:CC:DD:02", "wpa2-psk", 70, "stranger-key")},
      {"another laptop's network with the same key",
       network("Brisklane", "02:AA:BB:CC:DD:03", "wpa2-psk", 70, "1234512345")},
      {"a name that goes on after a zero byte",
       network(std::string("Brisklane\0-evil", 15), "06:AA:BB:CC:DD:04", "open", 70)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine = nmtest::MockMachine::laptop();
    machine.networks = {c.heard};
    Open();

    EXPECT_TRUE(wifi->ConnectOrCreate()) << wifi->RefusalReason();
    std::vector<QString> modes;
    for (const auto& sent : nm->calls(QStringLiteral("AddAndActivateConnection2"))) {
      const auto settings = sent.settingsArg(0);
      modes.push_back(settings.value("802-11-wireless").value("mode").toString());
      EXPECT_EQ(settings.value("ipv4").value("method"), QVariant("shared"));
      EXPECT_EQ(settings.value("802-11-wireless").value("ssid"), QVariant(QByteArray("Brisklane")));
    }
    EXPECT_EQ(modes, std::vector<QString>{"ap"});
    const auto hosted = TWifiHotspot().HostedNetwork();
    EXPECT_EQ(hosted ? hosted->Name : u"", u"Brisklane");
    EXPECT_EQ(hosted ? hosted->Security : THostedSecurity::Open, THostedSecurity::Wpa2Personal);
    TearDown();
    radio.reset();
    nm.reset();
  }
}

TEST_F(StartWifi, ANetworkThatEndsWithoutStopWifiIsToldAndNoLongerHosted) {
  const QString other = QStringLiteral("6a8a1d8e-3f0b-4d8e-9a51-2b7c5d1e0f42");
  struct Case {
    const char* what;
    std::function<void()> end;
  };
  const std::vector<Case> cases{
      {"NetworkManager restarts", [this] { nm->restart(); }},
      {"another program's hotspot takes the card",
       [&] {
         nm->addProfile({{"connection", {{"id", "Other"}, {"uuid", other}, {"type", "802-11-wireless"}}},
                         {"802-11-wireless", {{"ssid", QByteArray("Other")}, {"mode", "ap"}}}});
         nm->activateProfile(other, "wlan0");
       }},
      {"Wi-Fi is switched off", [this] { nm->setWirelessEnabled(false); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine = nmtest::MockMachine::laptop();
    Open();
    ASSERT_TRUE(wifi->ConnectOrCreate()) << wifi->RefusalReason();
    ASSERT_TRUE(TWifiHotspot().HostedNetwork().has_value());

    c.end();
    EXPECT_TRUE(nmtest::waitUntil([&] { return Ended() == std::vector<std::u16string>{u"Brisklane"}; }));
    EXPECT_FALSE(TWifiHotspot().HostedNetwork().has_value());
    TearDown();
    ended.clear();
    radio.reset();
    nm.reset();
  }
}

}  // namespace
}  // namespace radiotest
