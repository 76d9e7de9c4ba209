// The user's folders after the XDG base directory rules: a variable that is
// unset, empty or not an absolute path falls back to its default below the
// home folder ($HOME, else the user's entry in the password database).
// Throw std::runtime_error when the home folder is unknown.
#pragma once

#include <filesystem>

namespace plat {

// $XDG_CONFIG_HOME, default ~/.config.
std::filesystem::path configHome();

// $XDG_STATE_HOME, default ~/.local/state.
std::filesystem::path stateHome();

}  // namespace plat
