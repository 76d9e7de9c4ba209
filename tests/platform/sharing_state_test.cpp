// The simulated machine's sharing state: kept across runs in the state
// folder, seeded by the scenario, asked from other threads by the air and the
// Internet check; and the registry values its adapters and connections
// publish.
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "net/NetTestSupport.h"
#include "sim/SimNetwork.h"
#include "testkit/SimMachineBuilder.h"
#include "objbase.h"
#include "testkit/TempDir.h"
#include "win32/MachineCodes.h"
#include "winreg.h"

namespace {

using nettest::Adapter;
using nettest::Connection;
using nettest::Guid;
using plat::SharingRole;
using plat::SharingStatus;

const std::string Wired = Guid(1);
const std::string Wireless = Guid(2);
const std::string Other = Guid(3);

nlohmann::json Connections(int wiredStatus = 2, bool wiredInternet = true) {
  return {Connection(Wired, "Local Area Connection", {{"status", wiredStatus}, {"internet", wiredInternet}}),
          Connection(Wireless, "Wireless Network Connection"), Connection(Other, "Other")};
}

testkit::SimMachineBuilder Builder(const nlohmann::json& connections = Connections()) {
  return std::move(testkit::SimMachineBuilder().section("connections", connections));
}

TEST(SharingState, SurvivesANewMachineOnTheSameStateFolderUntilDisabled) {
  testkit::TempDir state;
  {
    auto machine = Builder().stateDir(state.path()).build();
    ASSERT_EQ(machine->simNetwork().enableSharing(Wired, SharingRole::publicSide), SharingStatus::Ok);
    ASSERT_EQ(machine->simNetwork().enableSharing(Wireless, SharingRole::privateSide), SharingStatus::Ok);
  }
  {
    auto machine = Builder().stateDir(state.path()).build();
    EXPECT_EQ(machine->simNetwork().sharedConnection(SharingRole::publicSide), Wired);
    EXPECT_EQ(machine->simNetwork().sharedConnection(SharingRole::privateSide), Wireless);
    ASSERT_EQ(machine->simNetwork().disableSharing(Wired), SharingStatus::Ok);
  }
  auto machine = Builder().stateDir(state.path()).build();
  EXPECT_EQ(machine->simNetwork().sharedConnection(SharingRole::publicSide), "");
  EXPECT_EQ(machine->simNetwork().sharedConnection(SharingRole::privateSide), Wireless);
  auto memoryOnly = Builder().build();
  EXPECT_EQ(memoryOnly->simNetwork().sharedConnection(SharingRole::privateSide), "") << "without a state folder";
}

TEST(SharingState, AChangeThatCannotBeSavedFailsAndIsNotMade) {
  testkit::TempDir state;
  auto machine = Builder().stateDir(state.path()).build();
  auto& network = machine->simNetwork();
  ASSERT_EQ(network.enableSharing(Wired, SharingRole::publicSide), SharingStatus::Ok);
  std::filesystem::remove(state / "sharing.json");
  std::filesystem::create_directories(state / "sharing.json" / "in-the-way");

  testing::internal::CaptureStderr();
  EXPECT_EQ(plat::sharingResultCode(network.enableSharing(Wireless, SharingRole::privateSide)),
            HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  EXPECT_EQ(plat::sharingResultCode(network.disableSharing(Wired)), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("cannot save " + (state / "sharing.json").string()), std::string::npos) << said;
  EXPECT_EQ(network.sharedConnection(SharingRole::publicSide), Wired);
  EXPECT_EQ(network.sharedConnection(SharingRole::privateSide), "");
}

TEST(SharingState, ScenarioSeedsTheStateAndASavedStateWins) {
  testkit::TempDir state;
  auto seeded = Builder().section("sharing", {{"public", Wired}, {"private", nullptr}}).stateDir(state.path()).build();
  EXPECT_EQ(seeded->simNetwork().sharedConnection(SharingRole::publicSide), Wired);
  ASSERT_EQ(seeded->simNetwork().disableSharing(Wired), SharingStatus::Ok);
  seeded.reset();
  auto again = Builder().section("sharing", {{"public", Wired}}).stateDir(state.path()).build();
  EXPECT_EQ(again->simNetwork().sharedConnection(SharingRole::publicSide), "");
}

std::string refusal(const testkit::SimMachineBuilder& builder) {
  try {
    builder.build();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "accepted";
}

TEST(SharingState, MalformedStateIsRefusedNamingTheFileAndCause) {
  const std::pair<std::function<void(const std::filesystem::path&)>, const char*> cases[] = {
      {[](const auto& file) { std::ofstream(file) << "{ not json"; }, " is damaged: "},
      {[](const auto& file) { std::ofstream(file) << R"({"public": 7})"; }, ": \"public\" must be a text, not 7"},
      {[](const auto& file) { std::filesystem::create_directory(file); }, " cannot be read: Is a directory"},
      {[](const auto& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }, " cannot be read: Not a regular file"},
  };
  for (const auto& [make, cause] : cases) {
    testkit::TempDir state;
    make(state / "sharing.json");
    EXPECT_THAT(refusal(Builder().stateDir(state.path())),
                testing::StartsWith("saved sharing state " + (state / "sharing.json").string() + cause));
  }
  EXPECT_THROW(Builder().section("sharing", {{"public", Wired}, {"private", Wired}}).build(), std::runtime_error);
  EXPECT_THROW(Builder().section("sharing", {{"public", 7}}).build(), std::runtime_error);
  EXPECT_THROW(Builder({Connection(Wired, "A"), Connection(Wired, "B")}).build(), std::runtime_error);
  EXPECT_THROW(Builder(nettest::Array({Connection("{not-a-guid}", "A")})).build(), std::runtime_error);
}

TEST(SharingState, ConnectionGuidsAreKeptInUpperCase) {
  std::string lower = Wired;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto machine = Builder(nettest::Array({Connection(lower, "A")})).build();
  EXPECT_EQ(machine->simNetwork().connectionIds(), std::vector<std::string>({Wired}));
}

TEST(SharingState, InternetReachesThePrivateSideThroughAConnectedPublicSide) {
  struct Case {
    const char* what;
    int wiredStatus;
    bool wiredInternet;
    std::string publicSide;
    std::string asked;
    bool expected;
  };
  std::string lowerWireless = Wireless;
  for (char& c : lowerWireless) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const Case cases[] = {
      {"shared from the Internet connection", 2, true, Wired, Wireless, true},
      {"GUID in lower case", 2, true, Wired, lowerWireless, true},
      {"another private side", 2, true, Wired, Other, false},
      {"public side without Internet", 2, false, Wired, Wireless, false},
      {"public side unplugged", 7, true, Wired, Wireless, false},
      {"public side without Internet of its own", 2, true, Other, Wireless, false},
      {"no public side", 2, true, "", Wireless, false},
      {"empty GUID", 2, true, Wired, "", false},
  };
  for (const Case& c : cases) {
    auto machine = Builder(Connections(c.wiredStatus, c.wiredInternet)).build();
    auto& network = machine->simNetwork();
    if (!c.publicSide.empty()) {
      ASSERT_EQ(network.enableSharing(c.publicSide, SharingRole::publicSide), SharingStatus::Ok) << c.what;
    }
    ASSERT_EQ(network.enableSharing(Wireless, SharingRole::privateSide), SharingStatus::Ok) << c.what;
    EXPECT_EQ(network.sharesInternetTo(c.asked), c.expected) << c.what;
  }
}

TEST(SharingState, DirectInternetFollowsTheConnectionStatus) {
  auto machine = Builder().build();
  auto& network = machine->simNetwork();
  EXPECT_TRUE(network.reachesInternetDirectly());
  network.setConnectionStatus(Wired, 7);
  EXPECT_FALSE(network.reachesInternetDirectly());
  network.setConnectionStatus(Wired, 2);
  EXPECT_TRUE(network.reachesInternetDirectly());
  EXPECT_THROW(network.setConnectionStatus(Guid(99), 2), std::invalid_argument);
}

// Other threads ask while the user-interface thread switches sharing and the
// connection status (run under the thread sanitizer in CI).
TEST(SharingState, QuestionsFromOtherThreadsAreSafe) {
  auto machine = Builder().build();
  auto& network = machine->simNetwork();
  std::atomic<bool> done{false};
  std::atomic<int> answers{0};
  std::vector<std::jthread> askers;
  for (int i = 0; i < 2; ++i) {
    askers.emplace_back([&] {
      while (!done) {
        network.sharesInternetTo(Wireless);
        network.reachesInternetDirectly();
        ++answers;
      }
    });
  }
  for (int round = 0; round < 200; ++round) {
    network.enableSharing(Wired, SharingRole::publicSide);
    network.enableSharing(Wireless, SharingRole::privateSide);
    network.setConnectionStatus(Wired, round % 2 == 0 ? 7 : 2);
    network.disableSharing(Wired);
    network.disableSharing(Wireless);
  }
  while (answers < 10) std::this_thread::yield();
  done = true;
  askers.clear();
  EXPECT_EQ(network.sharedConnection(SharingRole::publicSide), "");
}

// The registry values behind ReadConnectionKey, with the types the scenario
// gives them.
TEST(SharingState, ConnectionKeysArePublishedWithTheScenarioTypes) {
  const std::string base = "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
  auto machine = testkit::SimMachineBuilder()
                     .section("adapters", {Adapter(Guid(1), 11, {{"pnpInstanceId", "PCI\\VEN_8086"}, {"mediaSubType", 2}}),
                                           Adapter(Guid(2), 12, {{"pnpInstanceId", 7}, {"mediaSubType", "2"}}),
                                           Adapter(Guid(3), 13)})
                     .section("connections", nettest::Array({Connection(Guid(4), "1394", {{"mediaSubType", {{"type", 3}, {"hex", "02000000"}}}})}))
                     .build();
  testkit::ScopedMachine scope(machine);
  struct Case {
    std::string guid;
    const char* value;
    LONG result;
    DWORD type;
  };
  const Case cases[] = {
      {Guid(1), "PnpInstanceID", ERROR_SUCCESS, REG_SZ},   {Guid(1), "MediaSubType", ERROR_SUCCESS, REG_DWORD},
      {Guid(2), "PnpInstanceID", ERROR_SUCCESS, REG_DWORD}, {Guid(2), "MediaSubType", ERROR_SUCCESS, REG_SZ},
      {Guid(4), "MediaSubType", ERROR_SUCCESS, REG_BINARY},  {Guid(4), "PnpInstanceID", ERROR_FILE_NOT_FOUND, 0},
  };
  for (const Case& c : cases) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (base + c.guid + "\\Connection").c_str(), 0, KEY_READ, &key), ERROR_SUCCESS)
        << c.guid;
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, c.value, nullptr, &type, nullptr, &size), c.result) << c.guid << " " << c.value;
    if (c.result == ERROR_SUCCESS) {
      EXPECT_EQ(type, c.type) << c.guid << " " << c.value;
    }
    RegCloseKey(key);
  }
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (base + Guid(3) + "\\Connection").c_str(), 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND)
      << "an adapter without values has no key";
}

}  // namespace
