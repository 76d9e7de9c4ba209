// Why the machine refused a call, in one line a user can act on ("Wi-Fi is
// switched off: ..."). Kept per thread, like the platform's last-error
// code: a backend clears it when a call it explains begins and sets it where
// it refuses; the program reads it through BrisklaneLastRefusal
// (brisklane_refusal.h) right after a call failed.
#pragma once

#include <string>

namespace plat {

void setRefusal(std::string reason);
void clearRefusal();
std::string lastRefusal();

}  // namespace plat
