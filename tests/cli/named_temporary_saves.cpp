// The command-line converter's batch where the file system offers no temporary without a name,
// for the tests of interrupted saves: `named_temporary_saves -q --jobs N FILE...` converts the
// files as morvex-cli does with those options, but every save takes a named temporary.
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "cli/batch.h"
#include "platform/atomic_file_calls_posix.h"
#include "platform/interruption.h"

namespace {

int noUnnamedTemporary(const char*, unsigned) {
    errno = EOPNOTSUPP;
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    installInterruptionHandlers();
    AtomicFileCalls calls = systemAtomicFileCalls();
    calls.openUnnamed = noUnnamedTemporary;
    setAtomicFileCalls(calls);

    BatchRequest request;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-q") {
            request.quiet = true;
        } else if (argument == "--jobs" && i + 1 < argc) {
            request.jobs = std::strtoul(argv[++i], nullptr, 10);
        } else {
            request.paths.push_back(argument);
        }
    }
    return runBatch(request, std::cout, std::cerr);
}
