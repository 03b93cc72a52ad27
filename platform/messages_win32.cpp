#include "platform/messages.h"

// Windows builds carry no message catalogues: every message is the English one.

void setUpMessages(MessageOutput) {}

void setUpMessages(MessageOutput, const std::string&) {}

const char* translated(const char* english) {
    return english;
}

const char* translatedPlural(const char* singular, const char* plural, unsigned long n) {
    return n == 1 ? singular : plural;
}

std::string messageLanguage() {
    return "";
}

bool messagesTranslated() {
    return false;
}
