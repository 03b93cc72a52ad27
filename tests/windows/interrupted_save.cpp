// A save that stays unfinished until the process is interrupted: installs the interruption
// handlers, starts replacing the file named on the command line, writes to its temporary, says
// "writing" on standard output and waits. Tests interrupt it and look at what is left behind.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/console.h"
#include "platform/interruption.h"

int main(int argc, char** argv) {
    // From the wide command line: the ANSI argv loses what its code page cannot hold.
    const std::vector<std::string> arguments = programArguments(argc, argv);
    if (arguments.size() != 2) {
        std::fputs("usage: interrupted_save FILE\n", stderr);
        return 2;
    }
    installInterruptionHandlers();
    AtomicFile file(arguments[1]);
    if (!file.open() || std::fputs("new content\r\n", file.stream()) < 0 ||
        std::fflush(file.stream()) != 0) {
        std::fputs("interrupted_save: cannot write\n", stderr);
        return 1;
    }
    std::puts("writing");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::minutes(1));
    return 3;  // not interrupted
}
