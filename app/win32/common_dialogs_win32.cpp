#include "app/win32/common_dialogs_win32.h"

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cwchar>

#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "app/core/face_choice.h"
#include "platform/text.h"

namespace {

// The open-file dialog's name buffer, in characters: room for a good many names.
constexpr DWORD kFileNameBufferChars = 0x4101;
// Open several existing files, without the read-only box: OFN_FILEMUSTEXIST |
// OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY. The Explorer style separates the names with NULs.
constexpr DWORD kOpenFlags = 0x1204 | OFN_EXPLORER;
// Screen fonts of TrueType kind only: CF_SCREENFONTS | CF_TTONLY; opened on the given font.
constexpr DWORD kFontFlags = 0x40001 | CF_INITTOLOGFONTSTRUCT;
// What a font description's face holds, less its closing NUL.
constexpr std::size_t kFaceChars = LF_FACESIZE - 1;

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) {
        return folder + name;
    }
    return folder + L"\\" + name;
}

// The face cut to what a font description holds, never inside a surrogate pair.
std::wstring fittedFace(const std::wstring& face) {
    if (face.size() <= kFaceChars) {
        return face;
    }
    std::size_t n = kFaceChars;
    if (face[n - 1] >= 0xD800 && face[n - 1] <= 0xDBFF) {
        --n;
    }
    return face.substr(0, n);
}

// The path to save a file to, chosen in the save-file dialog opened on `suggested`, with one
// filter and the extension that a name without one gets; it asks before a file is replaced.
std::optional<std::string> chooseSaveFile(HWND owner, const std::string& suggested,
                                          const wchar_t* filter, const wchar_t* extension) {
    std::wstring buffer = widenUtf8(suggested);
    buffer.resize(std::max<std::size_t>(buffer.size() + 1, MAX_PATH * 4), L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetSaveFileNameW(&dialog)) {
        return std::nullopt;
    }
    return narrowToUtf8(buffer.c_str());
}

// Holds one reference to a COM object and releases it.
template <class Interface>
class ComPointer {
  public:
    ComPointer() = default;
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    ~ComPointer() {
        if (object_ != nullptr) {
            object_->Release();
        }
    }
    Interface* get() const { return object_; }
    Interface* operator->() const { return object_; }
    // Where a function that hands out a reference puts it; only on an empty holder.
    Interface** put() { return &object_; }

  private:
    Interface* object_ = nullptr;
};

}  // namespace

std::vector<std::wstring> selectedPaths(const wchar_t* buffer) {
    std::vector<std::wstring> parts;
    for (const wchar_t* p = buffer; *p != L'\0'; p += std::wcslen(p) + 1) {
        parts.emplace_back(p);
    }
    if (parts.size() <= 1) {
        return parts;
    }
    std::vector<std::wstring> paths;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        paths.push_back(joinPath(parts[0], parts[i]));
    }
    return paths;
}

Ce2Choice chooseCe2Files(HWND owner) {
    std::wstring buffer(kFileNameBufferChars, L'\0');
    std::wcscpy(buffer.data(), L"*.CE2");
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Tovr data(*.ce2)\0*.CE2\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = kFileNameBufferChars;
    dialog.Flags = kOpenFlags;
    if (!GetOpenFileNameW(&dialog)) {
        return {CommDlgExtendedError() == FNERR_BUFFERTOOSMALL ? Ce2Choice::Outcome::TooMany
                                                               : Ce2Choice::Outcome::Cancelled,
                {}};
    }
    Ce2Choice choice{Ce2Choice::Outcome::Chosen, {}};
    for (const std::wstring& path : selectedPaths(buffer.c_str())) {
        choice.paths.push_back(narrowToUtf8(path));
    }
    return choice;
}

std::optional<std::string> chooseSvgFile(HWND owner, const std::string& suggested) {
    return chooseSaveFile(owner, suggested, L"SVG (*.svg)\0*.svg\0", L"svg");
}

std::optional<std::string> chooseReportFile(HWND owner, const std::string& suggested) {
    return chooseSaveFile(owner, suggested, L"CSV (*.csv)\0*.csv\0", L"csv");
}

std::optional<std::string> chooseFolder(HWND owner, const std::string& initial) {
    ComPointer<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(dialog.put())))) {
        return std::nullopt;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    if (!initial.empty()) {
        ComPointer<IShellItem> folder;
        if (SUCCEEDED(SHCreateItemFromParsingName(widenUtf8(initial).c_str(), nullptr,
                                                  IID_PPV_ARGS(folder.put())))) {
            dialog->SetFolder(folder.get());
        }
    }
    ComPointer<IShellItem> chosen;
    if (FAILED(dialog->Show(owner)) || FAILED(dialog->GetResult(chosen.put()))) {
        return std::nullopt;
    }
    wchar_t* path = nullptr;
    if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr) {
        return std::nullopt;
    }
    std::string folder = narrowToUtf8(path);
    CoTaskMemFree(path);
    return folder;
}

std::optional<ChosenFont> chooseFont(HWND owner, const std::string& face,
                                     const std::string& sizeText) {
    LOGFONTW font{};
    const std::wstring wideFace = fittedFace(widenUtf8(face));
    std::copy(wideFace.begin(), wideFace.end(), font.lfFaceName);
    // The height in pixels on a 96-dpi screen; a size that gives none leaves the dialog's own.
    font.lfHeight = std::max(pointsToUnits(sizeText), 0);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    CHOOSEFONTW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpLogFont = &font;
    dialog.Flags = kFontFlags;
    if (!ChooseFontW(&dialog)) {
        return std::nullopt;
    }
    // Only the face and the size are taken over; style, weight and effects are not. The size is
    // the one chosen, in points: its height in pixels, rounded to a whole number by the dialog,
    // would give a point less back for sizes such as 10 (13 pixels, 9.75 points).
    const int points =
        dialog.iPointSize > 0 ? dialog.iPointSize / 10 : pixelsToPoints(font.lfHeight);
    return ChosenFont{narrowToUtf8(font.lfFaceName), points};
}
