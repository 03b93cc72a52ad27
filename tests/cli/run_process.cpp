#include "run_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

std::vector<std::string> mergedEnvironment(const ProcessRequest& request) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const auto& [name, value] : request.environment) {
            replaced = replaced || entry.compare(0, name.size() + 1, name + "=") == 0;
        }
        if (!replaced) {
            env.push_back(entry);
        }
    }
    for (const auto& [name, value] : request.environment) {
        env.push_back(name + "=" + value);
    }
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) {
        out.push_back(s.data());
    }
    out.push_back(nullptr);
    return out;
}

// In the child before exec: its user and its address space as requested.
bool limitChild(const ProcessRequest& request) {
    if (request.addressSpace != 0) {
        const rlimit limit{request.addressSpace, request.addressSpace};
        if (setrlimit(RLIMIT_AS, &limit) != 0) {
            return false;
        }
    }
    if (request.user) {
        const gid_t group = static_cast<gid_t>(*request.user);
        if (setgroups(0, nullptr) != 0 || setgid(group) != 0 || setuid(*request.user) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

ProcessResult runProcess(const ProcessRequest& request) {
    ProcessResult result;
    std::vector<std::string> args = request.argv;
    std::vector<std::string> env = mergedEnvironment(request);
    std::vector<char*> argv = pointers(args);
    std::vector<char*> envp = pointers(env);
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        return result;
    }
    const int outFile =
        request.outputFile.empty()
            ? outPipe[1]
            : open(request.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t pid = outFile < 0 ? -1 : fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull < 0 || dup2(devNull, 0) < 0 || dup2(outFile, 1) < 0 ||
            dup2(errPipe[1], 2) < 0 || !limitChild(request) ||
            (!request.workingDir.empty() && chdir(request.workingDir.c_str()) != 0)) {
            _exit(127);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (outFile != outPipe[1] && outFile >= 0) {
        close(outFile);
    }
    close(outPipe[1]);
    close(errPipe[1]);

    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::seconds(request.timeoutSeconds);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = pid > 0 ? 2 : 0;
    while (open > 0) {
        int wait = -1;
        if (request.timeoutSeconds > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                result.timedOut = true;
                kill(pid, SIGKILL);
                break;
            }
            wait = static_cast<int>(left.count());
        }
        if (poll(fds, 2, wait) < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                char buffer[4096];
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    sinks[i]->append(buffer, static_cast<std::size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && !result.timedOut) {
        if (WIFEXITED(status)) {
            result.exitCode = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            result.signal = WTERMSIG(status);
        }
    }
    result.elapsed = std::chrono::steady_clock::now() - start;
    return result;
}

int scaledTimeoutSeconds(std::chrono::steady_clock::duration measured, int factor) {
    constexpr int kFloorSeconds = 30;
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(measured * factor).count();
    return std::max(kFloorSeconds, static_cast<int>(seconds));
}

HeldRun::HeldRun(std::vector<std::string> argv, const std::string& dir, int timeoutSeconds)
    : start_(std::chrono::steady_clock::now()) {
    if (timeoutSeconds > 0) {
        deadline_ = start_ + std::chrono::seconds(timeoutSeconds);
    }
    int ready[2];
    int go[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        return;
    }
    if (pipe2(go, O_CLOEXEC) != 0) {
        close(ready[0]);
        close(ready[1]);
        return;
    }
    std::vector<char*> args = pointers(argv);
    pid_ = fork();
    if (pid_ == 0) {
        // Out of the way of 3 and 4 first, then there; dup2 leaves them open across exec.
        const int readyEnd = fcntl(ready[1], F_DUPFD_CLOEXEC, 10);
        const int goEnd = fcntl(go[0], F_DUPFD_CLOEXEC, 10);
        if (readyEnd < 0 || goEnd < 0 || dup2(readyEnd, kReadyFd) < 0 || dup2(goEnd, kGoFd) < 0 ||
            chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        execv(args[0], args.data());
        _exit(127);
    }
    close(ready[1]);
    close(go[0]);
    ready_ = ready[0];
    go_ = go[1];
}

HeldRun::~HeldRun() {
    finish();
}

// The poll timeout until the deadline: -1 for none.
int HeldRun::millisecondsLeft() const {
    if (!deadline_) {
        return -1;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*deadline_ - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<int64_t>(left.count(), 0));
}

// The descriptor READY gives a byte when the saves stop, and its end once the run has ended: its
// last holder is the run.
char HeldRun::waitUntilHeld() {
    if (pid_ <= 0 || ready_ < 0) {
        return 0;
    }
    pollfd fd{ready_, POLLIN, 0};
    int polled = 0;
    while ((polled = poll(&fd, 1, millisecondsLeft())) < 0 && errno == EINTR) {
    }
    char byte = 0;
    return polled == 1 && read(ready_, &byte, 1) == 1 ? byte : 0;
}

void HeldRun::interrupt(int signal) {
    if (pid_ > 0) {
        kill(pid_, signal);
    }
}

void HeldRun::letGo() {
    if (go_ >= 0) {
        close(go_);
        go_ = -1;
    }
}

ProcessResult HeldRun::wait() {
    ProcessResult result;
    // Until READY ends with the run, or the timeout.
    while (pid_ > 0 && ready_ >= 0) {
        const int left = millisecondsLeft();
        if (left == 0) {
            result.timedOut = true;
            kill(pid_, SIGKILL);
            break;
        }
        pollfd fd{ready_, POLLIN, 0};
        const int polled = poll(&fd, 1, left);
        if (polled < 0 && errno != EINTR) {
            break;
        }
        char byte = 0;
        const ssize_t n = polled == 1 ? read(ready_, &byte, 1) : 1;
        if (n == 0 || (n < 0 && errno != EINTR)) {
            break;
        }
    }
    if (ready_ >= 0) {
        close(ready_);
        ready_ = -1;
    }
    letGo();
    if (pid_ <= 0) {
        return result;
    }
    int status = 0;
    if (waitpid(pid_, &status, 0) == pid_ && !result.timedOut) {
        if (WIFEXITED(status)) {
            result.exitCode = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            result.signal = WTERMSIG(status);
        }
    }
    pid_ = -1;
    result.elapsed = std::chrono::steady_clock::now() - start_;
    return result;
}
