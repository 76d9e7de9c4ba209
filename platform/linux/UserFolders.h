// Where the Linux machine keeps what it writes for the user, after the XDG
// base directory rules: a variable that is unset, empty or not absolute
// falls back to its default below the home folder.
#pragma once

#include <filesystem>

namespace plat::lnx {

// $XDG_CONFIG_HOME, default ~/.config.
std::filesystem::path configHome();

// $XDG_STATE_HOME, default ~/.local/state.
std::filesystem::path stateHome();

}  // namespace plat::lnx
