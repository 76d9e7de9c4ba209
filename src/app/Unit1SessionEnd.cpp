#include "app/Unit1SessionEnd.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

namespace {

constexpr int WatchedSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The write end of the live watcher's pipe; a lock-free atomic, so the signal
// handler may read it.
std::atomic<int> WriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void OnSignal(int signal) {
  const int savedErrno = errno;
  const int fd = WriteEnd.load();
  if (fd >= 0) {
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);  // a full pipe already holds a notice
  }
  errno = savedErrno;
}

}  // namespace

TSessionEndWatcher::TSessionEndWatcher(std::function<void()> onSessionEnd, QObject* parent)
    : QObject(parent), onSessionEnd_(std::move(onSessionEnd)) {
  if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "Cannot watch for the end of the session");
  }
  WriteEnd.store(pipe_[1]);
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TSessionEndWatcher::ReadSignals);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) sigaction(WatchedSignals[i], &action, &previous_[i]);

  connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { onSessionEnd_(); });
}

TSessionEndWatcher::~TSessionEndWatcher() {
  for (int i = 0; i < 3; ++i) sigaction(WatchedSignals[i], &previous_[i], nullptr);
  WriteEnd.store(-1);
  delete notifier_;
  close(pipe_[0]);
  close(pipe_[1]);
}

void TSessionEndWatcher::ReadSignals() {
  char buffer[16];
  bool received = false;
  while (read(pipe_[0], buffer, sizeof buffer) > 0) received = true;
  if (received) onSessionEnd_();
}
