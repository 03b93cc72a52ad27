#include "app/win32/result_dialog_win32.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "app/core/dialog_messages.h"
#include "app/win32/common_dialogs_win32.h"
#include "app/win32/resource_ids.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace {

// Rows of the list that the window keeps room for when it first opens, in dialog units.
constexpr int kListHeight = 120;
// The smallest list, and the window's smallest client area, in dialog units.
constexpr int kLeastListHeight = 30;
constexpr int kLeastWidth = 220;

const wchar_t* iconOf(BatchSeverity severity) {
    switch (severity) {
        case BatchSeverity::Information:
            break;
        case BatchSeverity::Warning:
            return IDI_WARNING;
        case BatchSeverity::Error:
            return IDI_ERROR;
    }
    return IDI_INFORMATION;
}

// UTF-8 text with its lines ending in CR LF, as controls and the clipboard take them.
std::wstring windowsText(const std::string& text) {
    std::wstring wide;
    for (const wchar_t c : widenUtf8(text)) {
        if (c == L'\n') {
            wide += L'\r';
        }
        wide += c;
    }
    return wide;
}

std::string reportPathIn(const std::string& folder) {
    if (folder.empty()) {
        return kSuggestedReportName;
    }
    return folder + (isPathSeparator(folder.back()) ? "" : std::string(1, pathSeparator())) +
           kSuggestedReportName;
}

int widthOf(const RECT& r) {
    return static_cast<int>(r.right - r.left);
}
int heightOf(const RECT& r) {
    return static_cast<int>(r.bottom - r.top);
}

// A size in pixels.
struct Pixels {
    int cx = 0;
    int cy = 0;
};

class ResultDialog {
  public:
    ResultDialog(const BatchResult& result, std::string reportFolder)
        : result_(result), reportFolder_(std::move(reportFolder)) {}

