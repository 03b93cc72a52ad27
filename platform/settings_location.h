#pragma once

#include <string>

// What decides where the settings file lives. Empty members are unknown or unset.
struct SettingsLocations {
    std::string currentDir;
    std::string executableDir;
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME
    std::string home;           // $HOME, else the user's home directory
};

// The locations of this process: its working directory, the directory of its executable and
// its environment.
SettingsLocations processSettingsLocations();

// Where the settings file `fileName` lives: in the current directory when it exists there; else
// beside the executable when it exists there; else $XDG_CONFIG_HOME/morvex/fileName
// (~/.config/morvex/fileName when unset or relative), where a first write creates it: a settings
// file is never created beside the program. On Windows it is beside the executable whenever it
// is not in the current directory.
std::string findSettingsFile(const SettingsLocations& where, const std::string& fileName);
