// The Windows error code for a failed file operation of the host system, so
// that every file function of the platform reports the same code, and a text
// with a reason, for the same cause.
#pragma once

#include "windows.h"

namespace plat {

// ENOENT and ENOTDIR give ERROR_PATH_NOT_FOUND (a folder on the way is
// missing; callers that look for the file itself say ERROR_FILE_NOT_FOUND),
// EACCES, EPERM, EROFS and EISDIR ERROR_ACCESS_DENIED (as Windows answers for
// a folder where a file was expected), ENOSPC and EDQUOT ERROR_DISK_FULL, and
// an errno without a Windows counterpart ERROR_GEN_FAILURE.
DWORD errorFromErrno(int error);

}  // namespace plat
