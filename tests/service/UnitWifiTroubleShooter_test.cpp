// The troubleshooter window against the shipped Windows XP laptops, on a
// simulated clock so that the service's waits cost no time.
#include <chrono>
#include <functional>
#include <thread>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "rtl/Registry.h"
#include "service/AnimateThread.h"
#include "service/UnitWifiTroubleShooter.h"
#include "sim/SimServices.h"
#include "store/RegistryStore.h"
#include "testkit/SimMachineBuilder.h"

namespace {

// Processes events until `condition` holds; false when it never does.
template <class Condition>
bool waitUntil(Condition condition) {
  return QTest::qWaitFor(condition, 20000);
}

const char InterfacesKey[] = "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces";
const char InterfaceKey[] =
    "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}";


// The label shows all of its text, inside the window.
void expectWholeTextInside(const QWidget& form, const QLabel* label) {
  const int flags = label->wordWrap() ? Qt::TextWordWrap : 0;
  const QRect needed =
      label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 1000), flags, label->text());
  EXPECT_LE(needed.width(), label->width());
  EXPECT_LE(needed.height(), label->height());
  EXPECT_LE(label->geometry().right(), form.width());
  EXPECT_LE(label->geometry().bottom(), 53) << "above the button";
}

class TroubleShooterTest : public testing::Test {
 protected:
  // Installs a shipped scenario, changed by `edit` first.
  void install(const std::string& scenario, const std::function<void(nlohmann::json&)>& edit = {}) {
    nlohmann::json json = testkit::shippedScenario(scenario);
    if (edit) edit(json);
    scope.reset();
    machine = testkit::SimMachineBuilder().scenario(json).simulatedClock().build();
    scope = std::make_unique<testkit::ScopedMachine>(machine);
  }
  plat::sim::SimServices& services() { return machine->simServices(); }
  int controlFlags() {
    TRegistry registry(KEY_READ);
    EXPECT_TRUE(registry.OpenKeyReadOnly(InterfaceKey));
    return registry.ReadInteger("ControlFlags");
  }

  std::shared_ptr<plat::sim::SimMachine> machine;
  std::unique_ptr<testkit::ScopedMachine> scope;
};

