#include "platform/directories.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

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

DirectoryListing listDirectory(const std::string& dir) {
    DirectoryListing listing;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) {
        listing.error = ec.message();
        return listing;
    }
    for (; it != fs::directory_iterator();) {
        std::error_code typeError;
        std::string path = it->path().string();
        if (it->is_directory(typeError)) {
            listing.directories.push_back(std::move(path));
        } else if (typeError) {
            listing.unexamined.push_back({std::move(path), typeError.message()});
        } else {
            listing.others.push_back(std::move(path));
        }
        it.increment(ec);
        if (ec) {
            listing.error = ec.message();
            break;
        }
    }
    return listing;
}

// The shell has expanded any wildcards.
PathArgument expandPathArgument(const std::string& argument) {
    return {.pattern = false, .paths = {argument}, .error = {}};
}

std::string currentDirectory() {
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

SettingsLocations processSettingsLocations() {
    return {currentDirectory(), executableDirectory(), environment("XDG_CONFIG_HOME"),
            homeDirectory(), ""};
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
