#include "app/core/dialog_messages.h"
#include "app/core/conversion_text.h"

#include "platform/text.h"

BatchTally tallyBatch(const std::vector<FileReport>& reports) {
    BatchTally tally;
    for (const FileReport& report : reports) {
        if (report.outcome == FileOutcome::Cancelled) {
            ++tally.notStarted;
        } else if (report.outcome != FileOutcome::Converted) {
            ++tally.notConverted;
        } else if (convertedInPart(report)) {
            ++tally.inPart;
        } else {
            ++tally.whole;
        }
    }
    return tally;
}

BatchSeverity batchSeverity(const BatchTally& tally) {
    if (tally.whole + tally.inPart == 0 && tally.notConverted + tally.notStarted > 0) {
        return BatchSeverity::Error;
    }
    return tally.inPart + tally.notConverted + tally.notStarted > 0 ? BatchSeverity::Warning
                                                                    : BatchSeverity::Information;
}

std::string resultFilterLabel(std::optional<ResultGroup> group, std::size_t count) {
    const char* name = translated("All files");
    if (group) {
        switch (*group) {
            case ResultGroup::NotConverted:
                name = translated("Not converted");
                break;
            case ResultGroup::InPart:
                name = translated("Converted in part");
                break;
            case ResultGroup::Whole:
                name = translated("Converted whole");
                break;
            case ResultGroup::NotStarted:
                name = translated("Not started");
                break;
        }
    }
    return std::string(name) + " (" + groupedCount(count) + ")";
}

std::string groupedCount(std::size_t count) {
    const std::string digits = std::to_string(count);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            text += ',';
        }
        text += digits[i];
    }
    return text;
}

namespace {

// A plural message for `count` with every %s in it filled, in order, by the grouped counts given.
template <class... Counts>
std::string countedText(const char* singular, const char* plural, std::size_t count,
                        Counts... counts) {
    return formatted(translatedPlural(singular, plural, static_cast<unsigned long>(count)),
                     groupedCount(counts).c_str()...);
}

}  // namespace

std::string batchSummary(const BatchTally& tally) {
    const std::size_t converted = tally.whole + tally.inPart;
    const std::size_t failed = tally.notConverted;
    if (failed == 0 && tally.inPart == 0) {
        return {};
    }
    if (converted == 0) {
        return countedText("%s file could not be converted.",
                           "None of the %s files could be converted.", failed, failed);
    }
    const std::string done =
        tally.inPart == 0
            ? countedText("%s file converted.", "%s files converted.", converted, converted)
            : countedText("%s file converted (%s of them in part).",
                          "%s files converted (%s of them in part).", converted, converted,
                          tally.inPart);
    if (failed == 0) {
        return done;
    }
    // TRANSLATORS: the first %s is the sentence on the files converted.
    return formatted(
        translatedPlural("%s %s file could not be converted.",
                         "%s %s files could not be converted.", static_cast<unsigned long>(failed)),
        done.c_str(), groupedCount(failed).c_str());
}

std::string cancelSummary(const BatchTally& tally) {
    const std::size_t converted = tally.whole + tally.inPart;
    if (tally.inPart == 0) {
        return countedText(
            "Cancelled: %s file converted, %s could not be converted, %s not started.",
            "Cancelled: %s files converted, %s could not be converted, %s not started.", converted,
            converted, tally.notConverted, tally.notStarted);
    }
    return countedText(
        "Cancelled: %s file converted (%s of them in part), %s could not be "
        "converted, %s not started.",
        "Cancelled: %s files converted (%s of them in part), %s could not be "
        "converted, %s not started.",
        converted, converted, tally.inPart, tally.notConverted, tally.notStarted);
}

std::string fileCountText(std::size_t files) {
    return countedText("%s file", "%s files", files, files);
}

std::string dialogTitle(std::size_t files, const std::string& outputFolder) {
    std::string title = "MORVEX";
    if (files > 0) {
        title += " - " + fileCountText(files);
    }
    if (!outputFolder.empty()) {
        title += " - " + formatted(translated("outputs to %s"), outputFolder.c_str());
    }
    return title;
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

std::string tooManyChosenMessage() {
    return translated(
        "More files were selected than the file dialog can pass on, so none was "
        "added. Select fewer files, or drop their folder on the list.");
}

std::string settingsNotSavedMessage(const std::string& path, const std::string& cause) {
    if (cause.empty()) {
        return formatted(translated("The settings could not be saved.\n%s"), path.c_str());
    }
    return formatted(translated("The settings could not be saved.\n%s: %s"), path.c_str(),
                     cause.c_str());
}

std::string outputFolderNotCp932Message(const std::string& folder) {
    return formatted(translated("The folder “%s” cannot be written in the encoding of the settings "
                                "file (CP932), so it cannot be used as the output folder."),
                     folder.c_str());
}

std::string outputFolderRefusedMessage(const std::string& folder, const std::string& cause) {
    return formatted(
        translated("The output folder cannot be used, so nothing was converted.\n%s: %s"),
        folder.c_str(), cause.c_str());
}

std::string settingsMadeMessage(const std::string& path) {
    return formatted(translated("The settings are kept in this file from now on:\n%s"),
                     path.c_str());
}

std::string batchProgressLabel(std::size_t done, std::size_t total) {
    const auto all = static_cast<unsigned long>(total);
    return formatted(
        translatedPlural("Converting: %lu of %lu file", "Converting: %lu of %lu files", all),
        static_cast<unsigned long>(done), all);
}
