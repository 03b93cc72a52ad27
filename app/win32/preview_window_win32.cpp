#include "app/win32/preview_window_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <thread>
#include <utility>

#include "app/core/conversion_inputs.h"
#include "app/core/preview_source.h"
#include "app/win32/common_dialogs_win32.h"
#include "app/win32/drawing_painter_win32.h"
#include "app/win32/resource_ids.h"
#include "model/document.h"
#include "platform/atomic_file.h"
#include "platform/text.h"
#include "render/draw_document.h"
#include "render/svg_writer.h"

namespace {

// The menu items of the context menu.
constexpr UINT kSaveSvg = 1;
constexpr UINT kFit = 2;

// The window's height when it first opens, in the owner's dialog units.
constexpr int kInitialHeight = 220;

// Posted by the thread that read a file.
constexpr UINT kFileRead = WM_APP + 1;

ScreenBox boxOf(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

std::wstring fileNameOf(const std::string& path) {
    const std::wstring wide = widenUtf8(path);
    const std::size_t slash = wide.find_last_of(L"\\/");
    return slash == std::wstring::npos ? wide : wide.substr(slash + 1);
}

}  // namespace

PreviewWindow::PreviewWindow(HWND owner, std::vector<int> kept)
    : owner_(owner), kept_(std::move(kept)) {}

PreviewWindow::~PreviewWindow() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
}

void PreviewWindow::create() {
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass);
    }();
    if (registered == 0) {
        return;
    }
    // As wide as the dialog, beside it or below it, never over the controls it keeps in sight.
    RECT dialog{};
    GetWindowRect(owner_, &dialog);
    RECT units{0, 0, 0, kInitialHeight};
    MapDialogRect(owner_, &units);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &monitor)) {
        monitor.rcWork = dialog;
    }
    const ScreenBox place = placePreview(boxOf(monitor.rcWork), boxOf(dialog), keptBox(),
                                         dialog.right - dialog.left, units.bottom);
    CreateWindowExW(0, kClassName, L"MORVEX", WS_OVERLAPPEDWINDOW, place.left, place.top,
                    place.width(), place.height(), owner_, nullptr, GetModuleHandleW(nullptr),
                    this);
}

// The screen rectangle that holds the owner's kept controls; the owner's whole window when it has
// none of them.
ScreenBox PreviewWindow::keptBox() const {
    RECT all{};
    for (const int id : kept_) {
        RECT control{};
        if (const HWND window = GetDlgItem(owner_, id);
            window != nullptr && GetWindowRect(window, &control)) {
            UnionRect(&all, &all, &control);
        }
    }
    if (IsRectEmpty(&all)) {
        GetWindowRect(owner_, &all);
    }
    return boxOf(all);
}

void PreviewWindow::showFile(const std::string& path, const ConversionOptions& options) {
    if (hwnd_ == nullptr) {
        create();
        if (hwnd_ == nullptr) {
            return;
        }
    }
    path_ = path;
    drawing_ = nullptr;
    message_.clear();
    reading_ = std::make_shared<Reading>();
    // The thread keeps its own share of what it fills; a file chosen meanwhile makes its result
    // stale, and it is dropped.
    std::thread([reading = reading_, path, options, window = hwnd_] {
        std::shared_ptr<const Drawing> drawing;
        std::string problem;
        try {
            SchDocument doc;
            problem = readPreviewSource(path, options, doc);
            if (problem.empty()) {
                drawing = std::make_shared<const Drawing>(drawDocument(doc));
            }
        } catch (const std::bad_alloc&) {
            drawing = nullptr;
            problem = translated("not enough memory");
        }
        {
            const std::lock_guard lock(reading->mutex);
            reading->drawing = std::move(drawing);
            reading->message = widenUtf8(problem);
            reading->done = true;
        }
        PostMessageW(window, kFileRead, 0, 0);
    }).detach();
    viewChanged();
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void PreviewWindow::takeReading() {
    if (reading_ == nullptr) {
        return;
    }
    {
        const std::lock_guard lock(reading_->mutex);
        if (!reading_->done) {
            return;  // an earlier file's thread is done; this file's will tell when it is
        }
        drawing_ = std::move(reading_->drawing);
        message_ = std::move(reading_->message);
    }
    reading_ = nullptr;
    RECT client{};
    GetClientRect(hwnd_, &client);
    if (drawing_ != nullptr) {
        view_.fit(previewContent(*drawing_), previewPage(*drawing_), client.right, client.bottom);
    }
    viewChanged();
}

void PreviewWindow::hide() {
    if (hwnd_ != nullptr) {
        ShowWindow(hwnd_, SW_HIDE);
    }
}

LRESULT CALLBACK PreviewWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<PreviewWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = window;
    }
    auto* self = reinterpret_cast<PreviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT PreviewWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kFileRead:
            takeReading();
            return 0;
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painted whole, off screen
        case WM_SIZE:
            view_.resize(LOWORD(lParam), HIWORD(lParam));
            viewChanged();
            return 0;
        case WM_MOUSEWHEEL: {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(hwnd_, &at);
            zoomAbout(at, PreviewView::wheelFactor(GET_WHEEL_DELTA_WPARAM(wParam)));
            return 0;
        }
        case WM_KEYDOWN:
            if (GetKeyState(VK_CONTROL) < 0) {
                switch (wParam) {
                    case VK_OEM_PLUS:
                    case VK_ADD:
                        zoomAbout(zoomCentre(), PreviewView::kZoomStep);
                        return 0;
                    case VK_OEM_MINUS:
                    case VK_SUBTRACT:
                        zoomAbout(zoomCentre(), 1 / PreviewView::kZoomStep);
                        return 0;
                    case '0':
                    case VK_NUMPAD0:
                        view_.refit();
                        viewChanged();
                        return 0;
                    default:
                        break;
                }
            }
            break;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd_);
            if (drawing_ != nullptr) {
                dragFrom_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                SetCapture(hwnd_);
                SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
            }
            return 0;
        case WM_MOUSEMOVE:
            if (dragFrom_) {
                const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                view_.pan(at.x - dragFrom_->x, at.y - dragFrom_->y);
                dragFrom_ = at;
                viewChanged();
            }
            return 0;
        case WM_LBUTTONUP:
            if (dragFrom_) {
                ReleaseCapture();
            }
            return 0;
        case WM_CAPTURECHANGED:
            dragFrom_.reset();
            return 0;
        case WM_LBUTTONDBLCLK:
            view_.refit();
            viewChanged();
            return 0;
        case WM_CONTEXTMENU:
            contextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_CLOSE:
            hide();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void PreviewWindow::viewChanged() {
    std::wstring title = L"MORVEX - ";
    title += fileNameOf(path_);
    if (reading_ != nullptr) {
        title += L" \u2026";
    } else if (drawing_ != nullptr) {
        PreviewView fitted = view_;
        fitted.refit();
        title += L" (";
        title += std::to_wstring(std::lround(view_.scale() / fitted.scale() * 100));
        title += L" %)";
    }
    SetWindowTextW(hwnd_, title.c_str());
    InvalidateRect(hwnd_, nullptr, FALSE);
}

