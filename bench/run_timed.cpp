// Runs a command and prints its wall time, peak resident memory and processor time in user space
// and in the system on one line: "<seconds> <KiB> <user seconds> <system seconds>". The command's
// standard output is discarded; its standard error is kept. Exits with the command's status.
//
// Usage: morvex-bench-run COMMAND [ARG...]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: morvex-bench-run COMMAND [ARG...]\n");
        return 2;
    }
    const double start = now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("morvex-bench-run: fork");
        return 1;
    }
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            close(null);
        }
        execvp(argv[1], argv + 1);
        std::fprintf(stderr, "morvex-bench-run: cannot run %s: %s\n", argv[1],
                     std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::perror("morvex-bench-run: wait");
            return 1;
        }
    }
    const double wall = now() - start;
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    std::printf("%.6f %ld %.6f %.6f\n", wall, usage.ru_maxrss, seconds(usage.ru_utime),
                seconds(usage.ru_stime));
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    std::fprintf(stderr, "morvex-bench-run: %s ended by signal %d\n", argv[1], WTERMSIG(status));
    return 1;
}
