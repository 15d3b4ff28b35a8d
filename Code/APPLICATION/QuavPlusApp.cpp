#include "QuavPlusApp.h"

#include "CrashDumpWriter.h"
#include "InstanceGuard.h"
#include "KXQPCommandLineInfo.h"
#include "UIModuleExports.h"

BEGIN_MESSAGE_MAP(CQuavPlusApp, CWinApp)
END_MESSAGE_MAP()

CQuavPlusApp::CQuavPlusApp()
    : CWinApp(nullptr), m_nInvocationMethod(-1), m_hUIModule(nullptr), m_bUIModuleLoaded(0)
{
    m_strUIModule = "";
}

CQuavPlusApp::~CQuavPlusApp() = default;

BOOL CQuavPlusApp::InitInstance()
{
    // First of all, so that a crash anywhere in start-up leaves a dump.
    InstallCrashDumpWriter();

    CKXQPCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);

    const CInstanceGuard* pGuard = CInstanceGuard::ForThisProcess();
    if (pGuard && pGuard->IsAlreadyRunning()) {
        AfxMessageBox("APPLICATION ALREADY RUNNING", 0, 0);
        return FALSE;
    }

    CString strCmdLineModule = cmdInfo.GetModuleName();
    if (!SelectUIModule(m_strUIModule, strCmdLineModule))
        return FALSE;

    m_hUIModule = ::LoadLibraryA(m_strUIModule);
    if (!m_hUIModule) {
        ReportModuleNotLoaded(m_strUIModule);
        return FALSE;
    }
    m_bUIModuleLoaded = 1;
    GiveUIModuleToCrashDumpWriter(m_hUIModule);

    auto pfnInitInstance = FindUIModuleExport<PFN_DLLINITINSTANCE>(m_hUIModule, "DLLInitInstance");
    if (!pfnInitInstance) {
        ::GetLastError();
        ReportMissingExport("DLLInitInstance");
        return FALSE; // ExitInstance still calls DLLExitInstance and unloads
    }
    m_pMainWnd = pfnInitInstance(m_hDevMode, m_hDevNames, m_nCmdShow);
    return TRUE;
}

BOOL CQuavPlusApp::PreTranslateMessage(MSG* pMsg)
{
    BOOL bResult = CWinApp::PreTranslateMessage(pMsg);
    // A module that is not (or no longer) loaded is not asked at all.
    if (m_bUIModuleLoaded == 0)
        return bResult;
    auto pfnPreTranslate =
        FindUIModuleExport<PFN_DLLPRETRANSLATEMESSAGE>(m_hUIModule, "DLLPreTranslateMessage");
    if (pfnPreTranslate)
        pfnPreTranslate(pMsg);
    else
        ReportMissingExport("DLLPreTranslateMessage");
    return bResult;
}

int CQuavPlusApp::ExitInstance()
{
    if (m_bUIModuleLoaded == 1) {
        auto pfnExitInstance =
            FindUIModuleExport<PFN_DLLEXITINSTANCE>(m_hUIModule, "DLLExitInstance");
        if (pfnExitInstance)
            pfnExitInstance();
        else
            ReportMissingExport("DLLExitInstance");
        if (m_hUIModule) {
            // A crash being handled meanwhile may be asking the module for
            // its folder: it is unloaded once that is over.
            TakeUIModuleFromCrashDumpWriter();
            ::FreeLibrary(m_hUIModule);
            m_bUIModuleLoaded = 0;
            // The main window object belonged to the module's code.
            m_pMainWnd = nullptr;
        }
    }
    return CWinApp::ExitInstance();
}

HMODULE CQuavPlusApp::GetUIModuleHandle() const
{
    return m_bUIModuleLoaded == 1 ? m_hUIModule : nullptr;
}
