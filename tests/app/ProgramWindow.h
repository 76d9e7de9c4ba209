// The main window with its dialogs as the program starts it on the shipped
// simulated laptop, for tests that look at what it shows; its settings and
// the machine's state stay in folders of its own.
#pragma once

#include <memory>

#include "AppTestSupport.h"
#include "app/Unit1.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace apptest {

class ProgramWindow {
 public:
  ProgramWindow()
      : machine_(testkit::SimMachineBuilder()
                     .scenario(testkit::shippedScenario("laptop"))
                     .stateDir(stateDir_.path())
                     .airDir(airDir_.path())
                     .build()),
        form_(std::make_unique<TForm1>(files())) {
    form_->CreateDialogs();
    form_->ShowOnStart();
  }

  TForm1& form() { return *form_; }

 private:
  BRISKLANE_FILE_LOCATIONS files() const {
    const std::string folder = programDir_.path().string() + "/";
    return {.ProgramFolder = folder,
            .DataFolder = folder,
            .SettingsFile = folder + "setup.ini",
            .ErrorLog = folder + "ErrorLog.txt"};
  }

  MessageBoxRecorder boxes_;
  testkit::TempDir programDir_;
  testkit::TempDir stateDir_;
  testkit::TempDir airDir_;
  std::shared_ptr<plat::Machine> machine_;
  testkit::ScopedMachine installed_{machine_};
  std::unique_ptr<TForm1> form_;
};

}  // namespace apptest
