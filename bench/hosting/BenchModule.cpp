// The UI module the hosting benchmarks load, as "QuavPlusUI.dll". What it
// does is chosen by QUAV_BENCH_MODE; it writes its one figure into the file
// named by QUAV_BENCH_OUT.
//   startup   DLLInitInstance records how long after the process was created
//             it was entered (microseconds) and returns no window, so the
//             host ends at once
//   forward   a main window that sends itself QUAV_BENCH_MESSAGES posted
//             messages (a fixed number in flight) and records the time per
//             message (nanoseconds), then closes
//   hook      what the launcher's pre-translation adds to the framework's,
//             timed in process inside the real launcher, where this module
//             is loaded: the application's PreTranslateMessage (which looks
//             up this module's DLLPreTranslateMessage by name and calls it)
//             against the framework's own CWinThread::PreTranslateMessage, on
//             one message to a main window of this module's; no message
//             queue is involved. QUAV_BENCH_BATCHES batches of calls alternate
//             between the two; records the median nanoseconds per call of
//             each ("hook base"), and returns no window
//   crash     DLLInitInstance records the moment (a system time in 100 ns
//             units) and faults; the launcher writes the dump into the
//             current folder
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

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

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Nanoseconds per call of one batch.
template <class Call> double TimeBatch(int nCalls, Call call)
{
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < nCalls; ++i)
        call();
    QueryPerformanceCounter(&end);
    return 1e9 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart) / nCalls;
}

void TimeHook()
{
    const char* pszBatches = getenv("QUAV_BENCH_BATCHES");
    int nBatches = std::max(15, pszBatches ? atoi(pszBatches) : 101);
    const int nCalls = 10000;
    CWnd mainWnd;
    if (!mainWnd.CreateEx(0, nullptr, "hook benchmark", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr))
        return;
    CWinApp* pApp = AfxGetApp();
    pApp->m_pMainWnd = &mainWnd; // as after DLLInitInstance
    MSG msg = {};
    msg.hwnd = mainWnd.m_hWnd;
    msg.message = WM_BENCH_PING;
    volatile BOOL bSink = FALSE; // keeps the calls from being dropped
    auto hook = [&] { bSink = pApp->PreTranslateMessage(&msg); };
    auto base = [&] { bSink = pApp->CWinThread::PreTranslateMessage(&msg); };
    // One unmeasured batch each, so that neither side pays for a cold cache.
    TimeBatch(nCalls, hook);
    TimeBatch(nCalls, base);
    std::vector<double> hookNs, baseNs;
    for (int i = 0; i < nBatches; ++i) {
        hookNs.push_back(TimeBatch(nCalls, hook));
        baseNs.push_back(TimeBatch(nCalls, base));
    }
    pApp->m_pMainWnd = nullptr;
    if (const char* pszPath = getenv("QUAV_BENCH_OUT")) {
        if (FILE* f = fopen(pszPath, "wb")) {
            fprintf(f, "%.3f %.3f\n", Median(hookNs), Median(baseNs));
            fclose(f);
        }
    }
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
    if (pszMode && strcmp(pszMode, "hook") == 0) {
        TimeHook();
        return nullptr;
    }
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