TEST_F(TroubleShooterTest, DesignAsCreated) {
  install("xp-laptop");
  TFrmTroubleShooter form;
  EXPECT_EQ(form.objectName(), "FrmTroubleShooter");
  EXPECT_EQ(form.windowTitle(), "Starting WIFI Service");
  EXPECT_EQ(form.size(), QSize(343, 96));
  EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_EQ(form.lbl1->text(), "Starting Microsoft Windows WIFI Service ...");
  EXPECT_EQ(form.lbl1->pos(), QPoint(71, 16));
  expectWholeTextInside(form, form.lbl1);
  EXPECT_EQ(form.btnCancel->text(), "&Cancel");
  EXPECT_EQ(form.btnCancel->geometry(), QRect(143, 53, 75, 25));
  EXPECT_EQ(form.findChildren<QWidget*>().first(), form.btnCancel) << "first in tab order";
  for (QLabel* picture : {form.imgAnimate0, form.imgAnimate1, form.imgAnimate2}) {
    SCOPED_TRACE(picture->objectName().toStdString());
    EXPECT_EQ(picture->geometry(), QRect(16, 8, 32, 32)) << "stacked on imgAnimate0";
    EXPECT_TRUE(picture->isHidden());
    EXPECT_EQ(picture->pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
  }
  EXPECT_EQ(form.Timer1->interval(), 3000);
  EXPECT_TRUE(form.Timer1->isActive());
  EXPECT_EQ(form.Animation()->Mode, -1);
  EXPECT_EQ(services().statusQueries("wzcsvc"), 0) << "creating the window asks nothing";
}

TEST_F(TroubleShooterTest, TextsInGerman) {
  install("xp-laptop");
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  TFrmTroubleShooter form;
  EXPECT_EQ(form.windowTitle(), "WLAN-Dienst wird gestartet");
  EXPECT_EQ(form.lbl1->text(), "Microsoft Windows WLAN-Dienst wird gestartet ...");
  EXPECT_EQ(form.btnCancel->text(), "&Abbrechen");
  form.Timer1Timer();
  EXPECT_EQ(form.lbl1->text(), "Der Windows WLAN-Dienst wurde erfolgreich gestartet.");
  EXPECT_EQ(form.btnCancel->text(), QString::fromUtf8("&Schließen"));
  expectWholeTextInside(form, form.lbl1);
}

TEST_F(TroubleShooterTest, WithoutInterfaceSubkeyRestartStillRestartsAndReportsFailure) {
  install("xp-laptop", [](nlohmann::json& json) {
    json["registry"].erase(InterfaceKey);
    json["registry"][InterfacesKey] = nlohmann::json::object();
  });
  TFrmTroubleShooter form;
  form.show();
  form.Timer1Timer();
  EXPECT_EQ(form.lbl1->text(), "The Windows WIFI service is not started.");
  expectWholeTextInside(form, form.lbl1);
  EXPECT_EQ(form.btnCancel->text(), "&Close");
  EXPECT_EQ(form.Animation()->Mode, 0);
  EXPECT_FALSE(form.imgAnimate0->isHidden());
  EXPECT_TRUE(form.imgAnimate1->isHidden());
  EXPECT_TRUE(form.imgAnimate2->isHidden());
}

TEST_F(TroubleShooterTest, TimerShowsSuccessAndRestoresTheCursor) {
  install("xp-laptop");
  TFrmTroubleShooter form;
  form.show();
  form.Timer1Timer();
  EXPECT_FALSE(form.Timer1->isActive());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(form.Animation()->Mode, 1);
  EXPECT_EQ(form.lbl1->text(), "The Windows WIFI service was started successfully.");
  expectWholeTextInside(form, form.lbl1);
  EXPECT_EQ(form.btnCancel->text(), "&Close");
  EXPECT_TRUE(form.imgAnimate0->isHidden());
  EXPECT_TRUE(form.imgAnimate1->isHidden());
  EXPECT_FALSE(form.imgAnimate2->isHidden());
  // The animation goes on showing the final picture.
  form.imgAnimate2->hide();
  EXPECT_TRUE(waitUntil([&] { return form.imgAnimate2->isVisible(); }));
  EXPECT_TRUE(form.imgAnimate0->isHidden());
}

TEST_F(TroubleShooterTest, ErrorOutOfTheTimerReachesTheErrorBoxWithCursorRestored) {
  install("xp-laptop", [](nlohmann::json& json) { json["services"][0]["deny"] = {"control"}; });
  apptest::MessageBoxRecorder boxes;
  TFrmTroubleShooter form;
  form.show();
  form.Timer1->setInterval(0);
  form.Timer1->start();
  ASSERT_TRUE(waitUntil([&] { return !boxes.boxes.empty(); }));
  EXPECT_EQ(boxes.boxes[0].Text, "System Error.  Code: 5.\r\nAccess is denied");
  EXPECT_EQ(boxes.boxes[0].Icon, QMessageBox::Critical);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(form.Timer1->isActive());
}

TEST_F(TroubleShooterTest, CancelBeforeTheRestartTouchesNothing) {
  install("xp-laptop");
  TFrmTroubleShooter form;
  const int result = apptest::RunModal(form, [&] {
    EXPECT_TRUE(form.Timer1->isActive());
    form.btnCancel->click();
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_FALSE(form.Timer1->isActive()) << "a closed window never restarts the service";
  EXPECT_EQ(services().stopRequests("wzcsvc"), 0);
  EXPECT_EQ(services().startRequests("wzcsvc"), 0);
  EXPECT_EQ(controlFlags(), 0x4002);
}

TEST_F(TroubleShooterTest, AnimationCyclesThroughTheFramesWhileShown) {
  install("xp-laptop");
  TFrmTroubleShooter form;
  form.show();
  for (QLabel* picture : {form.imgAnimate0, form.imgAnimate1, form.imgAnimate2, form.imgAnimate0}) {
    SCOPED_TRACE(picture->objectName().toStdString());
    ASSERT_TRUE(waitUntil([&] { return picture->isVisible(); }));
    EXPECT_EQ(form.imgAnimate0->isVisible() + form.imgAnimate1->isVisible() + form.imgAnimate2->isVisible(), 1);
    if (picture == form.imgAnimate2) continue;
    // Wait until it goes again, so the next frame is a new one.
    ASSERT_TRUE(waitUntil([&] { return !picture->isVisible(); }));
  }
}

TEST_F(TroubleShooterTest, DestructionCarriesOutThePendingHandOffInsteadOfDeadlocking) {
  install("xp-laptop");
  for (bool shown : {false, true}) {
    SCOPED_TRACE(shown ? "shown" : "hidden");
    auto form = std::make_unique<TFrmTroubleShooter>();
    if (shown) form->show();
    // The UI thread carries out nothing here, so the thread ends up waiting.
    while (!form->Animation()->WaitingForHandOff()) std::this_thread::yield();
    form.reset();
  }
}

// --- the start-up check ------------------------------------------------------

struct StartupOutcome {
  bool shown = false;
  QString result;  // the text shown after the restart
};

// Runs the start-up check; a troubleshooter that shows is driven as a user
// would: the restart (as the timer would run it), then Close.
StartupOutcome runStartupCheck() {
  StartupOutcome outcome;
  QWidget owner;
  QObject whileRunning;
  QTimer::singleShot(0, &whileRunning, [&] {
    auto* form = owner.findChild<TFrmTroubleShooter*>();
    if (form == nullptr || !form->isVisible()) return;
    outcome.shown = true;
    form->Timer1Timer();
    outcome.result = form->lbl1->text();
    form->btnCancel->click();
  });
  ExecuteTroubleShooter(&owner);
  EXPECT_TRUE(owner.findChildren<TFrmTroubleShooter*>().isEmpty()) << "destroyed afterwards";
  return outcome;
}

TEST_F(TroubleShooterTest, StartupCheckOnEachShippedLaptop) {
  struct Case {
    const char* scenario;
    bool shown;
  };
  const Case cases[] = {{"xp-laptop", true}, {"xp64-laptop", true}, {"xp-laptop-ok", false}, {"laptop", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scenario);
    install(c.scenario);
    StartupOutcome outcome;
    EXPECT_NO_THROW(outcome = runStartupCheck());
    EXPECT_EQ(outcome.shown, c.shown);
    if (c.shown) {
      EXPECT_EQ(outcome.result, "The Windows WIFI service was started successfully.");
      EXPECT_FALSE(runStartupCheck().shown) << "fixed for good";
    }
  }
}

TEST_F(TroubleShooterTest, StartupCheckPassesErrorsOnAndDestroysTheWindow) {
  install("xp-laptop", [](nlohmann::json& json) { json["services"] = nlohmann::json::array(); });
  QWidget owner;
  EXPECT_THROW(ExecuteTroubleShooter(&owner), EOSError);
  EXPECT_TRUE(owner.findChildren<TFrmTroubleShooter*>().isEmpty());
}

}  // namespace
