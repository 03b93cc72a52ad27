#include "platform/paths.h"

#include <array>
#include <string_view>

#include "platform/text.h"

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool startsWithDrive(std::string_view path) {
    return path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == ':';
}

// Where the component that begins at `from` ends.
std::size_t componentEnd(std::string_view path, std::size_t from) {
    while (from < path.size() && !isPathSeparator(path[from])) {
        ++from;
    }
    return from;
}

// Where "server\share" ends when it begins at `from`.
std::size_t serverShareEnd(std::string_view path, std::size_t from) {
    const std::size_t serverEnd = componentEnd(path, from);
    return serverEnd < path.size() ? componentEnd(path, serverEnd + 1) : serverEnd;
}

bool isUncMarker(std::string_view path) {
    return path.size() >= 4 && equalIgnoringAsciiCase(path.substr(0, 3), "UNC") &&
           isPathSeparator(path[3]);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
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
           equalIgnoringAsciiCase(rest.substr(separator + 1), "pipe");
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
        if (equalIgnoringAsciiCase(base, name)) {
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

bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

// Windows takes "/" too, but writes a backslash, which is what its users read.
char pathSeparator() {
    return '\\';
}

// "C:", "\\server\share", and after "\\?\" or "\\.\" a drive, "UNC\server\share" or the one
// component that names a volume or device.
std::size_t rootPrefixLength(std::string_view path) {
    if (startsWithDrive(path)) {
        return 2;
    }
    if (path.size() < 3 || !isPathSeparator(path[0]) || !isPathSeparator(path[1]) ||
        isPathSeparator(path[2])) {
        return 0;
    }
    if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') && isPathSeparator(path[3])) {
        constexpr std::size_t kPrefix = 4;
        const std::string_view rest = path.substr(kPrefix);
        if (startsWithDrive(rest)) {
            return kPrefix + 2;
        }
        if (isUncMarker(rest)) {
            return serverShareEnd(path, kPrefix + 4);
        }
        return componentEnd(path, kPrefix);
    }
    return serverShareEnd(path, 2);
}

bool namesDevice(const std::string& path) {
    const std::string_view view(path);
    const std::size_t root = rootPrefixLength(view);
    if (isDeviceRoot(view.substr(0, root), root == view.size())) {
        return true;
    }
    return isReservedName(view.substr(finalComponentStart(view)));
}
