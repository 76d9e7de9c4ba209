// Points every place the platform keeps state (state folder, shared air, the
// user's configuration folder) at a temporary folder of this test process, so
// tests never touch the user's own state and never hear another process's
// wireless networks.
#pragma once

#include <optional>
#include <string>

namespace testkit {

void isolateTestProcess();

// Sets (or, with nullopt, removes) an environment variable for a scope. Only
// while no other thread of the test runs.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace testkit
