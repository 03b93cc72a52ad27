#include "app/win32/morvex_dlg_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/core/dialog_messages.h"
#include "app/core/profile_file.h"
#include "app/win32/about_dlg_win32.h"
#include "app/win32/batch_progress_win32.h"
#include "app/win32/common_dialogs_win32.h"
#include "app/win32/resource_ids.h"
#include "app/win32/resource_text.h"
#include "app/win32/result_dialog_win32.h"
#include "platform/text.h"

namespace {

// The list's order: the user's locale's, without regard to letter case.
bool comesBeforeInList(const std::string& a, const std::string& b) {
    const std::wstring wideA = widenUtf8(a);
    const std::wstring wideB = widenUtf8(b);
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.c_str(),
                          static_cast<int>(wideA.size()), wideB.c_str(),
                          static_cast<int>(wideB.size())) == CSTR_LESS_THAN;
}

// The face and size fields and the button of each font row.
struct FontRowIds {
    int face;
    int size;
};

FontRowIds idsOf(FontRow row) {
    return row == FontRow::Large ? FontRowIds{IDC_LARGE_FACE, IDC_LARGE_SIZE}
                                 : FontRowIds{IDC_SMALL_FACE, IDC_SMALL_SIZE};
}

// Posted once the dialog is set up, so that a notice shows over the dialog, not before it.
constexpr UINT kShowNotice = WM_APP + 1;

// The path made absolute against the current folder, as the list shows paths; as given when the
// system cannot.
std::string fullPath(const std::string& path) {
    const std::wstring wide = widenUtf8(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return path;
    }
    full.resize(length);
    return narrowToUtf8(full);
}

// The folder part of a path: all before its last separator.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

HICON loadIcon(int id, int sizeMetric) {
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

}  // namespace

CMorvexDlg::CMorvexDlg(ProfileFile& settings, std::string notice,
                       const std::vector<std::string>& paths)
    : model_(settings, comesBeforeInList),
      notice_(std::move(notice)),
      largeIcon_(loadIcon(IDR_MAINFRAME, SM_CXICON)),
      smallIcon_(loadIcon(IDI_SMALL, SM_CXSMICON)) {
    std::vector<std::string> absolute;
    for (const std::string& path : paths) {
        absolute.push_back(fullPath(path));
    }
    model_.drop(absolute);
}

void CMorvexDlg::run() {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MORVEX_DIALOG), nullptr,
                    dialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CMorvexDlg::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* self = reinterpret_cast<CMorvexDlg*>(lParam);
        self->hwnd_ = dialog;
    }
    auto* self = reinterpret_cast<CMorvexDlg*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self != nullptr ? self->handle(message, wParam, lParam) : FALSE;
}

