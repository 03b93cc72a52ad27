#include "platform/builtin_messages.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/builtin_catalogue.h"
#include "platform/text.h"

namespace {

// The Japanese messages by their English text; null while the messages are English. Set once,
// before any thread asks for a message.
const std::unordered_map<std::string_view, const char*>* japanese = nullptr;

const std::unordered_map<std::string_view, const char*>& japaneseMessages() {
    static const std::unordered_map<std::string_view, const char*> messages = [] {
        std::unordered_map<std::string_view, const char*> byEnglish;
        for (const CatalogueEntry& entry : kJapaneseMessages) {
            byEnglish.emplace(entry.english, entry.translation);
        }
        return byEnglish;
    }();
    return messages;
}

const char* environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

std::optional<bool> environmentNamesJapanese() {
    const char* locale = environmentValue("LC_ALL");
    for (const char* name : {"LC_MESSAGES", "LANG"}) {
        locale = locale != nullptr ? locale : environmentValue(name);
    }
    const std::string_view localeName = locale != nullptr ? locale : "";
    if (localeName == "C" || localeName == "POSIX" || localeName.starts_with("C.")) {
        return false;
    }
    const char* language = environmentValue("LANGUAGE");
    const std::string_view name = language != nullptr ? language : localeName;
    if (name.empty()) {
        return std::nullopt;
    }
    return name.substr(0, name.find_first_of(":_.@")) == "ja";
}

void useJapaneseMessages(bool useJapanese) {
    japanese = useJapanese ? &japaneseMessages() : nullptr;
}

const char* translated(const char* english) {
    if (japanese == nullptr) {
        return english;
    }
    const auto found = japanese->find(english);
    return found != japanese->end() ? found->second : english;
}

// Japanese has one form for every number.
const char* translatedPlural(const char* singular, const char* plural, unsigned long n) {
    if (japanese != nullptr) {
        if (const auto found = japanese->find(singular); found != japanese->end()) {
            return found->second;
        }
    }
    return n == 1 ? singular : plural;
}

std::string messageLanguage() {
    return japanese != nullptr ? "ja" : "";
}

bool messagesTranslated() {
    return japanese != nullptr;
}
