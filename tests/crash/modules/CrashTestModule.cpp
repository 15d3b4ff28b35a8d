// A UI module that crashes on request, for running the real launcher into
// its crash dump writer. The launcher reads no environment; this module
// does, so that each test can choose what happens:
//
//   QUAV_TEST_CRASH        "main": DLLInitInstance faults on the main thread;
//                          "thread": a thread of the module faults;
//                          "threads": two threads of the module fault at once;
//                          "thread-then-end": a thread faults and, once the
//                          launcher asks for the dump folder, the start-up
//                          ends (no main window);
//                          "throw", "thread-throw": a C++ exception nobody
//                          catches, on the main thread or a module thread;
//                          "abort": abort() on the main thread;
//                          "framework": a framework function faults, called
//                          on the main thread with a bad object pointer;
//                          anything else: no crash, no main window.
//   QUAV_TEST_DUMP_FOLDER  what DLLGetDumpPath writes (nothing when unset).
//   QUAV_TEST_DUMP_PATH_FAULTS  "1": DLLGetDumpPath itself faults;
//                          "throw": it throws.
//   QUAV_TEST_STOPPED_CLOCK  seconds the launcher's clock shows, whenever
//                          it reads it.
//   QUAV_TEST_THREAD_LOG   file that receives the id of each crashing
//                          thread, one decimal number a line.
//
// Built twice: with DLLGetDumpPath, and (QUAV_TEST_WITHOUT_DUMP_PATH)
// without it.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <stdexcept>

#include "ImportPatch.h"
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
    // Opened by one writer at a time: processes crashing together share it.
    HANDLE hFile;
    while ((hFile = CreateFileA(szLog, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr)) == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_SHARING_VIOLATION)
            return;
        Sleep(1);
    }
    char szLine[32];
    int nLength = snprintf(szLine, sizeof(szLine), "%lu\n", GetCurrentThreadId());
    DWORD dwWritten = 0;
    WriteFile(hFile, szLine, static_cast<DWORD>(nLength), &dwWritten, nullptr);
    CloseHandle(hFile);
}

// Set by DLLGetDumpPath: a crash is being handled.
HANDLE g_hDumpFolderAsked = CreateEventA(nullptr, TRUE, FALSE, nullptr);

HANDLE g_hStartCrashing = nullptr;
bool g_bThrowOnThread = false;

DWORD WINAPI CrashingThread(LPVOID)
{
    WaitForSingleObject(g_hStartCrashing, INFINITE);
    LogCrashingThread();
    if (g_bThrowOnThread)
        throw std::runtime_error("module thread failed");
    Fault();
    return 0;
}

// Starts nThreads threads that crash together.
void StartCrashingThreads(int nThreads, HANDLE* phThreads)
{
    g_hStartCrashing = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (int i = 0; i < nThreads; ++i)
        phThreads[i] = CreateThread(nullptr, 0, &CrashingThread, nullptr, 0, nullptr);
    SetEvent(g_hStartCrashing);
}

// Starts the threads and waits for the crash to end the process.
void CrashOnThreads(int nThreads)
{
    HANDLE hThreads[2] = {};
    StartCrashingThreads(nThreads, hThreads);
    WaitForMultipleObjects(static_cast<DWORD>(nThreads), hThreads, TRUE, INFINITE);
}

__time64_t g_tStoppedClock = 0;

__time64_t __cdecl StoppedTime64(__time64_t* pTime)
{
    if (pTime)
        *pTime = g_tStoppedClock;
    return g_tStoppedClock;
}

// The launcher's clock, stopped where the test says (left patched for good).
void StopTheLaunchersClock()
{
    char szSeconds[32] = {};
    DWORD dwLength = GetEnvironmentVariableA("QUAV_TEST_STOPPED_CLOCK", szSeconds, 32);
    if (dwLength == 0 || dwLength >= sizeof(szSeconds))
        return;
    g_tStoppedClock = strtoll(szSeconds, nullptr, 10);
    static ImportPatch clock("msvcrt.dll", "_time64", reinterpret_cast<void*>(&StoppedTime64));
}

} // namespace

QUAV_UI_MODULE_EXPORT CWnd* __cdecl DLLInitInstance(HGLOBAL, HGLOBAL, int)
{
    StopTheLaunchersClock();
    if (EnvironmentIs("QUAV_TEST_CRASH", "main")) {
        LogCrashingThread();
        Fault();
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "thread")) {
        CrashOnThreads(1);
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "threads")) {
        CrashOnThreads(2);
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "thread-then-end")) {
        HANDLE hThread = nullptr;
        StartCrashingThreads(1, &hThread);
        // The launcher is handling the crash: now end the application.
        WaitForSingleObject(g_hDumpFolderAsked, INFINITE);
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "throw")) {
        LogCrashingThread();
        throw std::runtime_error("module start-up failed");
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "thread-throw")) {
        g_bThrowOnThread = true;
        CrashOnThreads(1);
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "abort")) {
        LogCrashingThread();
        abort();
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
    SetEvent(g_hDumpFolderAsked);
    if (EnvironmentIs("QUAV_TEST_DUMP_PATH_FAULTS", "1"))
        Fault();
    if (EnvironmentIs("QUAV_TEST_DUMP_PATH_FAULTS", "throw"))
        throw std::runtime_error("no folder for dumps");
    GetEnvironmentVariableA("QUAV_TEST_DUMP_FOLDER", pszFolder, kDumpPathBufferSize);
    return TRUE;
}
#endif
