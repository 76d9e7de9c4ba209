// Actions that wait on the machine, run off the window's thread.
#include <future>
#include <stdexcept>
#include <thread>

#include <QApplication>
#include <QObject>
#include <QTest>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/BackgroundAction.h"

namespace {

TEST(BackgroundAction, RunsItsWorkOffTheWindowsThreadUnderTheHourglassAndItsEndOnTheWindowsThread) {
  QObject window;
  TBackgroundAction action(&window);
  std::promise<void> release;
  std::thread::id workThread;
  std::thread::id endThread;
  action.Start([&, go = release.get_future().share()] {
                 go.wait();
                 workThread = std::this_thread::get_id();
               },
               [&] { endThread = std::this_thread::get_id(); });

  // Meanwhile the window's thread is free, and shows it is busy.
  EXPECT_TRUE(action.Running());
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  QCoreApplication::processEvents();
  EXPECT_EQ(endThread, std::thread::id());

  release.set_value();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !action.Running(); }, 10000));
  EXPECT_NE(workThread, std::this_thread::get_id());
  EXPECT_EQ(endThread, std::this_thread::get_id());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(BackgroundAction, RunsOneActionAfterAnother) {
  QObject window;
  TBackgroundAction action(&window);
  std::vector<int> ends;
  for (int i = 0; i < 3; ++i) {
    action.Start([] {}, [&ends, i] { ends.push_back(i); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !action.Running(); }, 10000));
  }
  EXPECT_EQ(ends, (std::vector<int>{0, 1, 2}));
}

TEST(BackgroundAction, AnEndStillOnItsWayWhenTheWindowWaitsForTheWorkIsDropped) {
  QObject window;
  TBackgroundAction action(&window);
  bool ended = false;
  action.Start([] {}, [&] { ended = true; });
  action.Wait();
  QCoreApplication::processEvents();
  EXPECT_FALSE(ended);
  EXPECT_FALSE(action.Running());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(BackgroundAction, WorkThatFailsIsToldOnTheWindowsThreadAsAHandlersFailure) {
  apptest::MessageBoxRecorder recorder;
  QObject window;
  TBackgroundAction action(&window);
  bool ended = false;
  action.Start([] { throw std::runtime_error("The machine went away."); }, [&] { ended = true; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return !action.Running(); }, 10000));
  EXPECT_FALSE(ended);
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0].Text, "The machine went away.");
  EXPECT_EQ(recorder.boxes[0].Icon, QMessageBox::Critical);
}

}  // namespace
