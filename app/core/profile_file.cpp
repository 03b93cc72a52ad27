#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "app/core/profile_text.h"
#include "app/core/settings.h"
#include "ce3/atomic_file.h"
#include "ce3/int_field.h"

namespace {

// A settings file larger than this is not a settings file; it is neither read nor replaced.
constexpr off_t kMaxProfileBytes = 1 << 20;

enum class Loaded { Missing, Read, Unreadable };

struct ProfileBytes {
    Loaded state = Loaded::Missing;
    std::string text;  // empty unless Read
};

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

// Reads the whole file. Only a regular file is read, and O_NONBLOCK keeps a FIFO of that name
// from blocking the open.
ProfileBytes loadProfile(const std::string& path) {
    const Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        return {errno == ENOENT ? Loaded::Missing : Loaded::Unreadable, {}};
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxProfileBytes) {
        return {Loaded::Unreadable, {}};
    }
    std::string data;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {Loaded::Unreadable, {}};
        }
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > static_cast<std::size_t>(kMaxProfileBytes)) {
            return {Loaded::Unreadable, {}};
        }
    }
    return {Loaded::Read, std::move(data)};
}

// Creates the missing directories above path, private to the user.
bool makeParentDirectories(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string dir = path.substr(0, slash);
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0 && ::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string ProfileFile::readString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
    const ProfileBytes file = loadProfile(path_);
    auto value = profileValue(file.text, section, key);
    return value ? std::move(*value) : fallback;
}

int ProfileFile::readInt(const std::string& section, const std::string& key, int fallback) const {
    const ProfileBytes file = loadProfile(path_);
    const auto value = profileValue(file.text, section, key);
    return value ? atoiField(*value) : fallback;
}

// The file is changed line by line rather than parsed and written anew, since a general INI
// library lays the whole file out again: it drops what it cannot parse, moves comments and
// blank lines and merges duplicates. Here only the one key's line changes or is added, so a
// file that the user or another program keeps stays as it was.
bool ProfileFile::writeString(const std::string& section, const std::string& key,
                              const std::string& value) {
    if (!fitsProfileLine(section, key, value)) {
        return false;
    }
    const ProfileBytes file = loadProfile(path_);
    if (file.state == Loaded::Unreadable) {
        return false;
    }
    const std::string text = withProfileValue(file.text, section, key, value);
    if (file.state == Loaded::Read && text == file.text) {
        return true;
    }
    if (!makeParentDirectories(path_)) {
        return false;
    }
    AtomicFile out(path_);
    return out.open() && std::fwrite(text.data(), 1, text.size(), out.stream()) == text.size() &&
           out.commit();
}

bool ProfileFile::writeInt(const std::string& section, const std::string& key, int value) {
    return writeString(section, key, std::to_string(value));
}
