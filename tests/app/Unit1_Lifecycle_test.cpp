// The main window's lifecycle: first start, start minimised, hiding to the
// tray, the ways the program ends and what it undoes then, and the dialogs.
#include "Unit1TestSupport.h"  // first: see there

#include <csignal>

#include <QAccessible>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QToolButton>

#include "app/UnitGlobal.h"
#include "service/UnitWifiTroubleShooter.h"
#include "sim/SimSystem.h"
#include "store/RegistryStore.h"
#include "util/SystemUtils.h"

namespace unit1test {
namespace {

using plat::SharingRole;

const std::string AllDefaults =
    "[System]\nAutoRun=0\nCheckForUpdates=0\nStartMinimized=0\nSSID=Brisklane\nPassword=60917\nSourceGUID=\nDestGUID=\n";

class Lifecycle : public Unit1Test {
 protected:
  // A second laptop in the same air, without networks of its own.
  std::shared_ptr<plat::sim::SimMachine> Neighbour() {
    return testkit::SimMachineBuilder().scenario(testkit::shippedScenario("laptop2")).airDir(airDir.path()).build();
  }

  // What a second laptop in the same air hears: the names of the networks
  // that this laptop broadcasts.
  std::vector<std::string> HeardByNeighbour() {
    auto neighbour = Neighbour();
    std::vector<plat::VisibleNetwork> networks;
    neighbour->simRadio().visibleNetworks(neighbour->simRadio().interfaces().at(0), networks);
    std::vector<std::string> names;
    for (const auto& network : networks) names.push_back(network.name);
    return names;
  }

  // Whether a second laptop in the same air joins the network of that name
  // with that key.
  bool NeighbourJoins(const std::string& name, const std::string& key) {
    auto neighbour = Neighbour();
    plat::sim::SimRadio& radio = neighbour->simRadio();
    const std::string wlan = radio.interfaces().at(0);
    std::vector<plat::VisibleNetwork> networks;
    radio.visibleNetworks(wlan, networks);
    for (const auto& network : networks) {
      if (network.name == name) {
        return radio.connect(wlan, name, key, plat::NetworkKind::Computer, network.id) == plat::RadioResult::Ok;
      }
    }
    return false;
  }

  void StartWifi(const std::string& expectedName = "Brisklane") {
    Find<QAction>("actHotspotTab").trigger();
    Idle();
    ASSERT_TRUE(Find<QAction>("actStartSharing").isEnabled());
    Press(Find<QPushButton>("btnStartSharing"));
    ASSERT_EQ(HeardByNeighbour(), std::vector<std::string>{expectedName});
    ASSERT_EQ(Network().sharedConnection(SharingRole::publicSide), WiredGuid);
  }

  void ExpectNothingLeftBehind() {
    EXPECT_TRUE(HeardByNeighbour().empty());
    EXPECT_EQ(Network().sharedConnection(SharingRole::publicSide), "");
    EXPECT_EQ(Network().sharedConnection(SharingRole::privateSide), "");
  }
};

TEST_F(Lifecycle, FirstStartWithoutSettingsUsesTheDefaultsAndWritesAllSevenKeysAtTheEnd) {
  scenario["wireless"]["networks"].push_back({{"name", "Brisklane"}, {"kind", 3}});
  Start();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->windowTitle(), QString::fromStdString(ApplicationName));
  EXPECT_EQ(ApplicationTitle(), QString::fromStdString(ApplicationName));
  EXPECT_EQ(Find<QSystemTrayIcon>("TrayIcon1").toolTip(), QString::fromStdString(ApplicationName));
  EXPECT_TRUE(Find<QSystemTrayIcon>("TrayIcon1").isVisible());
  EXPECT_EQ(form->size(), QSize(580, 536 + Find<QMenuBar>("MainMenu1").sizeHint().height()));
  EXPECT_EQ(Find<QStackedWidget>("PageControl1").currentWidget(), &Find<QWidget>("tbHome"));
  EXPECT_TRUE(Find<QToolButton>("btnHome").isChecked());
  // The first scan compared with the component's own default name, not with
  // the settings' name of the network nearby.
  EXPECT_EQ(Find<QLabel>("lblSabrevaneFound").text(), "");

