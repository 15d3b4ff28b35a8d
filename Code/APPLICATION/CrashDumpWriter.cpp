#include "CrashDumpWriter.h"

#include <dbghelp.h>
#include <time.h>

#include "CrashDumpPath.h"
#include "CrashDumpTurn.h"
#include "ScopedHandles.h"

namespace {

typedef BOOL(WINAPI* PFN_MINIDUMPWRITEDUMP)(HANDLE hProcess, DWORD dwProcessId, HANDLE hFile,
                                            MINIDUMP_TYPE dumpType,
                                            PMINIDUMP_EXCEPTION_INFORMATION pExceptionParam,
                                            PMINIDUMP_USER_STREAM_INFORMATION pUserStreamParam,
                                            PMINIDUMP_CALLBACK_INFORMATION pCallbackParam);

void WriteCrashDump(EXCEPTION_POINTERS* pExceptionPointers, CCrashDumpTurn& turn)
{
    // Not linked: a system without the debug-help library runs normally
    // and only writes no dumps.
    CScopedLibrary dbgHelp(::LoadLibraryA("DBGHELP.DLL"));
    if (!dbgHelp.Get())
        return;
    auto pfnWriteDump = reinterpret_cast<PFN_MINIDUMPWRITEDUMP>(
        reinterpret_cast<void*>(::GetProcAddress(dbgHelp.Get(), "MiniDumpWriteDump")));
    // Only once a dump can be written is the module asked for its folder.
    if (!pfnWriteDump)
        return;

    DumpPathBuffer szPath = {};
    GetCrashDumpFolder(szPath);
    if (!ComposeCrashDumpPath(szPath, _time64(nullptr)))
        return;
    // A thread that crashed in the same second as the one before it would
    // only replace that thread's dump.
    if (turn.HasWritten(szPath))
        return;

    CScopedFileHandle file(::CreateFileA(szPath, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return;
    MINIDUMP_EXCEPTION_INFORMATION exceptionInfo;
    exceptionInfo.ThreadId = ::GetCurrentThreadId();
    exceptionInfo.ExceptionPointers = pExceptionPointers;
    exceptionInfo.ClientPointers = FALSE;
    if (pfnWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.Get(), MiniDumpNormal,
                     &exceptionInfo, nullptr, nullptr))
        turn.RecordWritten(szPath);
}

} // namespace

LONG WINAPI CrashDumpExceptionFilter(EXCEPTION_POINTERS* pExceptionPointers)
{
    if (!pExceptionPointers)
        return EXCEPTION_CONTINUE_SEARCH;
    CCrashDumpTurn turn;
    if (turn.IsMine())
        WriteCrashDump(pExceptionPointers, turn);
    // The platform's default handling follows, dump or no dump.
    return EXCEPTION_CONTINUE_SEARCH;
}
