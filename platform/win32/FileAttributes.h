// The attributes Windows would show for a file of the host system, from its
// mode bits.
#pragma once

#include <sys/types.h>

#include "windows.h"

namespace plat {

// FILE_ATTRIBUTE_DIRECTORY for a folder; FILE_ATTRIBUTE_READONLY for a file
// isReadOnlyMode calls read-only (common/FileMode.h); FILE_ATTRIBUTE_NORMAL
// when neither applies.
DWORD fileAttributesOfMode(mode_t mode);

}  // namespace plat
