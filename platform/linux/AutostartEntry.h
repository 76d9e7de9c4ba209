// Desktop entries that start a program when the user logs in (XDG autostart:
// $XDG_CONFIG_HOME/autostart/<name>.desktop), written and read with the
// desktop entry format's quoting, so that any program path survives the round
// trip.
#pragma once

#include <optional>
#include <string>

namespace plat::lnx {

// The text of an entry called `name` that runs the program at `programPath`
// (a single argument, taken literally).
std::string autostartEntry(const std::string& name, const std::string& programPath);

// What an entry runs: its single argument, unquoted, or for a command line of
// several arguments that line as written. None when the entry has no Exec
// key in its [Desktop Entry] group or is hidden (Hidden=true: deleted).
std::optional<std::string> autostartCommand(const std::string& entryText);

}  // namespace plat::lnx