  Find<QAction>("actConnectToHotspot").trigger();
  EXPECT_EQ(Find<QLabel>("lblSSID").text(), "Brisklane");
  EXPECT_EQ(Find<QLabel>("lblPassword").text(), "60917");
  EXPECT_FALSE(std::filesystem::exists(programDir / "setup.ini"));

  End();
  EXPECT_EQ(Settings(), AllDefaults);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Lifecycle, PagesFollowTheActionsAndTheToolBarFollowsThePages) {
  Start();
  struct Step {
    const char* action;
    const char* page;
    const char* button;
    bool hotspotChecked;
    bool connectChecked;
  };
  for (const Step& step : {Step{"actHotspotTab", "tbHotspotSetup", "btnHotspotTab", true, false},
                           Step{"actConnectToHotspot", "tbConnectToHotspot", "btnConnectToHotspot", false, true},
                           Step{"actHome", "tbHome", "btnHome", false, true},
                           Step{"actHotspotTab", "tbHotspotSetup", "btnHotspotTab", true, false}}) {
    SCOPED_TRACE(step.action);
    Find<QAction>(step.action).trigger();
    EXPECT_EQ(Find<QStackedWidget>("PageControl1").currentWidget(), &Find<QWidget>(step.page));
    EXPECT_TRUE(Find<QToolButton>(step.button).isChecked());
    EXPECT_EQ(Find<QButtonGroup>("PageButtons").checkedButton(), &Find<QToolButton>(step.button));
    EXPECT_EQ(Find<QAction>("actHotspotTab").isChecked(), step.hotspotChecked);
    EXPECT_EQ(Find<QAction>("actConnectToHotspot").isChecked(), step.connectChecked);
  }
  Find<QToolButton>("btnHome").click();
  EXPECT_EQ(Find<QStackedWidget>("PageControl1").currentWidget(), &Find<QWidget>("tbHome"));
  Find<QToolButton>("btnDivider1").click();
  EXPECT_EQ(Find<QStackedWidget>("PageControl1").currentWidget(), &Find<QWidget>("tbHotspotSetup"));
  Find<QPushButton>("btnConnectToHotspot1").click();
  EXPECT_EQ(Find<QStackedWidget>("PageControl1").currentWidget(), &Find<QWidget>("tbConnectToHotspot"));
  Find<QToolButton>("btnDivider2").click();
  EXPECT_EQ(Find<QStackedWidget>("PageControl1").currentWidget(), &Find<QWidget>("tbHotspotSetup"));
}

TEST_F(Lifecycle, ScreenReadersSeePushButtonsAndTheirPressesReturnBeforeAModalWindowWaits) {
  Start();
  QAccessibleInterface* home = QAccessible::queryAccessibleInterface(&Find<QToolButton>("btnHome"));
  QAccessibleInterface* connect = QAccessible::queryAccessibleInterface(&Find<QToolButton>("btnConnectToHotspot"));
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(home->role(), QAccessible::PushButton);
  EXPECT_EQ(home->text(QAccessible::Name), "Home &\nInstruction");
  EXPECT_TRUE(home->state().checked);
  EXPECT_EQ(connect->text(QAccessible::Name), "How To \nConnect");
  connect->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(Find<QStackedWidget>("PageControl1").currentWidget(), &Find<QWidget>("tbConnectToHotspot"));
  EXPECT_TRUE(connect->state().checked);
  EXPECT_FALSE(home->state().checked);

  // Exit asks its question after the press has returned.
  answer = QMessageBox::No;
  QAccessibleInterface* exit = QAccessible::queryAccessibleInterface(&Find<QToolButton>("sBitBtn1"));
  EXPECT_EQ(exit->role(), QAccessible::PushButton);
  exit->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(boxes.empty());
  ProcessEvents();
  EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(Lifecycle, StartMinimisedWaitsInTheTrayAndRefreshesConnectionsWhenFirstOpened) {
  WriteSettings("[System]\nStartMinimized=1\n");
  Start();
  ProcessEvents();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(Find<QSystemTrayIcon>("TrayIcon1").isVisible());
  EXPECT_TRUE(Network().sharingCalls().empty());  // no connection list read yet
  EXPECT_EQ(Find<QLabel>("lblWiredStatus").text(), "<NULL>");

  Find<QAction>("mniOpenMainWindow").trigger();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(Network().sharingCalls(), std::vector<std::string>{"open"});
  EXPECT_EQ(Find<QLabel>("lblWiredStatus").text(), "Connected");
}

TEST_F(Lifecycle, StartMinimisedWithoutATrayStaysOnTheTaskBar) {
  WriteSettings("[System]\nStartMinimized=1\n");
  Start(/*trayAvailable=*/false);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->isMinimized());
}

TEST_F(Lifecycle, ClosingHidesToTheTrayWithTheBalloonOnlyTheFirstTime) {
  Start();
  EXPECT_EQ(Find<QSystemTrayIcon>("TrayIcon1").property("Tag").toInt(), 0);
  EXPECT_FALSE(form->close());
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(closed->count(), 0);
  EXPECT_EQ(Find<QSystemTrayIcon>("TrayIcon1").property("Tag").toInt(), 1);
  ASSERT_EQ(form->Balloons.size(), 1u);
  EXPECT_EQ(form->Balloons[0], "Brisklane|Brisklane is running in the background!|3000");

  Find<QAction>("mniOpenMainWindow").trigger();
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->close());
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->Balloons.size(), 1u);

  Find<QAction>("mniOpenMainWindow").trigger();
  Find<QAction>("mniMinimizeToTray1").trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->Balloons.size(), 1u);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Lifecycle, ClosingWithoutATrayMinimisesToTheTaskBar) {
  Start(/*trayAvailable=*/false);
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->isMinimized());
  EXPECT_TRUE(form->Balloons.empty());

  Find<QAction>("mniOpenMainWindow").trigger();
  EXPECT_FALSE(form->isMinimized());
}

