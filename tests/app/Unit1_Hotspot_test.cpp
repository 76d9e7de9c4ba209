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
    form->actHotspotTab->trigger();
    Idle();
  }

  QString Source() const { return form->mmoSrcConnDescription->text(); }
  QString Dest() const { return form->mmoWirelessDescription->text(); }

  // Probes of the Internet made on the user-interface thread from now on.
  void CountProbes() {
    const auto ui = std::this_thread::get_id();
    uiProbes = 0;
    machine->simInternet().setCheckObserver([this, ui](const std::string&) {
      if (std::this_thread::get_id() == ui) ++uiProbes;
    });
  }
  int uiProbes = 0;  // written on the user-interface thread only

  // Shows the picker by `button` and lets `whileShown` act on it.
  void Pick(QPushButton* button, const std::function<void()>& whileShown) {
    new WhenShown(picker, whileShown);
    button->click();
  }
  std::vector<std::string> Offered() const {
    std::vector<std::string> guids;
    for (int i = 0; i < picker->ListBox1->count(); ++i) guids.push_back(picker->ItemConnection(i)->GuidText);
    return guids;
  }
};

TEST_F(Hotspot, WiredPhysicalSourceAndTheWirelessConnectionAreChosenAndSharingIsReady) {
  Open();
  EXPECT_EQ(Source(), "Local Area Connection - Intel(R) 82577LM Gigabit Network Connection");
  EXPECT_EQ(form->lblWiredStatus->text(), "Connected");
  EXPECT_EQ(form->lblWiredStatus->palette().color(QPalette::WindowText), QColor(0, 128, 0));
  EXPECT_FALSE(form->imgWiredConnected->isHidden());
  EXPECT_TRUE(form->imgWiredDisconnected->isHidden());
  EXPECT_EQ(form->imgWiredDisconnected->pos(), form->imgWiredConnected->pos());
  EXPECT_EQ(Dest(), "Wireless Network Connection - Intel(R) Centrino(R) Advanced-N 6200 AGN");
  EXPECT_EQ(form->lblWirelessStatus->text(), "Connected");
  EXPECT_EQ(form->lblStartSharing->text(), Available);
  EXPECT_EQ(form->lblConnectToSabrevane->text(), "Your Internet has been already connected via your wired connection.");
  EXPECT_TRUE(form->actStartSharing->isEnabled());
  EXPECT_TRUE(form->btnStartSharing->isEnabled());
  EXPECT_FALSE(form->btnStopSharing->isEnabled());
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
  EXPECT_EQ(form->lblWirelessStatus->text(), "Disconnected");
  EXPECT_EQ(form->lblWirelessStatus->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_TRUE(form->imgWirelessConnected->isHidden());
  EXPECT_FALSE(form->imgWirelessDisconnected->isHidden());
}

TEST_F(Hotspot, ASavedSourceThatIsListedButDisconnectedIsShownAndSharingIsNotAvailable) {
  Connection(HostOnlyGuid)["status"] = 7;
  WriteSettings("[System]\nSourceGUID=" + HostOnlyGuid + "\n");
  Open();
  EXPECT_EQ(Source(), "VirtualBox Host-Only Network - VirtualBox Host-Only Ethernet Adapter");
  EXPECT_EQ(form->lblWiredStatus->text(), "Disconnected");
  EXPECT_EQ(form->lblWiredStatus->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_EQ(form->lblStartSharing->text(), NotAvailable);
  EXPECT_EQ(form->lblConnectToSabrevane->text(), "");
  EXPECT_FALSE(form->actStartSharing->isEnabled());
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
    EXPECT_EQ(form->lblWiredStatus->text(), "Connected");
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
    form->actRefresh2->trigger();
    EXPECT_EQ(uiProbes, c.probes);
    End();
  }
  // A saved source that is not connected.
  Connection(HostOnlyGuid)["status"] = 7;
  WriteSettings("[System]\nSourceGUID=" + HostOnlyGuid + "\n");
  Start();
  CountProbes();
  form->actRefresh2->trigger();
  EXPECT_EQ(uiProbes, 0);
}

TEST_F(Hotspot, WithNothingToShowTheGroupKeepsItsLastStateAndSharingBecomesUnavailable) {
  Open();
  ASSERT_EQ(form->lblWiredStatus->text(), "Connected");
  ASSERT_TRUE(form->actStartSharing->isEnabled());
  const QString shown = Source();
  Network().setConnectionStatus(WiredGuid, 7);
  Network().setConnectionStatus(HostOnlyGuid, 7);
  form->actRefresh2->trigger();
  Idle();
  EXPECT_EQ(form->lblWiredStatus->text(), "Connected");
  EXPECT_TRUE(form->imgWiredConnected->isVisibleTo(form.get()));
  EXPECT_EQ(Source(), shown);
  EXPECT_EQ(form->lblStartSharing->text(), NotAvailable);
  EXPECT_FALSE(form->actStartSharing->isEnabled());
  EXPECT_TRUE(form->actConnect->isEnabled());
}

TEST_F(Hotspot, PickersThatAreCancelledOrConfirmedWithoutSelectionChangeNothing) {
  Open();
  for (QPushButton* button : {form->btnSource, form->btnSelectDest}) {
    Pick(button, [this] { picker->SetModalResult(mrCancel); });
    Pick(button, [this] {
      picker->ListBox1->clearSelection();
      picker->SetModalResult(mrOk);
    });
  }
  EXPECT_EQ(Source(), "Local Area Connection - Intel(R) 82577LM Gigabit Network Connection");
  EXPECT_EQ(form->lblStartSharing->text(), Available);
  End();
  EXPECT_NE(Settings().find("SourceGUID=\nDestGUID=\n"), std::string::npos);
}

TEST_F(Hotspot, PickersOfferTheirConnectionsAndAConfirmedChoiceIsShownAndSaved) {
  Connection(HostOnlyGuid)["status"] = 7;
  Open();
  Pick(form->btnSource, [this] {
    EXPECT_EQ(picker->lblCaption->text(), "Please select the connection through which Internet is connected.");
    EXPECT_EQ(Offered(), (std::vector<std::string>{WiredGuid, WirelessGuid}));
    picker->ListBox1->setCurrentRow(1);
    picker->SetModalResult(mrOk);
  });
  EXPECT_EQ(Source(), "Wireless Network Connection - Intel(R) Centrino(R) Advanced-N 6200 AGN");

  Pick(form->btnSelectDest, [this] {
    EXPECT_EQ(picker->lblCaption->text(), "Please select the wireless connection which will broadcast the WiFi signal.");
    EXPECT_EQ(Offered(), std::vector<std::string>{WirelessGuid});
    picker->ListBox1->setCurrentRow(0);
    picker->SetModalResult(mrOk);
  });
  // The same connection at both ends: sharing refuses it.
  Idle();
  ASSERT_TRUE(form->actStartSharing->isEnabled());
  Press(form->btnStartSharing);
  ASSERT_EQ(Messages(), std::vector<QString>{"Internet sharing could not be switched on."});
  End();
  EXPECT_NE(Settings().find("SourceGUID=" + WirelessGuid + "\nDestGUID=" + WirelessGuid + "\n"), std::string::npos);
}

TEST_F(Hotspot, StartWifiSharesTheSourceIntoTheNewNetworkAndStopWifiUndoesIt) {
  Open();
  Press(form->btnStartSharing);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Wi-Fi started successfully!");
  EXPECT_EQ(boxes[0].Caption, "Message");
  EXPECT_EQ(boxes[0].Icon, QMessageBox::Information);
  EXPECT_EQ(boxes[0].Buttons, QMessageBox::Ok);
  EXPECT_EQ(boxes[0].Parent, form.get());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Network().sharedConnection(SharingRole::publicSide), WiredGuid);
  EXPECT_EQ(Network().sharedConnection(SharingRole::privateSide), WirelessGuid);
  std::vector<plat::VisibleNetwork> networks;
  machine->simRadio().visibleNetworks(WirelessGuid, networks);
  ASSERT_EQ(networks.size(), 3u);
  EXPECT_EQ(networks.back().name, "Brisklane");
  EXPECT_TRUE(networks.back().connected);
  Idle();
  EXPECT_FALSE(form->btnStartSharing->isEnabled());
  EXPECT_TRUE(form->btnStopSharing->isEnabled());

  Press(form->btnStopSharing);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].Text, "Wi-Fi stopped successfully!");
  EXPECT_EQ(boxes[1].Icon, QMessageBox::Information);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Network().sharedConnection(SharingRole::publicSide), "");
  machine->simRadio().visibleNetworks(WirelessGuid, networks);
  EXPECT_EQ(networks.size(), 2u);
  Idle();
  EXPECT_TRUE(form->btnStartSharing->isEnabled());
  EXPECT_FALSE(form->btnStopSharing->isEnabled());

  // Stop WiFi reports success even when there was no network.
  Press(form->actStopSharing);
  EXPECT_EQ(Messages().back(), "Wi-Fi stopped successfully!");
}

