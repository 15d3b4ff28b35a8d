// A sample UI module, for authors of UI modules.
//
// The launcher loads a module by file name ("QuavPlusUI.dll" or
// "QUAVLXUI.dll") and reaches it only through the four exports declared in
// UIModuleContract.h. This one shows a main window made with the shared
// framework, counts the messages the launcher lets it see, names a folder
// for crash dumps, and ends the application when its window is closed
// (the launcher's loop ends when the main window is destroyed). Its About
// button shows a dialog made from the module's own resources.
#include <stdio.h>
#include <string.h>

#include "SampleAboutDlg.h"
#include "SampleResources.h"
#include "UIModuleContract.h"

namespace {

HMODULE g_hModule = nullptr;

class CSampleMainWindow : public CWnd {
public:
    CSampleMainWindow(HGLOBAL hDevMode, HGLOBAL hDevNames, int nCmdShow)
        : m_hDevMode(hDevMode), m_hDevNames(hDevNames), m_nCmdShow(nCmdShow)
    {}

    BOOL CreateMainWindow()
    {
        if (!CreateEx(0, nullptr, "Sample UI module", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      CW_USEDEFAULT, CW_USEDEFAULT, 560, 200, nullptr, nullptr))
            return FALSE;
        if (!m_btnAbout.Create("About...", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                               CRect(440, 12, 536, 40), this, IDC_SAMPLE_ABOUT))
            return FALSE;
        ShowWindow(m_nCmdShow);
        UpdateWindow();
        SetTimer(kRefreshTimer, 500, nullptr);
        return TRUE;
    }

    // Called for every message the launcher pre-translates.
    void CountMessage() { ++m_nMessagesSeen; }

protected:
    void OnPaint()
    {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(245, 248, 252));
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(20, 40, 90));
        CString strLine;
        dc.TextOut(16, 16, CString("This window belongs to the sample UI module."));
        strLine.Format("Start-up values: printer set-up %s, %s; show command %d",
                       m_hDevMode ? "set" : "none", m_hDevNames ? "set" : "none", m_nCmdShow);
        dc.TextOut(16, 44, strLine);
        strLine.Format("Messages seen through DLLPreTranslateMessage: %lu", m_nMessagesSeen);
        dc.TextOut(16, 72, strLine);
        dc.TextOut(16, 100, CString("Close the window to end the application."));
    }

    void OnAbout()
    {
        CSampleAboutDlg dlg(this);
        dlg.DoModal();
    }

    void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent == kRefreshTimer)
            Invalidate(FALSE);
        else
            CWnd::OnTimer(nIDEvent);
    }

    DECLARE_MESSAGE_MAP()

private:
    static const UINT_PTR kRefreshTimer = 1;
    CButton m_btnAbout;
    HGLOBAL m_hDevMode;
    HGLOBAL m_hDevNames;
    int m_nCmdShow;
    unsigned long m_nMessagesSeen = 0;
};

BEGIN_MESSAGE_MAP(CSampleMainWindow, CWnd)
ON_WM_PAINT()
ON_WM_TIMER()
ON_BN_CLICKED(IDC_SAMPLE_ABOUT, OnAbout)
END_MESSAGE_MAP()

CSampleMainWindow* g_pMainWindow = nullptr;

} // namespace

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        g_hModule = hInstance;
    return TRUE;
}

CWnd* __cdecl DLLInitInstance(HGLOBAL hDevMode, HGLOBAL hDevNames, int nCmdShow)
{
    g_pMainWindow = new CSampleMainWindow(hDevMode, hDevNames, nCmdShow);
    if (!g_pMainWindow->CreateMainWindow()) {
        delete g_pMainWindow;
        g_pMainWindow = nullptr;
    }
    return g_pMainWindow; // null ends the application at once
}

BOOL __cdecl DLLPreTranslateMessage(MSG*)
{
    if (g_pMainWindow)
        g_pMainWindow->CountMessage();
    return FALSE; // the launcher ignores the answer anyway
}

int __cdecl DLLExitInstance()
{
    // The window is normally gone already (closing it ended the loop); if the
    // application ended another way, it must go before the module does.
    if (g_pMainWindow) {
        if (g_pMainWindow->m_hWnd)
            g_pMainWindow->DestroyWindow();
        delete g_pMainWindow;
        g_pMainWindow = nullptr;
    }
    return 0;
}

BOOL __cdecl DLLGetDumpPath(char* pszFolder)
{
    // "CrashDumps" beside this module; runs on the crashing thread, so it
    // only uses plain Win32 calls and the buffer it was given.
    char szPath[MAX_PATH] = {};
    DWORD dwLength = GetModuleFileNameA(g_hModule, szPath, MAX_PATH);
    if (dwLength == 0 || dwLength >= MAX_PATH)
        return FALSE; // leave the buffer empty
    char* pszSlash = strrchr(szPath, '\\');
    if (pszSlash)
        *pszSlash = '\0';
    if (lstrlenA(szPath) + 12 >= kDumpPathBufferSize)
        return FALSE;
    lstrcatA(szPath, "\\CrashDumps");
    CreateDirectoryA(szPath, nullptr);
    lstrcpyA(pszFolder, szPath);
    return TRUE;
}
