// Choosing the UI module: the invocation method, the application-name rule
// and the chooser dialog.
#include <string.h>

#include "QuavPlusApp.h"
#include "launch/LaunchScreenDlg.h"
#include "UIModuleNames.h"

BOOL CQuavPlusApp::SelectUIModule(CString& strModule, CString& strCmdLineModule)
{
    m_nInvocationMethod = 2;
    // The rule replaces the command line's name before the method is looked
    // at, so method 2 always finds a name.
    SetModuleFromAppName(strCmdLineModule);

    switch (m_nInvocationMethod) {
    case 0:
        strModule = kDefaultUIModule;
        return TRUE;
    case 1:
        return RunLaunchScreen(strModule);
    case 2:
        strModule = strCmdLineModule;
        if (strModule.IsEmpty())
            return RunLaunchScreen(strModule);
        return TRUE;
    default:
        AfxMessageBox("Invalid invocation method.", 0, 0);
        return FALSE;
    }
}

void CQuavPlusApp::SetModuleFromAppName(CString& strModule)
{
    CString strExeName = AfxGetApp()->m_pszExeName;
    if (strcmp(strExeName, "QUAV-LX") == 0)
        strModule = kLxUIModule;
    else
        strModule = kDefaultUIModule; // "QUAVPlusKDS" and every other name
}

BOOL CQuavPlusApp::RunLaunchScreen(CString& strModule)
{
    // A fresh dialog for each showing. Cancelling stops the start-up without
    // a message; a dialog that could not be created (-1) gives no name.
    CLaunchScreenDlg dlg(nullptr);
    if (dlg.DoModal() == IDCANCEL)
        return FALSE;
    strModule = dlg.GetSelectedModule();
    return TRUE;
}
