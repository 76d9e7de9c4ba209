// The Linux machine's file watch: a file replaced by a rename or removed is
// noticed at once, long before the interval.
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include <gtest/gtest.h>

#include "linux/hotspot/FileWatch.h"
#include "testkit/TempDir.h"

namespace {

using namespace std::chrono_literals;

TEST(FileWatch, NoticesTheFileReplacedOrRemovedInItsFolder) {
  testkit::TempDir folder;
  const auto file = folder.path() / "dnsmasq-wlan0.leases";
  std::mutex mutex;
  std::condition_variable called;
  int calls = 0;
  plat::lnx::FileWatch watch(file, 1h, [&] {
    std::lock_guard lock(mutex);
    ++calls;
    called.notify_all();
  });
  const auto calledTimes = [&](int count) {
    std::unique_lock lock(mutex);
    return called.wait_for(lock, 10s, [&] { return calls >= count; });
  };
  ASSERT_TRUE(calledTimes(1)) << "once at the start";

  std::ofstream(folder.path() / "dnsmasq-wlan0.leases.new") << "0 aa:bb:cc:dd:ee:01 10.42.0.23 pixel-7 *\n";
  std::filesystem::rename(folder.path() / "dnsmasq-wlan0.leases.new", file);
  ASSERT_TRUE(calledTimes(2)) << "replaced";
  std::filesystem::remove(file);
  ASSERT_TRUE(calledTimes(3)) << "removed";
}

}  // namespace
