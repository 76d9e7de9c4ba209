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
  // stays "not yet probed"; the window's own probes go on.
  void HoldFirstProbe() {
    const std::thread::id ui = std::this_thread::get_id();
    machine->simInternet().setCheckObserver([this, ui](const std::string&) {
      if (std::this_thread::get_id() == ui) return;
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
  bool InternetShownAs(const QString& text) { return Find<QLabel>("lblInternetStatus").text() == text; }

  std::mutex holdMutex;
  std::condition_variable holdChanged;
  bool holding = true;
};

TEST_F(Status, BeforeTheFirstReportTheInternetIsUnavailable) {
  // The check thread's first probe is held from the start.
  Start(true, [this] { HoldFirstProbe(); });
  Idle();
  EXPECT_EQ(Find<QLabel>("lblInternetStatus").text(), "Internet Status");
  EXPECT_EQ(Find<QLabel>("lblInternetStatus").palette().color(QPalette::WindowText), QColor(0, 0, 0));
  EXPECT_FALSE(Find<QLabel>("imgInternetConnected").isHidden());
  EXPECT_FALSE(Find<QLabel>("imgInternetDisconnected").isHidden());
  EXPECT_EQ(Find<QLabel>("imgInternetDisconnected").pos(), Find<QLabel>("imgInternetConnected").pos());
  EXPECT_EQ(Find<TStatusPanel>("StatusBarPanel3").Text(), "Unavailable");
  // Sharing's state does not wait for the Internet's.
  EXPECT_EQ(Find<TStatusPanel>("StatusBarPanel2").Text(), "Ready for Sharing");
  Release();
  End();
}

TEST_F(Status, ReportsOfTheCheckThreadReachTheHomePageInOrder) {
  Start();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  EXPECT_EQ(Find<QLabel>("lblInternetStatus").palette().color(QPalette::WindowText), QColor(0, 128, 0));
  EXPECT_FALSE(Find<QLabel>("imgInternetConnected").isHidden());
  EXPECT_TRUE(Find<QLabel>("imgInternetDisconnected").isHidden());

  machine->simInternet().setOffline(true);
  Find<QPushButton>("btnRefresh4").click();  // the check thread probes at once
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is disconnected."); }));
  EXPECT_EQ(Find<QLabel>("lblInternetStatus").palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_TRUE(Find<QLabel>("imgInternetConnected").isHidden());
  EXPECT_FALSE(Find<QLabel>("imgInternetDisconnected").isHidden());
  Idle();
  EXPECT_EQ(Find<TStatusPanel>("StatusBarPanel3").Text(), "Internet Disconnected");

  machine->simInternet().setOffline(false);
  Find<QAction>("actRefresh2").trigger();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  Idle();
  EXPECT_EQ(Find<TStatusPanel>("StatusBarPanel3").Text(), "Connected to Internet");
}

TEST_F(Status, StatusBarTextsFollowEachState) {
  Start();
  Find<QAction>("actHotspotTab").trigger();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  Idle();
  EXPECT_EQ(PaintedStatus(), std::make_pair(QString("Ready for Sharing"), QString("Connected to Internet")));
  EXPECT_EQ(Find<TStatusPanel>("StatusBarPanel2").accessibleName(), "Ready for Sharing");
  EXPECT_EQ(Find<TStatusPanel>("StatusBarPanel3").accessibleDescription(), "Connected to Internet");
  // The free first panel keeps saying that this laptop is a simulated one.
  EXPECT_EQ(Find<QLabel>("StatusBarPanel1").text(), "Simulated laptop: laptop");
  EXPECT_TRUE(Find<QLabel>("StatusBarPanel1").isVisible());

  Press(Find<QPushButton>("btnStartSharing"));
  Idle();
  EXPECT_EQ(PaintedStatus().first, "Internet Sharing Enabled");

  // Started, but a refresh finds sharing no longer available: the panel is empty.
  Network().setConnectionStatus(WiredGuid, 7);
  Find<QPushButton>("btnRefresh2").click();
  Idle();
  EXPECT_EQ(PaintedStatus().first, "");
  EXPECT_TRUE(Find<QPushButton>("btnStopSharing").isEnabled());
}

TEST_F(Status, TheSharingPanelFollowsTheNetworkWhenItEndsWithoutStopWifi) {
  Start();
  Find<QAction>("actHotspotTab").trigger();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  Press(Find<QPushButton>("btnStartSharing"));
  Idle();
  ASSERT_EQ(PaintedStatus().first, "Internet Sharing Enabled");

  // The machine ends it on its own, as when its network service restarts.
  ASSERT_EQ(machine->simRadio().deleteOwnNetwork(WirelessGuid, "Brisklane"), plat::RadioResult::Ok);
  EXPECT_TRUE(WaitFor([&] {
    Idle();
    return PaintedStatus().first == "Ready for Sharing";
  }));
  EXPECT_TRUE(Find<QPushButton>("btnStartSharing").isEnabled());
  EXPECT_FALSE(Find<QPushButton>("btnStopSharing").isEnabled());
}

TEST_F(Status, StatusBarTextsAreTranslated) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  Start();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is connected."); }));
  EXPECT_EQ(PaintedStatus(), std::make_pair(QString("Bereit zur Freigabe"), QString("Mit dem Internet verbunden")));
  EXPECT_EQ(Find<QLabel>("StatusBarPanel1").text(), "Simulierter Laptop: laptop");
  machine->simInternet().setOffline(true);
  Find<QAction>("actRefresh2").trigger();
  ASSERT_TRUE(WaitFor([&] { return InternetShownAs("Internet is disconnected."); }));
  EXPECT_EQ(PaintedStatus().second, "Internet getrennt");
  // The window's other texts stay as they are.
  EXPECT_EQ(Find<QPushButton>("btnRefresh4").text(), "Refresh Internet Status");
}

TEST_F(Status, TheFirstReachableReportStartsTheUpdateCheckWhenItIsSwitchedOn) {
  WriteSettings("[System]\nCheckForUpdates=1\n");
  // The machine's probes are watched from the start: the check thread probes
  // first; a probe from any other thread but this one is the update check's.
  // That one is held until the machine is off line, so the check ends
  // without fetching anything.
  const std::thread::id ui = std::this_thread::get_id();
  std::optional<std::thread::id> checkThread;
  bool updateProbed = false;
  Start(true, [&] {
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
  });
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
