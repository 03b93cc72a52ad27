#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/terminal.h"

namespace {

int descriptorOf(StandardStream stream) {
    return stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO;
}

}  // namespace

bool isTerminal(StandardStream stream) {
    return ::isatty(descriptorOf(stream)) == 1;
}

int terminalColumns(StandardStream stream) {
    winsize size{};
    if (::ioctl(descriptorOf(stream), TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_col;
}
