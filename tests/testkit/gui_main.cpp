#include <cstdlib>

#include <QApplication>
#include <gtest/gtest.h>

#include "testkit/TestEnvironment.h"

int main(int argc, char** argv) {
  testkit::isolateTestProcess();
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
