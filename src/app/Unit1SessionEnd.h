// Tells the main window that the desktop session ends: the session manager
// asks the program to save its data before log-out or shut-down, or the
// system ends the program with SIGTERM, SIGHUP or SIGINT. The signals reach
// the user-interface thread through a pipe that the signal handler writes.
#pragma once

#include <csignal>
#include <functional>

#include <QObject>

class QSocketNotifier;

class TSessionEndWatcher : public QObject {
  Q_OBJECT

 public:
  // `onSessionEnd` runs on the user-interface thread, once per notice. One
  // watcher at a time: it takes over the three signals while it lives and
  // gives them back to their previous handlers when it goes.
  TSessionEndWatcher(std::function<void()> onSessionEnd, QObject* parent = nullptr);
  ~TSessionEndWatcher() override;

 private:
  void ReadSignals();

  std::function<void()> onSessionEnd_;
  int pipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
  struct sigaction previous_[3];
};