TEST_F(Lifecycle, ExitAnsweredNoStaysAndALaterCloseEndsWithoutQuestionOrBalloon) {
  Start();
  answer = QMessageBox::No;
  Find<QAction>("actExit").trigger();
  ProcessEvents();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "All other devices connected to your computer will be disconnected. Do you want to exit?");
  EXPECT_EQ(boxes[0].Caption, "Message");
  EXPECT_EQ(boxes[0].Icon, QMessageBox::Question);
  EXPECT_EQ(boxes[0].Buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(boxes[0].Parent, form);
  EXPECT_TRUE(form->isVisible());

  EXPECT_EQ(closed->count(), 0);
  EXPECT_TRUE(form->close());
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(closed->count(), 1);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(form->Balloons.empty());
}

TEST_F(Lifecycle, MinimizeToTrayAfterExitAnsweredNoHidesAgain) {
  Start();
  answer = QMessageBox::No;
  Find<QAction>("actExit").trigger();
  ProcessEvents();
  Find<QAction>("mniMinimizeToTray1").trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(closed->count(), 0);
  EXPECT_EQ(form->Balloons.size(), 1u);
  // Still running: the window comes back from the tray.
  Find<QAction>("mniOpenMainWindow").trigger();
  EXPECT_TRUE(form->isVisible());
}

TEST_F(Lifecycle, ExitAnsweredYesFromTheTrayMenuEndsTheProgram) {
  Start();
  StartWifi();
  EXPECT_FALSE(form->close());  // to the tray
  answer = QMessageBox::Yes;
  Find<QAction>("mniExit").trigger();
  ProcessEvents();
  EXPECT_EQ(closed->count(), 1);
  End();
  EXPECT_NE(Settings().find("SSID=Brisklane"), std::string::npos);
  ExpectNothingLeftBehind();
}

