// The program on one simulated laptop as it starts: the machine made from a
// scenario and installed, and the main window with its dialogs, shown as at
// start; its settings and the machine's state stay in folders of its own.
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include <nlohmann/json.hpp>

#include "AppTestSupport.h"
#include "app/Unit1.h"
#include "sim/SimMachine.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace apptest {

// The folders of one laptop: its program folder, which keeps the settings
// file and the error log beside the program as the build's does, the
// machine's state and the air it shares with other laptops.
struct ProgramFolders {
  testkit::TempDir program;
  testkit::TempDir state;
  testkit::TempDir air;

  BRISKLANE_FILE_LOCATIONS Files() const {
    const std::string folder = program.path().string() + "/";
    return {.ProgramFolder = folder,
            .DataFolder = folder,
            .SettingsFile = folder + "setup.ini",
            .ErrorLog = folder + "ErrorLog.txt"};
  }
};

// The laptop's machine as `scenario` describes it, on the folders' state
// and air.
inline std::shared_ptr<plat::sim::SimMachine> MakeMachine(const nlohmann::json& scenario,
                                                          const ProgramFolders& folders) {
  return testkit::SimMachineBuilder()
      .scenario(scenario)
      .stateDir(folders.state.path())
      .airDir(folders.air.path())
      .build();
}

// Installs the machine and starts the window on it; the window ends before
// the machine is uninstalled. `prepare` sees the window before its dialogs
// are made and it shows.
template <class Form = TForm1>
class ProgramWindow {
 public:
  ProgramWindow(std::shared_ptr<plat::sim::SimMachine> machine, const ProgramFolders& folders,
                const std::function<void(Form&)>& prepare = {})
      : machine_(std::move(machine)), form_(std::make_unique<Form>(folders.Files())) {
    if (prepare) prepare(*form_);
    form_->CreateDialogs();
    form_->ShowOnStart();
  }

  Form& form() { return *form_; }

 private:
  std::shared_ptr<plat::sim::SimMachine> machine_;
  testkit::ScopedMachine installed_{machine_};
  std::unique_ptr<Form> form_;
};

// The shipped laptop's window in folders of its own, every box answered OK.
class ShippedLaptop {
 public:
  TForm1& form() { return window_.form(); }

 private:
  MessageBoxRecorder boxes_;
  ProgramFolders folders_;
  ProgramWindow<> window_{MakeMachine(testkit::shippedScenario("laptop"), folders_), folders_};
};

}  // namespace apptest
