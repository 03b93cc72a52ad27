#include "app/core/kicad_file.h"

#include <cerrno>
#include <string_view>

#include "app/core/conversion_inputs.h"
#include "app/core/conversion_text.h"
#include "platform/atomic_file.h"
#include "platform/directories.h"
#include "platform/write_check.h"

std::string makeKicadPath(const std::string& path) {
    // makeCe3Path finds the extension; only its replacement differs.
    constexpr std::string_view ce3Extension = ".ce3";
    std::string kicad = makeCe3Path(path);
    return kicad.replace(kicad.size() - ce3Extension.size(), std::string::npos, ".kicad_sch");
}

DrawingReport writeKicadFile(const std::string& path, const KicadSchematic& made,
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
    return {true, describeKicadWritten(path, made.summary, rules.dryRun), false,
            describeKicadCounts(made.summary)};
}