POINT PreviewWindow::zoomCentre() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    POINT pointer{};
    GetCursorPos(&pointer);
    ScreenToClient(hwnd_, &pointer);
    if (PtInRect(&client, pointer)) {
        return pointer;
    }
    return POINT{client.right / 2, client.bottom / 2};
}

void PreviewWindow::zoomAbout(POINT client, double factor) {
    if (drawing_ == nullptr) {
        return;
    }
    view_.zoomAbout({static_cast<double>(client.x), static_cast<double>(client.y)}, factor);
    viewChanged();
}

void PreviewWindow::paint() {
    PAINTSTRUCT paintStruct;
    const HDC screen = BeginPaint(hwnd_, &paintStruct);
    RECT client{};
    GetClientRect(hwnd_, &client);
    // Painted off screen first, so that a drag does not flicker.
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap =
        CreateCompatibleBitmap(screen, std::max(1L, client.right), std::max(1L, client.bottom));
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    if (drawing_ != nullptr) {
        paintDrawing(dc, *drawing_, client, view_);
    } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        RECT text = client;
        InflateRect(&text, -8, -8);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(dc, message_.c_str(), static_cast<int>(message_.size()), &text,
                  DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    }
    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(hwnd_, &paintStruct);
}

void PreviewWindow::contextMenu(POINT screen) {
    if (screen.x == -1 && screen.y == -1) {  // from the keyboard
        screen = POINT{0, 0};
        ClientToScreen(hwnd_, &screen);
    }
    const HMENU menu = CreatePopupMenu();
    const UINT state = drawing_ != nullptr ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu, MF_STRING | state, kSaveSvg,
                widenUtf8(translated("Save as &SVG...")).c_str());
    AppendMenuW(menu, MF_STRING | state, kFit,
                (widenUtf8(translated("&Fit to Window")) + L"\tCtrl+0").c_str());
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                         screen.x, screen.y, 0, hwnd_, nullptr));
    DestroyMenu(menu);
    if (chosen == kSaveSvg) {
        saveSvg();
    } else if (chosen == kFit) {
        view_.refit();
        viewChanged();
    }
}

void PreviewWindow::saveSvg() {
    if (drawing_ == nullptr) {
        return;
    }
    // Beside the drawing, named as the converter names its SVG files.
    std::string suggested = makeCe3Path(path_);
    suggested.resize(suggested.size() - 4);  // less ".ce3"
    suggested += ".svg";
    const std::optional<std::string> chosen = chooseSvgFile(hwnd_, suggested);
    if (!chosen) {
        return;
    }
    WriteFailure failure;
    if (!writeFileAtomically(*chosen, svgDocument(*drawing_), &failure)) {
        const std::string cause = describeWriteFailure(failure);
        const std::string text =
            cause.empty()
                ? formatted(translated("%s cannot be written"), chosen->c_str())
                : formatted(translated("%s cannot be written: %s"), chosen->c_str(), cause.c_str());
        MessageBoxW(hwnd_, widenUtf8(text).c_str(), L"MORVEX", MB_OK | MB_ICONWARNING);
    }
}
