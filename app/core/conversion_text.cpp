#include "app/core/conversion.h"
#include "platform/system_error.h"

const char* const kCompletionMessage =
    "変換が完了しました。\n"
    "生成したのはライブラリ情報なしの.CE3ファイルです。\n"
    "最初にTovr3/Pelnakで読み込む前に必要なライブラリを設定してください。\n"
    "Tovr3/Pelnakで上書き保存すると、ライブラリ情報付きの.CE3ファイルになります。";

namespace {

std::string countOf(int n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

bool stoppedEarly(const FileReport& report) {
    return report.reading.stop != Ce2Stop::EndOfFile;
}

}  // namespace

std::string describeOutcome(const FileReport& report) {
    switch (report.outcome) {
        case FileOutcome::Converted: {
            std::string text = countOf(report.elementsWritten, "element");
            if (report.elementsOutside > 0) {
                text += "; " + countOf(report.elementsOutside, "element") +
                        " outside the sheet left out";
            }
            if (stoppedEarly(report)) {
                text += "; " + describeCe2Stop(report.reading);
            }
            return text;
        }
        case FileOutcome::CannotOpen:
            return report.openError != 0 ? "cannot be opened: " + systemErrorText(report.openError)
                                         : "cannot be opened";
        case FileOutcome::NotRegularFile:
            return "not a regular file";
        case FileOutcome::TooFewElements:
            return stoppedEarly(report)
                       ? "fewer than two elements (" + describeCe2Stop(report.reading) + ")"
                       : "fewer than two elements";
        case FileOutcome::CannotWrite: {
            const std::string cause = describeWriteFailure(report.writeFailure);
            return report.output + " cannot be written" + (cause.empty() ? "" : ": " + cause);
        }
        case FileOutcome::WouldOverwriteSource:
            return "would overwrite its source";
        case FileOutcome::WouldReplaceEarlierOutput:
            return "would replace " + report.output + " written from " + report.earlierSource +
                   " in this batch";
        case FileOutcome::NotEnoughMemory:
            return "not enough memory";
    }
    return "unknown outcome";
}
