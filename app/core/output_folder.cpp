#include "app/core/output_folder.h"

#include <cerrno>

#include "app/core/conversion_inputs.h"
#include "platform/directories.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/write_check.h"

std::string outputPathFor(const std::string& source, const std::string& root,
                          const std::string& outputFolder) {
    if (outputFolder.empty()) {
        return makeCe3Path(source);
    }
    std::size_t below = finalComponentStart(source);
    if (source != root && source.compare(0, root.size(), root) == 0) {
        below = root.size();
    }
    while (below < source.size() && isPathSeparator(source[below])) {
        ++below;
    }
    std::string output = outputFolder;
    if (!isPathSeparator(output.back())) {
        output += pathSeparator();
    }
    return makeCe3Path(output + source.substr(below));
}

std::string prepareOutputFolder(const std::string& folder, bool dryRun) {
    if (folder.empty()) {
        return {};
    }
    const FileStatus status = fileStatus(folder);
    if (status.kind == FileKind::Unknown) {
        const int error = dryRun ? predictParentDirectories(folder + "/")
                          : makeParentDirectories(folder + "/", FolderAccess::Shared) ? 0
                                                                                      : errno;
        if (error != 0) {
            return formatted(translated("cannot be created: %s"), systemErrorText(error).c_str());
        }
    } else if (status.kind != FileKind::Directory) {
        return translated("not a directory");
    }
    return {};
}
