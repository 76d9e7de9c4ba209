// The shared air: stations broadcast, listeners hear live stations only, and
// a station whose process was killed disappears with its files.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>

#include <gtest/gtest.h>

#include "sim/Air.h"
#include "testkit/TempDir.h"

namespace {

using plat::sim::AirNetwork;
using plat::sim::AirStation;
using plat::sim::listenToAir;
using plat::sim::listenToStation;
using plat::sim::prepareAirFolder;
using std::filesystem::perms;
using testing::HasSubstr;

std::vector<std::string> filesIn(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(dir)) names.push_back(item.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

perms permissionsOf(const std::filesystem::path& path) {
  return std::filesystem::symlink_status(path).permissions();
}

std::string refusal(const std::filesystem::path& dir) {
  try {
    prepareAirFolder(dir);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "accepted";
}

TEST(Air, ListenersHearEveryLiveStationButTheirOwn) {
  testkit::TempDir air;
  AirStation first(air.path());
  AirStation second(air.path());
  ASSERT_TRUE(first.publish({{"Brisklane", "60917", 0x80000001u, true}}));
  const std::vector<std::uint8_t> mac = {0x00, 0x26, 0x5E, 0x4C, 0x8D, 0x91};
  ASSERT_TRUE(second.publish({{"Other", "", 0x80000002u, false}, {"Third", "k", 0x80000003u, false}},
                             {{first.id(), 0x80000001u, "LAPTOP2", mac}, {first.id(), 0x80000001u, "", {}}}));

  const auto heard = listenToAir(air.path(), first.id());
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].id, second.id());
  ASSERT_EQ(heard[0].networks.size(), 2u);
  EXPECT_EQ(heard[0].networks[0].name, "Other");
  EXPECT_EQ(heard[0].networks[1].key, "k");
  ASSERT_EQ(heard[0].links.size(), 2u);
  EXPECT_EQ(heard[0].links[0].station, first.id());
  EXPECT_EQ(heard[0].links[0].network, 0x80000001u);
  EXPECT_EQ(heard[0].links[0].deviceName, "LAPTOP2");
  EXPECT_EQ(heard[0].links[0].hardwareAddress, mac);
  EXPECT_TRUE(heard[0].links[1].hardwareAddress.empty());

  const auto fromFirst = listenToStation(air.path(), first.id());
  ASSERT_TRUE(fromFirst);
  EXPECT_EQ(fromFirst->id, first.id());
  EXPECT_TRUE(fromFirst->links.empty());
  ASSERT_EQ(fromFirst->networks.size(), 1u);
  EXPECT_EQ(fromFirst->networks[0].name, "Brisklane");
  EXPECT_EQ(fromFirst->networks[0].key, "60917");
  EXPECT_EQ(fromFirst->networks[0].id, 0x80000001u);
  EXPECT_TRUE(fromFirst->networks[0].internet);
  EXPECT_EQ(listenToAir(air.path()).size(), 2u);
  // Entries carry keys.
  EXPECT_EQ(permissionsOf(air / (first.id() + ".json")), perms::owner_read | perms::owner_write);
}

TEST(Air, PublishingNothingOrLeavingTakesTheStationOffTheAir) {
  testkit::TempDir air;
  AirStation listener(air.path());
  {
    AirStation station(air.path());
    ASSERT_TRUE(station.publish({{"Brisklane", "60917", 0x80000001u, false}}));
    ASSERT_EQ(listenToAir(air.path(), listener.id()).size(), 1u);
    ASSERT_TRUE(station.publish({}));
    EXPECT_TRUE(listenToAir(air.path(), listener.id()).empty());
    // A station that only joined another's network stays on the air.
    ASSERT_TRUE(station.publish({}, {{listener.id(), 0x80000009u, "LAPTOP2", {}}}));
    ASSERT_EQ(listenToAir(air.path(), listener.id()).size(), 1u);
    ASSERT_TRUE(station.publish({{"Brisklane", "60917", 0x80000001u, false}}));
  }
  EXPECT_TRUE(listenToAir(air.path(), listener.id()).empty());
  EXPECT_EQ(filesIn(air.path()), std::vector<std::string>{listener.id() + ".lock"});
}

TEST(Air, AStationOfAKilledProcessDisappearsWithItsFiles) {
  testkit::TempDir air;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The host process: broadcasts, says so, and waits to be killed.
    AirStation station(air.path());
    station.publish({{"Brisklane", "60917", 0x80000001u, true}});
    const char byte = 1;
    if (write(ready[1], &byte, 1) != 1) _exit(1);
    for (;;) pause();
  }
  close(ready[1]);
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);

  const auto heard = listenToAir(air.path());
  ASSERT_EQ(heard.size(), 1u);
  const std::string station = heard[0].id;
  EXPECT_TRUE(listenToStation(air.path(), station));

  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);

  EXPECT_FALSE(listenToStation(air.path(), station));
  EXPECT_TRUE(listenToAir(air.path()).empty());
  EXPECT_TRUE(filesIn(air.path()).empty());
}

