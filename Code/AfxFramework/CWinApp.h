// CWinApp: the process's one application object.
//
// Construct exactly one, as a static object of the executable. The framework's
// WinMain (AfxWinMain) fills in the start-up values, calls InitInstance, and
// on TRUE runs the message loop; ExitInstance's result is the exit code.
#pragma once

#include "AfxApi.h"
#include "CWinThread.h"

class CCommandLineInfo;

class AFX_API CWinApp : public CWinThread {
public:
    // lpszAppName null: the application name is the executable's name.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;     // the arguments after the program name
    int m_nCmdShow = SW_SHOWDEFAULT; // the show command the process was started with
    LPCSTR m_pszAppName = nullptr;   // the application's name
    LPCSTR m_pszExeName = nullptr;   // the executable's file name, no folder or extension
    HGLOBAL m_hDevMode = nullptr;    // printer set-up; this framework sets up no printer
    HGLOBAL m_hDevNames = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;

    // Splits the process's command line as the C run-time does and calls
    // rCmdInfo.ParseParam once per argument after the program name.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);

    BOOL InitInstance() override;
    // Ends at once (posts WM_QUIT) when there is no main window.
    int Run() override;
    BOOL OnIdle(LONG lCount) override;
    int ExitInstance() override;

    // Shows AfxMessageBox's box; override to show failures another way.
    virtual int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt);

    // Fills in the start-up values (called by AfxWinMain).
    void SetStartupValues(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow);

private:
    char* m_pszOwnedAppName = nullptr;
    char* m_pszOwnedExeName = nullptr;
};

AFX_API int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine,
                              int nCmdShow);
