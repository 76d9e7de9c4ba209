#include "app/BackgroundAction.h"

#include <atomic>
#include <cassert>
#include <exception>

#include <QMetaObject>
#include <QObject>

#include "app/MessageBoxes.h"

struct TBackgroundAction::TRun {
  std::atomic<bool> abandoned{false};
};

TBackgroundAction::TBackgroundAction(QObject* receiver) : FReceiver(receiver) {}

TBackgroundAction::~TBackgroundAction() { Wait(); }

void TBackgroundAction::Start(std::function<void()> work, std::function<void()> done) {
  assert(!FRunning);
  if (FThread.joinable()) FThread.join();  // the last one, whose end has run
  FRunning = true;
  FHourglass = std::make_unique<TWaitCursor>();
  auto run = std::make_shared<TRun>();
  FRun = run;
  FThread = std::jthread([this, run, work = std::move(work), done = std::move(done)]() mutable {
    std::exception_ptr failure;
    try {
      work();
    } catch (...) {
      failure = std::current_exception();  // told on the window's thread, as a handler's
    }
    QMetaObject::invokeMethod(
        FReceiver,
        [this, run, failure, done = std::move(done)] {
          if (run->abandoned) return;
          FRunning = false;
          FHourglass.reset();
          RunHandler([&] {
            if (failure) std::rethrow_exception(failure);
            done();
          });
        },
        Qt::QueuedConnection);
  });
}

void TBackgroundAction::Wait() {
  if (FRun) FRun->abandoned = true;
  if (FThread.joinable()) FThread.join();
  FRunning = false;
  FHourglass.reset();
}
