// Tells when a file changes, without polling it: the kernel's inotify on the
// file's folder, which also sees a file that is created, replaced by a
// rename or removed, and a regular call besides for what no file event
// tells. Calls back on a thread of its own.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace plat::lnx {

class FileWatch {
 public:
  // Calls `changed` once at the start, after the file changed (a burst of
  // writes once it settles), and at least every `interval` whatever happens.
  // A folder that does not exist yet is looked for again at each interval.
  // Throws std::system_error when the watch's thread cannot be set up.
  FileWatch(std::filesystem::path file, std::chrono::milliseconds interval, std::function<void()> changed);
  // `changed` is no longer called once it returns; not to be called from
  // `changed` itself.
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

 private:
  void run();
  // Whether one of the queued inotify events concerns the file; false
  // also when none is queued. Drops the watch when its folder went.
  bool readEvents(int& watch);

  const std::filesystem::path file_;
  const std::chrono::milliseconds interval_;
  const std::function<void()> changed_;
  int inotify_ = -1;  // -1: inotify unavailable, only the interval calls back
  int stop_ = -1;     // an eventfd that ends the thread
  std::thread thread_;
};

}  // namespace plat::lnx
