// Drives morvex.exe's main dialog from another process under Wine, as a user and the shell
// would, and reports what the dialog shows. One action per run:
// - template MORVEX-EXE: checks the dialog's controls, texts, styles and layout, and the
//   program's strings; prints what differs
// - drop PATH...: drops the files on the dialog (WM_DROPFILES; @FILE stands for the lines of
//   FILE), prints the list
// - list: prints the list
// - notice: prints the icon and text of the message box the dialog shows by itself, and closes it
// - scrollbars: prints whether the list shows its two scroll bars
// - fields: prints the four font fields
// - ok [fit] [copy] [filter N] [save PATH] [hold FLAG]: presses OK; prints the icon (information,
// warning or
//   error) and the text of the message box that comes, or of the result dialog its icon, its
//   summary, a blank line, its filters (the one shown marked with "*") and the rows of its list;
//   then, in the result dialog, with fit whether it lies inside the work area with its summary and
//   OK in sight, with copy whether Copy puts its summary and rows on the clipboard, with filter the
//   rows of the filter N (from 0), with save the report saved as PATH through Save report…, with
//   hold its place (x y width height), then it stays until the file FLAG exists; closes it with
//   Enter's OK
// - progress: presses OK, prints the progress window's title and text, closes the message box or
//   the result dialog that follows
// - cancel: presses OK, then the progress window's cancel button; prints what ok prints
// - font large|small: confirms the font dialog as it opens, prints the fields
// - about: opens the about box from the system menu, prints its title and texts
// - rect: prints the dialog's place on the screen: x y width height, and whether it lies inside
//   the work area
// - title: prints the dialog's title
// - output-folder PATH: chooses PATH in the folder picker of the system menu's output folder item,
//   prints the title
// - outputs-beside: the system menu's item for outputs beside their sources, prints the title
// - browse-folder PATH: chooses PATH in the folder picker of Browse's folder item, prints the list
// - preview ENTRY [NOTCHES DX DY]: clicks the list's entry (from 0), waits for the preview
//   window, turns the wheel by NOTCHES over its middle and drags from there by DX, DY pixels;
//   prints the preview's title (the file and the zoom), its place on the screen, and whether it
//   lies inside the work area and clear of the list, OK, 終了 and 参照
// - close: closes the dialog with 終了 and waits for the program to end
// - open PROGID PATH: opens the file as Explorer does with the default verb of the user's file
//   type PROGID (HKCU\Software\Classes\PROGID), without waiting for a dialog
// Output is UTF-8, one item a line; the exit status is 0 when the action succeeded.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/conversion_text.h"
#include "platform/console.h"
#include "platform/text.h"

