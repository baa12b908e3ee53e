#include "KelvaneApp.h"

#include <commctrl.h>

#include "KelvaneDlg.h"

CKelvaneApp theApp;

BOOL CKelvaneApp::InitInstance() {
    // The progress bar's window class lives in the common controls library
    // and is registered only on request.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    CKelvaneDlg dlg(nullptr);
    dlg.DoModal();
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    theApp.InitInstance();
    return 0;
}
