// The framework's own message loop, without a module hook: an application
// that hosts the UI module like the launcher does, but whose PreTranslateMessage
// is the framework's. The forwarding benchmark compares the launcher with it.
#include "UIModuleContract.h"

class CLoopHostApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        m_hModule = LoadLibraryA("QuavPlusUI.dll");
        auto pfnInit = m_hModule ? reinterpret_cast<PFN_DLLINITINSTANCE>(reinterpret_cast<void*>(
                                       GetProcAddress(m_hModule, "DLLInitInstance")))
                                 : nullptr;
        if (!pfnInit)
            return FALSE;
        m_pMainWnd = pfnInit(m_hDevMode, m_hDevNames, m_nCmdShow);
        return TRUE;
    }
    int ExitInstance() override
    {
        if (m_hModule) {
            auto pfnExit = reinterpret_cast<PFN_DLLEXITINSTANCE>(
                reinterpret_cast<void*>(GetProcAddress(m_hModule, "DLLExitInstance")));
            if (pfnExit)
                pfnExit();
            FreeLibrary(m_hModule);
        }
        return CWinApp::ExitInstance();
    }

private:
    HMODULE m_hModule = nullptr;
};

CLoopHostApp theApp;
