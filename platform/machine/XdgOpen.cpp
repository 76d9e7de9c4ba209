#include "machine/XdgOpen.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

namespace plat {

bool openWithXdg(const std::string& target) {
  // A double fork would be overkill: xdg-open returns quickly after handing
  // the target to the desktop, and the child is reaped on a detached thread.
  std::string program = "xdg-open";
  char* argv[] = {program.data(), const_cast<char*>(target.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

}  // namespace plat
