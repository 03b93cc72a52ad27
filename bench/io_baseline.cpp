// The I/O that any conversion of the given drawings must do, and nothing else, as the yardstick
// of `make bench`: for each source, read it whole; write a file of its converted output's size
// through a temporary file in the target's directory (write, flush to disk, close, rename over
// the target, sync the directory); read that file back whole.
//
// Usage: morvex-io-baseline PATH...
// PATH is a .ce2 file or a directory, searched as morvex-cli searches it. The .ce3 file
// beside each source, left by an earlier conversion, gives the output size; the baseline writes
// its file beside it under the extension ".io".
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/core/conversion_inputs.h"
#include "app/core/source_search.h"

namespace {

bool fail(const std::string& what, const std::string& path) {
    std::fprintf(stderr, "morvex-io-baseline: %s %s: %s\n", what.c_str(), path.c_str(),
                 std::strerror(errno));
    return false;
}

// Reads the whole file into buffer, as large reads.
bool readWhole(const std::string& path, std::vector<char>& buffer) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return fail("cannot open", path);
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        ::close(fd);
        return fail("cannot stat", path);
    }
    buffer.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == buffer.size()) {
            buffer.resize(buffer.size() * 2);
        }
        const ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ::close(fd);
            return fail("cannot read", path);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    buffer.resize(done);
    ::close(fd);
    return true;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes `size` bytes to target through a synced temporary file that is renamed over it, then
// syncs the directory.
bool replaceAtomically(const std::string& target, std::size_t size) {
    static const std::vector<char> block(std::size_t{1} << 16, 'x');
    const std::string directory = directoryOf(target);
    const std::string temp = directory + "/.morvex-io-" + std::to_string(getpid()) + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return fail("cannot create", temp);
    }
    bool ok = true;
    for (std::size_t left = size; ok && left > 0;) {
        const std::size_t n = left < block.size() ? left : block.size();
        ok = writeAll(fd, block.data(), n);
        left -= n;
    }
    if (!ok || fsync(fd) != 0) {
        fail("cannot write", temp);
        ::close(fd);
        unlink(temp.c_str());
        return false;
    }
    if (::close(fd) != 0 || rename(temp.c_str(), target.c_str()) != 0) {
        fail("cannot replace", target);
        unlink(temp.c_str());
        return false;
    }
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return fail("cannot open", directory);
    }
    const int r = fsync(dirFd);
    ::close(dirFd);
    return r == 0 || fail("cannot sync", directory);
}

std::string withExtension(const std::string& path, const char* extension) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + extension;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: morvex-io-baseline PATH...\n");
        return 2;
    }
    std::vector<std::string> sources;
    for (int i = 1; i < argc; ++i) {
        const FoundSources found = findSources(argv[i]);
        if (!found.problems.empty()) {
            std::fprintf(stderr, "morvex-io-baseline: %s: %s\n", found.problems[0].path.c_str(),
                         found.problems[0].reason.c_str());
            return 1;
        }
        sources.insert(sources.end(), found.files.begin(), found.files.end());
    }
    std::vector<char> input;
    std::vector<char> output;
    for (const std::string& source : sources) {
        struct stat converted {};
        const std::string ce3 = withExtension(source, ".ce3");
        if (stat(ce3.c_str(), &converted) != 0) {
            fail("no converted file", ce3);
            return 1;
        }
        const std::string target = withExtension(source, ".io");
        if (!readWhole(source, input) ||
            !replaceAtomically(target, static_cast<std::size_t>(converted.st_size)) ||
            !readWhole(target, output)) {
            return 1;
        }
    }
    return 0;
}
