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
}

}  // namespace testkit
