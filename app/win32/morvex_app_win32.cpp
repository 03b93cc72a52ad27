#include "app/win32/morvex_app_win32.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "app/win32/morvex_dlg_win32.h"
#include "app/win32/resource_ids.h"
#include "app/win32/resource_text.h"

CMorvexApp::CMorvexApp() : startup_(settingsInUse(findSettingsPath())), settings_(startup_.path) {}

int CMorvexApp::run(const std::vector<std::string>& paths) {
    if (FAILED(OleInitialize(nullptr))) {
        MessageBoxW(nullptr, loadResourceString(IDS_OLE_INIT_FAILED).c_str(), L"MORVEX", MB_OK);
        return 1;
    }
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    {
        CMorvexDlg dialog(settings_, startup_.notice, paths);
        dialog.run();
    }
    OleUninitialize();
    return 0;
}