class SessionEnd : public Lifecycle, public testing::WithParamInterface<int> {};

TEST_P(SessionEnd, EndsWithoutQuestionWritingSettingsDeletingTheNetworkAndSwitchingSharingOff) {
  Start();
  StartWifi();
  const std::size_t boxesBefore = boxes.size();
  std::raise(GetParam());
  ASSERT_TRUE(WaitFor([&] { return closed->count() == 1; }));
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(boxes.size(), boxesBefore);  // no question
  EXPECT_TRUE(form->Balloons.empty());
  End();
  EXPECT_EQ(Settings(), AllDefaults);
  ExpectNothingLeftBehind();
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionEnd, testing::Values(SIGTERM, SIGHUP, SIGINT));

TEST_F(Lifecycle, SessionEndWhileInTheTrayEndsToo) {
  Start();
  form->close();
  ASSERT_TRUE(form->HandleQueryEndSession());
  EXPECT_TRUE(form->close());
  EXPECT_EQ(closed->count(), 1);
  EXPECT_EQ(form->Balloons.size(), 1u);
}

TEST_F(Lifecycle, EveryShutdownDeletesTheNetworkAndSwitchesSharingOffEvenWithoutStartWifi) {
  // A laptop without Internet whose Connect found no network nearby and
  // created it, with sharing left on by an earlier run that was killed.
  const std::string guestWired = "{2B6F1A90-7C3D-4E58-9A1B-3D5E7F9A1B03}";
  const std::string guestWireless = "{9D4E2C61-3B5A-4F7E-A1C2-5B7D9E1F3A04}";
  scenario = testkit::shippedScenario("laptop2");
  scenario["sharing"] = {{"public", guestWired}, {"private", guestWireless}};
  Start();
  Find<QAction>("actConnectToHotspot").trigger();
  Idle();
  Press(Find<QPushButton>("btnConnect"));
  ASSERT_EQ(HeardByNeighbour(), std::vector<std::string>{"Brisklane"});
  ASSERT_EQ(Network().sharedConnection(SharingRole::publicSide), guestWired);
  End();
  ExpectNothingLeftBehind();
}

TEST_F(Lifecycle, ReadOnlySettingsAreNotWrittenTheFailureIsReportedAndTheNetworkAndSharingAreStillRemoved) {
  const std::string mine = "[System]\nStartMinimized=0\n; mine\n";
  WriteSettings(mine);
  std::filesystem::permissions(programDir / "setup.ini", std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::group_read |
                                                             std::filesystem::perms::others_read);
  Start();
  StartWifi();
  boxes.clear();
  End();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Icon, QMessageBox::Critical);
  EXPECT_NE(boxes[0].Text.indexOf("setup.ini"), -1) << boxes[0].Text.toStdString();
  EXPECT_NE(boxes[0].Text.indexOf("Access is denied"), -1) << boxes[0].Text.toStdString();
  EXPECT_EQ(Settings(), mine);
  ExpectNothingLeftBehind();
}

TEST_F(Lifecycle, FailedSaveAtTheEndOfTheSessionWaitsForNobodyAndTheShutdownFinishes) {
  std::filesystem::create_directory(programDir / "setup.ini");  // cannot be written as a file
  Start();
  StartWifi();
  boxes.clear();
  testing::internal::CaptureStderr();
  std::raise(SIGTERM);
  ASSERT_TRUE(WaitFor([&] { return closed->count() == 1; }));
  End();
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(boxes.empty());
  EXPECT_NE(told.find("setup.ini"), std::string::npos) << told;
  EXPECT_NE(told.find("Access is denied"), std::string::npos) << told;
  ExpectNothingLeftBehind();
}

