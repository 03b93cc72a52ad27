#pragma once

#include <string>

// Who may enter the folders that makeParentDirectories creates: the user alone (for settings),
// or whoever the user's file-creation mask lets in (for drawings).
enum class FolderAccess { Private, Shared };

// Creates the missing folders above the file `path`; false, with errno set, when one of them
// cannot be created.
bool makeParentDirectories(const std::string& path, FolderAccess access = FolderAccess::Private);
