// The animation thread over a plain window with three stacked pictures.
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <QLabel>
#include <QWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "service/AnimateThread.h"

namespace {

// Processes events until `condition` holds; false when it never does.
template <class Condition>
bool waitUntil(Condition condition) {
  return QTest::qWaitFor(condition, 20000);
}


class AnimateThreadTest : public testing::Test {
 protected:
  AnimateThreadTest() {
    for (QLabel*& picture : pictures) {
      picture = new QLabel(&window);
      picture->hide();
    }
  }
  // The pictures not hidden, by number: "02" for the first and the last.
  std::string shown() const {
    std::string numbers;
    for (int i = 0; i < 3; ++i) {
      if (!pictures[i]->isHidden()) numbers += char('0' + i);
    }
    return numbers;
  }
  void show(const std::string& numbers) {
    for (int i = 0; i < 3; ++i) pictures[i]->setHidden(numbers.find(char('0' + i)) == std::string::npos);
  }
  // Spins without carrying out any hand-off until the thread waits for one.
  static void untilWaiting(TAnimateThread& animation) {
    while (!animation.WaitingForHandOff()) std::this_thread::yield();
  }

  QWidget window;
  std::array<QLabel*, 3> pictures{};
};

TEST_F(AnimateThreadTest, ShowFrameDecisions) {
  struct Case {
    bool windowShown;
    int mode;
    int frame;
    const char* shown;
  };
  const Case cases[] = {
      {true, -1, 0, "0"}, {true, -1, 1, "1"}, {true, -1, 2, "2"}, {true, 0, 1, "0"}, {true, 0, 2, "0"},
      {true, 1, 0, "2"},  {true, 1, 1, "2"},  {true, 7, 1, "02"},  // an unknown mode leaves them as they were
      {false, -1, 1, "02"},                                        // so does a hidden window
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.windowShown ? "shown" : "hidden") << " mode " << c.mode << " frame "
                                    << c.frame);
    window.setVisible(c.windowShown);
    show("02");
    // Never started: ShowFrame alone.
    TAnimateThread animation(window, pictures);
    animation.Mode = c.mode;
    animation.Frame = c.frame;
    animation.ShowFrame();
    EXPECT_EQ(shown(), c.shown);
  }
}

TEST_F(AnimateThreadTest, EachFrameWaitsUntilTheUiThreadCarriedItOut) {
  window.show();
  TAnimateThread animation(window, pictures);
  animation.Start();
  untilWaiting(animation);
  EXPECT_EQ(shown(), "") << "nothing changes before the UI thread runs";
  ASSERT_TRUE(waitUntil([&] { return !animation.WaitingForHandOff(); }));
  EXPECT_EQ(shown(), "0");
  for (const char* next : {"1", "2", "0"}) {
    SCOPED_TRACE(next);
    EXPECT_TRUE(waitUntil([&] { return shown() == next; }));
  }
}

TEST_F(AnimateThreadTest, EndingWhileAFrameIsPendingCarriesItOutInsteadOfDeadlocking) {
  struct Case {
    bool windowShown;
    bool waitFirst;  // WaitFor before the destruction, as a window's own end may do
    const char* afterWaitFor;
    const char* afterDestruction;
  };
  const Case cases[] = {
      {true, true, "0", ""},
      {true, false, nullptr, ""},
      // Hidden: the pending frame changes nothing, and the pictures stay.
      {false, true, "1", "1"},
      {false, false, nullptr, "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.windowShown ? "shown" : "hidden") << (c.waitFirst ? ", WaitFor" : ""));
    window.setVisible(c.windowShown);
    show("1");
    auto animation = std::make_unique<TAnimateThread>(window, pictures);
    animation->Start();
    untilWaiting(*animation);
    if (c.waitFirst) {
      animation->Terminate();
      animation->WaitFor();
      EXPECT_FALSE(animation->WaitingForHandOff());
      EXPECT_EQ(shown(), c.afterWaitFor);
    }
    animation.reset();
    EXPECT_EQ(shown(), c.afterDestruction);
    // The hand-off still queued goes with the thread object.
    QCoreApplication::processEvents();
    EXPECT_EQ(shown(), c.afterDestruction);
  }
}

}  // namespace
