#include "CrashDumpThread.h"

#include <dbghelp.h>

#include <afxwin.h>

#include "CrashDumpGate.h"
#include "CrashDumpPath.h"

namespace {

typedef BOOL(WINAPI* PFN_MINIDUMPWRITEDUMP)(HANDLE hProcess, DWORD dwProcessId, HANDLE hFile,
                                            MINIDUMP_TYPE dumpType,
                                            PMINIDUMP_EXCEPTION_INFORMATION pExceptionParam,
                                            PMINIDUMP_USER_STREAM_INFORMATION pUserStreamParam,
                                            PMINIDUMP_CALLBACK_INFORMATION pCallbackParam);

// Enough names for every crash of one second in one folder; past them the
// dump keeps its partial name rather than replace another.
const int kNameAttempts = 100;
// A name refused for another reason than being taken (a virus scanner
// holding the file just closed) is tried again for a while.
const int kTriesPerName = 20;
const DWORD kRetryMs = 100;

// Set up once and kept for the life of the process: a crash may come at
// any point of it, static destruction included.
HANDLE g_hRequest = nullptr; // the crashing thread asks
HANDLE g_hAnswer = nullptr;  // this thread has done what was asked
DWORD g_dwThreadId = 0;

// What the crashing thread asks for; it waits while this thread reads it.
struct CrashDumpJob {
    bool bCanWrite;
    const char* pszPath;
    DWORD dwThreadId;
    EXCEPTION_POINTERS* pExceptionPointers;
} g_job;

bool IsNameTaken(DWORD dwError)
{
    return dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_FILE_EXISTS;
}

// Gives the whole dump the first free name; nothing is replaced. Where the
// folder lets no file be renamed (no right to delete), a copy under the
// name still leaves a whole dump where people look for it.
void NameDumpFile(const char* pszPartial, const char* pszPath, DWORD dwProcessId)
{
    int nTries = 0;
    for (int nAttempt = 0; nAttempt < kNameAttempts;) {
        DumpPathBuffer szName;
        if (!CrashDumpPathCandidate(pszPath, dwProcessId, nAttempt, szName))
            return;
        if (::MoveFileExA(pszPartial, szName, 0))
            return;
        DWORD dwError = ::GetLastError();
        if (!IsNameTaken(dwError)) {
            if (::CopyFileA(pszPartial, szName, TRUE)) {
                ::DeleteFileA(pszPartial);
                return;
            }
            dwError = ::GetLastError();
        }
        if (IsNameTaken(dwError)) {
            ++nAttempt;
            nTries = 0;
        } else if (++nTries == kTriesPerName) {
            return;
        } else {
            ::Sleep(kRetryMs);
        }
    }
}

// Writes the dump into a file that nobody shares, under a name of this
// process's own, and only then gives it its final name: no dump already in
// the folder is replaced, and a writer that never finishes leaves no file
// under a final name.
void WriteDumpFile(PFN_MINIDUMPWRITEDUMP pfnWriteDump)
{
    DWORD dwProcessId = ::GetCurrentProcessId();
    DumpPathBuffer szPartial;
    if (!PartialCrashDumpPath(g_job.pszPath, dwProcessId, szPartial))
        return;
    {
        CScopedHandle file(::CreateFileA(szPartial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid())
            return;
        MINIDUMP_EXCEPTION_INFORMATION exceptionInfo;
        exceptionInfo.ThreadId = g_job.dwThreadId;
        exceptionInfo.ExceptionPointers = g_job.pExceptionPointers;
        exceptionInfo.ClientPointers = FALSE;
        // A failed dump stays under its partial name with what was written.
        if (!pfnWriteDump(::GetCurrentProcess(), dwProcessId, file.Get(), MiniDumpNormal,
                          &exceptionInfo, nullptr, nullptr))
            return;
    }
    NameDumpFile(szPartial, g_job.pszPath, dwProcessId);
}

// One crash: the library is loaded for it and freed before the crashing
// thread hears that the dump is done.
void ServeCrash()
{
    CScopedLibrary dbgHelp(::LoadLibraryA("DBGHELP.DLL"));
    auto pfnWriteDump =
        dbgHelp.Get() ? AfxGetProcAddress<PFN_MINIDUMPWRITEDUMP>(dbgHelp.Get(), "MiniDumpWriteDump")
                      : nullptr;
    g_job.bCanWrite = pfnWriteDump != nullptr;
    ::SetEvent(g_hAnswer);
    // The crashing thread now asks the module for the folder, or the person.
    WaitForCrashWork(g_hRequest);
    if (pfnWriteDump && g_job.pszPath)
        WriteDumpFile(pfnWriteDump);
}

DWORD WINAPI CrashDumpThreadMain(LPVOID)
{
    for (;;) {
        ::WaitForSingleObject(g_hRequest, INFINITE);
        ServeCrash();
        ::SetEvent(g_hAnswer);
    }
}

} // namespace

void StartCrashDumpThread()
{
    g_hRequest = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    g_hAnswer = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!g_hRequest || !g_hAnswer)
        return;
    // Only its id is kept: the thread runs until the process ends. Its stack
    // is the executable's default: under Wine, loading the library and
    // writing a dump take close to 1 MB of it.
    CScopedHandle thread(
        ::CreateThread(nullptr, 0, &CrashDumpThreadMain, nullptr, 0, &g_dwThreadId));
    if (!thread.IsValid())
        g_dwThreadId = 0;
}

bool IsCrashDumpThread() { return g_dwThreadId != 0 && g_dwThreadId == ::GetCurrentThreadId(); }

bool PrepareCrashDump()
{
    if (g_dwThreadId == 0)
        return false;
    g_job.bCanWrite = false;
    ::SetEvent(g_hRequest);
    WaitForCrashWork(g_hAnswer);
    return g_job.bCanWrite;
}

void FinishCrashDump(const char* pszPath, DWORD dwThreadId, EXCEPTION_POINTERS* pExceptionPointers)
{
    if (g_dwThreadId == 0)
        return;
    g_job.pszPath = pszPath;
    g_job.dwThreadId = dwThreadId;
    g_job.pExceptionPointers = pExceptionPointers;
    ::SetEvent(g_hRequest);
    WaitForCrashWork(g_hAnswer);
}