namespace {

constexpr DWORD kWaitMs = 120000;
// The text of the progress window.
constexpr int kProgressText = 1020;
// The controls of the result dialog.
constexpr int kResultSummary = 1031;
constexpr int kResultFilter = 1032;
constexpr int kResultList = 1033;
constexpr int kResultCopy = 1034;
constexpr int kResultSave = 1035;
// The system menu's output folder items.
constexpr WPARAM kOutputFolderItem = 0x20;
constexpr WPARAM kOutputsBesideItem = 0x30;

void print(const std::wstring& text) {
    const std::string bytes = narrowToUtf8(text) + "\n";
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

// The text of a window of another process: asked for with WM_GETTEXT, as GetWindowTextW gives
// only captions there.
std::wstring textOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// A visible dialog window (class #32770) owned by `owner`, or without owner and titled MORVEX (or
// "MORVEX - " and more), with a control of the id `part` when it is not 0.
HWND findDialog(HWND owner, int part = 0) {
    struct Search {
        HWND owner;
        int part;
        HWND found;
    } search{owner, part, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (!IsWindowVisible(window) || classOf(window) != L"#32770" ||
                GetWindow(window, GW_OWNER) != s.owner ||
                (s.owner == nullptr && textOf(window) != L"MORVEX" &&
                 !textOf(window).starts_with(L"MORVEX - ")) ||
                (s.part != 0 && GetDlgItem(window, s.part) == nullptr)) {
                return TRUE;
            }
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForDialog(HWND owner, int part = 0) {
    for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
        if (HWND found = findDialog(owner, part)) {
            return found;
        }
        Sleep(50);
    }
    return nullptr;
}

bool waitUntilGone(HWND window) {
    for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
        if (!IsWindow(window) || !IsWindowVisible(window)) {
            return true;
        }
        Sleep(50);
    }
    return false;
}

// The progress window's title and text as they stand, read from the window system without a
// message to the thread that is busy converting; empty while no such window shows text.
std::wstring progressShown(HWND dialog) {
    const HWND progress = findDialog(dialog, kProgressText);
    wchar_t title[64] = {};
    wchar_t label[256] = {};
    if (progress == nullptr ||
        InternalGetWindowText(GetDlgItem(progress, kProgressText), label, 256) == 0) {
        return {};
    }
    InternalGetWindowText(progress, title, 64);
    return std::wstring(title) + L"\n" + label;
}

// Watches the batch that OK started until its message box comes: what its progress window
// showed first, or nothing when the batch ended before one showed.
std::wstring watchProgress(HWND dialog) {
    for (DWORD waited = 0; waited < kWaitMs; waited += 10) {
        if (std::wstring shown = progressShown(dialog); !shown.empty()) {
            return shown;
        }
        if (findDialog(dialog, 0xFFFF) != nullptr || findDialog(dialog, kResultList) != nullptr) {
            break;
        }
        Sleep(10);
    }
    return {};
}

// The pixels of a square of `size` at (x, y) of the device context, as 0x00RRGGBB.
std::vector<uint32_t> pixelsOf(HDC source, int x, int y, int size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC memory = CreateCompatibleDC(source);
    const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, size, size, source, x, y, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + size * size);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    for (uint32_t& pixel : pixels) {
        pixel &= 0xFFFFFF;
    }
    return pixels;
}

// How far two pictures of one size differ: the sum of their channels' differences.
uint64_t distance(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    uint64_t sum = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int x = static_cast<int>((a[i] >> shift) & 0xFF);
            const int y = static_cast<int>((b[i] >> shift) & 0xFF);
            sum += static_cast<uint64_t>(x > y ? x - y : y - x);
        }
    }
    return sum;
}

// Which of the system's message box icons the box shows: the one whose picture, drawn on the
// box's background, comes clearly nearest to what the screen shows where the box has its icon
// (a handle of the box's icon means nothing in this process). "unclear" when none does.
std::string iconShown(HWND box) {
    HWND icon = nullptr;
    for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (_wcsicmp(classOf(c).c_str(), L"Static") == 0 &&
            (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(c)) {
            icon = c;
        }
    }
    if (icon == nullptr) {
        return "none";
    }
    const struct {
        const wchar_t* id;
        const char* name;
    } candidates[] = {
        {IDI_INFORMATION, "information"}, {IDI_WARNING, "warning"}, {IDI_ERROR, "error"}};
    const int size = GetSystemMetrics(SM_CXICON);
    const HDC screen = GetDC(nullptr);
    std::string found = "unclear";
    // The box may not have painted its icon yet.
    for (int attempt = 0; attempt < 50 && found == "unclear"; ++attempt) {
        Sleep(100);
        RECT r;
        GetWindowRect(icon, &r);
        const std::vector<uint32_t> shown = pixelsOf(screen, r.left, r.top, size);
        std::vector<std::pair<uint64_t, const char*>> distances;
        for (const auto& candidate : candidates) {
            // Drawn on the colour of the shown square's corner, which the icons leave clear.
            const HDC memory = CreateCompatibleDC(screen);
            const HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
            const HGDIOBJ previous = SelectObject(memory, bitmap);
            const HBRUSH background = CreateSolidBrush(
                RGB((shown[0] >> 16) & 0xFF, (shown[0] >> 8) & 0xFF, shown[0] & 0xFF));
            const RECT all{0, 0, size, size};
            FillRect(memory, &all, background);
            DeleteObject(background);
            DrawIconEx(memory, 0, 0, LoadIconW(nullptr, candidate.id), size, size, 0, nullptr,
                       DI_NORMAL);
            distances.emplace_back(distance(shown, pixelsOf(memory, 0, 0, size)), candidate.name);
            SelectObject(memory, previous);
            DeleteObject(bitmap);
            DeleteDC(memory);
        }
        std::sort(distances.begin(), distances.end());
        if (distances[0].first * 4 < distances[1].first) {
            found = distances[0].second;
        }
    }
    ReleaseDC(nullptr, screen);
    return found;
}

