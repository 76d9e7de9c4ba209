// What Brisklane instances that no longer run left in NetworkManager.
#pragma once

#include <optional>

#include "linux/nm/NmClient.h"

namespace plat::lnx {

// Removes their unsaved profiles and those profiles' activations, without
// waiting for NetworkManager to carry that out. A saved profile with an
// instance's tag is a user's copy and stays. Whether a hotspot of a running
// instance is up; none, and nothing done, while NetworkManager's profiles
// have not all arrived.
std::optional<bool> sweepLeftovers(NmClient& client);

}  // namespace plat::lnx