    void run(HWND owner) {
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RESULT), owner, dialogProc,
                        reinterpret_cast<LPARAM>(this));
    }

  private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<ResultDialog*>(lParam)->hwnd_ = dialog;
        }
        auto* self = reinterpret_cast<ResultDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        return self != nullptr ? self->handle(message, wParam, lParam) : FALSE;
    }

    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_INITDIALOG:
                initialise();
                return TRUE;
            case WM_SIZE:
                layout();
                return TRUE;
            case WM_GETMINMAXINFO:
                if (least_.cx > 0) {
                    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {least_.cx, least_.cy};
                }
                return TRUE;
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case IDOK:
                    case IDCANCEL:
                        EndDialog(hwnd_, LOWORD(wParam));
                        return TRUE;
                    case IDC_RESULT_COPY:
                        copy();
                        return TRUE;
                    case IDC_RESULT_SAVE:
                        save();
                        return TRUE;
                    case IDC_RESULT_FILTER:
                        if (HIWORD(wParam) == CBN_SELCHANGE) {
                            showRows();
                        }
                        return TRUE;
                    default:
                        return FALSE;
                }
            default:
                return FALSE;
        }
    }

    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

    // A size in dialog units in pixels.
    Pixels units(int x, int y) const {
        RECT r{0, 0, x, y};
        MapDialogRect(hwnd_, &r);
        return {static_cast<int>(r.right), static_cast<int>(r.bottom)};
    }

    void initialise() {
        SendDlgItemMessageW(
            hwnd_, IDC_RESULT_ICON, STM_SETICON,
            reinterpret_cast<WPARAM>(LoadIconW(nullptr, iconOf(result_.severity()))), 0);
        // As large as the icon, which a larger control would stretch.
        SetWindowPos(item(IDC_RESULT_ICON), nullptr, 0, 0, GetSystemMetrics(SM_CXICON),
                     GetSystemMetrics(SM_CYICON), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        summary_ = windowsText(result_.message());
        SetDlgItemTextW(hwnd_, IDC_RESULT_SUMMARY, summary_.c_str());
        SetDlgItemTextW(hwnd_, IDC_RESULT_COPY, widenUtf8(copyResultLabel()).c_str());
        SetDlgItemTextW(hwnd_, IDC_RESULT_SAVE, widenUtf8(saveReportLabel()).c_str());
        const HWND filter = item(IDC_RESULT_FILTER);
        const auto add = [&](ResultFilter group, std::size_t count) {
            const std::wstring label = widenUtf8(resultFilterLabel(group, count));
            const LRESULT at =
                SendMessageW(filter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
            SendMessageW(filter, CB_SETITEMDATA, static_cast<WPARAM>(at),
                         group ? static_cast<LPARAM>(*group) : -1);
        };
        add(std::nullopt, result_.reports().size());
        for (std::size_t g = 0; g < kResultGroups; ++g) {
            const auto group = static_cast<ResultGroup>(g);
            if (result_.count(group) > 0) {
                add(group, result_.count(group));
            }
        }
        SendMessageW(filter, CB_SETCURSEL, 0, 0);
        showRows();
        fitIntoWorkArea();
        layout();
    }

    ResultFilter filter() const {
        const HWND combo = item(IDC_RESULT_FILTER);
        const LRESULT chosen = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        const LRESULT group =
            chosen < 0 ? -1 : SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(chosen), 0);
        if (group < 0 || group >= static_cast<LRESULT>(kResultGroups)) {
            return std::nullopt;
        }
        return static_cast<ResultGroup>(group);
    }

    void showRows() {
        const HWND list = item(IDC_RESULT_LIST);
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        const std::vector<ResultRow> rows = result_.rows(filter());
        SendMessageW(list, LB_INITSTORAGE, rows.size(), rows.size() * 64 * sizeof(wchar_t));
        const HDC dc = GetDC(list);
        const HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        LONG widest = 0;
        for (const ResultRow& row : rows) {
            const std::wstring text = widenUtf8(row.text);
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            SIZE size{};
            if (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size)) {
                widest = std::max(widest, size.cx);
            }
        }
        SelectObject(dc, previous);
        ReleaseDC(list, dc);
        SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }

    // The summary's height in pixels when it is `width` pixels wide.
    int summaryHeight(int width) const {
        const HWND text = item(IDC_RESULT_SUMMARY);
        const HDC dc = GetDC(text);
        const HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
        RECT r{0, 0, std::max(width, 1), 0};
        DrawTextW(dc, summary_.c_str(), static_cast<int>(summary_.size()), &r,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        SelectObject(dc, previous);
        ReleaseDC(text, dc);
        return r.bottom;
    }

    // The parts of the layout that do not depend on the window's size, in pixels.
    struct Metrics {
        Pixels margin, gap, button, wideButton, filter;
        int iconWidth, iconHeight, filterHeight;
    };
    Metrics metrics() const {
        Metrics m{units(7, 7), units(4, 4), units(50, 14), units(80, 14), units(160, 120), 0, 0, 0};
        RECT r{};
        GetWindowRect(item(IDC_RESULT_ICON), &r);
        m.iconWidth = widthOf(r);
        m.iconHeight = heightOf(r);
        GetWindowRect(item(IDC_RESULT_FILTER), &r);  // a drop-down list's closed height
        m.filterHeight = heightOf(r);
        return m;
    }

    // The client height that shows the whole summary of a client `width` wide over a list
    // `listHeight` high.
    int clientHeightFor(int width, int listHeight) const {
        const Metrics m = metrics();
        const int text = summaryHeight(width - 3 * m.margin.cx - m.iconWidth);
        return m.margin.cy + std::max(m.iconHeight, text) + m.gap.cy + m.filterHeight + m.gap.cy +
               listHeight + m.gap.cy + m.button.cy + m.margin.cy;
    }

    // The window as wide as the template and as high as the whole summary and the list take, no
    // larger than the work area of the owner's monitor, centred over the owner and inside the
    // work area.
    void fitIntoWorkArea() {
        const HWND owner = GetWindow(hwnd_, GW_OWNER);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        RECT window{};
        RECT client{};
        if (!GetMonitorInfoW(
                MonitorFromWindow(owner != nullptr ? owner : hwnd_, MONITOR_DEFAULTTONEAREST),
                &monitor) ||
            !GetWindowRect(hwnd_, &window) || !GetClientRect(hwnd_, &client)) {
            return;
        }
        const RECT& area = monitor.rcWork;
        const Pixels frame{widthOf(window) - static_cast<int>(client.right),
                           heightOf(window) - static_cast<int>(client.bottom)};
        const int width = std::min(widthOf(window), widthOf(area));
        const int height = std::min(
            clientHeightFor(width - frame.cx, units(0, kListHeight).cy) + frame.cy, heightOf(area));
        RECT centre = window;
        if (owner != nullptr) {
            GetWindowRect(owner, &centre);
        }
        const auto place = [](LONG middle, int size, LONG low, LONG high) {
            return std::max(low, std::min(static_cast<LONG>(middle - size / 2), high - size));
        };
        SetWindowPos(hwnd_, nullptr,
                     place((centre.left + centre.right) / 2, width, area.left, area.right),
                     place((centre.top + centre.bottom) / 2, height, area.top, area.bottom), width,
                     height, SWP_NOZORDER | SWP_NOACTIVATE);
        const int leastWidth = units(kLeastWidth, 0).cx;
        least_ = {std::min(leastWidth + frame.cx, widthOf(area)),
                  std::min(clientHeightFor(leastWidth, units(0, kLeastListHeight).cy) + frame.cy,
                           heightOf(area))};
    }

    // Places the controls in the client area: the icon and the summary on top (the summary cut
    // only when the window is too low for it and some rows), the filter below them, the buttons
    // at the bottom, and the list between them taking what is left.
    void layout() {
        RECT client{};
        GetClientRect(hwnd_, &client);
        const Metrics m = metrics();
        const auto move = [&](int id, int x, int y, int width, int height) {
            SetWindowPos(item(id), nullptr, x, y, std::max(width, 0), std::max(height, 0),
                         SWP_NOZORDER | SWP_NOACTIVATE);
        };
        const int textLeft = 2 * m.margin.cx + m.iconWidth;
        const int clientWidth = static_cast<int>(client.right);
        const int textWidth = clientWidth - textLeft - m.margin.cx;
        const int buttonTop = static_cast<int>(client.bottom) - m.margin.cy - m.button.cy;
        const int room = buttonTop - m.gap.cy - units(0, kLeastListHeight).cy - m.gap.cy -
                         m.filterHeight - m.gap.cy - m.margin.cy;
        const int textHeight = std::min(summaryHeight(textWidth), std::max(m.iconHeight, room));
        move(IDC_RESULT_ICON, m.margin.cx, m.margin.cy, m.iconWidth, m.iconHeight);
        move(IDC_RESULT_SUMMARY, textLeft, m.margin.cy, textWidth, textHeight);
        const int filterTop = m.margin.cy + std::max(m.iconHeight, textHeight) + m.gap.cy;
        move(IDC_RESULT_FILTER, m.margin.cx, filterTop,
             std::min(m.filter.cx, clientWidth - 2 * m.margin.cx), m.filter.cy);
        const int listTop = filterTop + m.filterHeight + m.gap.cy;
        move(IDC_RESULT_LIST, m.margin.cx, listTop, clientWidth - 2 * m.margin.cx,
             buttonTop - m.gap.cy - listTop);
        move(IDC_RESULT_COPY, m.margin.cx, buttonTop, m.button.cx, m.button.cy);
        move(IDC_RESULT_SAVE, m.margin.cx + m.button.cx + m.gap.cx, buttonTop, m.wideButton.cx,
             m.button.cy);
        move(IDOK, clientWidth - m.margin.cx - m.button.cx, buttonTop, m.button.cx, m.button.cy);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

    // The message and the rows shown, to the clipboard as Unicode text.
    void copy() {
        const std::wstring text = windowsText(result_.copiedText(filter()));
        if (!OpenClipboard(hwnd_)) {
            return;
        }
        EmptyClipboard();
        const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes); memory != nullptr) {
            if (void* locked = GlobalLock(memory); locked != nullptr) {
                std::memcpy(locked, text.c_str(), bytes);
                GlobalUnlock(memory);
            }
            // The clipboard owns it once taken.
            if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
                GlobalFree(memory);
            }
        }
        CloseClipboard();
    }

    void save() {
        const std::optional<std::string> chosen =
            chooseReportFile(hwnd_, reportPathIn(reportFolder_));
        if (!chosen) {
            return;
        }
        if (const std::string problem = result_.saveReport(*chosen); !problem.empty()) {
            MessageBoxW(hwnd_, widenUtf8(problem).c_str(), L"MORVEX", MB_OK | MB_ICONWARNING);
        }
    }

    const BatchResult& result_;
    std::string reportFolder_;
    HWND hwnd_ = nullptr;
    std::wstring summary_;
    Pixels least_;  // the window's smallest size
};

}  // namespace

void showBatchResult(HWND owner, const BatchResult& result, const std::string& reportFolder) {
    ResultDialog(result, reportFolder).run(owner);
}
