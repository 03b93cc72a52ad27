#include "app/core/dialog_messages.h"

#include "platform/message_format.h"
#include "platform/messages.h"

std::string notConvertedText(const std::vector<FileReport>& reports, std::size_t maxFiles) {
    std::string text;
    std::size_t files = 0;
    for (const FileReport& report : reports) {
        if (report.outcome == FileOutcome::Converted) {
            continue;
        }
        if (files++ < maxFiles) {
            text += "\n" + report.source + ": " + describeOutcome(report);
        }
    }
    if (files > maxFiles) {
        const auto more = static_cast<unsigned long>(files - maxFiles);
        text += '\n';
        text +=
            formatted(translatedPlural("… and %lu more file", "… and %lu more files", more), more);
    }
    return text.empty() ? text : translated("Files not converted:") + text;
}

std::string faceRefusalMessage(const FaceChoice& choice) {
    switch (choice.outcome) {
        case FaceOutcome::Kept:
        case FaceOutcome::Changed:
            return {};
        case FaceOutcome::Empty:
            return translated("The font name is empty, so it cannot be used.");
        case FaceOutcome::HasControlCharacter:
            return formatted(
                translated("The font name “%s” holds control characters, so it cannot be used."),
                choice.family.c_str());
        case FaceOutcome::NotCp932:
            break;
    }
    return formatted(translated("The font name “%s” cannot be written in the encoding of the "
                                "settings file (CP932), so it cannot be used."),
                     choice.family.c_str());
}

std::string settingsNotSavedMessage(const std::string& path) {
    return formatted(translated("The settings could not be saved.\n%s"), path.c_str());
}

std::string batchProgressLabel(std::size_t done, std::size_t total) {
    const auto all = static_cast<unsigned long>(total);
    return formatted(
        translatedPlural("Converting: %lu of %lu file", "Converting: %lu of %lu files", all),
        static_cast<unsigned long>(done), all);
}
