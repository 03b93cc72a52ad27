// path-entry.exe add|remove FOLDER: adds FOLDER to the user's PATH (HKCU\Environment), or takes
// it out, keeping the rest of the value whole and its type (REG_EXPAND_SZ or REG_SZ), then tells
// running programs (Explorer) that the environment changed. The installer runs it, as its own
// string functions would cut a long PATH short.
// Exit status: 0 when PATH was changed, 1 when there was nothing to change, 2 on failure.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "packaging/windows/path_list.h"

namespace {

constexpr int kChanged = 0;
constexpr int kUnchanged = 1;
constexpr int kFailed = 2;

class RegistryKey {
  public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

struct PathValue {
    bool present = false;
    DWORD type = REG_EXPAND_SZ;
    std::wstring text;
};

bool readPath(HKEY key, PathValue& value) {
    DWORD bytes = 0;
    LSTATUS status = RegQueryValueExW(key, L"Path", nullptr, &value.type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) {
        value.type = REG_EXPAND_SZ;
        return true;
    }
    if (status != ERROR_SUCCESS || (value.type != REG_SZ && value.type != REG_EXPAND_SZ)) {
        return false;
    }
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    status = RegQueryValueExW(key, L"Path", nullptr, &value.type,
                              reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    value.present = true;
    value.text.assign(buffer.data(), bytes / sizeof(wchar_t));
    // The stored value may or may not end in its terminator.
    while (!value.text.empty() && value.text.back() == L'\0') {
        value.text.pop_back();
    }
    return true;
}

bool writePath(HKEY key, const PathValue& value, const std::wstring& text) {
    // A PATH that held only the folder goes as it came: the value is removed.
    if (text.empty()) {
        return !value.present || RegDeleteValueW(key, L"Path") == ERROR_SUCCESS;
    }
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, L"Path", 0, value.type, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

int run(const std::wstring& action, const std::wstring& folder) {
    if ((action != L"add" && action != L"remove") || folder.empty()) {
        return kFailed;
    }
    RegistryKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Environment", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.out(),
                        nullptr) != ERROR_SUCCESS) {
        return kFailed;
    }
    PathValue value;
    if (!readPath(key.get(), value)) {
        return kFailed;
    }
    const std::wstring text =
        action == L"add" ? pathWithEntry(value.text, folder) : pathWithoutEntry(value.text, folder);
    if (text == value.text) {
        return kUnchanged;
    }
    if (!writePath(key.get(), value, text)) {
        return kFailed;
    }
    // Programs started afterwards from Explorer see the new PATH; a hung window is not waited on.
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG, 5000, nullptr);
    return kChanged;
}

}  // namespace

int main() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return kFailed;
    }
    const int status = count == 3 ? run(arguments[1], arguments[2]) : kFailed;
    LocalFree(arguments);
    return status;
}
