#include "platform/settings_location.h"

#include <windows.h>

#include "platform/path_rules.h"
#include "platform/process_paths.h"
#include "platform/wide_text_win32.h"

namespace {

std::string join(const std::string& dir, const std::string& name) {
    if (dir.empty() || isPathSeparator(dir.back())) {
        return dir + name;
    }
    return dir + "\\" + name;
}

bool isExistingFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

// Windows keeps no settings in the environment's folders: the current directory and the
// executable's are all there is.
SettingsLocations processSettingsLocations() {
    return {currentDirectory(), executableDirectory(), "", ""};
}

std::string findSettingsFile(const SettingsLocations& where, const std::string& fileName) {
    if (!where.currentDir.empty()) {
        const std::string here = join(where.currentDir, fileName);
        if (isExistingFile(here)) {
            return here;
        }
    }
    return join(where.executableDir, fileName);
}
