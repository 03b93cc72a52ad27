#include "platform/process_paths.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

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
