#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/preview_view.h"
#include "app/win32/preview_placement.h"
#include "render/primitives.h"

// A window of its own beside the main dialog that shows one .ce2 drawing, first fitted into it.
// It opens beside the dialog where the work area has room, and never over the controls it is
// told to keep clear (placePreview).
// The wheel and Ctrl with plus or minus zoom about the pointer, dragging pans, a double click or
// Ctrl+0 fits it again, and its context menu saves the drawing as SVG. The title names the file
// and the zoom (100 % is fitted), or ends in "…" while the file is read, which happens on a thread
// of its own so that a large drawing does not hold up the dialog. Closing it only hides it.
class PreviewWindow {
  public:
    // The window class's name, for tests that look for the window.
    static constexpr wchar_t kClassName[] = L"MorvexPreview";

    // `kept` are the ids of the owner's controls that the window opens clear of.
    PreviewWindow(HWND owner, std::vector<int> kept);
    PreviewWindow(const PreviewWindow&) = delete;
    PreviewWindow& operator=(const PreviewWindow&) = delete;
    ~PreviewWindow();

    // Starts reading the file and shows it once read, opening the window beside its owner when it
    // is not shown.
    void showFile(const std::string& path, const ConversionOptions& options);
    void hide();

  private:
    // What the thread reading a file leaves for the window.
    struct Reading {
        std::mutex mutex;
        bool done = false;
        std::shared_ptr<const Drawing> drawing;
        std::wstring message;
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void create();
    ScreenBox keptBox() const;
    void paint();
    void viewChanged();
    void zoomAbout(POINT client, double factor);
    POINT zoomCentre() const;
    void contextMenu(POINT screen);
    void saveSvg();
    void takeReading();

    HWND owner_;
    std::vector<int> kept_;
    HWND hwnd_ = nullptr;
    std::string path_;
    std::shared_ptr<const Drawing> drawing_;
    std::wstring message_;
    std::shared_ptr<Reading> reading_;  // the file being read; null once shown
    PreviewView view_;
    std::optional<POINT> dragFrom_;
};
