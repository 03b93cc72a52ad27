#include "app/core/conversion_text.h"

#include <cerrno>
#include <optional>

#include "app/core/conversion.h"
#include "model/save_summary.h"
#include "platform/text.h"

const char* const kCompletionMessage =
    "変換が完了しました。\n"
    "生成したのはライブラリ情報なしの.CE3ファイルです。\n"
    "最初にTovr3/Pelnakで読み込む前に必要なライブラリを設定してください。\n"
    "Tovr3/Pelnakで上書き保存すると、ライブラリ情報付きの.CE3ファイルになります。";

namespace {

bool stoppedEarly(const FileReport& report) {
    return report.reading.stop != Ce2Stop::EndOfFile;
}

// Whether the file is no CE2 drawing at all: its first record is a header whose identifier is
// wrong. Then that is the cause, rather than the elements it lacks.
bool notCe2Drawing(const FileReport& report) {
    return report.reading.stop == Ce2Stop::BadMagic && report.reading.offset == 0;
}

// Why the existing output could not be read to check it; 0 when it was read.
int keptOutputReadError(const FileReport& report) {
    return report.outputReadError != 0 ? report.outputReadError : report.outputCheck.error;
}

// Why the existing output was kept, and where in it.
std::string describeKeptOutput(const FileReport& report) {
    const char* const output = report.output.c_str();
    const ContentsCheck& contents = report.outputCheck;
    const int line = static_cast<int>(contents.line);
    if (const int readError = keptOutputReadError(report); readError != 0) {
        return describeUncheckedFile(report.output, readError);
    }
    switch (contents.finding) {
        case ContentsFinding::Converted:
        case ContentsFinding::EditorRecord:
        case ContentsFinding::ReadError:
            break;
        case ContentsFinding::UnknownField:
            return formatted(translated("%s line %d holds a field MORVEX does not write"), output,
                             line);
        case ContentsFinding::MissingField:
            return formatted(translated("%s line %d lacks a field MORVEX writes"), output, line);
        case ContentsFinding::MisorderedField:
            return formatted(
                translated("%s line %d holds its fields in an order MORVEX does not write"), output,
                line);
        case ContentsFinding::UnwrittenValue:
            return formatted(translated("%s line %d holds a value MORVEX does not write"), output,
                             line);
        case ContentsFinding::SecondSheetInfo:
            return formatted(translated("%s line %d holds a second sheet information record"),
                             output, line);
        case ContentsFinding::NoSheetInfo:
            return formatted(translated("%s lacks its sheet information record at line %d"), output,
                             line);
        case ContentsFinding::AfterClosingLine:
            return formatted(translated("%s holds data after its closing line, at line %d"), output,
                             line);
        case ContentsFinding::NotCe3:
            return formatted(translated("%s is not a CE3 file"), output);
        case ContentsFinding::CutShort:
            return formatted(translated("%s ends at line %d without its closing line"), output,
                             line);
        case ContentsFinding::NulBytes:
            return formatted(translated("%s holds NUL bytes"), output);
        case ContentsFinding::ByteOrderMark:
            return formatted(translated("%s starts with a byte order mark"), output);
        case ContentsFinding::BrokenEscape:
            return formatted(translated("%s line %d cannot be read: a broken escape"), output,
                             line);
    }
    return formatted(translated("%s holds data MORVEX does not write (saved by the editor?)"),
                     output);
}

}  // namespace

bool replacingKeptOutputHelps(const FileReport& report) {
    return report.outcome == FileOutcome::KeepsEditedOutput && keptOutputReadError(report) != EBUSY;
}

bool convertedInPart(const FileReport& report) {
    return report.outcome == FileOutcome::Converted &&
           (report.elementsOutside > 0 || report.emptyTexts > 0 || stoppedEarly(report));
}

std::string describeOutcome(const FileReport& report) {
    switch (report.outcome) {
        case FileOutcome::Converted: {
            std::string text = describeSaved(static_cast<unsigned long>(report.elementsWritten),
                                             static_cast<unsigned long>(report.elementsOutside),
                                             static_cast<unsigned long>(report.emptyTexts));
            if (stoppedEarly(report)) {
                text += "; " + describeCe2Stop(report.reading);
            }
            return text;
        }
        case FileOutcome::CannotOpen:
            return report.openError != 0 ? formatted(translated("cannot be opened: %s"),
                                                     systemErrorText(report.openError).c_str())
                                         : translated("cannot be opened");
        case FileOutcome::NotRegularFile:
            return translated("not a regular file");
        case FileOutcome::TooFewElements:
            if (notCe2Drawing(report)) {
                return translated("not a CE2 drawing (the header's identifier is wrong)");
            }
            return stoppedEarly(report) ? formatted(translated("fewer than two elements (%s)"),
                                                    describeCe2Stop(report.reading).c_str())
                                        : translated("fewer than two elements");
        case FileOutcome::CannotWrite:
            return describeFileWriteFailure(report.output, report.writeFailure);
        case FileOutcome::WouldOverwriteSource:
            return translated("would overwrite its source");
        case FileOutcome::WouldReplaceEarlierOutput:
            return describeEarlierWriter(report.output, report.earlierSource);
        case FileOutcome::WouldOverwriteRunFile:
            return describeRunFileClash(report.clash);
        case FileOutcome::KeepsEditedOutput:
            return describeKeptOutput(report);
        case FileOutcome::NotEnoughMemory:
            return translated("not enough memory");
        case FileOutcome::Cancelled:
            return translated("cancelled");
    }
    return translated("unknown outcome");
}

