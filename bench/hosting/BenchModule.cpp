// The UI module the hosting benchmarks load, as "QuavPlusUI.dll". What it
// does is chosen by QUAV_BENCH_MODE; it writes its one figure into the file
// named by QUAV_BENCH_OUT.
//   startup   DLLInitInstance records how long after the process was created
//             it was entered (microseconds) and returns no window, so the
//             host ends at once
//   forward   a main window that sends itself QUAV_BENCH_MESSAGES posted
//             messages (a fixed number in flight) and records the time per
//             message (nanoseconds), then closes
//   crash     DLLInitInstance records the moment (a system time in 100 ns
//             units) and faults; the launcher writes the dump into the
//             current folder
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "UIModuleContract.h"

namespace {

const UINT WM_BENCH_PING = WM_APP + 1;
const int kInFlight = 64;

void WriteResult(double value)
{
    if (const char* pszPath = getenv("QUAV_BENCH_OUT")) {
        if (FILE* f = fopen(pszPath, "wb")) {
            fprintf(f, "%.3f\n", value);
            fclose(f);
        }
    }
}

unsigned long long FileTimeTicks(const FILETIME& ft)
{
    return (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

} // namespace

class CForwardWindow : public CWnd {
public:
    explicit CForwardWindow(long nMessages) : m_nTotal(nMessages) {}

    BOOL Start()
    {
        if (!CreateEx(0, nullptr, "forward benchmark", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr))
            return FALSE;
        QueryPerformanceCounter(&m_start);
        for (int i = 0; i < kInFlight && m_nPosted < m_nTotal; ++i, ++m_nPosted)
            PostMessage(WM_BENCH_PING);
        return TRUE;
    }

protected:
    LRESULT OnPing(WPARAM, LPARAM)
    {
        if (++m_nReceived == m_nTotal) {
            LARGE_INTEGER end, frequency;
            QueryPerformanceCounter(&end);
            QueryPerformanceFrequency(&frequency);
            double ns = 1e9 * static_cast<double>(end.QuadPart - m_start.QuadPart) /
                        static_cast<double>(frequency.QuadPart);
            WriteResult(ns / static_cast<double>(m_nTotal));
            DestroyWindow();
        } else if (m_nPosted < m_nTotal) {
            ++m_nPosted;
            PostMessage(WM_BENCH_PING);
        }
        return 0;
    }
    DECLARE_MESSAGE_MAP()

private:
    long m_nTotal;
    long m_nPosted = 0;
    long m_nReceived = 0;
    LARGE_INTEGER m_start = {};
};

BEGIN_MESSAGE_MAP(CForwardWindow, CWnd)
ON_MESSAGE(WM_BENCH_PING, OnPing)
END_MESSAGE_MAP()

namespace {
CForwardWindow* g_pWindow = nullptr;
void* volatile g_pNowhere = nullptr; // not known to the compiler: the store faults
} // namespace

CWnd* __cdecl DLLInitInstance(HGLOBAL, HGLOBAL, int)
{
    const char* pszMode = getenv("QUAV_BENCH_MODE");
    if (pszMode && strcmp(pszMode, "startup") == 0) {
        FILETIME ftNow, ftCreation, ftExit, ftKernel, ftUser;
        GetSystemTimePreciseAsFileTime(&ftNow);
        GetProcessTimes(GetCurrentProcess(), &ftCreation, &ftExit, &ftKernel, &ftUser);
        WriteResult(static_cast<double>(FileTimeTicks(ftNow) - FileTimeTicks(ftCreation)) / 10.0);
        return nullptr;
    }
    if (pszMode && strcmp(pszMode, "crash") == 0) {
        FILETIME ftNow;
        GetSystemTimePreciseAsFileTime(&ftNow);
        WriteResult(static_cast<double>(FileTimeTicks(ftNow)));
        *static_cast<volatile int*>(g_pNowhere) = 1;
    }
    const char* pszCount = getenv("QUAV_BENCH_MESSAGES");
    g_pWindow = new CForwardWindow(pszCount ? atol(pszCount) : 5000);
    if (!g_pWindow->Start()) {
        delete g_pWindow;
        g_pWindow = nullptr;
    }
    return g_pWindow;
}

BOOL __cdecl DLLPreTranslateMessage(MSG*) { return FALSE; }

int __cdecl DLLExitInstance()
{
    delete g_pWindow; // its window is gone by now
    g_pWindow = nullptr;
    return 0;
}

BOOL __cdecl DLLGetDumpPath(char* pszFolder)
{
    lstrcpyA(pszFolder, ".");
    return TRUE;
}
