#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <system_error>

RegularFile openRegularFile(const std::string& path) {
    RegularFile file;
    // O_NONBLOCK keeps a FIFO or device from blocking the open; fstat then refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        file.error = errno;
        return file;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        file.error = errno;
        ::close(fd);
        return file;
    }
    if (!S_ISREG(st.st_mode)) {
        file.notRegular = true;
        ::close(fd);
        return file;
    }
    file.stream.reset(::fdopen(fd, "rb"));
    if (!file.stream) {
        file.error = errno;
        ::close(fd);
        return file;
    }
    file.size = static_cast<uint64_t>(st.st_size);
    return file;
}

FilePtr openFileForReading(const std::string& path) {
    // A directory opens for reading here, but holds no bytes to read.
    FilePtr file(std::fopen(path.c_str(), "rb"));
    struct stat st {};
    if (file && ::fstat(::fileno(file.get()), &st) == 0 && S_ISDIR(st.st_mode)) {
        return nullptr;
    }
    return file;
}

FileStatus fileStatus(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec) {
        return {FileKind::Unknown, ec.message()};
    }
    switch (status.type()) {
        case std::filesystem::file_type::regular:
            return {FileKind::Regular, {}};
        case std::filesystem::file_type::directory:
            return {FileKind::Directory, {}};
        default:
            return {FileKind::Other, {}};
    }
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

FileLook lookAtFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    return {true,
            {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)},
            static_cast<uint64_t>(st.st_size),
            int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

std::string comparedName(const std::string& name) {
    return name;
}

std::optional<std::string> symbolicLinkTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return std::nullopt;
    }
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) > target.size()) {
        return std::nullopt;
    }
    target.resize(static_cast<std::size_t>(n));
    if (target[0] == '/') {
        return target;
    }
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
}