std::string describeFileWriteFailure(const std::string& path, const WriteFailure& failure) {
    const std::string cause = describeWriteFailure(failure);
    return cause.empty()
               ? formatted(translated("%s cannot be written"), path.c_str())
               : formatted(translated("%s cannot be written: %s"), path.c_str(), cause.c_str());
}

std::string describeUncheckedFile(const std::string& path, int error) {
    return formatted(translated("%s cannot be read to check it: %s"), path.c_str(),
                     systemErrorText(error).c_str());
}

std::string describeForeignKicad(const std::string& path) {
    return formatted(translated("%s exists and was not written by MORVEX"), path.c_str());
}

std::string describeKicadCounts(const KicadSummary& counts) {
    const auto nets = static_cast<unsigned long>(counts.nets);
    std::string text = formatted(translatedPlural("%lu net", "%lu nets", nets), nets);
    // Each message spelled out, for the catalogue's extraction.
    if (const auto n = static_cast<unsigned long>(counts.labelsNotOnWire); n > 0) {
        text += formatted(
            translatedPlural("; %lu label not on a wire", "; %lu labels not on a wire", n), n);
    }
    if (const auto n = static_cast<unsigned long>(counts.partsWithPlacedPins); n > 0) {
        text += formatted(translatedPlural("; %lu part with pins placed from its wires",
                                           "; %lu parts with pins placed from their wires", n),
                          n);
    }
    if (const auto n = static_cast<unsigned long>(counts.tJoinsWithoutJunction); n > 0) {
        text += formatted(translatedPlural("; %lu T-join without a junction",
                                           "; %lu T-joins without a junction", n),
                          n);
    }
    return text;
}

std::string describeKicadWritten(const std::string& path, const KicadSummary& counts, bool dryRun) {
    return formatted(
        dryRun ? translated("KiCad: would write %s (%s)") : translated("KiCad: %s (%s)"),
        path.c_str(), describeKicadCounts(counts).c_str());
}

std::string describeEarlierWriter(const std::string& output, const std::string& earlierSource) {
    return formatted(translated("would replace %s written from %s in this batch"), output.c_str(),
                     earlierSource.c_str());
}

std::string describeRunFileClash(const RunFileClash& clash) {
    switch (clash.role) {
        case RunFileRole::Source:
            return formatted(translated("would overwrite the source %s of this batch"),
                             clash.path.c_str());
        case RunFileRole::Drawing:
            return formatted(translated("would overwrite the drawing %s of this batch"),
                             clash.path.c_str());
        case RunFileRole::Settings:
            return formatted(translated("would overwrite the settings file %s"),
                             clash.path.c_str());
        case RunFileRole::Output:
        case RunFileRole::Svg:
        case RunFileRole::Kicad:
        case RunFileRole::Report:
            break;
    }
    return describeEarlierWriter(clash.path, clash.source);
}

std::string describeFileLine(const FileReport& report, bool dryRun) {
    if (report.outcome != FileOutcome::Converted) {
        return report.source + ": " + translated("not converted") + ": " + describeOutcome(report);
    }
    std::string line = report.source + " -> " + report.output + ": ";
    line += dryRun ? formatted(translated("would write %s"), describeOutcome(report).c_str())
                   : describeOutcome(report);
    // What the hooks made, each that tells of it (the page's drawer keeps its drawing silently).
    for (const std::optional<DrawingReport>* made : {&report.drawing, &report.kicad}) {
        if (*made && (*made)->ok && !(*made)->text.empty()) {
            line += "; " + (*made)->text;
        }
    }
    return line;
}

std::string describeNotDrawnCount(unsigned long notDrawn) {
    return formatted(translatedPlural(", %lu not drawn", ", %lu not drawn", notDrawn), notDrawn);
}

std::string describeKicadNotWrittenCount(unsigned long notWritten) {
    return formatted(translatedPlural(", %lu KiCad file not written",
                                      ", %lu KiCad files not written", notWritten),
                     notWritten);
}

std::string describeBatchSummary(unsigned long converted, unsigned long inPart,
                                 unsigned long notConverted) {
    const unsigned long files = converted + notConverted;
    if (files < 2) {
        return {};
    }
    std::string text =
        formatted(translatedPlural("%lu file: %lu converted", "%lu files: %lu converted", files),
                  files, converted);
    if (inPart > 0) {
        text += formatted(translated(" (%lu in part)"), inPart);
    }
    if (notConverted > 0) {
        text += formatted(translated(", %lu not converted"), notConverted);
    }
    return text;
}
