#include "app/core/dialog_messages.h"

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
        text += "\n…ほか " + std::to_string(files - maxFiles) + " ファイル";
    }
    return text.empty() ? text : "変換しなかったファイル:" + text;
}

std::string faceRefusalMessage(const FaceChoice& choice) {
    switch (choice.outcome) {
        case FaceOutcome::Kept:
        case FaceOutcome::Changed:
            return {};
        case FaceOutcome::Empty:
            return "フォント名が空のため、使えません。";
        case FaceOutcome::HasControlCharacter:
            return "フォント名「" + choice.family +
                   "」には制御文字が含まれているため、使えません。";
        case FaceOutcome::NotCp932:
            break;
    }
    return "フォント名「" + choice.family +
           "」は設定ファイルの文字コード (CP932) で表せないため、使えません。";
}

std::string settingsNotSavedMessage(const std::string& path) {
    return "設定を保存できませんでした。\n" + path;
}

std::string batchProgressLabel(std::size_t done, std::size_t total) {
    return "変換中: " + std::to_string(done) + " / " + std::to_string(total) + " ファイル";
}
