#include "platform/console.h"

ConsoleText::ConsoleText(std::ostream& stream, StandardStream) : stream_(stream) {}
