// What every function of the wireless library shares: the current machine's
// radio, its results as Windows error codes, and a guard that keeps errors
// from leaving a C function.
#pragma once

#include <exception>
#include <new>

#include "machine/Machine.h"
#include "machine/RadioBackend.h"
#include "windows.h"

namespace wireless {

DWORD resultCode(plat::RadioResult result);

inline plat::RadioBackend& radio() { return plat::machine().radio(); }

// Runs one library call; what the machine raises becomes a result code, as
// nothing may leave a C function.
template <class Call>
DWORD guarded(Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (const std::exception&) {
    return ERROR_INVALID_FUNCTION;
  }
}

}  // namespace wireless
