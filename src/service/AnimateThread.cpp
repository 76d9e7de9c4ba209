#include "service/AnimateThread.h"

#include <chrono>

#include <QLabel>

namespace {

constexpr auto FramePause = std::chrono::milliseconds(500);

}  // namespace

TAnimateThread::TAnimateThread(QWidget& window, const std::array<QLabel*, 3>& pictures)
    : window_(window), pictures_(pictures) {}

TAnimateThread::~TAnimateThread() {
  Terminate();
  WaitFor();
  if (window_.isVisible()) {
    for (QLabel* picture : pictures_) picture->hide();
  }
}

void TAnimateThread::Start() {
  thread_ = std::jthread([this](std::stop_token stop) { Execute(stop); });
}

void TAnimateThread::Terminate() { thread_.request_stop(); }

void TAnimateThread::WaitFor() {
  if (!thread_.joinable()) return;
  std::unique_lock lock(mutex_);
  while (!finished_) {
    changed_.wait(lock, [this] { return finished_ || handOffPending_; });
    if (handOffPending_) {
      lock.unlock();
      CheckSynchronize();
      lock.lock();
    }
  }
  lock.unlock();
  thread_.join();
}

bool TAnimateThread::WaitingForHandOff() {
  std::lock_guard lock(mutex_);
  return handOffPending_;
}

void TAnimateThread::Execute(std::stop_token stop) {
  Frame = 0;
  while (!stop.stop_requested()) {
    Synchronize();
    Frame = (Frame + 1) % 3;
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, stop, FramePause, [] { return false; });
  }
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  changed_.notify_all();
}

void TAnimateThread::Synchronize() {
  {
    std::lock_guard lock(mutex_);
    handOffPending_ = true;
  }
  // A UI thread already in WaitFor carries the hand-off out itself.
  changed_.notify_all();
  QMetaObject::invokeMethod(&receiver_, [this] { CheckSynchronize(); }, Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !handOffPending_; });
}

void TAnimateThread::CheckSynchronize() {
  {
    std::lock_guard lock(mutex_);
    if (!handOffPending_) return;
  }
  ShowFrame();
  {
    std::lock_guard lock(mutex_);
    handOffPending_ = false;
  }
  changed_.notify_all();
}

void TAnimateThread::ShowFrame() {
  if (!window_.isVisible()) return;
  int shown = 0;
  switch (Mode) {
    case -1:
      shown = Frame;
      break;
    case 0:
      shown = 0;
      break;
    case 1:
      shown = 2;
      break;
    default:
      return;
  }
  for (int i = 0; i < 3; ++i) pictures_[i]->setVisible(i == shown);
}
