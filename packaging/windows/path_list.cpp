#include "packaging/windows/path_list.h"

#include <cstddef>
#include <vector>

namespace {

wchar_t lowerAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c;
}

std::wstring comparable(std::wstring entry) {
    if (entry.size() > 1 && entry.back() == L'\\') {
        entry.pop_back();
    }
    for (wchar_t& c : entry) {
        c = lowerAscii(c);
    }
    return entry;
}

// The entries of `path` in order, empty ones included: "a;;b" has three.
std::vector<std::wstring> entries(const std::wstring& path) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find(L';', start);
        parts.push_back(path.substr(start, end - start));
        if (end == std::wstring::npos) {
            return parts;
        }
        start = end + 1;
    }
}

}  // namespace

std::wstring pathWithEntry(const std::wstring& path, const std::wstring& entry) {
    const std::wstring wanted = comparable(entry);
    for (const std::wstring& part : entries(path)) {
        if (comparable(part) == wanted) {
            return path;
        }
    }
    if (path.empty()) {
        return entry;
    }
    // Always a separator of its own, so that taking the entry out again restores `path` exactly.
    return path + L";" + entry;
}

std::wstring pathWithoutEntry(const std::wstring& path, const std::wstring& entry) {
    const std::wstring unwanted = comparable(entry);
    std::wstring kept;
    bool first = true;
    for (const std::wstring& part : entries(path)) {
        if (comparable(part) == unwanted) {
            continue;
        }
        if (!first) {
            kept += L';';
        }
        kept += part;
        first = false;
    }
    return kept;
}
