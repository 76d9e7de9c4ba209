#include "testkit/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "testkit/TempDir.h"

namespace testkit {

void isolateTestProcess() {
  static std::unique_ptr<TempDir> root = std::make_unique<TempDir>();
  setenv("BRISKLANE_STATE_DIR", (*root / "state").c_str(), 1);
  setenv("BRISKLANE_AIR_DIR", (*root / "air").c_str(), 1);
  setenv("XDG_STATE_HOME", (*root / "xdg-state").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (*root / "xdg-config").c_str(), 1);
  unsetenv("BRISKLANE_SCENARIO");
  // A machine made from the environment is the simulated one, never this
  // computer's own.
  setenv("BRISKLANE_MACHINE", "sim", 1);
}

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) previous_ = old;
  if (value) {
    setenv(name_.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

ScopedEnv::~ScopedEnv() {
  if (previous_) {
    setenv(name_.c_str(), previous_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

}  // namespace testkit