INT_PTR CMorvexDlg::handle(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            initialise();
            return TRUE;  // the system sets the focus
        case kShowNotice:
            this->message(widenUtf8(notice_), MB_ICONWARNING);
            return TRUE;
        case WM_COMMAND:
            return command(LOWORD(wParam)) ? TRUE : FALSE;
        case WM_DROPFILES:
            drop(reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case IDM_ABOUTBOX:
                    runAboutBox(hwnd_);
                    return TRUE;
                case IDM_OUTPUT_FOLDER:
                    chooseOutputFolder();
                    return TRUE;
                case IDM_OUTPUT_BESIDE:
                    setOutputFolder("");
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_PAINT:
            return paintIcon() ? TRUE : FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(largeIcon_);
        case WM_SETCURSOR:
            if (model_.converting()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

bool CMorvexDlg::command(WORD id) {
    switch (id) {
        case IDOK:
            convert();
            return true;
        case IDCANCEL:
            if (!model_.converting()) {
                EndDialog(hwnd_, IDCANCEL);
            }
            return true;
        case IDC_BROWSE:
            browse();
            return true;
        case IDC_LARGE_FONT:
            chooseFont(FontRow::Large);
            return true;
        case IDC_SMALL_FONT:
            chooseFont(FontRow::Small);
            return true;
        default:
            return false;
    }
}

void CMorvexDlg::initialise() {
    const std::wstring about = loadResourceString(IDS_ABOUTBOX);
    if (HMENU menu = GetSystemMenu(hwnd_, FALSE); menu != nullptr && !about.empty()) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        AppendMenuW(menu, MF_STRING, IDM_OUTPUT_FOLDER, widenUtf8(outputFolderItemLabel()).c_str());
        showOutputFolder();
    }
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
    DragAcceptFiles(hwnd_, TRUE);
    centreOnScreen();
    preview_ = std::make_unique<PreviewWindow>(
        hwnd_, std::vector<int>{IDC_FILES, IDOK, IDCANCEL, IDC_BROWSE});
    SetWindowSubclass(GetDlgItem(hwnd_, IDC_FILES), listProc, 0, reinterpret_cast<DWORD_PTR>(this));
    showFontRow(FontRow::Large);
    showFontRow(FontRow::Small);
    showFiles();
    if (!notice_.empty()) {
        PostMessageW(hwnd_, kShowNotice, 0, 0);
    }
}

// The template places the dialog at the screen's corner: it opens in the middle of the work area
// of the monitor that holds the mouse pointer, where the user has just started it, and inside it
// when the work area is smaller than the dialog.
void CMorvexDlg::centreOnScreen() {
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT window{};
    if (!GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &monitor) ||
        !GetWindowRect(hwnd_, &window)) {
        return;
    }
    const RECT& area = monitor.rcWork;
    const LONG left = std::max(
        area.left, area.left + (area.right - area.left - (window.right - window.left)) / 2);
    const LONG top =
        std::max(area.top, area.top + (area.bottom - area.top - (window.bottom - window.top)) / 2);
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMorvexDlg::showFiles() {
    const HWND list = GetDlgItem(hwnd_, IDC_FILES);
    // Drawn once when filled, not after every entry.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    // Inserted at the end, in the model's order, which the conversion follows: a sorted list box
    // would sort added strings by its own rule.
    for (const std::string& path : model_.files()) {
        const std::wstring text = widenUtf8(path);
        SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(text.c_str()));
    }
    updateHorizontalExtent();
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    SetWindowTextW(hwnd_, widenUtf8(model_.title()).c_str());
    // A new list: nothing of it has been clicked yet.
    previewed_ = -1;
    if (preview_) {
        preview_->hide();
    }
}

LRESULT CALLBACK CMorvexDlg::listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self) {
    const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_KEYDOWN:
            // The list selects nothing, but its caret follows clicks and arrow keys.
            reinterpret_cast<CMorvexDlg*>(self)->followCaret();
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(list, listProc, id);
            break;
        default:
            break;
    }
    return result;
}

void CMorvexDlg::followCaret() {
    const auto caret =
        static_cast<int>(SendMessageW(GetDlgItem(hwnd_, IDC_FILES), LB_GETCARETINDEX, 0, 0));
    if (caret < 0 || static_cast<std::size_t>(caret) >= model_.files().size() ||
        caret == previewed_) {
        return;
    }
    previewed_ = caret;
    updatePreview();
}

void CMorvexDlg::updatePreview() {
    if (previewed_ >= 0 && preview_) {
        preview_->showFile(model_.files()[static_cast<std::size_t>(previewed_)], model_.options());
    }
}

void CMorvexDlg::updateHorizontalExtent() {
    const HWND list = GetDlgItem(hwnd_, IDC_FILES);
    const HDC dc = GetDC(list);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = SelectObject(dc, font);
    LONG widest = 0;
    for (const std::string& path : model_.files()) {
        const std::wstring text = widenUtf8(path);
        SIZE size{};
        if (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size)) {
            widest = std::max(widest, size.cx);
        }
    }
    SelectObject(dc, previous);
    ReleaseDC(list, dc);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 20), 0);
}

void CMorvexDlg::showFontRow(FontRow row) {
    const FontField& font = model_.font(row);
    SetDlgItemTextW(hwnd_, idsOf(row).face, widenUtf8(font.face).c_str());
    SetDlgItemTextW(hwnd_, idsOf(row).size, widenUtf8(font.size).c_str());
}

void CMorvexDlg::drop(HDROP dropped) {
    const UINT count = DragQueryFileW(dropped, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(dropped, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(dropped, i, path.data(), length + 1));
        paths.push_back(narrowToUtf8(path));
    }
    DragFinish(dropped);
    if (model_.drop(paths)) {
        showFiles();
    }
}

// Browse offers files (the open-file dialog) and a folder (the folder picker) in a menu at the
// button: the open-file dialog cannot pick folders.
void CMorvexDlg::browse() {
    RECT button{};
    GetWindowRect(GetDlgItem(hwnd_, IDC_BROWSE), &button);
    const HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, IDM_BROWSE_FILES, widenUtf8(chooseFilesItemLabel()).c_str());
    AppendMenuW(menu, MF_STRING, IDM_BROWSE_FOLDER, widenUtf8(chooseFolderItemLabel()).c_str());
    const auto chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON,
                       button.left, button.bottom, 0, hwnd_, nullptr));
    DestroyMenu(menu);
    if (chosen == IDM_BROWSE_FILES) {
        browseFiles();
    } else if (chosen == IDM_BROWSE_FOLDER) {
        browseFolder();
    }
}

