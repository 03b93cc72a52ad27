// The command-line converter's batch where the file system offers no temporary without a name,
// for the tests of interrupted saves: `named_temporary_saves -q --jobs N FILE...` converts the
// files as morvex-cli does with those options, but every save takes a named temporary.
//
// With `--hold READY GO` (two descriptor numbers) the first save stops just before its temporary
// is renamed over the target: it writes a byte to READY, then goes on once a byte arrives on GO
// or GO is closed.
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "cli/batch.h"
#include "platform/atomic_file_calls_posix.h"
#include "platform/interruption.h"

namespace {

std::atomic<int> gReadyFd{-1};  // -1 once the first save has been held
int gGoFd = -1;

int noUnnamedTemporary(const char*, unsigned) {
    errno = EOPNOTSUPP;
    return -1;
}

int renameOnWord(const char* from, const char* to) {
    const int ready = gReadyFd.exchange(-1);
    if (ready >= 0) {
        char byte = 'h';
        const bool told = ::write(ready, &byte, 1) == 1;
        ::close(ready);
        if (told) {
            while (::read(gGoFd, &byte, 1) < 0 && errno == EINTR) {
            }
        }
        ::close(gGoFd);
    }
    return systemAtomicFileCalls().renameFile(from, to);
}

}  // namespace

int main(int argc, char** argv) {
    installInterruptionHandlers();
    AtomicFileCalls calls = systemAtomicFileCalls();
    calls.openUnnamed = noUnnamedTemporary;

    BatchRequest request;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-q") {
            request.quiet = true;
        } else if (argument == "--jobs" && i + 1 < argc) {
            request.jobs = std::strtoul(argv[++i], nullptr, 10);
        } else if (argument == "--hold" && i + 2 < argc) {
            gReadyFd = std::atoi(argv[++i]);
            gGoFd = std::atoi(argv[++i]);
            calls.renameFile = renameOnWord;
        } else {
            request.paths.push_back(argument);
        }
    }
    setAtomicFileCalls(calls);
    return runBatch(request, std::cout, std::cerr);
}
