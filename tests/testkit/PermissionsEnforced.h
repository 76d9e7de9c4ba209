// File permissions as an ordinary user meets them, also when the tests run as
// root (as CI does): while the object lives, the calling thread works without
// the capabilities by which root reads, writes and searches whatever it
// likes. Nothing changes for a user who never had them.
#pragma once

#include <linux/capability.h>

namespace testkit {

class PermissionsEnforced {
 public:
  PermissionsEnforced();
  ~PermissionsEnforced();
  PermissionsEnforced(const PermissionsEnforced&) = delete;
  PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

 private:
  __user_cap_data_struct saved_[_LINUX_CAPABILITY_U32S_3] = {};
};

}  // namespace testkit
