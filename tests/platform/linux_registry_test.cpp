// The Linux machine's registry: the Run key as the user's autostart entries,
// the network connection keys made from the devices, and a store for the
// rest; read and written through the program's own helpers.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "linux/LinuxBackends.h"
#include "linux/LinuxRegistry.h"
#include "linux/kernel/DeviceGuid.h"
#include "rtl/Registry.h"
#include "testkit/FakeDeviceInventory.h"
#include "testkit/FakeSystemRoot.h"
#include "testkit/MixedMachine.h"
#include "testkit/PermissionsEnforced.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"
#include "util/SystemUtils.h"
#include "winreg.h"
#include "winsvc.h"

namespace {

using plat::lnx::LinuxRegistry;

constexpr char runKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string connectionKeys = "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class LinuxRegistryTest : public testing::Test {
 protected:
  LinuxRegistryTest() { install(); }

  // Fresh backends over the same folders, as the next run would have.
  void install() {
    scope.reset();
    auto machine = std::make_shared<testkit::MixedMachine>(testkit::SimMachineBuilder().build());
    machine->registryPart =
        std::make_unique<LinuxRegistry>(view, LinuxRegistry::Places{config / "brisklane/registry.json", autostart});
    scope = std::make_unique<testkit::ScopedMachine>(machine);
  }

  std::string runValue(const std::string& name) {
    TRegistry registry(KEY_READ);
    registry.RootKey = HKEY_LOCAL_MACHINE;
    if (!registry.OpenKeyReadOnly(runKey) || !registry.ValueExists(name)) return "<none>";
    return registry.ReadString(name);
  }

  testkit::FakeSystemRoot root;
  testkit::FakeDeviceInventory inventory;
  plat::lnx::DeviceView view{inventory, root.path()};
  testkit::TempDir config;
  std::filesystem::path autostart = config / "autostart";
  std::unique_ptr<testkit::ScopedMachine> scope;
};

TEST_F(LinuxRegistryTest, AutorunIsAnAutostartEntryWhoseCommandSurvivesQuoting) {
  const std::string plain = "/usr/bin/brisklane";
  AddAutoRun(plain, "Brisklane");
  EXPECT_EQ(readFile(autostart / "Brisklane.desktop"),
            "[Desktop Entry]\nType=Application\nName=Brisklane\nExec=/usr/bin/brisklane\n");
  EXPECT_EQ(runValue("Brisklane"), plain);

  // Blanks, quotes, a dollar, a backslash and a percent sign are quoted and
  // escaped as desktop entries want, and come back unchanged.
  const std::string awkward = "/home/ann/My Apps/it's \"new\" $HOME\\100%/brisklane";
  AddAutoRun(awkward, "Brisklane");
  EXPECT_EQ(readFile(autostart / "Brisklane.desktop"),
            "[Desktop Entry]\nType=Application\nName=Brisklane\n"
            "Exec=\"/home/ann/My Apps/it's \\\\\"new\\\\\" \\\\$HOME\\\\\\\\100%%/brisklane\"\n");
  EXPECT_EQ(runValue("brisklane"), awkward);  // value names compare without case
  install();
  EXPECT_EQ(runValue("Brisklane"), awkward);

  {
    // An entry the user may not change: the runtime's error, and the entry as it was.
    std::filesystem::permissions(autostart / "Brisklane.desktop", std::filesystem::perms::owner_read);
    std::filesystem::permissions(autostart, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    testkit::PermissionsEnforced asUser;
    EXPECT_THROW(AddAutoRun("/opt/other", "Brisklane"), ERegistryException);
    EXPECT_EQ(runValue("Brisklane"), awkward);
  }
  std::filesystem::permissions(autostart, std::filesystem::perms::owner_all);
  std::filesystem::permissions(autostart / "Brisklane.desktop", std::filesystem::perms::owner_all);

  RemoveAutoRun("Brisklane");
  EXPECT_FALSE(std::filesystem::exists(autostart / "Brisklane.desktop"));
  EXPECT_EQ(runValue("Brisklane"), "<none>");
  RemoveAutoRun("Brisklane");  // a value that is not there is no error
}

TEST_F(LinuxRegistryTest, EntriesOfOtherProgramsReadAsTheirCommandsAndHiddenOnesAsAbsent) {
  std::filesystem::create_directories(autostart);
  std::ofstream(autostart / "org.example.Notes.desktop")
      << "[Desktop Entry]\nName=Notes\nExec = notes --hidden %U\n[Desktop Action New]\nExec=notes --new\n";
  std::ofstream(autostart / "Tracker.desktop") << "[Desktop Entry]\nExec=tracker\nHidden=true\n";
  EXPECT_EQ(runValue("org.example.Notes"), "notes --hidden %U");
  EXPECT_EQ(runValue("Tracker"), "<none>");

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, runKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const char data[] = "/bin/x";
  EXPECT_EQ(RegSetValueExA(key, "../escape", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data), ERROR_INVALID_NAME);
  const DWORD number = 1;
  EXPECT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number),
            ERROR_NOT_SUPPORTED);
  RegCloseKey(key);
  EXPECT_FALSE(std::filesystem::exists(autostart / "Count.desktop"));
}

