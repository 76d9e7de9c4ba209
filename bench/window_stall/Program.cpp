#include "Program.h"

#include <fstream>

#include "Laptop.h"

namespace stall {

Program::Program()
    : answering_([this](const TMessageBoxRequest& request) {
        std::lock_guard lock(boxesMutex_);
        boxes_.push_back({request.Text, std::chrono::steady_clock::now()});
        return request.Buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
      }) {
  std::ofstream(folder_ / "setup.ini") << "[System]\nSSID=" << kNetworkName << "\nPassword=" << kNetworkKey
                                       << "\nCheckForUpdates=0\n";
}

Program::~Program() { end(); }

void Program::open() {
  const std::string folder = folder_.path().string() + "/";
  window_ = std::make_unique<TForm1>(BRISKLANE_FILE_LOCATIONS{.ProgramFolder = folder,
                                                              .DataFolder = folder,
                                                              .SettingsFile = folder + "setup.ini",
                                                              .ErrorLog = folder + "ErrorLog.txt"});
  window_->CreateDialogs();
  QObject::connect(window_.get(), &TForm1::Closed, [this] { closed_ = true; });
  window_->ShowOnStart();
}

void Program::end() { window_.reset(); }

QAction* Program::action(const char* name) const {
  return window_ ? window_->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
}

bool Program::enabled(const char* name) const {
  const QAction* found = action(name);
  return found && found->isEnabled();
}

std::optional<Box> Program::firstBoxSince(std::chrono::steady_clock::time_point since) const {
  std::lock_guard lock(boxesMutex_);
  for (const Box& box : boxes_)
    if (box.at >= since) return box;
  return std::nullopt;
}

}  // namespace stall
