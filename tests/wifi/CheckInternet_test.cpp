// The Internet check thread: when it probes and what it delivers.
#include <gtest/gtest.h>

#include "WifiTestKit.h"

namespace {

using namespace wifitest;

class CheckInternet : public WifiTest {};

TEST_F(CheckInternet, DeliversTheFirstResultOnItsOwnThread) {
  install({});
  auto& wifi = create();
  gate.allow(1);
  ASSERT_TRUE(events.waitStatuses(1));
  EXPECT_EQ(events.statuses(), std::vector<std::uint8_t>{2});
  EXPECT_EQ(wifi.InternetStatus(), 2);
  EXPECT_NE(events.threads()[0], std::this_thread::get_id());
}

TEST_F(CheckInternet, FiresOncePerChange) {
  install(MachineSpec().withInternet());
  auto& wifi = create();
  gate.allow(1);
  ASSERT_TRUE(events.waitStatuses(1));  // probe 1: reachable

  wifi.CheckInternetNow();
  ASSERT_TRUE(gate.waitStarted(2));
  gate.allow(1);  // probe 2: still reachable
  wifi.CheckInternetNow();
  ASSERT_TRUE(gate.waitStarted(3));  // so probe 2 has been delivered
  machine->simInternet().setOffline(true);
  gate.allow(1);  // probe 3: off line
  ASSERT_TRUE(events.waitStatuses(2));
  EXPECT_EQ(events.statuses(), (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(wifi.InternetStatus(), 2);
}

TEST_F(CheckInternet, ProbesAgainWhenTheIntervalHasPassed) {
  install({});
  create(std::chrono::milliseconds(10));
  gate.open();
  EXPECT_TRUE(gate.waitStarted(3));
}

TEST_F(CheckInternet, WakesDuringAProbeCountAsOneMoreProbe) {
  install({});
  auto& wifi = create();  // an hour between probes: only wakes make them
  ASSERT_TRUE(gate.waitStarted(1));
  wifi.CheckInternetNow();
  wifi.CheckInternetNow();
  wifi.CheckInternetNow();
  gate.allow(1);
  ASSERT_TRUE(gate.waitStarted(2));  // the wakes made one probe right after
  gate.setMark(1);
  gate.allow(1);
  // Had the three wakes counted more than once, the next probe would start
  // without this wake, before the mark changes.
  gate.setMark(2);
  wifi.CheckInternetNow();
  ASSERT_TRUE(gate.waitStarted(3));
  EXPECT_EQ(gate.marks(), (std::vector<int>{0, 0, 2}));
}

TEST_F(CheckInternet, AHandlerThatThrowsDoesNotStopTheProbing) {
  install(MachineSpec().withInternet());
  events.throwFromStatusHandler();
  auto& wifi = create();
  gate.open();
  ASSERT_TRUE(events.waitStatuses(1));
  machine->simInternet().setOffline(true);
  wifi.CheckInternetNow();
  ASSERT_TRUE(events.waitStatuses(2));
  machine->simInternet().setOffline(false);
  wifi.CheckInternetNow();
  ASSERT_TRUE(events.waitStatuses(3));
  EXPECT_EQ(events.statuses(), (std::vector<std::uint8_t>{1, 2, 1}));
  EXPECT_EQ(wifi.InternetStatus(), 1);
}

TEST_F(CheckInternet, DestructionEndsAWaitingThreadAtOnce) {
  install({});
  create(std::chrono::hours(24));
  gate.allow(1);
  ASSERT_TRUE(events.waitStatuses(1));
  wifi.reset();  // would hang for a day if the wait did not notice the end
  EXPECT_EQ(gate.started(), 1);
}

}  // namespace
