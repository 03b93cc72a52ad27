#include "platform/device_path_win32.h"

#include <array>
#include <string_view>

#include "platform/path_rules.h"

namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) {
            return false;
        }
    }
    return true;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Whether a path with this root names a device: in the device namespace (\\.\ or \\?\) anything
// but a drive, UNC\ or a volume, and these themselves when nothing follows them; a pipe share.
bool isDeviceRoot(std::string_view root, bool nothingFollows) {
    if (root.size() < 4 || !isPathSeparator(root[0]) || !isPathSeparator(root[1])) {
        return false;
    }
    const std::string_view rest = root.substr(2);
    if ((rest[0] == '.' || rest[0] == '?') && isPathSeparator(rest[1])) {
        const std::string_view name = rest.substr(2);
        const bool drive = name.size() == 2 && name[1] == ':';
        const bool volumeOrShare =
            drive || startsWithIgnoringCase(name, "UNC") || startsWithIgnoringCase(name, "Volume{");
        return !volumeOrShare || nothingFollows;
    }
    const std::size_t separator = rest.find_first_of("\\/");
    return separator != std::string_view::npos &&
           equalsIgnoringCase(rest.substr(separator + 1), "pipe");
}

// Device names that the system keeps in every folder, whatever extension follows them.
bool isReservedName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    static constexpr std::array<std::string_view, 6> kNames = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view name : kNames) {
        if (equalsIgnoringCase(base, name)) {
            return true;
        }
    }
    // COM1 to COM9 and LPT1 to LPT9, and with the superscript digits 1, 2 and 3 (UTF-8).
    if (!startsWithIgnoringCase(base, "COM") && !startsWithIgnoringCase(base, "LPT")) {
        return false;
    }
    const std::string_view digit = base.substr(3);
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" ||
           digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

}  // namespace

bool namesDevice(const std::string& path) {
    const std::string_view view(path);
    const std::size_t root = rootPrefixLength(view);
    if (isDeviceRoot(view.substr(0, root), root == view.size())) {
        return true;
    }
    return isReservedName(view.substr(finalComponentStart(view)));
}
