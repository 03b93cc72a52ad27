#include "app/core/conversion_inputs.h"

#include <cstdint>

#include "app/core/conversion.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text.h"

std::string makeCe3Path(const std::string& source) {
    const std::size_t dot = source.rfind('.');
    if (dot == std::string::npos || dot < finalComponentStart(source)) {
        return source + ".ce3";
    }
    return source.substr(0, dot) + ".ce3";
}

std::string describePointsProblem(const std::string& text) {
    std::size_t i = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    bool digits = i < text.size();
    for (; i < text.size(); ++i) {
        digits = digits && text[i] >= '0' && text[i] <= '9';
    }
    return digits
               ? ""
               : formatted(translated("a size in points must be a whole number: %s"), text.c_str());
}

std::vector<BatchFile> filesBesideSources(const std::vector<std::string>& sources) {
    std::vector<BatchFile> files;
    files.reserve(sources.size());
    for (const std::string& source : sources) {
        files.push_back({source, makeCe3Path(source)});
    }
    return files;
}

bool hasExtension(const std::string& path, std::string_view extension) {
    return path.size() >= extension.size() &&
           equalIgnoringAsciiCase(std::string_view(path).substr(path.size() - extension.size()),
                                  extension);
}

bool hasCe2Extension(const std::string& path) {
    return hasExtension(path, ".ce2");
}

int pointsToUnits(const std::string& pointsText) {
    return clamp32(int64_t{atoiField(pointsText)} * 96 / 72);
}

ConversionOptions makeConversionOptions(const std::string& largeFace, const std::string& largeSize,
                                        const std::string& smallFace,
                                        const std::string& smallSize) {
    ConversionOptions options;
    options.largeFontName = largeFace;
    options.largeFontSize = pointsToUnits(largeSize);
    options.smallFontName = smallFace;
    options.smallFontSize = pointsToUnits(smallSize);
    return options;
}
