#include "app/core/kept_outputs.h"

#include <cerrno>
#include <cstdio>
#include <utility>

#include "app/core/conversion.h"
#include "app/core/conversion_text.h"
#include "ce3/converted_contents.h"
#include "platform/files.h"
#include "platform/mapped_file.h"

namespace {

// Why the existing regular file, opened whole in memory, must be left alone; nothing when it is
// empty or holds only what a conversion writes.
std::optional<KeptOutput> keptFor(const MappedFile& existing) {
    KeptOutput kept;
    if (!existing.opened()) {
        kept.readError = existing.openError;
        return kept;
    }
    if (existing.bytes.view().empty() && existing.readError == 0) {
        return std::nullopt;
    }
    kept.contents = checkConvertedContents(existing.bytes.view(), existing.readError);
    if (kept.contents.finding == ContentsFinding::Converted) {
        return std::nullopt;
    }
    if (kept.contents.finding == ContentsFinding::ReadError) {
        kept.readError = kept.contents.error;
    }
    return kept;
}

}  // namespace

std::optional<KeptOutput> findKeptOutput(const BatchFile& file, const BatchRules& rules) {
    EarlierOutput earlier = lookAtEarlierOutput(file, rules);
    if (earlier.contentsDecide) {
        return checkEarlierOutput(file.output);
    }
    return std::move(earlier.kept);
}

EarlierOutput lookAtEarlierOutput(const BatchFile& file, const BatchRules& rules) {
    const FileStatus status = fileStatus(file.output);
    if (status.kind == FileKind::Unknown) {
        return {};  // missing, or the save will say why it cannot write there
    }
    if (status.kind != FileKind::Regular) {
        KeptOutput kept;
        kept.outcome = FileOutcome::CannotWrite;
        kept.writeFailure = status.kind == FileKind::Directory
                                ? WriteFailure{WriteFailure::Cause::System, EISDIR}
                                : WriteFailure{WriteFailure::Cause::NotRegularFile, 0};
        return {kept, false};
    }
    return {std::nullopt, !rules.replaceEdited};
}

std::optional<KeptOutput> checkEarlierOutput(const std::string& output) {
    MappedFile existing = mapRegularFile(output);
    std::optional<KeptOutput> kept = keptFor(existing);
    if (existing.bytes.cut()) {
        // Shortened by another program while it was looked at: looked at again as it is now.
        kept = keptFor(readRegularFile(output));
    }
    return kept;
}

void reportKeptOutput(const KeptOutput& kept, FileReport& report) {
    report.outcome = kept.outcome;
    report.outputReadError = kept.readError;
    report.outputCheck = kept.contents;
    report.writeFailure = kept.writeFailure;
}

std::optional<DrawingReport> findKeptKicad(const std::string& kicad, const BatchRules& rules) {
    if (rules.replaceEdited) {
        return std::nullopt;
    }
    const RegularFile existing = openRegularFile(kicad);
    if (existing.notRegular || existing.error == ENOENT ||
        (existing.stream && existing.size == 0)) {
        return std::nullopt;
    }
    // One that another program holds is not kept for --overwrite to replace: it holds back the
    // replacement too.
    if (!existing.stream) {
        return DrawingReport{false, describeUncheckedFile(kicad, existing.error),
                             existing.error != EBUSY};
    }
    std::string start(kKicadWrittenStart.size(), '\0');
    errno = 0;
    start.resize(std::fread(start.data(), 1, start.size(), existing.stream.get()));
    if (std::ferror(existing.stream.get()) != 0) {
        return DrawingReport{false, describeUncheckedFile(kicad, errno != 0 ? errno : EIO), true};
    }
    if (start != kKicadWrittenStart) {
        return DrawingReport{false, describeForeignKicad(kicad), true};
    }
    return std::nullopt;
}
