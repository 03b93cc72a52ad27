#include "cli/batch.h"

#include <ostream>

#include "app/core/conversion.h"
#include "app/core/settings.h"
#include "cli/source_list.h"
#include "cli/svg_output.h"

namespace {

ConversionOptions optionsFor(const BatchRequest& request) {
    const ProfileFile settings(request.settingsFile.empty() ? findSettingsPath()
                                                            : request.settingsFile);
    const auto face = [&](const std::optional<std::string>& given, const char* section,
                          const char* fallback) {
        return given ? *given : settings.readString(section, kFaceKey, fallback);
    };
    const auto size = [&](const std::optional<std::string>& given, const char* section,
                          int fallback) {
        return given ? *given : std::to_string(settings.readInt(section, kSizeKey, fallback));
    };
    return makeConversionOptions(face(request.largeFace, kLargeFontSection, kDefaultLargeFace),
                                 size(request.largeSize, kLargeFontSection, kDefaultLargeSize),
                                 face(request.smallFace, kSmallFontSection, kDefaultSmallFace),
                                 size(request.smallSize, kSmallFontSection, kDefaultSmallSize));
}

}  // namespace

int runBatch(const BatchRequest& request, std::ostream& out, std::ostream& err) {
    const ConversionOptions options = optionsFor(request);
    const DrawingHook drawingHook = request.svg ? svgBesideOutput() : DrawingHook();
    bool allConverted = true;
    bool anyFile = false;
    for (const std::string& path : request.paths) {
        if (request.svg && isCe3File(path)) {
            const Ce3Drawn drawn = drawCe3File(path);
            (drawn.ok ? out : err)
                << path << (drawn.ok ? ": " : ": not drawn: ") << drawn.text << std::endl;
            allConverted = allConverted && drawn.ok;
            continue;
        }
        const SourceList sources = collectSources(path);
        for (const SourceProblem& problem : sources.problems) {
            err << problem.path << ": not converted: " << problem.reason << '\n';
            allConverted = false;
        }
        // One file at a time, so that each line appears as soon as its file is done.
        for (const std::string& file : sources.files) {
            anyFile = true;
            for (const FileReport& report : convertFiles({file}, options, {}, drawingHook)) {
                if (report.outcome != FileOutcome::Converted) {
                    err << report.source << ": not converted: " << describeOutcome(report)
                        << std::endl;
                    allConverted = false;
                    continue;
                }
                out << report.source << " -> " << report.output << ": " << describeOutcome(report);
                if (report.followUp && report.followUp->ok) {
                    out << "; " << report.followUp->text;
                }
                out << std::endl;
                if (report.followUp && !report.followUp->ok) {
                    err << report.source << ": not drawn: " << report.followUp->text << std::endl;
                    allConverted = false;
                }
            }
        }
    }
    if (anyFile && !request.quiet) {
        out << kCompletionMessage << '\n';
    }
    out.flush();
    return allConverted ? 0 : 1;
}