TEST_F(Lifecycle, OptionsConfirmedTakeTheTrimmedValuesAndWriteTheAutorunEntry) {
  WriteSettings("[System]\nSSID=Old\nPassword=12345\nAutoRun=0\nStartMinimized=0\n");
  Start();
  const auto edit = [&](bool autoRun, const char* ssid, const char* password) {
    new WhenShown(options, [=, this] {
      EXPECT_EQ(apptest::Find<QLineEdit>(*options, "edtSSID").text(), "Old");
      EXPECT_TRUE(apptest::Find<QLineEdit>(*options, "edtSSID").isEnabled());
      EXPECT_EQ(apptest::Find<QLineEdit>(*options, "edtPassword").text(), "12345");
      apptest::Find<QCheckBox>(*options, "chkAutoRun").setChecked(autoRun);
      apptest::Find<QCheckBox>(*options, "chkStartMin").setChecked(true);
      apptest::Find<QLineEdit>(*options, "edtSSID").setText(ssid);
      apptest::Find<QLineEdit>(*options, "edtPassword").setText(password);
      apptest::Find<QPushButton>(*options, "Button1").click();
    });
    Find<QPushButton>("btnOptions").click();
    ProcessEvents();
  };
  edit(true, "  New Name ", " abcdefghijklm ");
  EXPECT_TRUE(machine->simRegistry().hasValue(AutoRunKey, "Brisklane"));
  // The page shows the new values the next time it is shown.
  Find<QAction>("actConnectToHotspot").trigger();
  EXPECT_EQ(Find<QLabel>("lblSSID").text(), "New Name");
  EXPECT_EQ(Find<QLabel>("lblPassword").text(), "abcdefghijklm");

  End();
  EXPECT_NE(Settings().find("AutoRun=1\n"), std::string::npos);
  EXPECT_NE(Settings().find("StartMinimized=1\n"), std::string::npos);
  EXPECT_NE(Settings().find("SSID=New Name\n"), std::string::npos);
  EXPECT_NE(Settings().find("Password=abcdefghijklm\n"), std::string::npos);
}

TEST_F(Lifecycle, ANameAndKeyChangedInOptionsReachTheNetworkOnlyAtTheNextStart) {
  Start();
  ChangeNameAndKeyInOptions("Other Name", "abcde");
  StartWifi("Brisklane");
  EXPECT_FALSE(NeighbourJoins("Brisklane", "abcde"));
  EXPECT_TRUE(NeighbourJoins("Brisklane", "60917"));
  End();

  Start();
  StartWifi("Other Name");
  EXPECT_FALSE(NeighbourJoins("Other Name", "60917"));
  EXPECT_TRUE(NeighbourJoins("Other Name", "abcde"));
}

TEST_F(Lifecycle, ASettingsKeyOfTheWrongLengthLeavesTheNetworkOnTheComponentsDefaultKey) {
  WriteSettings("[System]\nPassword=abcdef\n");
  Start();
  StartWifi();
  EXPECT_FALSE(NeighbourJoins("Brisklane", "abcdef"));
  EXPECT_TRUE(NeighbourJoins("Brisklane", "60917"));
}

TEST_F(Lifecycle, OptionsCancelledChangeNothingAndOkWithoutAutorunRemovesTheEntry) {
  scenario["registry"]["SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"] = {{"Brisklane", "/old/brisklane"}};
  Start();
  new WhenShown(options, [this] {
    apptest::Find<QLineEdit>(*options, "edtSSID").setText("Other");
    apptest::Find<QPushButton>(*options, "Button2").click();
  });
  Find<QAction>("actOptions").trigger();
  ProcessEvents();
  EXPECT_TRUE(machine->simRegistry().hasValue(AutoRunKey, "Brisklane"));

  new WhenShown(options, [this] { apptest::Find<QPushButton>(*options, "Button1").click(); });
  Find<QAction>("actOptions").trigger();
  ProcessEvents();
  EXPECT_FALSE(machine->simRegistry().hasValue(AutoRunKey, "Brisklane"));
  End();
  EXPECT_EQ(Settings(), AllDefaults);
}

