#include "app/core/dialog_messages.h"
#include "app/core/conversion_text.h"

#include <algorithm>
#include <initializer_list>

#include "platform/text.h"

namespace {

bool notConverted(const FileReport& report) {
    return report.outcome != FileOutcome::Converted;
}

// The files that one group of a listing takes, under its heading.
struct FileGroup {
    bool (*takes)(const FileReport&);
    const char* heading;  // translated
};

// Each group's files as "path: reason" lines under its heading, the groups apart by a blank
// line; past maxFiles lines in all, one last line counts the files left out.
std::string listFiles(const std::vector<FileReport>& reports,
                      std::initializer_list<FileGroup> groups, std::size_t maxFiles) {
    std::string text;
    std::size_t listed = 0;
    std::size_t more = 0;
    for (const FileGroup& group : groups) {
        std::string lines;
        for (const FileReport& report : reports) {
            if (!group.takes(report)) {
                continue;
            }
            if (listed < maxFiles) {
                ++listed;
                lines += "\n" + report.source + ": " + describeOutcome(report);
            } else {
                ++more;
            }
        }
        if (!lines.empty()) {
            text += (text.empty() ? "" : "\n\n") + std::string(group.heading) + lines;
        }
    }
    if (more > 0) {
        const auto count = static_cast<unsigned long>(more);
        text += text.empty() ? "" : "\n";
        text += formatted(translatedPlural("… and %lu more file", "… and %lu more files", count),
                          count);
    }
    return text;
}

}  // namespace

std::string notConvertedText(const std::vector<FileReport>& reports, std::size_t maxFiles) {
    return listFiles(reports, {{notConverted, translated("Files not converted:")}}, maxFiles);
}

BatchTally tallyBatch(const std::vector<FileReport>& reports) {
    BatchTally tally;
    for (const FileReport& report : reports) {
        if (notConverted(report)) {
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
    if (tally.whole + tally.inPart == 0 && tally.notConverted > 0) {
        return BatchSeverity::Error;
    }
    return tally.inPart + tally.notConverted > 0 ? BatchSeverity::Warning
                                                 : BatchSeverity::Information;
}

std::string batchSummary(const BatchTally& tally) {
    const auto failed = static_cast<unsigned long>(tally.notConverted);
    const auto inPart = static_cast<unsigned long>(tally.inPart);
    const auto converted = static_cast<unsigned long>(tally.whole + tally.inPart);
    if (failed == 0 && inPart == 0) {
        return {};
    }
    if (converted == 0) {
        return formatted(translatedPlural("%lu file could not be converted.",
                                          "None of the %lu files could be converted.", failed),
                         failed);
    }
    const std::string done =
        inPart == 0
            ? formatted(translatedPlural("%lu file converted.", "%lu files converted.", converted),
                        converted)
            : formatted(translatedPlural("%lu file converted (%lu of them in part).",
                                         "%lu files converted (%lu of them in part).", converted),
                        converted, inPart);
    if (failed == 0) {
        return done;
    }
    // TRANSLATORS: %s is the sentence on the files converted.
    return formatted(translatedPlural("%s %lu file could not be converted.",
                                      "%s %lu files could not be converted.", failed),
                     done.c_str(), failed);
}

std::string unfinishedFilesText(const std::vector<FileReport>& reports, std::size_t maxFiles) {
    return listFiles(reports,
                     {{notConverted, translated("Files not converted:")},
                      {convertedInPart, translated("Files converted in part:")}},
                     maxFiles);
}

std::string batchMessage(const std::vector<FileReport>& reports, std::size_t maxFiles) {
    const BatchTally tally = tallyBatch(reports);
    std::string text = batchSummary(tally);
    const bool cancelled = std::any_of(
        reports.begin(), reports.end(),
        [](const FileReport& report) { return report.outcome == FileOutcome::Cancelled; });
    if (cancelled) {
        text = translated("The conversion was cancelled.") + ("\n" + text);
    }
    const auto add = [&text](const std::string& part) {
        if (!part.empty()) {
            text += (text.empty() ? "" : "\n\n") + part;
        }
    };
    if (tally.whole + tally.inPart > 0) {
        add(kCompletionMessage);
    }
    add(unfinishedFilesText(reports, maxFiles));
    return text;
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

std::string batchProgressLabel(std::size_t done, std::size_t total) {
    const auto all = static_cast<unsigned long>(total);
    return formatted(
        translatedPlural("Converting: %lu of %lu file", "Converting: %lu of %lu files", all),
        static_cast<unsigned long>(done), all);
}
