// An action of the window that waits on the machine (joining, hosting or
// leaving a network), run off the window's thread so that the window keeps
// answering: the hourglass shows while it runs, and its end is handed back
// to the window's thread.
#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "app/WaitCursor.h"

class QObject;

class TBackgroundAction {
 public:
  // `receiver` is the window whose thread runs the ends; an end still on its
  // way when the receiver goes is dropped with it.
  explicit TBackgroundAction(QObject* receiver);
  // Wait.
  ~TBackgroundAction();
  TBackgroundAction(const TBackgroundAction&) = delete;
  TBackgroundAction& operator=(const TBackgroundAction&) = delete;

  // From its start until its end has run; the window's thread only.
  bool Running() const { return FRunning; }
  // Runs `work` on a thread of its own and then `done` on the receiver's
  // thread. Not while Running.
  void Start(std::function<void()> work, std::function<void()> done);
  // Waits until the work has finished; its end is not run then.
  void Wait();

 private:
  struct TRun;

  QObject* FReceiver;
  std::shared_ptr<TRun> FRun;  // the one running, shared with its thread
  std::jthread FThread;
  std::unique_ptr<TWaitCursor> FHourglass;
  bool FRunning = false;
};
