// A NetworkManager that answers late or not at all: while polkit waits for
// the user to type a password, or hung. Start WiFi runs on a thread of its
// own, as the window runs it; what the window then presses comes from this
// thread.
#include "RadioTestSupport.h"

#include <future>

#include "machine/Awaiting.h"

#include <QCoreApplication>
#include <QTimer>

namespace radiotest {
namespace {

using namespace std::chrono_literals;

const QString addAndActivate = QStringLiteral("AddAndActivateConnection2");

struct Outcome {
  RadioResult result;
  std::string refusal;
};

std::future<Outcome> hostInBackground(plat::lnx::NmRadio& radio) {
  return std::async(std::launch::async, [&radio] {
    const RadioResult result = radio.addOwnNetwork(wlan0, "Brisklane", "12345");
    return Outcome{result, plat::lastRefusal()};
  });
}

// Whether the call came back at all; the bound only keeps a fault from
// hanging the suite.
bool cameBack(std::future<Outcome>& call) { return call.wait_for(60s) == std::future_status::ready; }

TEST_F(RadioTest, AHotspotGivenUpBeforeItIsUpLeavesNothingWhateverNetworkManagerDoesAfterwards) {
  struct Case {
    const char* what;
    bool autoActivation;
    std::function<void()> hold;     // before Start WiFi
    std::function<bool()> waiting;  // Start WiFi waits for NetworkManager
    std::function<void()> release;  // after it was given up: NetworkManager answers
    plat::Awaiting awaited;         // what the window is told meanwhile
  };
  const std::vector<Case> cases{
      {"polkit still asks the user", true,
       [this] {
         nm->setPermission("wifi.share.protected", "auth");
         nm->setReplyDelay(nmtest::kNeverAnswer, {addAndActivate});
       },
       [this] { return !nm->calls(addAndActivate).empty(); },
       [this] { nm->setReplyDelay(0ms, {addAndActivate}); }, plat::Awaiting::Permission},
      {"the hotspot is still coming up", false, [] {},
       [this] {
         if (nm->calls(addAndActivate).empty()) return false;
         nm->stepActivation(QStringLiteral("wlan0"));
         return true;
       },
       [] {}, plat::Awaiting::Nothing},  // it was taken down as it came up
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine = nmtest::MockMachine::laptop();
    machine.autoActivation = c.autoActivation;
    InstallDnsmasq();
    Start();
    ASSERT_EQ(radio->interfaces().size(), 1u);
    c.hold();
    auto started = hostInBackground(*radio);
    ASSERT_TRUE(nmtest::waitUntil(c.waiting));
    EXPECT_EQ(plat::awaiting(), c.awaited);

    // Stop WiFi, pressed meanwhile.
    radio->deleteOwnNetwork(wlan0, "Brisklane");
    ASSERT_TRUE(cameBack(started));
    const Outcome outcome = started.get();
    EXPECT_EQ(outcome.result, RadioResult::Failed);
    EXPECT_EQ(plat::awaiting(), plat::Awaiting::Nothing);
    EXPECT_EQ(outcome.refusal, "Bringing up \"Brisklane\" was stopped before it finished; nothing of it stays.");
    c.release();
    EXPECT_TRUE(nmtest::waitUntil([&] {
      return nm->profilePaths().size() == 1 && nm->deviceState("wlan0") == nmtest::kDisconnected;
    })) << "only the wired profile stays, and the card hosts nothing";
    radio.reset();
    nm.reset();
  }
}

TEST_F(RadioTest, WithNetworkManagerHungAQuittingProgramStopsWaitingForIt) {
  InstallDnsmasq();
  Start();
  ASSERT_EQ(radio->interfaces().size(), 1u);
  nm->setReplyDelay(nmtest::kNeverAnswer);
  auto started = hostInBackground(*radio);
  ASSERT_TRUE(nmtest::waitUntil([&] { return !nm->calls().empty(); }));

  QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
  QCoreApplication::exec();
  ASSERT_TRUE(cameBack(started));
  const Outcome outcome = started.get();
  EXPECT_EQ(outcome.result, RadioResult::Failed);
  EXPECT_EQ(outcome.refusal,
            "NetworkManager did not answer in time: restart it (systemctl restart NetworkManager) and try again.");
}

}  // namespace
}  // namespace radiotest
