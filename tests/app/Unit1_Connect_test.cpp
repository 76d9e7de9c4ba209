// The Connect to Hotspot page: the announcement of a nearby network of the
// configured name, and Connect / Disconnect on a laptop without Internet.
#include "Unit1TestSupport.h"  // first: see there

#include <QPushButton>

#include "machine/Refusal.h"

namespace unit1test {
namespace {

const std::string GuestInterface = "{9D4E2C61-3B5A-4F7E-A1C2-5B7D9E1F3A04}";

class Connect : public Unit1Test {
 protected:
  // The second laptop: a Wi-Fi adapter and no Internet of its own.
  void StartGuest() {
    scenario = testkit::shippedScenario("laptop2");
    Start();
    Find<QAction>("actConnectToHotspot").trigger();
    Idle();
  }

  // A laptop nearby, in the same air, that broadcasts networks.
  plat::sim::SimRadio& Neighbour() {
    if (!neighbour) {
      neighbour = testkit::SimMachineBuilder().scenario(testkit::shippedScenario("laptop")).airDir(airDir.path()).build();
    }
    return neighbour->simRadio();
  }
  void Broadcast(const std::string& name) {
    ASSERT_EQ(Neighbour().addOwnNetwork(WirelessGuid, name, "60917"), plat::RadioResult::Ok);
  }
  std::vector<std::string> HeardByNeighbour() {
    std::vector<plat::VisibleNetwork> networks;
    Neighbour().visibleNetworks(WirelessGuid, networks);
    std::vector<std::string> names;
    for (const auto& network : networks) {
      // From other machines in the air: neither its background nor its own.
      if ((network.id & 0x80000000u) && !network.connected) names.push_back(network.name);
    }
    return names;
  }
  // The network the guest's interface is on, or empty.
  std::string Joined() {
    std::vector<plat::VisibleNetwork> networks;
    machine->simRadio().visibleNetworks(GuestInterface, networks);
    for (const auto& network : networks) {
      if (network.connected) return network.name;
    }
    return {};
  }

  QString Found() const { return Find<QLabel>("lblSabrevaneFound").text(); }

