// Opening a file or an address the way the desktop does.
#pragma once

#include <string>

namespace plat {

// Launches the desktop's handler (xdg-open) for `target` without waiting for
// it; false when it cannot be started.
bool openWithXdg(const std::string& target);

}  // namespace plat