TEST(Air, AnEntryWithoutItsLockIsGone) {
  testkit::TempDir air;
  std::ofstream(air / "1-0-abc.json") << R"({"pid": 1, "networks": [{"name": "Ghost", "id": 2147483649}]})";
  EXPECT_TRUE(listenToAir(air.path()).empty());
  EXPECT_TRUE(filesIn(air.path()).empty());
}

// What no station wrote stays as it is and never blocks a listener: a FIFO
// under an entry's or a lock's name (opening it for reading would wait for a
// writer), a file of another name, an entry whose lock exists but cannot be
// opened (its station may be alive), an entry with a number out of range.
TEST(Air, ListenersNeitherBlockOnNorRemoveWhatNoStationWrote) {
  testkit::TempDir air;
  const std::string entry = R"({"networks": [{"name": "Heard", "id": 2147483649}]})";
  ASSERT_EQ(mkfifo((air / "1-0-a.json").c_str(), 0600), 0);
  std::ofstream(air / "2-0-b.json") << entry;
  ASSERT_EQ(mkfifo((air / "2-0-b.lock").c_str(), 0600), 0);
  std::ofstream(air / "3-0-c.json") << entry;
  std::filesystem::create_symlink("nowhere", air / "3-0-c.lock");
  std::ofstream(air / "4-0-d.json") << R"({"networks": [{"name": "Huge", "id": 1e300}]})";
  std::filesystem::create_symlink("nowhere", air / "4-0-d.lock");
  std::ofstream(air / "notes.json") << entry;
  const auto before = filesIn(air.path());

  std::vector<std::string> heard;
  for (const auto& station : listenToAir(air.path())) {
    ASSERT_EQ(station.networks.size(), 1u);
    EXPECT_EQ(station.networks[0].name, "Heard");
    heard.push_back(station.id);
  }
  EXPECT_EQ(heard, (std::vector<std::string>{"2-0-b", "3-0-c"}));
  EXPECT_FALSE(listenToStation(air.path(), "notes"));
  EXPECT_EQ(filesIn(air.path()), before);
}

TEST(Air, TheFolderIsMadeForItsUserAloneAndAnyOtherIsRefused) {
  testkit::TempDir parent;
  const auto made = parent / "nested" / "air";
  { AirStation station(made); }
  EXPECT_EQ(permissionsOf(made), perms::owner_all);

  const auto open = parent / "open";
  std::filesystem::create_directory(open);
  std::filesystem::permissions(open, perms::all);
  EXPECT_THAT(refusal(open), HasSubstr(open.string() + " can be written by other users (mode 0777)"));
  EXPECT_THROW(AirStation{open}, std::runtime_error);
  EXPECT_TRUE(filesIn(open).empty());

  const auto link = parent / "link";
  std::filesystem::create_directory_symlink(made, link);
  EXPECT_THAT(refusal(link), HasSubstr("is a symbolic link"));

  // Root owns "/" and can give a folder away; any other user owns neither.
  auto foreign = std::filesystem::path("/");
  if (geteuid() == 0) {
    foreign = parent / "foreign";
    std::filesystem::create_directory(foreign);
    ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
  }
  EXPECT_THAT(refusal(foreign), HasSubstr("belongs to another user"));
}

TEST(Air, ConcurrentWritersNeverShowAHalfWrittenEntry) {
  testkit::TempDir air;
  constexpr int writers = 3;
  constexpr int rounds = 40;
  std::atomic<int> running{writers};
  std::vector<std::jthread> threads;
  for (int w = 0; w < writers; ++w) {
    threads.emplace_back([&, w] {
      {
        AirStation station(air.path());
        for (int round = 0; round < rounds; ++round) {
          // Every entry holds as many networks as its networks' id says.
          const auto count = static_cast<std::uint32_t>(1 + (round + w) % 4);
          EXPECT_TRUE(station.publish(std::vector<AirNetwork>(count, AirNetwork{"net", "", count, false})));
        }
      }
      --running;
    });
  }
  while (running > 0) {
    for (const auto& station : listenToAir(air.path())) {
      ASSERT_FALSE(station.networks.empty());
      EXPECT_EQ(station.networks.size(), station.networks[0].id);
    }
  }
  threads.clear();
  EXPECT_TRUE(filesIn(air.path()).empty());
}

}  // namespace