  std::shared_ptr<plat::sim::SimMachine> neighbour;
};

TEST_F(Connect, TheFirstScanLooksForTheComponentsDefaultNameAndLaterScansForTheConfiguredOne) {
  scenario["wireless"]["networks"] = {{{"name", "Sabrevane"}, {"kind", 3}}, {{"name", "Brisklane"}, {"kind", 3}}};
  Start();
  EXPECT_EQ(Found(), "Signal [Sabrevane] found nearby");
  EXPECT_EQ(Find<QLabel>("lblSabrevaneFound").palette().color(QPalette::WindowText), QColor(0, 128, 0));
  Find<QAction>("actRefresh2").trigger();
  EXPECT_EQ(Found(), "Signal [Brisklane] found nearby");
}

TEST_F(Connect, ANameThatDiffersInLetterCaseIsNotAnnounced) {
  scenario["wireless"]["networks"] = {{{"name", "brisklane"}, {"kind", 3}}, {{"name", "BRISKLANE"}, {"kind", 3}}};
  Start();
  Find<QAction>("actRefresh2").trigger();
  EXPECT_EQ(Found(), "");
}

TEST_F(Connect, TheAnnouncementStaysUntilAScanNoLongerSeesTheNetwork) {
  StartGuest();
  Broadcast("Brisklane");
  Find<QPushButton>("sBitBtn2").click();
  EXPECT_EQ(Found(), "Signal [Brisklane] found nearby");

  ASSERT_EQ(Neighbour().deleteOwnNetwork(WirelessGuid, "Brisklane"), plat::RadioResult::Ok);
  Find<QAction>("actHome").trigger();
  Find<QAction>("actConnectToHotspot").trigger();
  EXPECT_EQ(Found(), "Signal [Brisklane] found nearby");
  Find<QPushButton>("sBitBtn2").click();
  EXPECT_EQ(Found(), "");
}

TEST_F(Connect, ThePageShowsTheSettingsNameAndKeyInClearText) {
  WriteSettings("[System]\nSSID=Cafe Router\nPassword=abc\n");
  Start();
  Find<QAction>("actConnectToHotspot").trigger();
  EXPECT_EQ(Find<QLabel>("lblSSID").text(), "Cafe Router");
  EXPECT_EQ(Find<QLabel>("lblPassword").text(), "abc");  // shown although the component keeps its own key
  EXPECT_EQ(Find<QLabel>("lblSSID").palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

TEST_F(Connect, ConnectAndDisconnectAreForLaptopsThatCannotShareTheirOwnInternet) {
  Start();
  Find<QAction>("actConnectToHotspot").trigger();
  Idle();
  EXPECT_FALSE(Find<QPushButton>("btnConnect").isEnabled());
  EXPECT_FALSE(Find<QPushButton>("btnDisconnect1").isEnabled());
  EXPECT_EQ(Find<QLabel>("lblConnectToSabrevane").text(),
            "Your Internet has been already connected via your wired connection.");
  End();

  StartGuest();
  EXPECT_TRUE(Find<QPushButton>("btnConnect").isEnabled());
  EXPECT_TRUE(Find<QPushButton>("btnDisconnect1").isEnabled());
  EXPECT_EQ(Find<QLabel>("lblConnectToSabrevane").text(), "");
}

TEST_F(Connect, ConnectJoinsTheVisibleNetworkAndDisconnectLeavesIt) {
  StartGuest();
  Broadcast("Brisklane");
  Find<QPushButton>("sBitBtn2").click();
  Press(Find<QPushButton>("btnConnect"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Done! Please wait a few seconds to finish the connecting...");
  EXPECT_EQ(boxes[0].Caption, "Message");
  EXPECT_EQ(boxes[0].Icon, QMessageBox::Information);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Joined(), "Brisklane");
  EXPECT_EQ(HeardByNeighbour(), std::vector<std::string>{});  // joined, not created

  Press(Find<QPushButton>("btnDisconnect1"));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].Text, "Disconnected successfully!");
  EXPECT_EQ(boxes[1].Icon, QMessageBox::Information);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Joined(), "");
}

TEST_F(Connect, ConnectKeepsTheNameAndKeyOfTheStartWhenOptionsChangeThem) {
  StartGuest();
  Broadcast("Brisklane");  // with the key the guest started with
  ChangeNameAndKeyInOptions("Other Name", "abcde");
  Find<QPushButton>("sBitBtn2").click();
  Press(Find<QPushButton>("btnConnect"));
  EXPECT_EQ(Joined(), "Brisklane");
}

TEST_F(Connect, ConnectWithoutTheNetworkNearbyCreatesIt) {
  StartGuest();
  Press(Find<QPushButton>("btnConnect"));
  EXPECT_EQ(Messages(), std::vector<QString>{"Done! Please wait a few seconds to finish the connecting..."});
  EXPECT_EQ(HeardByNeighbour(), std::vector<std::string>{"Brisklane"});
}

TEST_F(Connect, ConnectThatFailsSaysSoWithTheMachinesReasonAndDisconnectStillReportsSuccess) {
  scenario = testkit::shippedScenario("laptop2");
  scenario["wireless"]["interfaces"] = nlohmann::json::array();
  // The reason a real machine gives with its empty interface list; the
  // simulated one never clears it.
  struct RefusalScope {
    RefusalScope() { plat::setRefusal("Wi-Fi is switched off: switch it on."); }
    ~RefusalScope() { plat::clearRefusal(); }
  } refusal;
  Start();
  Press(Find<QAction>("actConnect"));
  Press(Find<QAction>("actDisconnect"));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Text, "Could not connect to the wireless network.\r\nWi-Fi is switched off: switch it on.");
  EXPECT_EQ(boxes[0].Caption, "Message");
  EXPECT_EQ(boxes[0].Icon, QMessageBox::Critical);
  EXPECT_EQ(boxes[1].Text, "Disconnected successfully!");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace unit1test
