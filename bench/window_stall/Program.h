// The program's main window as main() runs it: a program folder of its own
// (the settings name the network and key, no update checks), every message
// box answered (Yes where offered, else OK) and kept with the time it
// appeared, its actions found by object name.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <QAction>
#include <QString>

#include "app/MessageBoxes.h"
#include "app/Unit1.h"
#include "testkit/TempDir.h"

namespace stall {

struct Box {
  QString text;
  std::chrono::steady_clock::time_point at;
};

class Program {
 public:
  Program();
  ~Program();

  // Makes the window and its dialogs and shows it as at start. Throws what
  // the window's constructor throws.
  void open();
  // The window goes (FormDestroy: settings, network and sharing), as after
  // the event loop in main().
  void end();
  bool isOpen() const { return window_ != nullptr; }
  // The window closed for good: main() would end the program now.
  bool closed() const { return closed_; }

  QAction* action(const char* name) const;
  bool enabled(const char* name) const;

  // The first box that appeared at or after `since`; from any thread.
  std::optional<Box> firstBoxSince(std::chrono::steady_clock::time_point since) const;

 private:
  testkit::TempDir folder_;
  std::unique_ptr<TForm1> window_;
  bool closed_ = false;
  mutable std::mutex boxesMutex_;
  std::vector<Box> boxes_;
  TMessageBoxHandlerScope answering_;
};

}  // namespace stall