// Notes each troubleshooter window that shows, with what the Hotspot Setup
// page showed then, and closes it at once.
class TroubleShooterWatch : public QObject {
 public:
  explicit TroubleShooterWatch(std::function<QString()> pageState) : pageState_(std::move(pageState)) {
    qApp->installEventFilter(this);
  }
  ~TroubleShooterWatch() override { qApp->removeEventFilter(this); }

  std::vector<QString> shown;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<TFrmTroubleShooter*>(watched) != nullptr) {
      shown.push_back(pageState_());
      QTimer::singleShot(0, watched, [watched] { static_cast<QWidget*>(watched)->close(); });
    }
    return false;
  }

 private:
  std::function<QString()> pageState_;
};

TEST_F(Lifecycle, TheStartUpCheckRunsOnceTheEventLoopRunsOnWindowsXpOnlyAlsoWhenStartedMinimised) {
  struct Case {
    const char* scenario;
    bool startMinimized;
    std::vector<QString> shown;  // the wired connection's state when the troubleshooter showed
  };
  for (const Case& c : {Case{"xp-laptop", false, {"Connected"}}, Case{"xp-laptop", true, {"<NULL>"}},
                        Case{"xp64-laptop", false, {"Connected"}}, Case{"xp-laptop-ok", false, {}},
                        Case{"laptop", false, {}}}) {
    SCOPED_TRACE(std::string(c.scenario) + (c.startMinimized ? " minimised" : ""));
    scenario = testkit::shippedScenario(c.scenario);
    WriteSettings(c.startMinimized ? "[System]\nStartMinimized=1\n" : "[System]\n");
    TroubleShooterWatch watch([this] { return Find<QLabel>("lblWiredStatus").text(); });
    Start();
    EXPECT_TRUE(watch.shown.empty());  // not before the event loop runs
    ProcessEvents();
    EXPECT_EQ(watch.shown, c.shown);
    EXPECT_EQ(form->isVisible(), !c.startMinimized);
    End();
  }
}

TEST_F(Lifecycle, TheDialogsAreCreatedAfterTheWindowInTheOrderOfTheProgramEntry) {
  Start();
  std::vector<QObject*> dialogs;
  for (QObject* child : form->children()) {
    if (qobject_cast<TModalForm*>(child) != nullptr) dialogs.push_back(child);
  }
  EXPECT_EQ(dialogs, (std::vector<QObject*>{options, about, picker}));
}

TEST_F(Lifecycle, ASingleOrDoubleClickOnTheTrayIconRestoresTheWindow) {
  Start();
  struct Case {
    QSystemTrayIcon::ActivationReason reason;
    bool restores;
  };
  for (const Case& c : {Case{QSystemTrayIcon::Trigger, true}, Case{QSystemTrayIcon::DoubleClick, true},
                        Case{QSystemTrayIcon::Context, false}, Case{QSystemTrayIcon::MiddleClick, false}}) {
    SCOPED_TRACE(c.reason);
    Find<QAction>("mniMinimizeToTray1").trigger();
    ASSERT_FALSE(form->isVisible());
    Q_EMIT Find<QSystemTrayIcon>("TrayIcon1").activated(c.reason);
    EXPECT_EQ(form->isVisible(), c.restores);
  }
}

TEST_F(Lifecycle, AboutBoxAndFeedbackMail) {
  Start();
  about->ProgramFile = (programDir / "brisklane").string();  // no version to look for
  bool shown = false;
  new WhenShown(about, [&] {
    shown = about->isVisible();
    about->SetModalResult(mrOk);
  });
  Find<QAction>("actAbout").trigger();
  ProcessEvents();
  EXPECT_TRUE(shown);

  Find<QAction>("actWriteToUs").trigger();
  const auto opened = machine->simSystem().openedTargets();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].rfind("mailto:" + SupportMailAddress + "?subject=Brisklane%20Comments&body=Hello%20Support%20Team%2C", 0), 0u);
}

}  // namespace
}  // namespace unit1test
