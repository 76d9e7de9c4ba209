#include <gtest/gtest.h>

#include "testkit/TestEnvironment.h"

int main(int argc, char** argv) {
  testkit::isolateTestProcess();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
