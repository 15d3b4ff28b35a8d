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
//                          "stack-overflow", "thread-stack-overflow": endless
//                          recursion on the main thread or a module thread;
//                          "thread-continued": a module thread's exception
//                          is handed to the launcher's filter by the
//                          module's own handler, which then resumes, and the
//                          start-up ends normally;
//                          "exit-fault", "exit-throw": DLLExitInstance
//                          faults or throws (the start-up ends at once);
//                          anything else: no crash, no main window.
//   QUAV_TEST_DUMP_FOLDER  what DLLGetDumpPath writes (nothing when unset).
//   QUAV_TEST_DUMP_PATH_FAULTS  "1": DLLGetDumpPath itself faults;
//                          "throw": it throws; "hang": it never returns.
//   QUAV_TEST_STOPPED_CLOCK  seconds the launcher's clock shows, whenever
//                          it reads it.
//   QUAV_TEST_RENAME_REFUSED  "1": the launcher's every rename fails as in
//                          a folder without the right to delete.
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

volatile bool g_bStackIsDeepEnough = false; // never: the recursion overflows

// Recursion that keeps every frame alive, 256 bytes and more each.
__attribute__((noinline)) void Overflow(volatile char* pCallersFrame)
{
    volatile char szFrame[256];
    szFrame[0] = static_cast<char>(pCallersFrame ? pCallersFrame[0] + 1 : 0);
    if (!g_bStackIsDeepEnough)
        Overflow(szFrame);
    szFrame[1] = szFrame[0];
}

__attribute__((noinline)) void Throw() { throw std::runtime_error("module thread failed"); }

// An exception the module raises, hands to the launcher's filter in a
// handler of its own, and resumes after.
const DWORD kContinuedException = 0xE0000CE5;

LONG WINAPI ReportAndResume(EXCEPTION_POINTERS* pExceptionPointers)
{
    if (pExceptionPointers->ExceptionRecord->ExceptionCode != kContinuedException)
        return EXCEPTION_CONTINUE_SEARCH;
    LPTOP_LEVEL_EXCEPTION_FILTER pfnFilter = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(pfnFilter);
    pfnFilter(pExceptionPointers);
    return EXCEPTION_CONTINUE_EXECUTION;
}

__attribute__((noinline)) void RaiseAndResume()
{
    PVOID pHandler = AddVectoredExceptionHandler(1, &ReportAndResume);
    RaiseException(kContinuedException, 0, 0, nullptr);
    RemoveVectoredExceptionHandler(pHandler);
}

enum class ThreadCrash { kFault, kThrow, kOverflow, kRaiseAndResume };

HANDLE g_hStartCrashing = nullptr;
ThreadCrash g_threadCrash = ThreadCrash::kFault;

DWORD WINAPI CrashingThread(LPVOID)
{
    WaitForSingleObject(g_hStartCrashing, INFINITE);
    LogCrashingThread();
    switch (g_threadCrash) {
    case ThreadCrash::kFault:
        Fault();
        break;
    case ThreadCrash::kThrow:
        Throw();
        break;
    case ThreadCrash::kOverflow:
        Overflow(nullptr);
        break;
    case ThreadCrash::kRaiseAndResume:
        RaiseAndResume();
        break;
    }
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

// Starts the threads and waits for the crash to end the process (or for
// the threads, when they resume).
void CrashOnThreads(int nThreads, ThreadCrash crash = ThreadCrash::kFault)
{
    g_threadCrash = crash;
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

BOOL WINAPI RefusedMoveFileExA(LPCSTR, LPCSTR, DWORD)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// The launcher's renames refused (left patched for good).
void RefuseTheLaunchersRenames()
{
    if (EnvironmentIs("QUAV_TEST_RENAME_REFUSED", "1"))
        static ImportPatch rename("kernel32.dll", "MoveFileExA",
                                  reinterpret_cast<void*>(&RefusedMoveFileExA));
}

} // namespace

QUAV_UI_MODULE_EXPORT CWnd* __cdecl DLLInitInstance(HGLOBAL, HGLOBAL, int)
{
    StopTheLaunchersClock();
    RefuseTheLaunchersRenames();
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
        CrashOnThreads(1, ThreadCrash::kThrow);
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "stack-overflow")) {
        LogCrashingThread();
        Overflow(nullptr);
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "thread-stack-overflow")) {
        CrashOnThreads(1, ThreadCrash::kOverflow);
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "thread-continued")) {
        CrashOnThreads(1, ThreadCrash::kRaiseAndResume);
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

QUAV_UI_MODULE_EXPORT int __cdecl DLLExitInstance()
{
    if (EnvironmentIs("QUAV_TEST_CRASH", "exit-fault")) {
        LogCrashingThread();
        Fault();
    } else if (EnvironmentIs("QUAV_TEST_CRASH", "exit-throw")) {
        LogCrashingThread();
        throw std::runtime_error("module shut-down failed");
    }
    return 0;
}

#ifndef QUAV_TEST_WITHOUT_DUMP_PATH
QUAV_UI_MODULE_EXPORT BOOL __cdecl DLLGetDumpPath(char* pszFolder)
{
    SetEvent(g_hDumpFolderAsked);
    if (EnvironmentIs("QUAV_TEST_DUMP_PATH_FAULTS", "1"))
        Fault();
    if (EnvironmentIs("QUAV_TEST_DUMP_PATH_FAULTS", "throw"))
        throw std::runtime_error("no folder for dumps");
    if (EnvironmentIs("QUAV_TEST_DUMP_PATH_FAULTS", "hang"))
        Sleep(INFINITE);
    GetEnvironmentVariableA("QUAV_TEST_DUMP_FOLDER", pszFolder, kDumpPathBufferSize);
    return TRUE;
}
#endif
