#include "app/core/settings_check.h"

#include "app/core/profile_bytes.h"
#include "app/core/profile_text.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && !isProfileBlank(c) && c != '\n') || byte == 0x7F;
}

bool isSettingsLine(std::string_view line) {
    std::size_t first = 0;
    while (first < line.size() && isProfileBlank(line[first])) {
        ++first;
    }
    if (first == line.size()) {
        return true;
    }
    const char c = line[first];
    return c == ';' || c == '#' || c == '[' || line.find('=') != std::string_view::npos;
}

}  // namespace

ForeignLine findForeignLine(std::string_view text) {
    if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        text.remove_prefix(kUtf8Mark.size());
    }
    std::size_t number = 1;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::string_view line = text.substr(0, lf);
        for (const char c : line) {
            if (isControl(c)) {
                return {number, true};
            }
        }
        if (!isSettingsLine(line)) {
            return {number, false};
        }
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        ++number;
    }
    return {};
}

std::string settingsFileProblem(const std::string& path) {
    const ProfileBytes file = loadProfile(path);
    if (file.state != ProfileBytes::State::Read) {
        return profileReadProblem(file);
    }
    const ForeignLine foreign = findForeignLine(file.text);
    if (foreign.number == 0) {
        return "";
    }
    const auto line = static_cast<unsigned long>(foreign.number);
    return formatted(foreign.controlBytes
                         ? translated("not a settings file: line %lu holds control bytes")
                         : translated("not a settings file: line %lu is neither a section, a "
                                      "key=value line, a comment nor blank"),
                     line);
}

std::string settingsTextWarning(std::string_view text) {
    if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        std::string_view rest = text.substr(kUtf8Mark.size());
        const std::string_view line = rest.substr(0, rest.find_first_of("\r\n"));
        if (!line.empty() && line[0] == '[') {
            const std::size_t close = line.find(']');
            const std::string section(line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            return formatted(translated("its first section [%s] is not read: a UTF-8 byte "
                                        "order mark stands before it"),
                             section.c_str());
        }
    }
    if (text.find('\n') == std::string_view::npos && text.find('\r') < text.size() - 1) {
        return translated("its lines end in CR alone, so only its first line is read");
    }
    return "";
}

SettingsInUse settingsInUse(const std::string& found) {
    if (fileStatus(found).kind == FileKind::Unknown) {
        return {found, ""};
    }
    if (const std::string problem = settingsFileProblem(found); !problem.empty()) {
        return {"", found + ": " + problem + "; " + translated("the default fonts apply")};
    }
    const ProfileBytes file = loadProfile(found);
    const std::string warning =
        file.state == ProfileBytes::State::Read ? settingsTextWarning(file.text) : std::string();
    return {found, warning.empty() ? warning : found + ": " + warning};
}
