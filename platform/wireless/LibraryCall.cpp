#include "wireless/LibraryCall.h"

namespace wireless {

DWORD resultCode(plat::RadioResult result) {
  switch (result) {
    case plat::RadioResult::Ok: return ERROR_SUCCESS;
    case plat::RadioResult::NoSuchInterface: return ERROR_NOT_FOUND;
    case plat::RadioResult::NotVisible: return ERROR_NOT_FOUND;
    case plat::RadioResult::WrongKey: return ERROR_INVALID_PASSWORD;
    case plat::RadioResult::NotFound: return ERROR_NOT_FOUND;
    case plat::RadioResult::InvalidName: return ERROR_INVALID_PARAMETER;
    case plat::RadioResult::Failed: return ERROR_WRITE_FAULT;
    case plat::RadioResult::NotSupported: return ERROR_NOT_SUPPORTED;
  }
  return ERROR_INVALID_FUNCTION;
}

}  // namespace wireless
