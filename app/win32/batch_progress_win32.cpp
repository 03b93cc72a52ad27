#include "app/win32/batch_progress_win32.h"

#include <commctrl.h>

#include "app/win32/resource_ids.h"
#include "platform/text.h"

namespace {

// The window's user data is the batch's cancel flag.
INT_PTR CALLBACK progressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            return TRUE;
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        case WM_COMMAND:
            // The button, or Esc.
            if (LOWORD(wParam) == IDCANCEL) {
                auto* cancelled =
                    reinterpret_cast<std::atomic<bool>*>(GetWindowLongPtrW(window, DWLP_USER));
                if (cancelled != nullptr) {
                    *cancelled = true;
                }
                EnableWindow(GetDlgItem(window, IDCANCEL), FALSE);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

BatchProgressWindow::BatchProgressWindow(HWND owner, std::size_t total,
                                         std::chrono::milliseconds showAfter)
    : owner_(owner), state_(total, showAfter) {}

BatchProgressWindow::~BatchProgressWindow() {
    if (window_ != nullptr) {
        // The owner first, so that it is the window that becomes active again.
        EnableWindow(owner_, TRUE);
        DestroyWindow(window_);
    }
}

void BatchProgressWindow::update(std::size_t done) {
    show(state_.update(done));
}

void BatchProgressWindow::updateFile(std::size_t done, FileStage stage, uint64_t stageDone,
                                     uint64_t stageTotal) {
    show(state_.updateFile(done, stage, stageDone, stageTotal));
}

void BatchProgressWindow::show(const std::optional<ProgressShown>& shown) {
    const auto now = std::chrono::steady_clock::now();
    if (!shown || (window_ != nullptr && now - shownAt_ < kRefresh)) {
        return;
    }
    shownAt_ = now;
    if (window_ == nullptr) {
        window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS),
                                     owner_, progressProc, reinterpret_cast<LPARAM>(&cancelled_));
        if (window_ == nullptr) {
            return;
        }
        SendDlgItemMessageW(window_, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, shown->maximum);
    }
    SetDlgItemTextW(window_, IDC_PROGRESS_TEXT, widenUtf8(shown->label).c_str());
    SendDlgItemMessageW(window_, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(shown->value),
                        0);
    // Shown once it holds its first text: showing it can let other programs ask for its text.
    if (!IsWindowVisible(window_)) {
        EnableWindow(owner_, FALSE);
        ShowWindow(window_, SW_SHOW);
    }
    handleMessages();
}

void BatchProgressWindow::handleMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // For the message loop that runs once the batch is over.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