// A window's text with its lines ending in LF alone.
std::wstring linesOf(std::wstring text) {
    std::erase(text, L'\r');
    return text;
}

// The work area of the monitor that holds the most of the window.
RECT workAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::string describe(const RECT& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
           " " + std::to_string(r.bottom);
}

RECT screenRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The entries of a list box of another process.
std::vector<std::wstring> entriesOf(HWND list) {
    std::vector<std::wstring> entries;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto index = static_cast<WPARAM>(i);
        std::wstring entry(
            static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
        entry.resize(static_cast<std::size_t>(
            SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry.data()))));
        entries.push_back(entry);
    }
    return entries;
}

// Every window below `parent`, children first met first.
std::vector<HWND> descendantsOf(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Returns once the dialog's thread is back in its message loop, having finished what it did
// after a window of its own closed (a font choice is written to the settings, say).
bool waitUntilIdle(HWND dialog) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &result) != 0;
}

void press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void printList(HWND dialog) {
    for (const std::wstring& entry : entriesOf(GetDlgItem(dialog, 1006))) {
        print(entry);
    }
}

// What OK's batch ended in, once it shows: a message box or the result dialog.
HWND waitForOutcome(HWND dialog) {
    for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
        if (HWND box = findDialog(dialog, kResultList); box != nullptr) {
            return box;
        }
        if (HWND box = findDialog(dialog, 0xFFFF); box != nullptr) {
            return box;
        }
        Sleep(50);
    }
    return nullptr;
}

