#include "app/core/preview_source.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/core/conversion_text.h"
#include "model/document.h"
#include "platform/text.h"
#include "render/style.h"

std::string readPreviewSource(const std::string& path, const ConversionOptions& options,
                              SchDocument& doc, std::uintmax_t byteLimit) {
    std::error_code sizeUnknown;  // not a regular file: reading says why
    const std::uintmax_t bytes = std::filesystem::file_size(path, sizeUnknown);
    if (!sizeUnknown && bytes > byteLimit) {
        return formatted(translated("Too large to show (%lu MiB; files up to %lu MiB are shown)"),
                         static_cast<unsigned long>(bytes >> 20),
                         static_cast<unsigned long>(byteLimit >> 20));
    }
    FileReport report;
    report.source = path;
    if (!readCe2Source(path, options, doc, report)) {
        return formatted(translated("Cannot be shown:\n%s"), describeOutcome(report).c_str());
    }
    return std::string();
}

ViewRect previewContent(const Drawing& drawing) {
    const SchRect area = viewArea(drawing);
    return {static_cast<double>(std::min(area.left, area.right)),
            static_cast<double>(std::min(area.top, area.bottom)),
            static_cast<double>(std::max(area.left, area.right)),
            static_cast<double>(std::max(area.top, area.bottom))};
}
