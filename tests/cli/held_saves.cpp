// The command-line converter's batch with its saves stopped at a chosen step, for the tests of
// interrupted saves: `held_saves [--named] [--hold STEP COUNT READY GO] -q --jobs N FILE...`
// converts the files as morvex-cli does with those options.
//
// With --named the file system offers no temporary without a name, so every save takes a named
// one. With --hold the first COUNT saves to reach STEP stop there; once all of them have, one
// byte goes to the descriptor READY: 'h' when the saves hold interruptions back at that step, 'r'
// when an interruption reaches them there. They go on once the descriptor GO is closed. The steps
// are those of AtomicFile's table of system calls:
//   open            before the temporary is made
//   write           after the first bytes have gone into the temporary, before the others
//   sync            after the last bytes, before the temporary's fsync
//   link            before an unnamed temporary is linked under the target's name or a hidden one
//   rename          before a named temporary, or an unnamed one's hidden name, replaces the target
//   sync-directory  once COUNT targets are replaced, before the next directory fsync: the first
//                   to come then stops (with several saves at once, one fsync of the folder may
//                   serve them all)
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>

#include "cli/batch.h"
#include "platform/atomic_file_calls_posix.h"
#include "platform/interruption.h"

namespace {

bool gNamed = false;
std::string gHoldAt;  // the step, empty for none
int gHeldSaves = 0;
std::atomic<int> gArrived{0};
int gReadyFd = -1;
int gGoFd = -1;

bool interruptionsHeldHere() {
    sigset_t mask;
    sigemptyset(&mask);
    return pthread_sigmask(SIG_BLOCK, nullptr, &mask) == 0 && sigismember(&mask, SIGINT) == 1;
}

// The targets replaced so far.
std::mutex gReplacedMutex;
std::condition_variable gReplacedChanged;
int gReplaced = 0;

// Stops the save when it is one of the first `count` to reach `step`, until GO is closed; the
// last of them to arrive says so on READY.
void holdAt(const char* step, int count = gHeldSaves) {
    if (gHoldAt != step) {
        return;
    }
    const int arrived = gArrived.fetch_add(1) + 1;
    if (arrived > count) {
        return;
    }
    if (arrived == count) {
        const char byte = interruptionsHeldHere() ? 'h' : 'r';
        while (::write(gReadyFd, &byte, 1) < 0 && errno == EINTR) {
        }
    }
    char byte = 0;
    for (;;) {
        const ssize_t n = ::read(gGoFd, &byte, 1);
        if (n == 0 || (n < 0 && errno != EINTR)) {
            break;
        }
    }
}

int openUnnamed(const char* directory, unsigned mode) {
    holdAt("open");
    if (gNamed) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return systemAtomicFileCalls().openUnnamed(directory, mode);
}

// A write stream as the system's, which stops after its first write.
struct Sink {
    int fd;
    int* writeError;
    bool wrote = false;

    static ssize_t write(void* cookie, const char* buf, size_t size) {
        auto* sink = static_cast<Sink*>(cookie);
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(sink->fd, buf + done, size - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                if (*sink->writeError == 0) {
                    *sink->writeError = n < 0 ? errno : EIO;
                }
                break;
            }
            done += static_cast<size_t>(n);
        }
        if (done > 0 && !sink->wrote) {
            sink->wrote = true;
            holdAt("write");
        }
        return static_cast<ssize_t>(done);
    }

    static int close(void* cookie) {
        const std::unique_ptr<Sink> sink(static_cast<Sink*>(cookie));
        return ::close(sink->fd);
    }
};

FILE* openStream(int fd, char* buffer, std::size_t size, int* writeError) {
    auto sink = std::make_unique<Sink>(Sink{fd, writeError});
    FILE* stream = ::fopencookie(
        sink.get(), "wb", cookie_io_functions_t{nullptr, &Sink::write, nullptr, &Sink::close});
    if (stream == nullptr) {
        return nullptr;
    }
    sink.release();  // the stream's close frees it
    std::setvbuf(stream, buffer, _IOFBF, size);
    return stream;
}

int syncFile(int fd) {
    holdAt("sync");
    return systemAtomicFileCalls().syncFile(fd);
}

// Counts a target replaced by a call that gave `result`.
int replaced(int result) {
    if (result == 0) {
        const std::lock_guard lock(gReplacedMutex);
        ++gReplaced;
        gReplacedChanged.notify_all();
    }
    return result;
}

int linkTarget(int fd, const char* path) {
    holdAt("link");
    return replaced(systemAtomicFileCalls().linkTarget(fd, path));
}

int linkHidden(int fd, const char* path) {
    holdAt("link");
    return systemAtomicFileCalls().linkHidden(fd, path);
}

int renameFile(const char* from, const char* to) {
    holdAt("rename");
    return replaced(systemAtomicFileCalls().renameFile(from, to));
}

int syncDirectory(int fd) {
    if (gHoldAt == "sync-directory") {
        std::unique_lock lock(gReplacedMutex);
        gReplacedChanged.wait(lock, [] { return gReplaced >= gHeldSaves; });
    }
    holdAt("sync-directory", 1);
    return systemAtomicFileCalls().syncDirectory(fd);
}

}  // namespace

int main(int argc, char** argv) {
    installInterruptionHandlers();
    BatchRequest request;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-q") {
            request.quiet = true;
        } else if (argument == "--named") {
            gNamed = true;
        } else if (argument == "--jobs" && i + 1 < argc) {
            request.jobs = std::strtoul(argv[++i], nullptr, 10);
        } else if (argument == "--hold" && i + 4 < argc) {
            gHoldAt = argv[++i];
            gHeldSaves = std::atoi(argv[++i]);
            gReadyFd = std::atoi(argv[++i]);
            gGoFd = std::atoi(argv[++i]);
        } else {
            request.paths.push_back(argument);
        }
    }
    setAtomicFileCalls({
        .openUnnamed = openUnnamed,
        .openStream = openStream,
        .syncFile = syncFile,
        .linkTarget = linkTarget,
        .linkHidden = linkHidden,
        .renameFile = renameFile,
        .syncDirectory = syncDirectory,
    });
    return runBatch(request, std::cout, std::cerr);
}
