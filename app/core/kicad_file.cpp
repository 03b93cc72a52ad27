#include "app/core/kicad_file.h"

#include <cerrno>

#include "app/core/conversion_text.h"
#include "platform/atomic_file.h"
#include "platform/directories.h"
#include "platform/write_check.h"

DrawingReport writeKicadFile(const std::string& path, const KicadText& made,
                             const BatchRules& rules,
                             const std::function<bool(DrawingReport&)>& mayReplace) {
    WriteFailure failure;
    if (rules.dryRun) {
        failure = predictWriteFailure(path, rules.makeOutputFolders);
    } else if (rules.makeOutputFolders && !makeParentDirectories(path, FolderAccess::Shared)) {
        failure = WriteFailure::system(errno);
    } else {
        DrawingReport refused;
        std::function<bool()> lastLook;
        if (mayReplace) {
            lastLook = [&] { return mayReplace(refused); };
        }
        if (!writeFileAtomically(path, made.text, &failure, lastLook) &&
            failure.cause == WriteFailure::Cause::NotReplaced) {
            return refused;
        }
    }
    if (failure.cause != WriteFailure::Cause::None) {
        return {false, describeFileWriteFailure(path, failure)};
    }
    return {true, describeKicadWritten(path, made.counts, rules.dryRun), false,
            describeKicadCounts(made.counts)};
}
