#include "app/core/kept_outputs.h"

#include <cerrno>

#include "app/core/conversion.h"
#include "ce3/converted_contents.h"
#include "platform/files.h"

std::optional<KeptOutput> findKeptOutput(const BatchFile& file, const BatchRules& rules) {
    const FileStatus status = fileStatus(file.output);
    if (status.kind == FileKind::Unknown) {
        return std::nullopt;  // missing, or the save will say why it cannot write there
    }
    if (status.kind != FileKind::Regular) {
        KeptOutput kept;
        kept.outcome = FileOutcome::CannotWrite;
        kept.writeFailure = status.kind == FileKind::Directory
                                ? WriteFailure{WriteFailure::Cause::System, EISDIR}
                                : WriteFailure{WriteFailure::Cause::NotRegularFile, 0};
        return kept;
    }
    if (rules.replaceEdited) {
        return std::nullopt;
    }
    const RegularFile existing = openRegularFile(file.output);
    KeptOutput kept;
    if (!existing.stream) {
        kept.readError = existing.error;
        return kept;
    }
    if (existing.size == 0) {
        return std::nullopt;
    }
    kept.contents = checkConvertedContents(existing.stream.get());
    if (kept.contents.finding == ContentsFinding::Converted) {
        return std::nullopt;
    }
    if (kept.contents.finding == ContentsFinding::ReadError) {
        kept.readError = kept.contents.error;
    }
    return kept;
}

void reportKeptOutput(const KeptOutput& kept, FileReport& report) {
    report.outcome = kept.outcome;
    report.outputReadError = kept.readError;
    report.outputCheck = kept.contents;
    report.writeFailure = kept.writeFailure;
}