void CMorvexDlg::browseFolder() {
    const std::string start = model_.files().empty() ? std::string() : folderOf(model_.files()[0]);
    if (const std::optional<std::string> folder = chooseFolder(hwnd_, start)) {
        model_.choose({*folder});
        showFiles();
    }
}

void CMorvexDlg::chooseOutputFolder() {
    if (const std::optional<std::string> folder = chooseFolder(hwnd_, model_.outputFolder())) {
        setOutputFolder(*folder);
    }
}

void CMorvexDlg::setOutputFolder(const std::string& folder) {
    const SettingsConfirmation confirmed = model_.chooseOutputFolder(folder);
    showOutputFolder();
    showConfirmation(confirmed);
}

// The title names the output folder, and the system menu offers to go back to outputs beside
// their sources while one is chosen.
void CMorvexDlg::showOutputFolder() {
    SetWindowTextW(hwnd_, widenUtf8(model_.title()).c_str());
    const HMENU menu = GetSystemMenu(hwnd_, FALSE);
    if (menu == nullptr) {
        return;
    }
    DeleteMenu(menu, IDM_OUTPUT_BESIDE, MF_BYCOMMAND);
    if (!model_.outputFolder().empty()) {
        AppendMenuW(menu, MF_STRING, IDM_OUTPUT_BESIDE,
                    widenUtf8(outputsBesideSourcesItemLabel()).c_str());
    }
}

void CMorvexDlg::browseFiles() {
    const Ce2Choice chosen = chooseCe2Files(hwnd_);
    if (chosen.outcome == Ce2Choice::Outcome::TooMany) {
        message(widenUtf8(tooManyChosenMessage()), MB_ICONWARNING);
    } else if (chosen.outcome == Ce2Choice::Outcome::Chosen) {
        model_.choose(chosen.paths);
        showFiles();
    }
}

void CMorvexDlg::chooseFont(FontRow row) {
    const FontField& font = model_.font(row);
    const auto chosen = ::chooseFont(hwnd_, font.face, font.size);
    if (!chosen) {
        return;
    }
    const SettingsConfirmation confirmed = model_.confirmFont(row, chosen->face, chosen->points);
    if (confirmed.outcome != SettingsConfirmation::Outcome::Refused) {
        showFontRow(row);
        updatePreview();  // comments show in the new font
    }
    showConfirmation(confirmed);
}

void CMorvexDlg::showConfirmation(const SettingsConfirmation& confirmed) {
    if (confirmed.message.empty()) {
        return;
    }
    // Where a first write made the settings file is news; anything else, a problem.
    const bool told = confirmed.outcome == SettingsConfirmation::Outcome::SavedInNewFile;
    message(widenUtf8(confirmed.message), told ? MB_ICONINFORMATION : MB_ICONWARNING);
}

void CMorvexDlg::convert() {
    if (model_.converting() || model_.files().empty()) {
        return;
    }
    BatchStart start;
    {
        const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        BatchProgressWindow progress(hwnd_, model_.files().size());
        start = model_.convert(progressCallbacksFor(progress));
        SetCursor(previous);
    }
    if (!start.refusal.empty()) {
        message(widenUtf8(start.refusal), MB_ICONWARNING);
    }
    if (!start.result) {
        return;
    }
    if (!start.result->needsAttention()) {
        message(widenUtf8(start.result->message()), MB_ICONINFORMATION);
        return;
    }
    // A report is suggested beside the outputs: in the output folder, else the first source's.
    const std::string& folder = model_.outputFolder();
    showBatchResult(
        hwnd_, *start.result,
        !folder.empty() || model_.files().empty() ? folder : folderOf(model_.files()[0]));
}

void CMorvexDlg::message(const std::wstring& text, UINT icon) {
    MessageBoxW(hwnd_, text.c_str(), L"MORVEX", MB_OK | icon);
}

bool CMorvexDlg::paintIcon() {
    if (!IsIconic(hwnd_)) {
        return false;
    }
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd_, &paint);
    SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(hwnd_, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, largeIcon_);
    EndPaint(hwnd_, &paint);
    return true;
}
