// The attributes Windows would show for a file of the host system, from its
// mode bits: the one rule by which the platform decides that a file is
// read-only.
#pragma once

#include <sys/types.h>

#include "windows.h"

namespace plat {

// FILE_ATTRIBUTE_DIRECTORY for a folder; FILE_ATTRIBUTE_READONLY for a file
// without any write bit, whoever asks (root too, as the administrator cannot
// write a read-only file on Windows either); FILE_ATTRIBUTE_NORMAL when
// neither applies.
DWORD fileAttributesOfMode(mode_t mode);

}  // namespace plat
