// WinInet's reachability queries, answered by the machine's Internet backend.
// Each call holds the machine it asks until it returns, so a check on a
// background thread outlives a machine replaced meanwhile.
#include <chrono>
#include <string>

#include "machine/InternetBackend.h"
#include "machine/Machine.h"
#include "win32/MachineCodes.h"
#include "wininet.h"

namespace {

// How long a connection check may take. Windows waits for its connect
// timeout, which can be minutes; callers on the UI thread cannot.
constexpr std::chrono::milliseconds connectTimeout{3000};

}  // namespace

// Takes the URL of a server, flags 0 or FLAG_ICC_FORCE_CONNECTION (both try a
// connection) and reserved 0. TRUE when the server can be reached; FALSE with
// ERROR_INTERNET_CANNOT_CONNECT when not, ERROR_INVALID_PARAMETER for other
// flags, a reserved value or an empty URL, ERROR_NOT_SUPPORTED for a null URL
// (Windows would fall back to a server from its cache). Unlike Windows, the
// check gives up after three seconds.
BOOL WINAPI InternetCheckConnectionA(LPCSTR url, DWORD flags, DWORD reserved) {
  if (url == nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  if ((flags & ~FLAG_ICC_FORCE_CONNECTION) != 0 || reserved != 0 || *url == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!plat::currentMachine()->internet().checkConnection(url, connectTimeout)) {
    SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
    return FALSE;
  }
  return TRUE;
}

// Takes a place for INTERNET_CONNECTION_* flags (may be null) and reserved 0.
// TRUE when the machine has a connection that may lead to the Internet; the
// flags are filled either way. FALSE with ERROR_INVALID_PARAMETER for a
// reserved value.
BOOL WINAPI InternetGetConnectedState(LPDWORD flags, DWORD reserved) {
  if (reserved != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const plat::InternetAccess access = plat::currentMachine()->internet().access();
  if (flags != nullptr) *flags = plat::connectionFlagsCode(access);
  return access.connected() ? TRUE : FALSE;
}