// The icon and the text of a message box, or of the result dialog its icon, summary, a blank
// line, its filters and the rows of its list.
void printOutcome(HWND box) {
    std::printf("%s\n", iconShown(box).c_str());
    if (GetDlgItem(box, kResultList) == nullptr) {
        print(textOf(GetDlgItem(box, 0xFFFF)));
        return;
    }
    print(linesOf(textOf(GetDlgItem(box, kResultSummary))));
    print(L"");
    const HWND filter = GetDlgItem(box, kResultFilter);
    const LRESULT shown = SendMessageW(filter, CB_GETCURSEL, 0, 0);
    const LRESULT count = SendMessageW(filter, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring label(
            static_cast<std::size_t>(SendMessageW(filter, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        label.resize(static_cast<std::size_t>(SendMessageW(
            filter, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(label.data()))));
        print((i == shown ? L"* " : L"  ") + label);
    }
    for (const std::wstring& row : entriesOf(GetDlgItem(box, kResultList))) {
        print(row);
    }
}

// Whether the result dialog lies inside the work area of its monitor with its summary and OK in
// sight: inside the dialog and the work area, not empty, clear of the list.
void printFit(HWND box) {
    const RECT area = workAreaOf(box);
    const RECT window = screenRectOf(box);
    if (inside(window, area)) {
        std::puts("the result inside the work area");
    } else {
        std::printf("the result at %s, outside the work area %s\n", describe(window).c_str(),
                    describe(area).c_str());
    }
    const RECT list = screenRectOf(GetDlgItem(box, kResultList));
    RECT overlap{};
    for (const auto& [id, name] : {std::pair{kResultSummary, "the summary"}, {IDOK, "OK"}}) {
        const HWND control = GetDlgItem(box, id);
        const RECT r = screenRectOf(control);
        if (!IsWindowVisible(control) || IsRectEmpty(&r) || !inside(r, window) ||
            !inside(r, area) || IntersectRect(&overlap, &r, &list)) {
            std::printf("%s out of sight at %s\n", name, describe(r).c_str());
        } else {
            std::printf("%s in sight\n", name);
        }
    }
    // Several rows of the list show.
    const auto rowHeight =
        static_cast<LONG>(SendMessageW(GetDlgItem(box, kResultList), LB_GETITEMHEIGHT, 0, 0));
    std::printf("%s\n", list.bottom - list.top >= 3 * rowHeight ? "rows in sight"
                                                                : "fewer than 3 rows in sight");
}

// Whether Copy put the summary and the rows shown on the clipboard, a blank line between.
void printCopy(HWND box) {
    press(box, kResultCopy);
    waitUntilIdle(box);
    std::wstring expected = textOf(GetDlgItem(box, kResultSummary)) + L"\r\n\r\n";
    for (const std::wstring& row : entriesOf(GetDlgItem(box, kResultList))) {
        expected += row + L"\r\n";
    }
    std::wstring copied;
    if (OpenClipboard(nullptr)) {
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
            if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                copied = text;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    if (copied == expected) {
        std::puts("the copy holds the summary and the rows shown");
    } else {
        std::puts("the copy differs:");
        print(linesOf(copied));
    }
}

// Shows the filter `entry` as a choice in its box would, and prints the rows then shown.
void printFiltered(HWND box, int entry) {
    const HWND filter = GetDlgItem(box, kResultFilter);
    SendMessageW(filter, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    SendMessageW(box, WM_COMMAND, MAKEWPARAM(kResultFilter, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(filter));
    std::printf("filter %d:\n", entry);
    for (const std::wstring& row : entriesOf(GetDlgItem(box, kResultList))) {
        print(row);
    }
}

// Types `text` into the first visible edit field of a dialog of the system (the file name of a
// save-file dialog or a folder picker) and confirms it with its OK; false when it has none or
// stays.
bool confirmTyped(HWND dialog, const std::string& text) {
    HWND edit = nullptr;
    for (const HWND child : descendantsOf(dialog)) {
        if (_wcsicmp(classOf(child).c_str(), L"Edit") == 0 && IsWindowVisible(child)) {
            edit = child;
            break;
        }
    }
    if (edit == nullptr) {
        return false;
    }
    const std::wstring wide = widenUtf8(text);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    press(dialog, IDOK);
    return waitUntilGone(dialog);
}

// Saves the report through Save report… as `path`; prints the message that came, if any.
bool saveThroughDialog(HWND box, const std::string& path) {
    press(box, kResultSave);
    const HWND chooser = waitForDialog(box);
    if (chooser == nullptr || !confirmTyped(chooser, path) || !waitUntilIdle(box)) {
        std::puts("the save-file dialog did not save");
        return false;
    }
    if (const HWND message = findDialog(box, 0xFFFF)) {
        print(L"save: " + textOf(GetDlgItem(message, 0xFFFF)));
        press(message, IDOK);
        waitUntilGone(message);
    }
    return true;
}

// Chooses `path` in the folder picker that the system menu's item or Browse's menu opens.
bool chooseInPicker(HWND dialog, const std::string& path) {
    const HWND picker = waitForDialog(dialog);
    if (picker == nullptr || !confirmTyped(picker, path) || !waitUntilIdle(dialog)) {
        std::puts("the folder picker did not choose");
        return false;
    }
    return true;
}

// Which of the dialog's list, OK, 終了 and 参照 the window covers, and whether it lies inside the
// work area.
void printClearance(HWND dialog, HWND window) {
    const RECT r = screenRectOf(window);
    std::string covered;
    for (const auto& [id, name] :
         {std::pair{1006, "the list"}, {IDOK, "OK"}, {IDCANCEL, "終了"}, {3, "参照"}}) {
        RECT overlap{};
        const RECT control = screenRectOf(GetDlgItem(dialog, id));
        if (IntersectRect(&overlap, &r, &control)) {
            covered += std::string(covered.empty() ? "" : ", ") + name;
        }
    }
    std::puts(covered.empty() ? "clear of the list and the buttons" : ("over " + covered).c_str());
    std::puts(inside(r, workAreaOf(dialog)) ? "inside the work area" : "outside the work area");
}

void printFields(HWND dialog) {
    for (const int id : {1000, 1001, 1003, 1004}) {
        print(textOf(GetDlgItem(dialog, id)));
    }
}

// Drops the files as the shell does: a DROPFILES block with wide names, here placed in the
// dialog's process, whose handler reads it with DragQueryFileW.
// The preview window the dialog opened, once it shows; nullptr when none came.
HWND waitForPreview(HWND dialog) {
    for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
        const HWND preview = FindWindowW(L"MorvexPreview", nullptr);
        if (preview != nullptr && IsWindowVisible(preview) &&
            GetWindow(preview, GW_OWNER) == dialog) {
            return preview;
        }
        Sleep(50);
    }
    return nullptr;
}

// Clicks a list entry, then zooms and pans the preview as the mouse would.
int probePreview(HWND dialog, const std::vector<std::string>& args) {
    const HWND list = GetDlgItem(dialog, 1006);
    const int entry = std::stoi(args[2]);
    const auto height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const LPARAM at = MAKELPARAM(8, entry * height + height / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    const HWND preview = waitForPreview(dialog);
    if (preview == nullptr) {
        std::puts("no preview window");
        return 1;
    }
    // The title ends in "…" while the file is read.
    for (DWORD waited = 0; waited < kWaitMs && textOf(preview).ends_with(L"\u2026"); waited += 10) {
        Sleep(10);
    }
    if (args.size() == 6) {
        RECT client;
        GetClientRect(preview, &client);
        POINT middle{client.right / 2, client.bottom / 2};
        POINT screen = middle;
        ClientToScreen(preview, &screen);
        const int notches = std::stoi(args[3]);
        SendMessageW(preview, WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA),
                     MAKELPARAM(screen.x, screen.y));
        const int dx = std::stoi(args[4]);
        const int dy = std::stoi(args[5]);
        SendMessageW(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(middle.x, middle.y));
        SendMessageW(preview, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(middle.x + dx, middle.y + dy));
        SendMessageW(preview, WM_LBUTTONUP, 0, MAKELPARAM(middle.x + dx, middle.y + dy));
    }
    UpdateWindow(preview);
    print(textOf(preview));
    RECT r;
    GetWindowRect(preview, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    printClearance(dialog, preview);
    return 0;
}

bool drop(HWND dialog, const std::vector<std::string>& paths) {
    std::wstring names;
    for (const std::string& path : paths) {
        names += widenUtf8(path) + L'\0';
    }
    names += L'\0';
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.pt = {20, 20};
    header.fWide = TRUE;
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    block.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));

    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) {
        return false;
    }
    void* remote =
        VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const bool written = remote != nullptr &&
                         WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
    CloseHandle(process);
    DWORD_PTR result = 0;
    return written && SendMessageTimeoutW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0,
                                          SMTO_NORMAL, kWaitMs, &result) != 0;
}

// The paths named after the action; @FILE stands for the lines of FILE.
std::vector<std::string> droppedPaths(const std::vector<std::string>& args) {
    std::vector<std::string> paths;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i].empty() || args[i][0] != '@') {
            paths.push_back(args[i]);
            continue;
        }
        std::ifstream list(std::filesystem::path(widenUtf8(args[i].substr(1))));
        for (std::string line; std::getline(list, line);) {
            paths.push_back(line);
        }
    }
    return paths;
}

