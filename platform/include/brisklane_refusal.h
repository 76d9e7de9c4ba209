// Brisklane's own addition to the platform, not Windows functions: why the
// machine refused the last call that failed on this thread, and what a call
// still running waits for.
#pragma once

#include <string>

// One line a user can act on (UTF-8), such as "Wi-Fi is switched off: ...";
// empty when the machine gave no reason. Each call of the wireless library
// and of the sharing service that the machine explains starts without a
// reason, so read it right after the call that failed. A machine that never
// explains (the simulated laptop) always answers empty.
std::string BrisklaneLastRefusal();

// What a call of the wireless library still running on another thread waits
// for, beyond the machine: the user's answer to an authorisation dialog.
enum BRISKLANE_AWAITING { BRISKLANE_AWAITING_NOTHING, BRISKLANE_AWAITING_PERMISSION };
BRISKLANE_AWAITING BrisklaneMachineAwaiting();
