#include "app/VeltoPrinterDriverSetupApp.h"

#include "app/VeltoPrinterDriverSetupDlg.h"

#include <commctrl.h>

#include <memory>

CVeltoPrinterDriverSetupApp::CVeltoPrinterDriverSetupApp() { SetRestartSupport(kRestartSupportRestart); }

bool CVeltoPrinterDriverSetupApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    BaseInitInstance();

    auto mainWindow = std::make_unique<CVeltoPrinterDriverSetupDlg>();
    mainWindow->DoModal();  // how it ended does not matter: the program ends either way
    mainWindow.reset();
    return false;
}
