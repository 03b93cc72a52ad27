#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/dialog_model.h"
#include "app/core/profile_file.h"
#include "app/win32/preview_window_win32.h"

// The main dialog on the Win32 API, a view of its DialogModel: dialog template 102 with the list
// of .ce2 files, the two replacement fonts for comments and the buttons that convert, browse,
// change a font and end the program; in the system menu the about item and the output folder's.
// The title tells how many files are listed and where their outputs go. Clicking a file in the
// list (which selects nothing) shows its drawing in a preview window beside the dialog. A batch
// that needs a look ends in the result dialog (showBatchResult), else in a plain message.
class CMorvexDlg {
  public:
    // The dialog starts with the .ce2 files among paths, and those below its folders, listed;
    // notice, when not empty, is shown in a warning box once the dialog is up.
    CMorvexDlg(ProfileFile& settings, std::string notice, const std::vector<std::string>& paths);
    CMorvexDlg(const CMorvexDlg&) = delete;
    CMorvexDlg& operator=(const CMorvexDlg&) = delete;

    // Runs the dialog modally until the user closes it.
    void run();

  private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool command(WORD id);

    void initialise();
    void centreOnScreen();
    void showFiles();
    void updateHorizontalExtent();
    void showFontRow(FontRow row);
    void drop(HDROP dropped);
    void browse();
    void browseFiles();
    void browseFolder();
    void chooseOutputFolder();
    void setOutputFolder(const std::string& folder);
    void showOutputFolder();
    void chooseFont(FontRow row);
    // Tells what became of a choice the settings keep, when there is anything to tell.
    void showConfirmation(const SettingsConfirmation& confirmed);
    void convert();
    void message(const std::wstring& text, UINT icon);
    bool paintIcon();
    // Shows the file at the list's caret when it is not the one shown.
    void followCaret();
    void updatePreview();
    static LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);

    HWND hwnd_ = nullptr;
    DialogModel model_;
    std::string notice_;
    HICON largeIcon_;
    HICON smallIcon_;
    std::unique_ptr<PreviewWindow> preview_;
    int previewed_ = -1;  // the list entry the preview shows, -1 for none
};
