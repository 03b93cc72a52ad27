#include "platform/console.h"

ConsoleText::~ConsoleText() {
    if (console_) {
        stream_.flush();
        stream_.rdbuf(previous_);
    }
}
