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
    std::chrono::steady_clock::duration elapsed{};  // from its start to its end
};

struct ProcessRequest {
    std::vector<std::string> argv;  // argv[0] is the program's path
    std::string workingDir = {};    // empty: the test's own
    std::vector<std::pair<std::string, std::string>> environment = {};  // added or replaced
    int timeoutSeconds = 20;         // 0: none but the test's own
    std::string outputFile = {};     // standard output goes there instead of into the result
    std::optional<uid_t> user = {};  // runs as this user and its group (the test must be root)
    uint64_t addressSpace = 0;       // limit of the child's address space in bytes; 0: none
};

// Runs a program to its end with empty standard input, collecting both output streams. A
// program still running at the timeout is killed.
ProcessResult runProcess(const ProcessRequest& request);

// The timeout of a run that does no more than `factor` times the work of a run measured before
// it: that many times the measured time, and no less than half a minute. A busy machine slows
// both runs alike, so only a run that hangs, or takes far longer than the work it does, ends at
// the timeout.
int scaledTimeoutSeconds(std::chrono::steady_clock::duration measured, int factor = 4);

// A run of the converter's test build whose saves stop at a step (`held_saves --hold STEP COUNT
// 3 4`): it says so with a byte on descriptor 3 and goes on once descriptor 4 is closed. Its
// standard streams are the test's own.
class HeldRun {
  public:
    static constexpr int kReadyFd = 3;  // the descriptors as its command line names them
    static constexpr int kGoFd = 4;

    // Starts argv (argv[0] is the program's path) in `dir`. A run that has not ended after
    // timeoutSeconds (0: none but the test's own) is killed when waited for.
    HeldRun(std::vector<std::string> argv, const std::string& dir, int timeoutSeconds = 0);
    HeldRun(const HeldRun&) = delete;
    HeldRun& operator=(const HeldRun&) = delete;
    // Lets the run go on and waits for its end.
    ~HeldRun();

    // Waits until the run stops at its step: the byte it says there, or 0 when it ended, could
    // not be started or reached its timeout first.
    char waitUntilHeld();
    // Sends the run a signal.
    void interrupt(int signal);
    // Lets the stopped saves go on.
    void letGo();
    // Waits for the run's end without letting it go: how it ended (out and err stay empty).
    ProcessResult wait();
    ProcessResult finish() {
        letGo();
        return wait();
    }

  private:
    int millisecondsLeft() const;

    pid_t pid_ = -1;
    int ready_ = -1;
    int go_ = -1;
    std::chrono::steady_clock::time_point start_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
};
