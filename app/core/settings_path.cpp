#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/core/settings.h"

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

std::string workingDirectory() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return "";
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string executableDirectory() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            return "";
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            const std::string exe(buffer.data(), static_cast<std::size_t>(n));
            const std::size_t slash = exe.rfind('/');
            if (slash == std::string::npos) {
                return "";
            }
            return slash == 0 ? "/" : exe.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
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
    return {workingDirectory(), executableDirectory(), environment("XDG_CONFIG_HOME"),
            homeDirectory()};
}

std::string findSettingsPath(const SettingsLocations& where) {
    if (!where.currentDir.empty()) {
        const std::string here = join(where.currentDir, kSettingsFileName);
        if (isRegularFile(here)) {
            return here;
        }
    }
    if (!where.executableDir.empty()) {
        const std::string beside = join(where.executableDir, kSettingsFileName);
        if (isRegularFile(beside) || ::access(where.executableDir.c_str(), W_OK) == 0) {
            return beside;
        }
    }
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    const std::string configHome = !where.xdgConfigHome.empty() && where.xdgConfigHome[0] == '/'
                                       ? where.xdgConfigHome
                                       : join(where.home, ".config");
    return join(join(configHome, "morvex"), kSettingsFileName);
}

std::string findSettingsPath() {
    return findSettingsPath(processSettingsLocations());
}