// What a control of the dialog template should be.
struct Control {
    int id;
    const wchar_t* className;
    const char* text;  // UTF-8; nullptr where it is not checked
    int x, y, width, height;
    LONG style;  // style bits that must be set
};

const Control kTemplate[] = {
    {1, L"Button", "OK", 245, 10, 35, 14, BS_DEFPUSHBUTTON},
    {2, L"Button", "終了", 245, 30, 35, 14, 0},
    {0xFFFF, L"Static", "コメントの大きいフォントを右のものに置換", 5, 95, 135, 8, SS_RIGHT},
    {1000, L"Edit", nullptr, 145, 90, 65, 15, ES_READONLY | ES_AUTOHSCROLL},
    {1001, L"Edit", nullptr, 215, 90, 20, 15, ES_READONLY | ES_AUTOHSCROLL},
    {1002, L"Button", "設定(&L)...", 240, 90, 40, 15, 0},
    {0xFFFF, L"Static", "コメントの小さいフォントを右のものに置換", 5, 115, 135, 8, SS_RIGHT},
    {1003, L"Edit", nullptr, 145, 110, 65, 15, ES_READONLY | ES_AUTOHSCROLL},
    {1004, L"Edit", nullptr, 215, 110, 20, 15, ES_READONLY | ES_AUTOHSCROLL},
    {1005, L"Button", "設定(&S)...", 240, 110, 40, 15, 0},
    // Its scroll bars show only when needed, and its border becomes an edge (see listStyle).
    {1006, L"ListBox", nullptr, 5, 5, 230, 80, LBS_SORT | LBS_NOSEL | LBS_NOTIFY},
    {3, L"Button", "参照(&R)...", 245, 55, 35, 14, 0},
};