TEST_F(Hotspot, StartWifiWhoseSharingFailsSaysSoAndLeavesEverythingUnshared) {
  Open();
  Network().failEnableSharing(WirelessGuid, plat::SharingStatus::Failed);
  Press(form->btnStartSharing);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Internet sharing could not be switched on.");
  EXPECT_EQ(boxes[0].Caption, "Message");
  EXPECT_EQ(boxes[0].Icon, QMessageBox::Critical);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Network().sharedConnection(SharingRole::publicSide), "");
  EXPECT_EQ(Network().sharedConnection(SharingRole::privateSide), "");
  Idle();
  EXPECT_TRUE(form->btnStartSharing->isEnabled());
  EXPECT_FALSE(form->btnStopSharing->isEnabled());
}

TEST_F(Hotspot, StartWifiWhoseNetworkCannotBeStartedSwitchesSharingOffAgainAndStaysStopped) {
  scenario["wireless"]["interfaces"] = nlohmann::json::array();  // the adapter's radio is off
  Open();
  Press(form->btnStartSharing);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "The wireless network could not be started.");
  EXPECT_EQ(boxes[0].Caption, "Message");
  EXPECT_EQ(boxes[0].Icon, QMessageBox::Critical);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Network().sharedConnection(SharingRole::publicSide), "");
  EXPECT_EQ(Network().sharedConnection(SharingRole::privateSide), "");
  Idle();
  EXPECT_TRUE(form->btnStartSharing->isEnabled());
  EXPECT_FALSE(form->btnStopSharing->isEnabled());
}

TEST_F(Hotspot, AStartedHotspotStaysStoppableWhenARefreshFindsSharingUnavailable) {
  Open();
  Press(form->btnStartSharing);
  Network().setConnectionStatus(WiredGuid, 7);
  form->actRefresh2->trigger();
  Idle();
  EXPECT_EQ(form->lblStartSharing->text(), NotAvailable);
  EXPECT_FALSE(form->btnStartSharing->isEnabled());
  EXPECT_TRUE(form->btnStopSharing->isEnabled());
}

}  // namespace
}  // namespace unit1test
