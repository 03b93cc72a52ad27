#include "platform/mapped_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <new>

namespace {

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// Opens a regular file for reading, its size in *size; anything else is refused without waiting.
// The descriptor, or -1 with the cause in `file`.
int openRegular(const std::string& path, MappedFile& file, std::size_t& size) {
    // O_NONBLOCK keeps a FIFO or device from blocking the open; fstat then refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        file.openError = errno;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        file.openError = errno;
    } else if (!S_ISREG(st.st_mode)) {
        file.notRegular = true;
    } else if (static_cast<uintmax_t>(st.st_size) > SIZE_MAX) {
        file.openError = EFBIG;
    } else {
        size = static_cast<std::size_t>(st.st_size);
        return fd;
    }
    ::close(fd);
    return -1;
}

#ifndef __EMSCRIPTEN__
// A file that another program shortens while it is mapped raises SIGBUS where its lost pages are
// read. The mappings of this file are watched: a fault in one of them gets a page of zeros mapped
// in place of the lost one, and the mapping is marked cut, so that the reader goes on and is told
// afterwards. Faults elsewhere go to whatever handled SIGBUS before. The handler reads the watches
// without a lock; each is claimed by one mapping at a time.
struct Watch {
    std::atomic<bool> claimed{false};
    std::atomic<std::uintptr_t> begin{0};  // 0: not watching
    std::atomic<std::size_t> bytes{0};
    std::atomic<bool> cut{false};
};
static_assert(std::atomic<std::uintptr_t>::is_always_lock_free &&
              std::atomic<std::size_t>::is_always_lock_free &&
              std::atomic<bool>::is_always_lock_free);

// Mappings beyond this many at once are read instead.
constexpr std::size_t kWatches = 64;
std::array<Watch, kWatches> gWatches;
struct sigaction gEarlierHandler {};
std::uintptr_t gPageBytes = 0;

// What SIGBUS would have done without this handler.
void passOn(int signal, siginfo_t* info, void* context) {
    if ((gEarlierHandler.sa_flags & SA_SIGINFO) != 0) {
        gEarlierHandler.sa_sigaction(signal, info, context);
        return;
    }
    if (gEarlierHandler.sa_handler != SIG_DFL && gEarlierHandler.sa_handler != SIG_IGN) {
        gEarlierHandler.sa_handler(signal);
        return;
    }
    // The default action, which the signal gets once this handler returns.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(SIGBUS, &byDefault, nullptr);
    ::raise(SIGBUS);
}

void onBusError(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Watch& watch : gWatches) {
        const std::uintptr_t begin = watch.begin.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address - begin >= watch.bytes.load()) {
            continue;
        }
        void* const page = reinterpret_cast<void*>(address & ~(gPageBytes - 1));
        if (::mmap(page, gPageBytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
            MAP_FAILED) {
            watch.cut.store(true);
            errno = savedErrno;
            return;
        }
        break;
    }
    errno = savedErrno;
    passOn(signal, info, context);
}

// Whether the handler is in place; installed at the first mapping.
bool watchingForCuts() {
    static std::once_flag once;
    static bool installed = false;
    std::call_once(once, [] {
        const long page = ::sysconf(_SC_PAGESIZE);
        if (page <= 0) {
            return;
        }
        gPageBytes = static_cast<std::uintptr_t>(page);
        // The earlier handler is known before this one can be called.
        if (::sigaction(SIGBUS, nullptr, &gEarlierHandler) != 0) {
            return;
        }
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        installed = ::sigaction(SIGBUS, &action, nullptr) == 0;
    });
    return installed;
}

// A free watch, claimed for the mapping at `begin`; -1 when every watch is taken.
int watchMapping(const void* begin, std::size_t bytes) {
    for (std::size_t i = 0; i < kWatches; ++i) {
        Watch& watch = gWatches[i];
        if (!watch.claimed.exchange(true, std::memory_order_acquire)) {
            watch.cut.store(false);
            watch.bytes.store(bytes);
            watch.begin.store(reinterpret_cast<std::uintptr_t>(begin), std::memory_order_release);
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Maps the file open as fd; false when the system cannot, and the file is to be read instead.
bool mapInto(int fd, std::size_t size, const char*& mapping, int& watch) {
    if (!watchingForCuts()) {
        return false;
    }
    void* const address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (address == MAP_FAILED) {
        return false;
    }
    watch = watchMapping(address, size);
    if (watch < 0) {
        ::munmap(address, size);
        return false;
    }
    // One pass from the start: read ahead of it.
    ::madvise(address, size, MADV_SEQUENTIAL);
    mapping = static_cast<const char*>(address);
    return true;
}
#endif

// Reads up to `size` bytes of fd into a buffer of their own; the bytes there are before an error
// or an end that came sooner.
UninitialisedArray<char> readInto(int fd, std::size_t size, std::size_t& done, int& error) {
    UninitialisedArray<char> buffer;
    try {
        buffer = makeUninitialisedArray<char>(size);
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
        return buffer;
    }
    while (done < size) {
        const ssize_t n = ::read(fd, buffer.get() + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0) {
            break;  // shortened since it was examined
        }
        done += static_cast<std::size_t>(n);
    }
    return buffer;
}

}  // namespace

void FileBytes::releaseMapping() {
#ifndef __EMSCRIPTEN__
    if (mapping_ == nullptr) {
        return;
    }
    // The watch goes first: the pages it would cover are unmapped next.
    gWatches[static_cast<std::size_t>(watch_)].begin.store(0, std::memory_order_release);
    ::munmap(const_cast<char*>(mapping_), mappedBytes_);
    gWatches[static_cast<std::size_t>(watch_)].claimed.store(false, std::memory_order_release);
    mapping_ = nullptr;
    watch_ = -1;
#endif
}

bool FileBytes::cut() const {
#ifndef __EMSCRIPTEN__
    return mapping_ != nullptr && gWatches[static_cast<std::size_t>(watch_)].cut.load();
#else
    return false;
#endif
}

MappedFile readRegularFile(const std::string& path) {
    MappedFile file;
    Descriptor opened;
    std::size_t size = 0;
    opened.fd = openRegular(path, file, size);
    if (opened.fd >= 0 && size > 0) {
        file.bytes.buffer_ = readInto(opened.fd, size, file.bytes.size_, file.readError);
    }
    return file;
}

MappedFile mapRegularFile(const std::string& path) {
#ifndef __EMSCRIPTEN__
    MappedFile file;
    Descriptor opened;
    std::size_t size = 0;
    opened.fd = openRegular(path, file, size);
    if (opened.fd < 0 || size == 0) {
        return file;
    }
    FileBytes& bytes = file.bytes;
    if (size >= kMappedFileMinBytes && mapInto(opened.fd, size, bytes.mapping_, bytes.watch_)) {
        bytes.size_ = bytes.mappedBytes_ = size;
    } else {
        bytes.buffer_ = readInto(opened.fd, size, bytes.size_, file.readError);
    }
    return file;
#else
    // The page's files lie in memory already, and its system raises no signal for a file cut
    // while mapped: they are read.
    return readRegularFile(path);
#endif
}
