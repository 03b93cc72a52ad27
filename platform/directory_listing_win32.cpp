#include <windows.h>

#include "platform/directory_listing.h"
#include "platform/path_rules.h"
#include "platform/system_error_win32.h"
#include "platform/wide_text_win32.h"

namespace {

// "dir\name"; no separator after one that ends dir, nor after a bare drive ("C:" + "x" is x in
// that drive's current directory).
std::string join(const std::string& dir, const std::string& name) {
    if (dir.empty() || isPathSeparator(dir.back()) || (dir.size() == 2 && dir[1] == ':')) {
        return dir + name;
    }
    return dir + "\\" + name;
}

bool isDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

class FindHandle {
  public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            FindClose(handle_);
        }
    }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

}  // namespace

DirectoryListing listDirectory(const std::string& dir) {
    DirectoryListing listing;
    WIN32_FIND_DATAW entry{};
    const FindHandle find(FindFirstFileExW(widePath(join(dir, "*")).c_str(), FindExInfoBasic,
                                           &entry, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH));
    if (find.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {  // a drive's empty root has not even "." in it
            listing.error = windowsErrorText(error);
        }
        return listing;
    }
    do {
        if (isDotEntry(entry.cFileName)) {
            continue;
        }
        std::string path = join(dir, narrowToUtf8(entry.cFileName));
        ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? listing.directories
                                                                  : listing.others)
            .push_back(std::move(path));
    } while (FindNextFileW(find.get(), &entry));
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
        listing.error = windowsErrorText(error);
    }
    return listing;
}
