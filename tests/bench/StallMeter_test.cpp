// The stall meter on a clock the test moves: what a handler takes is what
// it moves the clock by, so the figures are exact.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include "StallMeter.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using stall::StallMeter;

struct Moved {
  StallMeter::Clock::time_point now{};
  void by(milliseconds time) { now += time; }
};

// Lets the loop turn a few times in real time, which moves no clock of the meter's.
void turnTheLoop(int realMilliseconds = 20) {
  QEventLoop loop;
  QTimer::singleShot(realMilliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

TEST(StallMeter, TheLongestStretchWithoutATurnOfTheLoopIsTheStall) {
  const struct {
    const char* name;
    std::vector<std::function<void(Moved&)>> handlers;  // each one an event of its own
    milliseconds longest;
  } cases[] = {
      {"an idle loop", {}, 0ms},
      {"one handler of 300 ms", {[](Moved& clock) { clock.by(300ms); }}, 300ms},
      {"the longer of two handlers", {[](Moved& clock) { clock.by(100ms); }, [](Moved& clock) { clock.by(250ms); }},
       250ms},
      {"work on both sides of a modal loop",
       {[](Moved& clock) {
         clock.by(120ms);
         turnTheLoop();
         clock.by(80ms);
       }},
       120ms},
      {"work on both sides of a wait that does not run the loop",
       {[](Moved& clock) {
         clock.by(120ms);
         QThread::msleep(20);
         clock.by(80ms);
       }},
       200ms},
  };
  for (const auto& [name, handlers, longest] : cases) {
    SCOPED_TRACE(name);
    Moved clock;
    StallMeter meter([&] { return clock.now; });
    meter.start();
    for (const auto& handler : handlers) {
      QTimer::singleShot(0, [&] { handler(clock); });
      turnTheLoop();
    }
    turnTheLoop();
    EXPECT_EQ(meter.longest(), longest);
  }
}

TEST(StallMeter, AStallGoingOnCountsAndStartBeginsAfresh) {
  Moved clock;
  StallMeter meter([&] { return clock.now; });
  meter.start();
  milliseconds seenInside{};
  QTimer::singleShot(0, [&] {
    clock.by(400ms);
    seenInside = meter.longest();  // as the watchdog asks while the loop is stuck
  });
  turnTheLoop();
  EXPECT_EQ(seenInside, 400ms);
  EXPECT_EQ(meter.longest(), 400ms);

  meter.start();
  EXPECT_EQ(meter.longest(), 0ms);
  clock.by(30ms);
  EXPECT_EQ(meter.longest(), 30ms) << "no turn since start()";
}

}  // namespace