// Dialog units to pixels, as the dialog manager maps them with the dialog's base units.
struct BaseUnits {
    int x, y;
    int toX(int units) const { return MulDiv(units, x, 4); }
    int toY(int units) const { return MulDiv(units, y, 8); }
};

// A list box without LBS_NOINTEGRALHEIGHT shows whole lines only: it may be lower than its room.
bool placedAt(const RECT& r, const Control& c, BaseUnits units) {
    const int height = r.bottom - r.top;
    return r.left == units.toX(c.x) && r.top == units.toY(c.y) &&
           r.right - r.left == units.toX(c.width) &&
           (c.id == 1006 ? height <= units.toY(c.height) && height > units.toY(c.height) / 2
                         : height == units.toY(c.height));
}

int checkTemplate(HWND dialog, const std::string& exe) {
    int failures = 0;
    const auto fail = [&](const std::string& what) {
        std::printf("differs: %s\n", what.c_str());
        ++failures;
    };
    if (textOf(dialog) != L"MORVEX") {
        fail("the caption");
    }
    const auto style = GetWindowLongW(dialog, GWL_STYLE);
    const LONG frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    if ((style & frame) != frame || (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW) == 0) {
        fail("the dialog's style");
    }
    std::vector<RECT> places;
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const Control& c : kTemplate) {
        const std::string name =
            "control " + std::to_string(places.size() + 1) + " (id " + std::to_string(c.id) + ")";
        if (child == nullptr) {
            fail(name + " is missing");
            break;
        }
        if ((GetDlgCtrlID(child) & 0xFFFF) != c.id ||
            _wcsicmp(classOf(child).c_str(), c.className) != 0) {
            fail(name + ": id " + std::to_string(GetDlgCtrlID(child)) + ", class " +
                 narrowToUtf8(classOf(child)));
        }
        if (c.text != nullptr && textOf(child) != widenUtf8(c.text)) {
            fail(name + ": text " + narrowToUtf8(textOf(child)));
        }
        if (const LONG has = GetWindowLongW(child, GWL_STYLE); (has & c.style) != c.style) {
            fail(name + ": style " + std::to_string(has));
        }
        if (c.id == 1006 && (GetWindowLongW(child, GWL_STYLE) & WS_BORDER) == 0 &&
            (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) == 0) {
            fail(name + ": no border");
        }
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        places.push_back(r);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    if (child != nullptr) {
        fail("a control more than the template's: id " + std::to_string(GetDlgCtrlID(child)));
    }
    // Some pair of base units places every control exactly, the dialog's client area too.
    RECT client;
    GetClientRect(dialog, &client);
    bool placed = false;
    for (int x = 1; x <= 64 && !placed && places.size() == std::size(kTemplate); ++x) {
        for (int y = 1; y <= 64 && !placed; ++y) {
            const BaseUnits units{x, y};
            placed = client.right == units.toX(294) && client.bottom == units.toY(135);
            for (std::size_t i = 0; i < places.size() && placed; ++i) {
                placed = placedAt(places[i], kTemplate[i], units);
            }
        }
    }
    if (!placed) {
        fail("the controls' places are not the template's in dialog units; client " +
             std::to_string(client.right) + " x " + std::to_string(client.bottom));
        for (const RECT& r : places) {
            std::printf("  at %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left,
                        r.bottom - r.top);
        }
    }
    // The strings, read from the program's resources.
    const HMODULE module =
        LoadLibraryExW(widenUtf8(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const struct {
        UINT id;
        std::string text;
    } strings[] = {
        {100, "OLE の初期化に失敗しました。 OLE ﾗｲﾌﾞﾗﾘのﾊﾞｰｼﾞｮﾝが正しいことを確認してください。"},
        {101, "MORVEXのバージョン情報(&A)..."},
        {102, kCompletionMessage},
    };
    for (const auto& s : strings) {
        wchar_t buffer[1024] = {};
        LoadStringW(module, s.id, buffer, 1024);
        if (buffer != widenUtf8(s.text)) {
            fail("string " + std::to_string(s.id) + ": " + narrowToUtf8(buffer));
        }
    }
    for (const int id : {128, 129}) {
        if (FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON) == nullptr) {
            fail("icon " + std::to_string(id) + " is missing");
        }
    }
    if (failures == 0) {
        std::puts("the dialog is as its template");
    }
    return failures == 0 ? 0 : 1;
}

// Starts what the file type's default verb names, for the file, through the shell.
int openWithType(const std::string& progId, const std::string& path) {
    HKEY type = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + widenUtf8(progId)).c_str(), 0,
                      KEY_READ, &type) != ERROR_SUCCESS) {
        std::puts("no such file type");
        return 1;
    }
    const std::wstring file = widenUtf8(path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_CLASSKEY;
    info.hkeyClass = type;
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    const bool started = ShellExecuteExW(&info) != FALSE;
    RegCloseKey(type);
    if (!started) {
        std::printf("the shell could not open the file: error %lu\n", GetLastError());
    }
    return started ? 0 : 1;
}

