#include "testkit/PermissionsEnforced.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace testkit {
namespace {

// Thread 0: the calling thread only.
__user_cap_header_struct callingThread() { return {_LINUX_CAPABILITY_VERSION_3, 0}; }

}  // namespace

PermissionsEnforced::PermissionsEnforced() {
  auto header = callingThread();
  if (syscall(SYS_capget, &header, saved_) != 0) {
    throw std::runtime_error(std::string("cannot read the thread's capabilities: ") + std::strerror(errno));
  }
  __user_cap_data_struct reduced[_LINUX_CAPABILITY_U32S_3];
  std::memcpy(reduced, saved_, sizeof reduced);
  for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
    reduced[CAP_TO_INDEX(capability)].effective &= ~CAP_TO_MASK(capability);
  }
  if (syscall(SYS_capset, &header, reduced) != 0) {
    throw std::runtime_error(std::string("cannot lower the thread's capabilities: ") + std::strerror(errno));
  }
}

PermissionsEnforced::~PermissionsEnforced() {
  // Raising the effective set back within the unchanged permitted set is
  // always allowed.
  auto header = callingThread();
  syscall(SYS_capset, &header, saved_);
}

}  // namespace testkit
