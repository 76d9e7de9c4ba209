// The Internet and sharing status: the Home page's group, the panels of the
// status bar in each state and language, and reports of the check thread.
#include "Unit1TestSupport.h"  // first: see there

#include <condition_variable>
#include <mutex>
#include <thread>

#include <QGroupBox>
#include <QPushButton>


namespace unit1test {
namespace {

class Status : public Unit1Test {
 protected:
  // Holds the check thread in its first probe until Release, so the state
  // stays "not yet probed".
  void HoldFirstProbe() {
    machine->simInternet().setCheckObserver([this](const std::string&) {
      std::unique_lock lock(holdMutex);
      holdChanged.wait(lock, [this] { return !holding; });
    });
  }
  void Release() {
    {
      std::lock_guard lock(holdMutex);
      holding = false;
    }
    holdChanged.notify_all();
  }

  // The Internet status the check thread last reported, as the Home page shows it.
  bool InternetShownAs(const QString& text) { return form->lblInternetStatus->text() == text; }

  std::mutex holdMutex;
  std::condition_variable holdChanged;
  bool holding = true;
};

TEST_F(Status, BeforeTheFirstReportTheInternetIsUnavailable) {
  // The machine exists before the window, so the check thread's first probe
  // can be held.
  machine = testkit::SimMachineBuilder().scenario(scenario).stateDir(stateDir.path()).airDir(airDir.path()).build();
  HoldFirstProbe();
  installed.emplace(machine);
  auto window = std::make_unique<TestForm1>(ProgramFiles());
  Idle();
  EXPECT_EQ(window->lblInternetStatus->text(), "Internet Status");
  EXPECT_EQ(window->lblInternetStatus->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  EXPECT_FALSE(window->imgInternetConnected->isHidden());
  EXPECT_FALSE(window->imgInternetDisconnected->isHidden());
  EXPECT_EQ(window->imgInternetDisconnected->pos(), window->imgInternetConnected->pos());
  EXPECT_EQ(window->StatusBarPanel3->Text(), "Unavailable");
  EXPECT_EQ(window->StatusBarPanel2->Text(), "");
  Release();
  window.reset();
}

TEST_F(Status, ReportsOfTheCheckThreadReachTheHomePageInOrder) {
  Start();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  EXPECT_EQ(form->lblInternetStatus->palette().color(QPalette::WindowText), QColor(0, 128, 0));
  EXPECT_FALSE(form->imgInternetConnected->isHidden());
  EXPECT_TRUE(form->imgInternetDisconnected->isHidden());

  machine->simInternet().setOffline(true);
  form->btnRefresh4->click();  // the check thread probes at once
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is disconnected."); }));
  EXPECT_EQ(form->lblInternetStatus->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_TRUE(form->imgInternetConnected->isHidden());
  EXPECT_FALSE(form->imgInternetDisconnected->isHidden());
  Idle();
  EXPECT_EQ(form->StatusBarPanel3->Text(), "Internet Disconnected");

  machine->simInternet().setOffline(false);
  form->actRefresh2->trigger();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  Idle();
  EXPECT_EQ(form->StatusBarPanel3->Text(), "Connected to Internet");
}

TEST_F(Status, StatusBarTextsFollowEachState) {
  Start();
  form->actHotspotTab->trigger();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  Idle();
  EXPECT_EQ(PaintedStatus(), std::make_pair(QString("Ready for Sharing"), QString("Connected to Internet")));
  EXPECT_EQ(form->StatusBarPanel2->accessibleName(), "Ready for Sharing");
  EXPECT_EQ(form->StatusBarPanel3->accessibleDescription(), "Connected to Internet");
  // The free first panel keeps saying that this laptop is a simulated one.
  EXPECT_EQ(form->StatusBarPanel1->text(), "Simulated laptop: laptop");
  EXPECT_TRUE(form->StatusBarPanel1->isVisible());

  Press(form->btnStartSharing);
  Idle();
  EXPECT_EQ(PaintedStatus().first, "Internet Sharing Enabled");

  // Started, but a refresh finds sharing no longer available: the panel is empty.
  Network().setConnectionStatus(WiredGuid, 7);
  form->btnRefresh2->click();
  Idle();
  EXPECT_EQ(PaintedStatus().first, "");
  EXPECT_TRUE(form->btnStopSharing->isEnabled());
}

TEST_F(Status, TheSharingPanelFollowsTheNetworkWhenItEndsWithoutStopWifi) {
  Start();
  form->actHotspotTab->trigger();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  Press(form->btnStartSharing);
  Idle();
  ASSERT_EQ(PaintedStatus().first, "Internet Sharing Enabled");

  // The machine ends it on its own, as when its network service restarts.
  ASSERT_EQ(machine->simRadio().deleteOwnNetwork(WirelessGuid, "Brisklane"), plat::RadioResult::Ok);
  EXPECT_TRUE(WaitFor([&] {
    Idle();
    return PaintedStatus().first == "Ready for Sharing";
  }));
  EXPECT_TRUE(form->btnStartSharing->isEnabled());
  EXPECT_FALSE(form->btnStopSharing->isEnabled());
}

TEST_F(Status, StatusBarTextsAreTranslated) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  Start();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  EXPECT_EQ(PaintedStatus(), std::make_pair(QString("Bereit zur Freigabe"), QString("Mit dem Internet verbunden")));
  EXPECT_EQ(form->StatusBarPanel1->text(), "Simulierter Laptop: laptop");
  machine->simInternet().setOffline(true);
  form->actRefresh2->trigger();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is disconnected."); }));
  EXPECT_EQ(PaintedStatus().second, "Internet getrennt");
  // The window's other texts stay as they are.
  EXPECT_EQ(form->btnRefresh4->text(), "Refresh Internet Status");
}

TEST_F(Status, TheFirstReachableReportStartsTheUpdateCheckWhenItIsSwitchedOn) {
  WriteSettings("[System]\nCheckForUpdates=1\n");
  // The machine exists before the window, so its probes can be watched: the
  // check thread probes first; a probe from any other thread but this one is
  // the update check's. That one is held until the machine is off line, so
  // the check ends without fetching anything.
  machine = testkit::SimMachineBuilder().scenario(scenario).stateDir(stateDir.path()).airDir(airDir.path()).build();
  const std::thread::id ui = std::this_thread::get_id();
  std::optional<std::thread::id> checkThread;
  bool updateProbed = false;
  machine->simInternet().setCheckObserver([&](const std::string&) {
    std::unique_lock lock(holdMutex);
    const std::thread::id self = std::this_thread::get_id();
    if (self == ui) return;
    if (!checkThread) checkThread = self;
    if (self == *checkThread) return;
    updateProbed = true;
    holdChanged.notify_all();
    holdChanged.wait(lock, [this] { return !holding; });
  });
  installed.emplace(machine);
  form = std::make_unique<TestForm1>(ProgramFiles());
  const auto probed = [&] {
    std::lock_guard lock(holdMutex);
    return updateProbed;
  };
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  ASSERT_TRUE(WaitFor(probed));
  machine->simInternet().setOffline(true);
  Release();
  End();
  machine->simInternet().setCheckObserver(nullptr);
  EXPECT_FALSE(std::filesystem::exists(programDir / "ErrorLog.txt"));  // nothing was fetched
}

}  // namespace
}  // namespace unit1test
