// The Hotspot Setup page: automatic and saved choices of the source and
// wireless connections, the pickers, whether sharing can start, and Start
// WiFi / Stop WiFi with every way they can end.
#include "Unit1TestSupport.h"  // first: see there

#include <thread>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "net/ConnectionUnit.h"


namespace unit1test {
namespace {

using plat::SharingRole;

const QString Available =
    "Your current connection is available for broadcasting wifi signal,\nclick the button below to start wifi now.";
const QString NotAvailable = "Your current connection is not available for sharing your Internet.";

nlohmann::json DialUp(const std::string& guid, const std::string& name) {
  return {{"guid", guid}, {"name", name}, {"device", "WAN Miniport (PPPOE)"}, {"mediaType", 4}, {"status", 2},
          {"internet", true}};
}

class Hotspot : public Unit1Test {
 protected:
  void Open() {
    Start();
    Find<QAction>("actHotspotTab").trigger();
    Idle();
  }

  QString Source() const { return Find<QLabel>("mmoSrcConnDescription").text(); }
  QString Dest() const { return Find<QLabel>("mmoWirelessDescription").text(); }

  // Probes of the Internet made on the user-interface thread from now on.
  void CountProbes() {
    const auto ui = std::this_thread::get_id();
    uiProbes = 0;
    machine->simInternet().setCheckObserver([this, ui](const std::string&) {
      if (std::this_thread::get_id() == ui) ++uiProbes;
    });
  }
  int uiProbes = 0;  // written on the user-interface thread only

