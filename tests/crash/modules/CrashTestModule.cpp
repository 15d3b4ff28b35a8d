// A UI module that crashes on request, for running the real launcher into
// its crash dump writer. The launcher reads no environment; this module
// does, so that each test can choose what happens:
//
//   QUAV_TEST_CRASH        "main": DLLInitInstance faults on the main thread;
//                          "thread": a thread of the module faults;
//                          "threads": two threads of the module fault at once;
//                          "framework": a framework function faults, called
//                          on the main thread with a bad object pointer;
//                          anything else: no crash, no main window.
//   QUAV_TEST_DUMP_FOLDER  what DLLGetDumpPath writes (nothing when unset).
//   QUAV_TEST_DUMP_PATH_FAULTS  "1": DLLGetDumpPath itself faults.
//   QUAV_TEST_THREAD_LOG   file that receives the id of each crashing
//                          thread, one decimal number a line.
//
// Built twice: with DLLGetDumpPath, and (QUAV_TEST_WITHOUT_DUMP_PATH)
// without it.
#include <stdio.h>
#include <string.h>

#include "UIModuleContract.h"

namespace {

// Not known to the compiler, so the store below is a real access violation.
volatile ULONG_PTR g_nBadAddress = 0x10;

void Fault() { *reinterpret_cast<volatile int*>(g_nBadAddress) = 1; }

// The framework reads the string's data through the bad pointer.
void FaultInFramework()
{
    volatile int nLength = reinterpret_cast<const CString*>(g_nBadAddress)->GetLength();
    (void)nLength;
}

bool EnvironmentIs(const char* pszName, const char* pszValue)
{
    char szValue[64] = {};
    DWORD dwLength = GetEnvironmentVariableA(pszName, szValue, sizeof(szValue));
    return dwLength > 0 && dwLength < sizeof(szValue) && strcmp(szValue, pszValue) == 0;
}

void LogCrashingThread()
{
    char szLog[MAX_PATH] = {};
    DWORD dwLength = GetEnvironmentVariableA("QUAV_TEST_THREAD_LOG", szLog, sizeof(szLog));
    if (dwLength == 0 || dwLength >= sizeof(szLog))
        return;
    HANDLE hFile = CreateFileA(szLog, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    char szLine[32];
    int nLength = snprintf(szLine, sizeof(szLine), "%lu\n", GetCurrentThreadId());
    DWORD dwWritten = 0;
    WriteFile(hFile, szLine, static_cast<DWORD>(nLength), &dwWritten, nullptr);
    CloseHandle(hFile);
}

HANDLE g_hStartCrashing = nullptr;

DWORD WINAPI CrashingThread(LPVOID)
{
    WaitForSingleObject(g_hStartCrashing, INFINITE);
    LogCrashingThread();
    Fault();
    return 0;
}

// Starts nThreads threads that fault together, and waits for the crash to
// end the process.
void CrashOnThreads(int nThreads)
{
    g_hStartCrashing = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE hThreads[2] = {};
    for (int i = 0; i < nThreads; ++i)
        hThreads[i] = CreateThread(nullptr, 0, &CrashingThread, nullptr, 0, nullptr);
    SetEvent(g_hStartCrashing);
    WaitForMultipleObjects(static_cast<DWORD>(nThreads), hThreads, TRUE, 60000);
}

} // namespace

QUAV_UI_MODULE_EXPORT CWnd* __cdecl DLLInitInstance(HGLOBAL, HGLOBAL, int)
{
    if (EnvironmentIs("QUAV_TEST_CRASH", "main")) {
        LogCrashingThread();
        Fault();
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "thread")) {
        CrashOnThreads(1);
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "threads")) {
        CrashOnThreads(2);
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "framework")) {
        LogCrashingThread();
        FaultInFramework();
    }
    return nullptr;
}

QUAV_UI_MODULE_EXPORT BOOL __cdecl DLLPreTranslateMessage(MSG*) { return FALSE; }

QUAV_UI_MODULE_EXPORT int __cdecl DLLExitInstance() { return 0; }

#ifndef QUAV_TEST_WITHOUT_DUMP_PATH
QUAV_UI_MODULE_EXPORT BOOL __cdecl DLLGetDumpPath(char* pszFolder)
{
    if (EnvironmentIs("QUAV_TEST_DUMP_PATH_FAULTS", "1"))
        Fault();
    GetEnvironmentVariableA("QUAV_TEST_DUMP_FOLDER", pszFolder, kDumpPathBufferSize);
    return TRUE;
}
#endif
