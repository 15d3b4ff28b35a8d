// A UI module for the launcher's tests. It is built in several variants, each
// without some of the four exports (OMIT_INIT, OMIT_PRETRANSLATE, OMIT_EXIT,
// OMIT_DUMPPATH), and records every call it receives, with its arguments, in
// the file named by QUAV_TEST_MODULE_LOG. QUAV_TEST_MODULE_MODE chooses what
// DLLInitInstance does:
//   window   a main window that posts itself three pings, one message the
//            framework's pre-translation consumes, then closes (default)
//   chain    the same pings and close, each posted only once the one before
//            it has been dispatched
//   stay     a main window that stays until it is closed from outside
//   null     no main window
//   quit:N   a main window, and a quit message carrying N
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "UIModuleContract.h"

namespace {

const UINT WM_TEST_PING = WM_APP + 1;
const UINT WM_TEST_CLOSE = WM_APP + 2;
const UINT WM_TEST_CONSUMED = WM_APP + 3;

HMODULE g_hModule = nullptr;

void Log(const char* pszFormat, ...) __attribute__((format(gnu_printf, 1, 2)));
void Log(const char* pszFormat, ...)
{
    const char* pszPath = getenv("QUAV_TEST_MODULE_LOG");
    if (!pszPath)
        return;
    FILE* f = fopen(pszPath, "ab");
    if (!f)
        return;
    va_list args;
    va_start(args, pszFormat);
    vfprintf(f, pszFormat, args);
    va_end(args);
    fputc('\n', f);
    fclose(f);
}

bool IsTestMessage(UINT message) { return message >= WM_TEST_PING && message <= WM_TEST_CONSUMED; }

// What the framework's pre-translation saw last, so that the hook can tell
// whether it comes after it for the same message.
MSG g_lastFrameworkPre = {};
int g_nFrameworkPre = 0;
int g_nHookForWindow = 0;
int g_nOrderViolations = 0;
bool g_bChain = false;

} // namespace

// Outside the anonymous namespace: the variants without DLLInitInstance never
// create one, and an unused map must not be a warning.
class TestMainWindow : public CWnd {
public:
    bool Create(const char* pszTitle)
    {
        return CreateEx(0, nullptr, pszTitle, WS_OVERLAPPEDWINDOW, 10, 10, 240, 120, nullptr,
                        nullptr) != FALSE;
    }

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        g_lastFrameworkPre = *pMsg;
        ++g_nFrameworkPre;
        if (IsTestMessage(pMsg->message))
            Log("framework-pre %u %u", pMsg->message - WM_APP, static_cast<unsigned>(pMsg->wParam));
        // The framework's own pre-translation consumes this one.
        return pMsg->message == WM_TEST_CONSUMED;
    }

protected:
    LRESULT OnPing(WPARAM wParam, LPARAM)
    {
        Log("dispatch 1 %u", static_cast<unsigned>(wParam));
        if (g_bChain)
            PostMessage(wParam < 3 ? WM_TEST_PING : WM_TEST_CLOSE, wParam + 1);
        return 0;
    }
    LRESULT OnConsumed(WPARAM wParam, LPARAM)
    {
        Log("dispatch 3 %u", static_cast<unsigned>(wParam));
        return 0;
    }
    LRESULT OnClose(WPARAM, LPARAM)
    {
        Log("dispatch 2 0");
        DestroyWindow();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestMainWindow, CWnd)
ON_MESSAGE(WM_TEST_PING, OnPing)
ON_MESSAGE(WM_TEST_CLOSE, OnClose)
ON_MESSAGE(WM_TEST_CONSUMED, OnConsumed)
END_MESSAGE_MAP()

namespace {
TestMainWindow* g_pMainWindow = nullptr;
} // namespace

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_hModule = hInstance;
        char szPath[MAX_PATH] = {};
        GetModuleFileNameA(hInstance, szPath, MAX_PATH);
        const char* pszName = strrchr(szPath, '\\');
        Log("attach %s", pszName ? pszName + 1 : szPath);
    } else if (dwReason == DLL_PROCESS_DETACH) {
        // A null lpReserved means FreeLibrary, not the end of the process.
        Log("detach %s", lpReserved ? "process-exit" : "unload");
    }
    return TRUE;
}

#ifndef OMIT_INIT
CWnd* __cdecl DLLInitInstance(HGLOBAL hDevMode, HGLOBAL hDevNames, int nCmdShow)
{
    Log("init %llu %llu %d", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hDevMode)),
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hDevNames)), nCmdShow);
    const char* pszMode = getenv("QUAV_TEST_MODULE_MODE");
    if (!pszMode)
        pszMode = "window";
    if (strcmp(pszMode, "null") == 0)
        return nullptr;

    char szTitle[64];
    wsprintfA(szTitle, "QuavTestModule %lu", GetCurrentProcessId());
    g_pMainWindow = new TestMainWindow;
    if (!g_pMainWindow->Create(szTitle)) {
        Log("window-creation-failed");
        return nullptr;
    }
    if (strcmp(pszMode, "window") == 0) {
        for (WPARAM i = 1; i <= 3; ++i)
            g_pMainWindow->PostMessage(WM_TEST_PING, i);
        g_pMainWindow->PostMessage(WM_TEST_CONSUMED, 7);
        g_pMainWindow->PostMessage(WM_TEST_CLOSE);
    } else if (strcmp(pszMode, "chain") == 0) {
        g_bChain = true;
        g_pMainWindow->PostMessage(WM_TEST_PING, 1);
    } else if (strncmp(pszMode, "quit:", 5) == 0) {
        PostQuitMessage(atoi(pszMode + 5));
    }
    return g_pMainWindow;
}
#endif

#ifndef OMIT_PRETRANSLATE
BOOL __cdecl DLLPreTranslateMessage(MSG* pMsg)
{
    if (g_pMainWindow && pMsg->hwnd && pMsg->hwnd == g_pMainWindow->m_hWnd) {
        ++g_nHookForWindow;
        const MSG& last = g_lastFrameworkPre;
        if (last.hwnd != pMsg->hwnd || last.message != pMsg->message ||
            last.wParam != pMsg->wParam || last.lParam != pMsg->lParam || last.time != pMsg->time)
            ++g_nOrderViolations;
    }
    if (IsTestMessage(pMsg->message))
        Log("hook %u %u", pMsg->message - WM_APP, static_cast<unsigned>(pMsg->wParam));
    // Claiming every ping must change nothing: the host ignores the answer.
    return pMsg->message == WM_TEST_PING;
}
#endif

#ifndef OMIT_EXIT
int __cdecl DLLExitInstance()
{
    Log("exit framework-pre=%d hook-for-window=%d order-violations=%d", g_nFrameworkPre,
        g_nHookForWindow, g_nOrderViolations);
    if (g_pMainWindow) {
        if (g_pMainWindow->m_hWnd)
            g_pMainWindow->DestroyWindow();
        delete g_pMainWindow;
        g_pMainWindow = nullptr;
    }
    return 0;
}
#endif

#ifndef OMIT_DUMPPATH
BOOL __cdecl DLLGetDumpPath(char* pszFolder)
{
    Log("dumppath");
    lstrcpyA(pszFolder, ".");
    return TRUE;
}
#endif
