#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ProcessResult {
    int exitCode = -1;  // -1 when killed by a signal or the timeout
    int signal = 0;     // the signal that ended it, 0 when it exited
    bool timedOut = false;
    std::string out;
    std::string err;
};

struct ProcessRequest {
    std::vector<std::string> argv;  // argv[0] is the program's path
    std::string workingDir = {};    // empty: the test's own
    std::vector<std::pair<std::string, std::string>> environment = {};  // added or replaced
    int timeoutSeconds = 20;
    std::string outputFile = {};     // standard output goes there instead of into the result
    std::optional<uid_t> user = {};  // runs as this user and its group (the test must be root)
    uint64_t addressSpace = 0;       // limit of the child's address space in bytes; 0: none
    int killSignal = 0;              // sent once killAfter has passed; 0: none
    std::chrono::microseconds killAfter{0};
};

// Runs a program to its end with empty standard input, collecting both output streams. A
// program still running at the timeout is killed.
ProcessResult runProcess(const ProcessRequest& request);