int runAction(const std::vector<std::string>& args) {
    const std::string action = args.size() > 1 ? args[1] : "";
    if (action == "open" && args.size() == 4) {
        return openWithType(args[2], args[3]);
    }
    HWND dialog = waitForDialog(nullptr);
    if (dialog == nullptr) {
        std::puts("no MORVEX dialog");
        return 1;
    }
    if (action == "template" && args.size() == 3) {
        return checkTemplate(dialog, args[2]);
    }
    if (action == "drop") {
        if (!drop(dialog, droppedPaths(args))) {
            std::puts("the drop could not be delivered");
            return 1;
        }
        printList(dialog);
        return 0;
    }
    if (action == "list") {
        printList(dialog);
        return 0;
    }
    if (action == "scrollbars") {
        const LONG style = GetWindowLongW(GetDlgItem(dialog, 1006), GWL_STYLE);
        std::printf("vertical %s, horizontal %s\n", (style & WS_VSCROLL) != 0 ? "shown" : "hidden",
                    (style & WS_HSCROLL) != 0 ? "shown" : "hidden");
        return 0;
    }
    if (action == "fields") {
        printFields(dialog);
        return 0;
    }
    if (action == "title") {
        print(textOf(dialog));
        return 0;
    }
    if (action == "output-folder" || action == "outputs-beside") {
        PostMessageW(dialog, WM_SYSCOMMAND,
                     action == "output-folder" ? kOutputFolderItem : kOutputsBesideItem, 0);
        if (action == "output-folder" && (args.size() != 3 || !chooseInPicker(dialog, args[2]))) {
            return 1;
        }
        if (!waitUntilIdle(dialog)) {
            return 1;
        }
        if (const HWND message = findDialog(dialog, 0xFFFF)) {
            printOutcome(message);
            press(message, IDOK);
            waitUntilGone(message);
        }
        print(textOf(dialog));
        return 0;
    }
    if (action == "browse-folder" && args.size() == 3) {
        // The menu at the button: its second item, as the keyboard chooses it.
        press(dialog, 3);
        HWND menu = nullptr;
        for (DWORD waited = 0; waited < kWaitMs && menu == nullptr; waited += 50) {
            Sleep(50);
            menu = FindWindowW(L"#32768", nullptr);
            menu = menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
        }
        if (menu == nullptr) {
            std::puts("no menu came");
            return 1;
        }
        for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
            PostMessageW(menu, WM_KEYDOWN, key, 0);
        }
        if (!chooseInPicker(dialog, args[2])) {
            return 1;
        }
        printList(dialog);
        return 0;
    }
    if (action == "rect") {
        RECT r;
        GetWindowRect(dialog, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::puts(inside(r, workAreaOf(dialog)) ? "inside the work area" : "outside the work area");
        return 0;
    }
    if (action == "preview" && (args.size() == 3 || args.size() == 6)) {
        return probePreview(dialog, args);
    }
    if (action == "close") {
        DWORD pid = 0;
        GetWindowThreadProcessId(dialog, &pid);
        const HANDLE program = OpenProcess(SYNCHRONIZE, FALSE, pid);
        press(dialog, IDCANCEL);
        const bool ended =
            program != nullptr && WaitForSingleObject(program, kWaitMs) == WAIT_OBJECT_0;
        if (program != nullptr) {
            CloseHandle(program);
        }
        return ended ? 0 : 1;
    }
    if (action == "cancel") {
        press(dialog, IDOK);
        for (DWORD waited = 0; waited < kWaitMs && progressShown(dialog).empty(); waited += 10) {
            Sleep(10);
        }
        const HWND progress = findDialog(dialog, kProgressText);
        if (progress == nullptr) {
            std::puts("no progress came");
            return 1;
        }
        press(progress, IDCANCEL);
        const HWND box = waitForOutcome(dialog);
        if (box == nullptr) {
            std::puts("no message came");
            return 1;
        }
        printOutcome(box);
        press(box, IDOK);
        return waitUntilGone(box) && waitUntilIdle(dialog) ? 0 : 1;
    }
    if (action == "ok") {
        press(dialog, IDOK);
        const HWND box = waitForOutcome(dialog);
        if (box == nullptr) {
            std::puts("no dialog came");
            return 1;
        }
        printOutcome(box);
        bool done = true;
        for (std::size_t i = 2; i < args.size() && done; ++i) {
            if (args[i] == "fit") {
                printFit(box);
            } else if (args[i] == "copy") {
                printCopy(box);
            } else if (args[i] == "filter" && i + 1 < args.size()) {
                printFiltered(box, std::stoi(args[++i]));
            } else if (args[i] == "save" && i + 1 < args.size()) {
                done = saveThroughDialog(box, args[++i]);
            } else if (args[i] == "hold" && i + 1 < args.size()) {
                // For a picture: the place, then the dialog stays until the file named exists.
                const RECT r = screenRectOf(box);
                std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
                std::fflush(stdout);
                const std::filesystem::path flag(widenUtf8(args[++i]));
                for (DWORD waited = 0; waited < kWaitMs && !std::filesystem::exists(flag);
                     waited += 50) {
                    Sleep(50);
                }
            } else {
                std::puts("unknown option");
                done = false;
            }
        }
        // Enter: the default button, OK.
        PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(box, WM_KEYUP, VK_RETURN, 0);
        if (!waitUntilGone(box) || !waitUntilIdle(dialog)) {
            std::puts("the dialog stayed");
            return 1;
        }
        return done ? 0 : 1;
    }
    if (action == "notice" || action == "progress" || action == "about" ||
        (action == "font" && args.size() == 3)) {
        if (action == "progress") {
            press(dialog, IDOK);
        } else if (action == "about") {
            PostMessageW(dialog, WM_SYSCOMMAND, 0x10, 0);
        } else if (action == "font") {
            press(dialog, args[2] == "large" ? 1002 : 1005);
        }
        if (action == "progress") {
            const std::wstring shown = watchProgress(dialog);
            if (shown.empty()) {
                std::puts("no progress came");
                return 1;
            }
            print(shown);
        }
        // A message box's text is the control 0xFFFF; a batch may end in the result dialog.
        HWND box = action == "progress" ? waitForOutcome(dialog)
                                        : waitForDialog(dialog, action == "notice" ? 0xFFFF : 0);
        if (box == nullptr) {
            std::puts("no dialog came");
            return 1;
        }
        if (action == "notice") {
            printOutcome(box);
        } else if (action == "about") {
            print(textOf(box));
            for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
                if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
                    print(textOf(c));
                }
            }
        }
        press(box, IDOK);
        if (!waitUntilGone(box) || !waitUntilIdle(dialog)) {
            std::puts("the dialog stayed");
            return 1;
        }
        if (action == "font") {
            printFields(dialog);
        }
        return 0;
    }
    std::puts("unknown action");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    // Places in pixels of the screen, as the per-monitor aware program sees them, at any dpi.
    SetProcessDPIAware();
    const int status = runAction(programArguments(argc, argv));
    std::fflush(stdout);
    return status;
}
