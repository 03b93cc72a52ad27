#include "program_copy.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

bool executableBy(const std::string& path, uid_t user) {
    const char* name = path.c_str();
    const pid_t pid = fork();
    if (pid == 0) {
        const bool may = setgroups(0, nullptr) == 0 && setgid(static_cast<gid_t>(user)) == 0 &&
                         setuid(user) == 0 && access(name, X_OK) == 0;
        _exit(may ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

ProgramCopy::ProgramCopy(const std::string& program, uid_t user) {
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec) {
        failure_ = "no folder for temporary files: " + ec.message();
        return;
    }
    std::string pattern = utf8Path(base / "morvex-program-XXXXXX");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
        failure_ = pattern + ": cannot be created: " + std::strerror(errno);
        return;
    }
    folder_ = name.data();
    const std::string copy = folder_ + "/" + utf8Path(pathFromUtf8(program).filename());
    // Searchable by everyone, listed and written by its owner only.
    if (chmod(folder_.c_str(), 0711) != 0 ||
        !fs::copy_file(pathFromUtf8(program), pathFromUtf8(copy), ec) ||
        chmod(copy.c_str(), 0755) != 0) {
        failure_ = program + ": cannot be copied to " + folder_ + ": " +
                   (ec ? ec.message() : std::strerror(errno));
        return;
    }
    if (!executableBy(copy, user)) {
        failure_ = "user " + std::to_string(user) + " cannot run " + copy +
                   ": a folder above it is closed to that user";
        return;
    }
    path_ = copy;
}

ProgramCopy::~ProgramCopy() {
    if (!folder_.empty()) {
        std::error_code ec;
        fs::remove_all(pathFromUtf8(folder_), ec);
    }
}