  // Shows the picker by the button named `button` and lets `whileShown`
  // act on it.
  void Pick(const char* button, const std::function<void()>& whileShown) {
    QPushButton& pressed = Find<QPushButton>(button);
    pickerList = &apptest::Find<QListWidget>(*picker, "ListBox1");
    pickerCaption = &apptest::Find<QLabel>(*picker, "lblCaption");
    new WhenShown(picker, whileShown);
    pressed.click();
  }
  std::vector<std::string> Offered() const {
    std::vector<std::string> guids;
    for (int i = 0; i < pickerList->count(); ++i) guids.push_back(picker->ItemConnection(i)->GuidText);
    return guids;
  }
  // The picker's list and instruction, found by Pick.
  QListWidget* pickerList = nullptr;
  QLabel* pickerCaption = nullptr;
};

TEST_F(Hotspot, WiredPhysicalSourceAndTheWirelessConnectionAreChosenAndSharingIsReady) {
  Open();
  EXPECT_EQ(Source(), "Local Area Connection - Intel(R) 82577LM Gigabit Network Connection");
  EXPECT_EQ(Find<QLabel>("lblWiredStatus").text(), "Connected");
  EXPECT_EQ(Find<QLabel>("lblWiredStatus").palette().color(QPalette::WindowText), QColor(0, 128, 0));
  EXPECT_FALSE(Find<QLabel>("imgWiredConnected").isHidden());
  EXPECT_TRUE(Find<QLabel>("imgWiredDisconnected").isHidden());
  EXPECT_EQ(Find<QLabel>("imgWiredDisconnected").pos(), Find<QLabel>("imgWiredConnected").pos());
  EXPECT_EQ(Dest(), "Wireless Network Connection - Intel(R) Centrino(R) Advanced-N 6200 AGN");
  EXPECT_EQ(Find<QLabel>("lblWirelessStatus").text(), "Connected");
  EXPECT_EQ(Find<QLabel>("lblStartSharing").text(), Available);
  EXPECT_EQ(Find<QLabel>("lblConnectToSabrevane").text(),
            "Your Internet has been already connected via your wired connection.");
  EXPECT_TRUE(Find<QAction>("actStartSharing").isEnabled());
  EXPECT_TRUE(Find<QPushButton>("btnStartSharing").isEnabled());
  EXPECT_FALSE(Find<QPushButton>("btnStopSharing").isEnabled());
}

TEST_F(Hotspot, WiredBeatsDialUpWhateverTheOrder) {
  scenario["connections"].insert(scenario["connections"].begin(),
                                 DialUp("{11111111-2222-3333-4444-555555555555}", "Broadband"));
  Open();
  EXPECT_EQ(Source(), "Local Area Connection - Intel(R) 82577LM Gigabit Network Connection");
}

TEST_F(Hotspot, WithoutWiredTheLaterConnectedConnectionIsTheSource) {
  Connection(WiredGuid)["status"] = 7;  // media disconnected
  scenario["connections"].push_back(DialUp("{11111111-2222-3333-4444-555555555555}", "Broadband"));
  scenario["connections"].push_back(DialUp("{22222222-2222-3333-4444-555555555555}", "Mobile"));
  Open();
  EXPECT_EQ(Source(), "Mobile - WAN Miniport (PPPOE)");
}

TEST_F(Hotspot, TheLaterWirelessConnectionIsTheDestination) {
  scenario["connections"].push_back({{"guid", "{33333333-2222-3333-4444-555555555555}"},
                                     {"name", "Wireless Network Connection 2"},
                                     {"device", "USB Wi-Fi"},
                                     {"status", 7},
                                     {"pnpInstanceId", "USB\\VID_0CF3"},
                                     {"mediaSubType", 2}});
  Open();
  EXPECT_EQ(Dest(), "Wireless Network Connection 2 - USB Wi-Fi");
  EXPECT_EQ(Find<QLabel>("lblWirelessStatus").text(), "Disconnected");
  EXPECT_EQ(Find<QLabel>("lblWirelessStatus").palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_TRUE(Find<QLabel>("imgWirelessConnected").isHidden());
  EXPECT_FALSE(Find<QLabel>("imgWirelessDisconnected").isHidden());
}

TEST_F(Hotspot, ASavedSourceThatIsListedButDisconnectedIsShownAndSharingIsNotAvailable) {
  Connection(HostOnlyGuid)["status"] = 7;
  WriteSettings("[System]\nSourceGUID=" + HostOnlyGuid + "\n");
  Open();
  EXPECT_EQ(Source(), "VirtualBox Host-Only Network - VirtualBox Host-Only Ethernet Adapter");
  EXPECT_EQ(Find<QLabel>("lblWiredStatus").text(), "Disconnected");
  EXPECT_EQ(Find<QLabel>("lblWiredStatus").palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_EQ(Find<QLabel>("lblStartSharing").text(), NotAvailable);
  EXPECT_EQ(Find<QLabel>("lblConnectToSabrevane").text(), "");
  EXPECT_FALSE(Find<QAction>("actStartSharing").isEnabled());
}

TEST_F(Hotspot, SavedChoicesMatchExactlySoALowerCaseGuidFallsBackToTheAutomaticChoice) {
  struct Case {
    std::string savedSource;
    QString expected;
  };
  for (const Case& c : {Case{HostOnlyGuid, "VirtualBox Host-Only Network - VirtualBox Host-Only Ethernet Adapter"},
                        Case{QString::fromStdString(HostOnlyGuid).toLower().toStdString(),
                             "Local Area Connection - Intel(R) 82577LM Gigabit Network Connection"}}) {
    SCOPED_TRACE(c.savedSource);
    WriteSettings("[System]\nSourceGUID=" + c.savedSource + "\nDestGUID=" + c.savedSource + "\n");
    Open();
    EXPECT_EQ(Source(), c.expected);
    EXPECT_EQ(Find<QLabel>("lblWiredStatus").text(), "Connected");
    End();
    // The automatic choice does not change the saved values.
    EXPECT_NE(Settings().find("SourceGUID=" + c.savedSource + "\n"), std::string::npos);
  }
}

TEST_F(Hotspot, TheProbeRunsOnlyWhenSourceAndWirelessConnectionAreThereAndTheSourceIsConnected) {
  struct Case {
    const char* name;
    std::function<void(nlohmann::json&)> change;
    int probes;
  };
  const std::vector<Case> cases = {
      {"all hold", [](nlohmann::json&) {}, 1},
      {"no source",
       [](nlohmann::json& s) {
         s["connections"].erase(0);
         s["connections"].erase(1);
       },
       0},
      {"no wireless connection", [](nlohmann::json& s) { s["connections"].erase(1); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scenario = testkit::shippedScenario("laptop");
    c.change(scenario);
    Start();
    CountProbes();
    Find<QAction>("actRefresh2").trigger();
    EXPECT_EQ(uiProbes, c.probes);
    End();
  }
  // A saved source that is not connected.
  Connection(HostOnlyGuid)["status"] = 7;
  WriteSettings("[System]\nSourceGUID=" + HostOnlyGuid + "\n");
  Start();
  CountProbes();
  Find<QAction>("actRefresh2").trigger();
  EXPECT_EQ(uiProbes, 0);
}

TEST_F(Hotspot, WithNothingToShowTheGroupKeepsItsLastStateAndSharingBecomesUnavailable) {
  Open();
  ASSERT_EQ(Find<QLabel>("lblWiredStatus").text(), "Connected");
  ASSERT_TRUE(Find<QAction>("actStartSharing").isEnabled());
  const QString shown = Source();
  Network().setConnectionStatus(WiredGuid, 7);
  Network().setConnectionStatus(HostOnlyGuid, 7);
  Find<QAction>("actRefresh2").trigger();
  Idle();
  EXPECT_EQ(Find<QLabel>("lblWiredStatus").text(), "Connected");
  EXPECT_TRUE(Find<QLabel>("imgWiredConnected").isVisibleTo(form));
  EXPECT_EQ(Source(), shown);
  EXPECT_EQ(Find<QLabel>("lblStartSharing").text(), NotAvailable);
  EXPECT_FALSE(Find<QAction>("actStartSharing").isEnabled());
  EXPECT_TRUE(Find<QAction>("actConnect").isEnabled());
}

TEST_F(Hotspot, PickersThatAreCancelledOrConfirmedWithoutSelectionChangeNothing) {
  Open();
  for (const char* button : {"btnSource", "btnSelectDest"}) {
    Pick(button, [this] { picker->SetModalResult(mrCancel); });
    Pick(button, [this] {
      pickerList->clearSelection();
      picker->SetModalResult(mrOk);
    });
  }
  EXPECT_EQ(Source(), "Local Area Connection - Intel(R) 82577LM Gigabit Network Connection");
  EXPECT_EQ(Find<QLabel>("lblStartSharing").text(), Available);
  End();
  EXPECT_NE(Settings().find("SourceGUID=\nDestGUID=\n"), std::string::npos);
}

TEST_F(Hotspot, PickersOfferTheirConnectionsAndAConfirmedChoiceIsShownAndSaved) {
  Connection(HostOnlyGuid)["status"] = 7;
  Open();
  Pick("btnSource", [this] {
    EXPECT_EQ(pickerCaption->text(), "Please select the connection through which Internet is connected.");
    EXPECT_EQ(Offered(), (std::vector<std::string>{WiredGuid, WirelessGuid}));
    pickerList->setCurrentRow(1);
    picker->SetModalResult(mrOk);
  });
  EXPECT_EQ(Source(), "Wireless Network Connection - Intel(R) Centrino(R) Advanced-N 6200 AGN");

  Pick("btnSelectDest", [this] {
    EXPECT_EQ(pickerCaption->text(), "Please select the wireless connection which will broadcast the WiFi signal.");
    EXPECT_EQ(Offered(), std::vector<std::string>{WirelessGuid});
    pickerList->setCurrentRow(0);
    picker->SetModalResult(mrOk);
  });
  // The same connection at both ends: sharing refuses it.
  Idle();
  ASSERT_TRUE(Find<QAction>("actStartSharing").isEnabled());
  Press(Find<QPushButton>("btnStartSharing"));
  ASSERT_EQ(Messages(), std::vector<QString>{"Internet sharing could not be switched on."});
  End();
  EXPECT_NE(Settings().find("SourceGUID=" + WirelessGuid + "\nDestGUID=" + WirelessGuid + "\n"), std::string::npos);
}

TEST_F(Hotspot, StartWifiSharesTheSourceIntoTheNewNetworkAndStopWifiUndoesIt) {
  Open();
  Press(Find<QPushButton>("btnStartSharing"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Wi-Fi started successfully!");
  EXPECT_EQ(boxes[0].Caption, "Message");
  EXPECT_EQ(boxes[0].Icon, QMessageBox::Information);
  EXPECT_EQ(boxes[0].Buttons, QMessageBox::Ok);
  EXPECT_EQ(boxes[0].Parent, form);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Network().sharedConnection(SharingRole::publicSide), WiredGuid);
  EXPECT_EQ(Network().sharedConnection(SharingRole::privateSide), WirelessGuid);
  std::vector<plat::VisibleNetwork> networks;
  machine->simRadio().visibleNetworks(WirelessGuid, networks);
  ASSERT_EQ(networks.size(), 3u);
  EXPECT_EQ(networks.back().name, "Brisklane");
  EXPECT_TRUE(networks.back().connected);
  Idle();
  EXPECT_FALSE(Find<QPushButton>("btnStartSharing").isEnabled());
  EXPECT_TRUE(Find<QPushButton>("btnStopSharing").isEnabled());

  Press(Find<QPushButton>("btnStopSharing"));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].Text, "Wi-Fi stopped successfully!");
  EXPECT_EQ(boxes[1].Icon, QMessageBox::Information);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Network().sharedConnection(SharingRole::publicSide), "");
  machine->simRadio().visibleNetworks(WirelessGuid, networks);
  EXPECT_EQ(networks.size(), 2u);
  Idle();
  EXPECT_TRUE(Find<QPushButton>("btnStartSharing").isEnabled());
  EXPECT_FALSE(Find<QPushButton>("btnStopSharing").isEnabled());

  // Stop WiFi reports success even when there was no network.
  Press(Find<QAction>("actStopSharing"));
  EXPECT_EQ(Messages().back(), "Wi-Fi stopped successfully!");
}

TEST_F(Hotspot, StartWifiThatFailsSaysWhyLeavesEverythingUnsharedAndStaysStopped) {
  struct Case {
    const char* what;
    std::function<void()> before;  // the scenario
    std::function<void()> after;   // the machine, with the window open
    const char* text;
  };
  const std::vector<Case> cases{
      {"sharing fails", [] {},
       [this] { Network().failEnableSharing(WirelessGuid, plat::SharingStatus::Failed); },
       "Internet sharing could not be switched on."},
      {"the adapter's radio is off", [this] { scenario["wireless"]["interfaces"] = nlohmann::json::array(); },
       [] {}, "The wireless network could not be started."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    scenario = testkit::shippedScenario("laptop");
    boxes.clear();
    c.before();
    Open();
    c.after();
    Press(Find<QPushButton>("btnStartSharing"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, c.text);
    EXPECT_EQ(boxes[0].Caption, "Message");
    EXPECT_EQ(boxes[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Network().sharedConnection(SharingRole::publicSide), "");
    EXPECT_EQ(Network().sharedConnection(SharingRole::privateSide), "");
    Idle();
    EXPECT_TRUE(Find<QPushButton>("btnStartSharing").isEnabled());
    EXPECT_FALSE(Find<QPushButton>("btnStopSharing").isEnabled());
    End();
  }
}

TEST_F(Hotspot, AStartedHotspotStaysStoppableWhenARefreshFindsSharingUnavailable) {
  Open();
  Press(Find<QPushButton>("btnStartSharing"));
  Network().setConnectionStatus(WiredGuid, 7);
  Find<QAction>("actRefresh2").trigger();
  Idle();
  EXPECT_EQ(Find<QLabel>("lblStartSharing").text(), NotAvailable);
  EXPECT_FALSE(Find<QPushButton>("btnStartSharing").isEnabled());
  EXPECT_TRUE(Find<QPushButton>("btnStopSharing").isEnabled());
}

}  // namespace
}  // namespace unit1test
