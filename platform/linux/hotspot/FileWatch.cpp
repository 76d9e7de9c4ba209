#include "linux/hotspot/FileWatch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace plat::lnx {
namespace {

using Clock = std::chrono::steady_clock;

// A rewrite comes as several events (dnsmasq empties its lease file, then
// writes it): the file is read once they have stopped for this long.
constexpr std::chrono::milliseconds settleTime{100};

constexpr std::uint32_t folderEvents = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM |
                                       IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

int millisecondsUntil(Clock::time_point when) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now()).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, std::numeric_limits<int>::max()));
}

}  // namespace

FileWatch::FileWatch(std::filesystem::path file, std::chrono::milliseconds interval, std::function<void()> changed)
    : file_(std::move(file)), interval_(interval), changed_(std::move(changed)) {
  inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  stop_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  try {
    if (stop_ < 0) throw std::system_error(errno, std::generic_category(), "cannot watch " + file_.string());
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    if (stop_ >= 0) close(stop_);
    if (inotify_ >= 0) close(inotify_);
    throw;
  }
}

FileWatch::~FileWatch() {
  const std::uint64_t one = 1;
  while (write(stop_, &one, sizeof one) < 0 && errno == EINTR) {
  }
  thread_.join();
  close(stop_);
  if (inotify_ >= 0) close(inotify_);
}

void FileWatch::run() {
  int watch = -1;
  bool due = true;
  auto nextCall = Clock::now();
  constexpr auto never = Clock::time_point::max();
  auto settled = never;  // when the last burst of changes is over
  while (true) {
    if (due) {
      if (watch < 0 && inotify_ >= 0) {
        watch = inotify_add_watch(inotify_, file_.parent_path().c_str(), folderEvents);
      }
      changed_();
      due = false;
      settled = never;
      nextCall = Clock::now() + interval_;
    }
    const auto wakeAt = std::min(settled, nextCall);
    pollfd waits[] = {{stop_, POLLIN, 0}, {inotify_, POLLIN, 0}};
    if (poll(waits, inotify_ >= 0 ? 2 : 1, millisecondsUntil(wakeAt)) < 0 && errno != EINTR) return;
    if (waits[0].revents != 0) return;
    if (inotify_ >= 0 && (waits[1].revents & POLLIN) != 0 && readEvents(watch)) {
      settled = Clock::now() + settleTime;
    }
    const auto now = Clock::now();
    due = now >= nextCall || now >= settled;
  }
}

bool FileWatch::readEvents(int& watch) {
  const std::string name = file_.filename().string();
  alignas(inotify_event) char buffer[4096];
  bool concerned = false;
  ssize_t length = 0;
  while ((length = read(inotify_, buffer, sizeof buffer)) > 0) {
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & IN_MOVE_SELF) != 0 && watch >= 0) {
        inotify_rm_watch(inotify_, watch);  // it would follow the folder elsewhere
        watch = -1;
      }
      if ((event->mask & IN_IGNORED) != 0 && event->wd == watch) watch = -1;  // the folder went
      const bool folderChanged = (event->mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) != 0;
      concerned = concerned || folderChanged || (event->len > 0 && name == event->name);
    }
  }
  return concerned;
}

}  // namespace plat::lnx
