#pragma once

#include <string>
#include <utility>
#include <vector>

struct ProcessResult {
    int exitCode = -1;  // -1 when killed by a signal or the timeout
    bool timedOut = false;
    std::string out;
    std::string err;
};

struct ProcessRequest {
    std::vector<std::string> argv;                                 // argv[0] is the program's path
    std::string workingDir;                                        // empty: the test's own
    std::vector<std::pair<std::string, std::string>> environment;  // added or replaced
    int timeoutSeconds = 20;
};

// Runs a program to its end with empty standard input, collecting both output streams. A
// program still running at the timeout is killed.
ProcessResult runProcess(const ProcessRequest& request);