TEST_F(LinuxRegistryTest, ConnectionKeysTellBusAndMediumAndCannotBeWritten) {
  using testkit::FakeInterface;
  root.add(FakeInterface("wlp2s0", 3).address("00:21:6a:11:22:33").wireless().on("pci", "8086:2723 8086:0084"))
      .add(FakeInterface("ens3", 2).address("52:54:00:12:34:56").on("virtio", "1af4:1000"))
      .add(FakeInterface("eth1", 4).address("02:00:00:00:00:01").on("sdio"));
  const std::string wifi = plat::lnx::deviceGuid({0x00, 0x21, 0x6a, 0x11, 0x22, 0x33});
  const std::string virtio = plat::lnx::deviceGuid({0x52, 0x54, 0x00, 0x12, 0x34, 0x56});
  const std::string sdio = plat::lnx::deviceGuid({0x02, 0x00, 0x00, 0x00, 0x00, 0x01});
  plat::lnx::NetworkDevice device;
  device.interfaceName = "wlp2s0";
  device.kind = plat::lnx::DeviceKind::Wifi;
  device.managed = true;
  device.permanentHardwareAddress = {0x00, 0x21, 0x6a, 0x11, 0x22, 0x33};
  inventory.set({device});

  TRegistry registry(KEY_READ);
  registry.RootKey = HKEY_LOCAL_MACHINE;
  ASSERT_TRUE(registry.OpenKeyReadOnly(connectionKeys + wifi + "\\Connection"));
  EXPECT_EQ(registry.ReadString("PnpInstanceID"), "PCI\\VEN_8086&DEV_2723&SUBSYS_00848086\\0000:00:01.0");
  EXPECT_EQ(registry.ReadInteger("MediaSubType"), 2);
  EXPECT_EQ(registry.ReadString("Name"), "Wi-Fi");
  ASSERT_TRUE(registry.OpenKeyReadOnly(connectionKeys + virtio + "\\Connection"));
  EXPECT_EQ(registry.ReadString("PnpInstanceID"), "PCI\\VEN_1AF4&DEV_1000\\0000:00:02.0");
  EXPECT_EQ(registry.ReadInteger("MediaSubType"), 1);
  EXPECT_FALSE(registry.ValueExists("Name"));  // no connection: NetworkManager does not manage it
  ASSERT_TRUE(registry.OpenKeyReadOnly(connectionKeys + sdio + "\\Connection"));
  EXPECT_EQ(registry.ReadString("PnpInstanceID"), "SDIO\\sdio.3");
  EXPECT_EQ(registry.GetKeyNames(), std::vector<std::string>{});
  ASSERT_TRUE(registry.OpenKeyReadOnly(connectionKeys));
  EXPECT_EQ(registry.GetKeyNames(), (std::vector<std::string>{wifi, virtio, sdio}));
  EXPECT_FALSE(registry.OpenKeyReadOnly(connectionKeys + "{00000000-0000-0000-0000-000000000000}\\Connection"));

  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (connectionKeys + wifi + "\\Connection").c_str(), 0, KEY_ALL_ACCESS, &key),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (connectionKeys + wifi + "\\Other").c_str(), 0, nullptr, 0, KEY_READ,
                            nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
}

TEST_F(LinuxRegistryTest, OtherKeysAreKeptInTheStoreAcrossRuns) {
  {
    TRegistry registry;
    registry.RootKey = HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Brisklane\\Test", true));
    registry.WriteInteger("Runs", 3);
  }
  install();
  TRegistry registry(KEY_READ);
  registry.RootKey = HKEY_LOCAL_MACHINE;
  ASSERT_TRUE(registry.OpenKeyReadOnly("SOFTWARE\\Brisklane\\Test"));
  EXPECT_EQ(registry.ReadInteger("Runs"), 3);
  EXPECT_TRUE(std::filesystem::exists(config / "brisklane/registry.json"));
  // The keys served from elsewhere still hang in the tree.
  ASSERT_TRUE(registry.OpenKeyReadOnly("SOFTWARE\\Microsoft\\Windows\\CurrentVersion"));
  EXPECT_EQ(registry.GetKeyNames(), std::vector<std::string>{"Run"});
}

}  // namespace

TEST(LinuxBackendsForUser, KeepTheirFilesInTheUsersXdgFolders) {
  testkit::TempDir home;
  // The test process has its own XDG_CONFIG_HOME (see TestEnvironment).
  const std::string savedConfig = std::getenv("XDG_CONFIG_HOME");
  const char* savedHome = std::getenv("HOME");
  const std::optional<std::string> previousHome = savedHome ? std::optional<std::string>(savedHome) : std::nullopt;
  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", "relative/ignored", 1);  // not absolute: the default applies
  testkit::FakeDeviceInventory inventory;
  {
    auto backends = plat::lnx::LinuxBackends::forUser(inventory);
    auto machine = std::make_shared<testkit::MixedMachine>(testkit::SimMachineBuilder().build());
    machine->registryPart = std::move(backends.registry);
    testkit::ScopedMachine scope(machine);
    AddAutoRun("/usr/bin/brisklane", "Brisklane");
  }
  setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
  if (previousHome) {
    setenv("HOME", previousHome->c_str(), 1);
  } else {
    unsetenv("HOME");
  }
  EXPECT_TRUE(std::filesystem::exists(home / ".config/autostart/Brisklane.desktop"));
}
