#include "util/InternetProbe.h"

#include "wininet.h"

// A reserved example domain: always on line and owned by nobody who could
// mind the traffic.
const char* const InternetProbeUrl = "http://www.example.com/";

bool IsOnlineMode() {
  DWORD state = 0;
  DWORD length = sizeof(state);
  if (!InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, &length)) return false;
  return (state & INTERNET_STATE_DISCONNECTED) == 0;
}

bool IsInternetReachable() {
  return InternetCheckConnectionA(InternetProbeUrl, FLAG_ICC_FORCE_CONNECTION, 0) && IsOnlineMode();
}

bool IsInternetConnected() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) && IsInternetReachable();
}
