// Where a user's files go on Linux, by the XDG base directory conventions.
#pragma once

#include <string>

namespace kvn {

std::string homeFolder(); // $HOME, else the password database's home, else "/tmp"
std::string xdgDataHome(); // $XDG_DATA_HOME, else ~/.local/share
std::string xdgConfigHome(); // $XDG_CONFIG_HOME, else ~/.config
std::string xdgStateHome(); // $XDG_STATE_HOME, else ~/.local/state

// The default installation folder, parent of the profiles' data folders.
std::string defaultInstallDir(); // $XDG_DATA_HOME/korvane

} // namespace kvn
