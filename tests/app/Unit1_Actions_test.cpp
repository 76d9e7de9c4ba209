// The actions that wait on the machine run beside the window: while one
// runs, the window says what it does and shows the hourglass; once it ends,
// its box comes and the first panel says what it said before.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "FindWidget.h"
#include "Unit1TestSupport.h"

namespace unit1test {
namespace {


TEST_F(Unit1Test, AnActionThatWaitsOnTheMachineSaysWhatItDoesUntilItsBoxComes) {
  struct Case {
    const char* button;
    const char* status;
    const char* box;
  };
  const std::vector<Case> cases{
      {"btnStartSharing", "Starting Wi-Fi…", "Wi-Fi started successfully!"},
      {"btnStopSharing", "Stopping Wi-Fi…", "Wi-Fi stopped successfully!"},
  };
  Start();
  Find<QToolButton>("btnHotspotTab").click();
  Idle();
  QLabel& firstPanel = Find<QLabel>("StatusBarPanel1");
  const QString notice = firstPanel.text();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    QPushButton& button = Find<QPushButton>(c.button);
    ASSERT_TRUE(button.isEnabled());
    const std::size_t before = boxes.size();
    button.click();
    EXPECT_EQ(firstPanel.text().toStdString(), c.status);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(boxes.size(), before) << "the box waits for the action's end";

    ASSERT_TRUE(WaitFor([&] { return boxes.size() > before; }));
    EXPECT_EQ(boxes.back().Text.toStdString(), c.box);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(firstPanel.text(), notice);
    Idle();
  }
}

}  // namespace
}  // namespace unit1test
