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
    bool killSent = request.killSignal == 0;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = pid > 0 ? 2 : 0;
    while (open > 0) {
        const auto now = std::chrono::steady_clock::now();
        if (!killSent && now - start >= request.killAfter) {
            kill(pid, request.killSignal);
            killSent = true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        // Waits no longer than until the signal is due.
        const auto untilKill =
            std::chrono::duration_cast<std::chrono::milliseconds>(start + request.killAfter - now);
        const long wait = killSent ? left.count() : std::min<long>(left.count(), untilKill.count());
        if (poll(fds, 2, static_cast<int>(wait)) < 0 && errno != EINTR) {
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
    return result;
}
