#include "CrashDumpWriter.h"

#include <dbghelp.h>
#include <signal.h>
#include <stdlib.h>
#include <time.h>

#include "AfxHandleOwner.h"
#include "CrashDumpGate.h"
#include "CrashDumpPath.h"

namespace {

typedef BOOL(WINAPI* PFN_MINIDUMPWRITEDUMP)(HANDLE hProcess, DWORD dwProcessId, HANDLE hFile,
                                            MINIDUMP_TYPE dumpType,
                                            PMINIDUMP_EXCEPTION_INFORMATION pExceptionParam,
                                            PMINIDUMP_USER_STREAM_INFORMATION pUserStreamParam,
                                            PMINIDUMP_CALLBACK_INFORMATION pCallbackParam);

enum class FolderFrom { kModule, kFallback };

// Enough names for every crash of one second in one folder; past them the
// dump keeps its partial name rather than replace another.
const int kNameAttempts = 100;

// Writes the dump into a file that nobody shares, under a name of this
// process's own, and only then gives it a free final name: no dump already
// in the folder is replaced, and a writer that never finishes leaves no
// file under a final name.
void WriteDumpFile(const char* pszPath, PFN_MINIDUMPWRITEDUMP pfnWriteDump,
                   EXCEPTION_POINTERS* pExceptionPointers)
{
    DWORD dwProcessId = ::GetCurrentProcessId();
    CString strPartial = PartialCrashDumpPath(pszPath, dwProcessId);
    {
        CScopedFileHandle file(::CreateFileA(strPartial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid())
            return;
        MINIDUMP_EXCEPTION_INFORMATION exceptionInfo;
        exceptionInfo.ThreadId = ::GetCurrentThreadId();
        exceptionInfo.ExceptionPointers = pExceptionPointers;
        exceptionInfo.ClientPointers = FALSE;
        // A failed dump stays under its partial name with what was written.
        if (!pfnWriteDump(::GetCurrentProcess(), dwProcessId, file.Get(), MiniDumpNormal,
                          &exceptionInfo, nullptr, nullptr))
            return;
    }
    for (int nAttempt = 0; nAttempt < kNameAttempts; ++nAttempt) {
        if (::MoveFileExA(strPartial, CrashDumpPathCandidate(pszPath, dwProcessId, nAttempt), 0))
            return;
        DWORD dwError = ::GetLastError();
        if (dwError != ERROR_ALREADY_EXISTS && dwError != ERROR_FILE_EXISTS)
            return;
    }
}

void WriteCrashDump(EXCEPTION_POINTERS* pExceptionPointers, FolderFrom folderFrom)
{
    // Not linked: a system without the debug-help library runs normally
    // and only writes no dumps.
    CScopedLibrary dbgHelp(::LoadLibraryA("DBGHELP.DLL"));
    if (!dbgHelp.Get())
        return;
    auto pfnWriteDump =
        AfxGetProcAddress<PFN_MINIDUMPWRITEDUMP>(dbgHelp.Get(), "MiniDumpWriteDump");
    // Only once a dump can be written is the module asked for its folder.
    if (!pfnWriteDump)
        return;

    DumpPathBuffer szPath = {};
    if (folderFrom == FolderFrom::kModule)
        GetCrashDumpFolder(szPath);
    else
        GetFallbackCrashDumpFolder(szPath);
    CrashHandlingWorks();
    if (!ComposeCrashDumpPath(szPath, _time64(nullptr)))
        return;
    WriteDumpFile(szPath, pfnWriteDump, pExceptionPointers);
}

// abort() ends the process without an exception; the handler is called
// with this thread's own context, as if it had faulted here.
void __cdecl HandleAbort(int)
{
    // The run-time resets the handler before calling it: another thread may
    // abort while this one writes.
    signal(SIGABRT, &HandleAbort);
    CONTEXT context = {};
    ::RtlCaptureContext(&context);
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = kFatalAppExitCode;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
#ifdef _WIN64
    record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
#else
    record.ExceptionAddress = reinterpret_cast<void*>(context.Eip);
#endif
    EXCEPTION_POINTERS pointers = {&record, &context};
    CrashDumpExceptionFilter(&pointers);
    ::TerminateProcess(::GetCurrentProcess(), kFatalAppExitCode);
}

void __cdecl HoldAtExit() { WaitWhileAnotherThreadHandlesACrash(); }

// The exceptions by which the compiler's 64-bit unwinder throws, unwinds and
// forces an unwind ("GCC" in the low three bytes). Where a thread has no
// handler for them, they reach the top-level filter, which must continue
// them as the run-time's own filter would.
bool IsUncaughtCppException(const EXCEPTION_RECORD* pRecord)
{
    const DWORD kGccThrow = 0x20474343, kGccUnwind = 0x21474343, kGccForcedUnwind = 0x22474343;
    DWORD dwCode = pRecord->ExceptionCode;
    return (dwCode == kGccThrow || dwCode == kGccUnwind || dwCode == kGccForcedUnwind) &&
           !(pRecord->ExceptionFlags & EXCEPTION_NONCONTINUABLE);
}

} // namespace

LONG WINAPI CrashDumpExceptionFilter(EXCEPTION_POINTERS* pExceptionPointers)
{
    if (!pExceptionPointers)
        return EXCEPTION_CONTINUE_SEARCH;
    // A C++ exception that nobody catches: the run-time that raised it
    // calls std::terminate once it is continued, and abort() brings the
    // crash back here with the thread's stack still at the throw.
    if (IsUncaughtCppException(pExceptionPointers->ExceptionRecord))
        return EXCEPTION_CONTINUE_EXECUTION;
    switch (EnterCrashHandling(pExceptionPointers)) {
    case CrashEntry::kFirst:
        WriteCrashDump(pExceptionPointers, FolderFrom::kModule);
        break;
    case CrashEntry::kFaultWhileAskingModule:
        // The module could not name a folder: the crash it was asked about
        // goes where it would without one.
        WriteCrashDump(HandledCrash(), FolderFrom::kFallback);
        break;
    case CrashEntry::kFaultWhileHandling:
        return EXCEPTION_CONTINUE_SEARCH; // the platform ends the process
    case CrashEntry::kAnotherThreadIsHandling:
        WaitWhileAnotherThreadHandlesACrash();
        return EXCEPTION_CONTINUE_SEARCH;
    }
    CrashHandlingIsDone();
    // The platform's default handling follows, dump or no dump.
    return EXCEPTION_CONTINUE_SEARCH;
}

void InstallCrashDumpWriter()
{
    ::SetUnhandledExceptionFilter(&CrashDumpExceptionFilter);
    // The run-time's own report of an abort would be a box of its own
    // before the crash's; the person sees the crash's alone.
    _set_error_mode(_OUT_TO_STDERR);
    signal(SIGABRT, &HandleAbort);
    atexit(&HoldAtExit);
}
