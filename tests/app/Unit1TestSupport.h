// Helpers of the main window's tests: the program on one simulated laptop
// (its machine, its program folder and the window with its dialogs), message
// boxes answered and recorded, and the application's idle moments.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "AppTestSupport.h"
#include "FindWidget.h"
#include "ProgramWindow.h"
#include "app/AboutUnit.h"
#include "app/OptionsUnit.h"
#include "app/SelectNetworkFormUnit.h"
#include "app/Unit1.h"
#include "app/Unit1StatusPanel.h"
#include "sim/SimInternet.h"
#include "sim/SimMachine.h"
#include "sim/SimRadio.h"
#include "sim/SimNetwork.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace unit1test {

// The GUIDs of the shipped "laptop" scenario.
inline const std::string WiredGuid = "{8A3C0F52-6D1E-4B7A-9C2E-1F5D3B7A9E01}";
inline const std::string WirelessGuid = "{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}";
inline const std::string HostOnlyGuid = "{C1D2E3F4-1111-4A2B-8C3D-4E5F60718293}";

// The window on a desktop whose tray the test decides, with the balloons it
// would show kept instead.
class TestForm1 : public TForm1 {
 public:
  using TForm1::TForm1;

  bool TrayAvailable = true;
  std::vector<QString> Balloons;  // "title|text|milliseconds"
  // The clock that paces balloons; tests move it.
  TNoticeThrottle::Clock::time_point Clock = TNoticeThrottle::Clock::now();

  // The timer for a held balloon, run by the test instead of waiting.
  using TForm1::tmrGuestBalloonTimer;

 protected:
  bool IsSystemTrayAvailable() const override { return TrayAvailable; }
  void ShowTrayBalloon(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon,
                       int milliseconds) override {
    Balloons.push_back(title + "|" + text + "|" + QString::number(milliseconds));
  }
  TNoticeThrottle::Clock::time_point Now() const override { return Clock; }
};

// Runs `act` once `dialog` shows, from within its modal loop; a dialog that
// `act` leaves open is closed with apptest::LeftOpen, so a fault ends the
// test instead of hanging it.
class WhenShown : public QObject {
 public:
  WhenShown(QDialog* dialog, std::function<void()> act) : QObject(dialog), dialog_(dialog), act_(std::move(act)) {
    dialog->installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      dialog_->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] {
        act_();
        if (dialog_->isVisible()) dialog_->done(apptest::LeftOpen);
        deleteLater();
      });
    }
    return false;
  }

 private:
  QDialog* dialog_;
  std::function<void()> act_;
};

class Unit1Test : public testing::Test {
 protected:
  Unit1Test() { scenario = testkit::shippedScenario("laptop"); }
  ~Unit1Test() override { End(); }

  // The scenario's connection with the GUID.
  nlohmann::json& Connection(const std::string& guid) {
    for (auto& c : scenario["connections"]) {
      if (c["guid"] == guid) return c;
    }
    throw std::runtime_error("no connection " + guid);
  }

  void WriteSettings(const std::string& text) { std::ofstream(programDir / "setup.ini") << text; }
  std::string Settings() const {
    std::ifstream file(programDir / "setup.ini");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  // Builds the machine from `scenario`, lets `beforeWindow` watch it, creates
  // the window and its dialogs and shows the window as the program does at
  // start.
  void Start(bool trayAvailable = true, const std::function<void()>& beforeWindow = {}) {
    machine = apptest::MakeMachine(scenario, folders);
    if (beforeWindow) beforeWindow();
    window.emplace(machine, folders, [this, trayAvailable](TestForm1& started) {
      started.TrayAvailable = trayAvailable;
      closed = std::make_unique<QSignalSpy>(&started, &TForm1::Closed);
    });
    form = &window->form();
    options = form->findChild<TOptionsForm*>();
    about = form->findChild<TAboutBox*>();
    picker = form->findChild<TSelectNetworkForm*>();
  }

  // The window's control of type W named `name`.
  template <class W>
  W& Find(const char* name) const {
    return apptest::Find<W>(*form, name);
  }

  // Waits, handling events, until the condition holds; false when it does
  // not within the time.
  template <class Condition>
  static bool WaitFor(Condition condition, int milliseconds = 15000) {
    return QTest::qWaitFor(condition, milliseconds);
  }

  // Presses the button or action and waits, as a user does, until the
  // hourglass of what it started has gone.
  template <class Control>
  void Press(Control& control) {
    if constexpr (std::is_base_of_v<QAction, Control>) {
      control.trigger();
    } else {
      control.click();
    }
    ASSERT_TRUE(WaitFor([] { return QApplication::overrideCursor() == nullptr; })) << "the action never ended";
  }

  // Lets the posted start-up message and queued reports run.
  void ProcessEvents() { QCoreApplication::processEvents(); }

  // What the event loop does before it waits: the idle-time updates.
  void Idle() {
    QCoreApplication::processEvents();
    Q_EMIT QAbstractEventDispatcher::instance()->aboutToBlock();
  }

  // Ends the program: the window goes (FormDestroy), then the machine.
  void End() {
    closed.reset();
    form = nullptr;
    window.reset();
  }

  plat::sim::SimNetwork& Network() { return machine->simNetwork(); }

  // Confirms the options dialog with another network name and key.
  void ChangeNameAndKeyInOptions(const QString& name, const QString& key) {
    auto* nameEdit = &apptest::Find<QLineEdit>(*options, "edtSSID");
    auto* keyEdit = &apptest::Find<QLineEdit>(*options, "edtPassword");
    auto* ok = &apptest::Find<QPushButton>(*options, "Button1");
    new WhenShown(options, [=] {
      nameEdit->setText(name);
      keyEdit->setText(key);
      ok->click();
    });
    Find<QAction>("actOptions").trigger();
    ProcessEvents();
  }

  std::vector<QString> Messages() const {
    std::vector<QString> texts;
    for (const auto& box : boxes) texts.push_back(box.Text);
    return texts;
  }

  // The status bar as it is painted now: the texts of both owner-drawn panels.
  std::pair<QString, QString> PaintedStatus() {
    Find<QStatusBar>("StatusBar1").grab();
    return {Find<TStatusPanel>("StatusBarPanel2").Text(), Find<TStatusPanel>("StatusBarPanel3").Text()};
  }

  nlohmann::json scenario;
  apptest::ProgramFolders folders;
  const testkit::TempDir& programDir = folders.program;
  const testkit::TempDir& airDir = folders.air;
  std::vector<TMessageBoxRequest> boxes;
  QMessageBox::StandardButton answer = QMessageBox::Ok;
  TMessageBoxHandlerScope boxHandler{[this](const TMessageBoxRequest& request) {
    boxes.push_back(request);
    return answer;
  }};
  std::shared_ptr<plat::sim::SimMachine> machine;
  std::optional<apptest::ProgramWindow<TestForm1>> window;
  TestForm1* form = nullptr;
  std::unique_ptr<QSignalSpy> closed;  // the window closed for good: the program ends
  TOptionsForm* options = nullptr;
  TAboutBox* about = nullptr;
  TSelectNetworkForm* picker = nullptr;
};

}  // namespace unit1test
