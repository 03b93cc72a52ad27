#include "platform/directories.h"

#include <sys/stat.h>

#include <cerrno>

bool makeParentDirectories(const std::string& path, FolderAccess access) {
    const mode_t mode = access == FolderAccess::Private ? 0700 : 0777;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string dir = path.substr(0, slash);
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0 && ::mkdir(dir.c_str(), mode) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}
