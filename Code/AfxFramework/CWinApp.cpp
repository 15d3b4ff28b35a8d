#include "CWinApp.h"

#include <stdlib.h>
#include <string.h>

#include "AfxGlobals.h"
#include "AfxModuleState.h"
#include "CCommandLineInfo.h"
#include "CWnd.h"

CWinApp::CWinApp(LPCSTR lpszAppName)
{
    if (lpszAppName) {
        m_pszOwnedAppName = _strdup(lpszAppName);
        m_pszAppName = m_pszOwnedAppName;
    }
    AfxSetCurrentApp(this);
}

CWinApp::~CWinApp()
{
    if (AfxGetApp() == this)
        AfxSetCurrentApp(nullptr);
    free(m_pszOwnedAppName);
    free(m_pszOwnedExeName);
}

void CWinApp::SetStartupValues(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow)
{
    m_hInstance = hInstance;
    m_lpCmdLine = lpCmdLine;
    m_nCmdShow = nCmdShow;

    CString strName = AfxGetModuleBaseName(hInstance);
    free(m_pszOwnedExeName);
    m_pszOwnedExeName = _strdup(strName);
    m_pszExeName = m_pszOwnedExeName;
    if (!m_pszAppName)
        m_pszAppName = m_pszExeName;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    AfxParseCommandLine(rCmdInfo, ::GetCommandLineA());
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run()
{
    if (!m_pMainWnd || !::IsWindow(m_pMainWnd->m_hWnd))
        AfxPostQuitMessage(0);
    return CWinThread::Run();
}

BOOL CWinApp::OnIdle(LONG lCount) { return CWinThread::OnIdle(lCount); }

int CWinApp::ExitInstance() { return CWinThread::ExitInstance(); }

int CWinApp::DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT)
{
    return AfxShowMessageBox(lpszPrompt, nType);
}

int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->SetStartupValues(hInstance, lpCmdLine, nCmdShow);
    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd && pApp->m_pMainWnd->m_hWnd)
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}
