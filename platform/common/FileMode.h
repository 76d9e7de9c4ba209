// The one rule by which the platform calls a file of the host system
// read-only: it has no write bit at all, whoever asks (root too, as the
// administrator cannot write a read-only file on Windows either).
#pragma once

#include <sys/stat.h>

namespace plat {

inline bool isReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

}  // namespace plat
