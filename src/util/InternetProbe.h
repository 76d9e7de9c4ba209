// Reachability probes over WinInet. They keep no state and run on any
// thread; each stops at its first failing step and answers false, without
// raising or showing anything. The platform bounds each connection check to a
// few seconds.
#pragma once

// The one address both connection checks try.
extern const char* const InternetProbeUrl;

// WinInet is not in its disconnected (off-line) state.
bool IsOnlineMode();

// A connection to InternetProbeUrl can be made, and IsOnlineMode.
bool IsInternetReachable();

// The machine has a connection that may lead to the Internet, then as
// IsInternetReachable.
bool IsInternetConnected();
