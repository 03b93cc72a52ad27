#pragma once

#include <string>
#include <vector>

// Folders: creating them, listing them, the process's own, and the one the settings file is in.

// Who may enter the folders that makeParentDirectories creates: the user alone (for settings),
// or whoever the user's file-creation mask lets in (for drawings).
enum class FolderAccess { Private, Shared };

// Creates the missing folders above the file `path`; false, with errno set, when one of them
// cannot be created.
bool makeParentDirectories(const std::string& path, FolderAccess access = FolderAccess::Private);

// An entry of a directory whose kind could not be found out, and why.
struct DirectoryEntryProblem {
    std::string path;
    std::string error;
};

// What a directory holds, each entry as the directory's path joined with the entry's name, in the
// order the system gives them.
struct DirectoryListing {
    std::vector<std::string> directories;  // symbolic links to directories included
    std::vector<std::string> others;       // everything else that could be examined
    std::vector<DirectoryEntryProblem> unexamined;
    std::string error;  // why the directory could not be read, or not to its end; empty otherwise
};

DirectoryListing listDirectory(const std::string& dir);

// What a path argument of a command line stands for. Where the shell passes wildcards on to the
// program (Windows), a final component holding "*" or "?" is a pattern, matched as the system's
// file search matches it, against the entries of the folder before it ("." and ".." left out);
// wildcards in a folder before it are not expanded. Elsewhere the shell has expanded them, and
// every path stands for itself.
struct PathArgument {
    bool pattern = false;
    // The path itself, or the matches of the pattern, each as the folder given joined with an
    // entry's name, in byte order; none when nothing matched.
    std::vector<std::string> paths;
    std::string error;  // why the pattern's folder could not be searched; empty otherwise
};

PathArgument expandPathArgument(const std::string& argument);

// The process's working directory; empty when it cannot be found.
std::string currentDirectory();

// The directory that holds the running program; empty when it cannot be found.
std::string executableDirectory();

// What decides where the settings file lives. Empty members are unknown or unset.
struct SettingsLocations {
    std::string currentDir;
    std::string executableDir;
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME
    std::string home;           // $HOME, else the user's home directory
    std::string appData;        // %APPDATA%, the user's roaming folder on Windows
    // Windows: whether this user may make a file beside the program (not in Program Files).
    bool executableDirWritable = true;
};

// The locations of this process: its working directory, the directory of its executable and
// its environment.
SettingsLocations processSettingsLocations();

// Where the settings file `fileName` lives: in the current directory when it exists there; else
// beside the executable when it exists there; else $XDG_CONFIG_HOME/morvex/fileName
// (~/.config/morvex/fileName when unset or relative), where a first write creates it: a settings
// file is never created beside the program. On Windows the last is beside the executable, where
// a first write creates it, as a copy unpacked from the zip keeps it; but %APPDATA%\MORVEX\fileName
// once that exists, or where the user may not write beside the program (Program Files), so that
// every user keeps settings. A relative or unset APPDATA is not used.
std::string findSettingsFile(const SettingsLocations& where, const std::string& fileName);
