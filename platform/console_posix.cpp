#include "platform/console.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

int descriptorOf(StandardStream stream) {
    return stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO;
}

}  // namespace

ConsoleText::ConsoleText(std::ostream& stream, StandardStream, RedirectedText) : stream_(stream) {}

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

void holdClosingConsole(const std::string&) {}

void attachParentConsole() {}

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}
