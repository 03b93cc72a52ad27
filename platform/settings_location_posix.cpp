#include "platform/settings_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/process_paths.h"

namespace {

std::string join(const std::string& dir, const std::string& name) {
    if (dir.empty()) {
        return name;
    }
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string homeDirectory() {
    std::string home = environment("HOME");
    if (home.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
            home = pw->pw_dir;
        }
    }
    return home;
}

}  // namespace

SettingsLocations processSettingsLocations() {
    return {currentDirectory(), executableDirectory(), environment("XDG_CONFIG_HOME"),
            homeDirectory()};
}

std::string findSettingsFile(const SettingsLocations& where, const std::string& fileName) {
    if (!where.currentDir.empty()) {
        const std::string here = join(where.currentDir, fileName);
        if (isRegularFile(here)) {
            return here;
        }
    }
    if (!where.executableDir.empty()) {
        const std::string beside = join(where.executableDir, fileName);
        if (isRegularFile(beside)) {
            return beside;
        }
    }
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    const std::string configHome = !where.xdgConfigHome.empty() && where.xdgConfigHome[0] == '/'
                                       ? where.xdgConfigHome
                                       : join(where.home, ".config");
    return join(join(configHome, "morvex"), fileName);
}
