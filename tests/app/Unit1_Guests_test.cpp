// What this laptop shows of its own network: the devices on it while
// sharing is on, balloons when they come and go out of sight, and the QR
// code that a phone reads to join.
#include "Unit1TestSupport.h"  // first: see there

#include <cstdio>

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QTreeWidget>

namespace unit1test {
namespace {

const std::string GuestInterface = "{9D4E2C61-3B5A-4F7E-A1C2-5B7D9E1F3A04}";

class Guests : public Unit1Test {
 protected:
  void StartSharing() {
    Start();
    Find<QAction>("actHotspotTab").trigger();
    Idle();
    ASSERT_TRUE(Find<QAction>("actStartSharing").isEnabled());
    Press(Find<QAction>("actStartSharing"));
    ASSERT_EQ(Messages().back(), "Wi-Fi started successfully!");
  }
  void StopSharing() {
    Idle();
    ASSERT_TRUE(Find<QAction>("actStopSharing").isEnabled());
    Press(Find<QAction>("actStopSharing"));
  }

  // The second laptop of the story, in the same air.
  plat::sim::SimRadio& Laptop2() {
    if (!laptop2) {
      auto scenario2 = testkit::shippedScenario("laptop2");
      laptop2 = testkit::SimMachineBuilder().scenario(scenario2).airDir(airDir.path()).build();
    }
    return laptop2->simRadio();
  }
  void Join() {
    ASSERT_EQ(Laptop2().connect(GuestInterface, "Brisklane", std::string("60917"), plat::NetworkKind::Computer, 0),
              plat::RadioResult::Ok);
  }

  // The table of devices, if the window has made it yet.
  const QTreeWidget* Table() const { return form->findChild<QTreeWidget*>("lvGuests"); }

  std::vector<QStringList> Listed() const {
    std::vector<QStringList> rows;
    const QTreeWidget* table = Table();
    if (table == nullptr) return rows;
    for (int i = 0; i < table->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = table->topLevelItem(i);
      rows.push_back({item->text(0), item->text(1), item->text(2), item->text(3)});
    }
    return rows;
  }

  // The window goes to the tray; its own balloon about that is not counted.
  void HideToTray() {
    form->close();
    form->Balloons.clear();
  }

  std::shared_ptr<plat::sim::SimMachine> laptop2;
};

TEST_F(Guests, ADeviceAppearsAndDisappearsWithOneBalloonEachWhileTheWindowIsOutOfSight) {
  StartSharing();
  EXPECT_FALSE(Find<QGroupBox>("grpGuests").isHidden());
  EXPECT_FALSE(Find<QLabel>("lblNoGuests").isHidden());
  EXPECT_TRUE(Table() == nullptr || Table()->isHidden());
  HideToTray();

  Join();
  ASSERT_TRUE(WaitFor([&] { return Listed().size() == 1; }));
  const QStringList row = Listed()[0];
  EXPECT_EQ(row[0], "LAPTOP2");
  EXPECT_EQ(row[1], "00-26-5E-4C-8D-91");
  EXPECT_EQ(row[2], "192.168.137.2");
  EXPECT_FALSE(row[3].isEmpty());
  EXPECT_TRUE(Find<QLabel>("lblNoGuests").isHidden());
  EXPECT_EQ(form->Balloons, std::vector<QString>{"Brisklane|LAPTOP2 joined Brisklane|3000"});

  // Leaving at once: the balloon waits for its turn, a few seconds on.
  ASSERT_EQ(Laptop2().disconnect(GuestInterface), plat::RadioResult::Ok);
  ASSERT_TRUE(WaitFor([&] { return Listed().empty(); }));
  EXPECT_FALSE(Find<QLabel>("lblNoGuests").isHidden());
  EXPECT_EQ(form->Balloons.size(), 1u);
  form->Clock += std::chrono::seconds(2);
  form->tmrGuestBalloonTimer();
  EXPECT_EQ(form->Balloons.size(), 1u);
  form->Clock += std::chrono::seconds(3);
  form->tmrGuestBalloonTimer();
  EXPECT_EQ(form->Balloons.back(), "Brisklane|LAPTOP2 left Brisklane|3000");
  EXPECT_EQ(form->Balloons.size(), 2u);

  // In sight, the list tells it and no balloon does.
  form->Clock += std::chrono::seconds(10);
  Find<QAction>("mniOpenMainWindow").trigger();
  Join();
  ASSERT_TRUE(WaitFor([&] { return Listed().size() == 1; }));
  EXPECT_EQ(form->Balloons.size(), 2u);

  StopSharing();
  EXPECT_TRUE(Find<QGroupBox>("grpGuests").isHidden());
}

// zbarimg's reading of the picture, or what went wrong.
std::string Decoded(const QImage& picture, const std::filesystem::path& folder) {
  const auto file = folder / "join-code.png";
  if (!picture.save(QString::fromStdString(file.string()))) return "(the picture could not be saved)";
  const std::string command = "zbarimg --nodbus --quiet --raw -Sdisable -Sqrcode.enable '" + file.string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "(zbarimg could not be started)";
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  if (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

TEST_F(Guests, TheQrCodeReadsAsTheRunningNetworkWithEveryDelimiterEscaped) {
  WriteSettings("[System]\nSSID=Zoë's \"Net\";a:b,c\\d\nPassword=k;e:y,\"1\\2345\n");
  StartSharing();
  Find<QAction>("actConnectToHotspot").trigger();
  ASSERT_FALSE(Find<QWidget>("pnlJoinCode").isHidden());
  EXPECT_EQ(Find<QLabel>("lblJoinCode").text(), "Scan with a phone camera to join");

  const QImage code = Find<QLabel>("imgJoinCode").pixmap().toImage();
  EXPECT_EQ(Decoded(code, programDir.path()), R"(WIFI:T:WEP;S:Zoë's \"Net\"\;a\:b\,c\\d;P:k\;e\:y\,\"1\\2345;;)");
  // Whole modules of at least four pixels, inside a quiet zone of four.
  EXPECT_EQ(code.width(), code.height());
  EXPECT_EQ(code.width() % 4, 0);
  EXPECT_GE(code.width(), (21 + 8) * 4);
  EXPECT_EQ(code.pixelColor(15, 15), QColor(Qt::white));
  EXPECT_EQ(code.pixelColor(16, 16), QColor(Qt::black));

  Find<QAction>("actCopyJoinDetails").trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "Network: Zoë's \"Net\";a:b,c\\d\nPassword: k;e:y,\"1\\2345");

  StopSharing();
  EXPECT_TRUE(Find<QWidget>("pnlJoinCode").isHidden());
}

TEST_F(Guests, NoQrCodeWhileThisLaptopBroadcastsNothing) {
  Start();
  Find<QAction>("actConnectToHotspot").trigger();
  EXPECT_TRUE(Find<QWidget>("pnlJoinCode").isHidden());
}

}  // namespace
}  // namespace unit1test
