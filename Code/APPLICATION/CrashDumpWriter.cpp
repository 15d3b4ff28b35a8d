#include "CrashDumpWriter.h"

#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "CrashContext.h"
#include "CrashDumpGate.h"
#include "CrashDumpPath.h"
#include "CrashDumpThread.h"
#include "StackOverflowRoom.h"
#include "UIModuleExports.h"

namespace {

const char kFallbackFolder[] = ".\\";

HMODULE volatile g_hUIModule = nullptr;

// The crash as its dump shows it: a C++ throw on 64-bit Windows is seen
// from the code that threw, not from inside RaiseException.
EXCEPTION_POINTERS* DumpedException(EXCEPTION_POINTERS* pExceptionPointers)
{
#ifdef _WIN64
    static EXCEPTION_RECORD s_record;
    static CONTEXT s_context;
    static EXCEPTION_POINTERS s_pointers = {&s_record, &s_context};
    if (IsCppException(*pExceptionPointers->ExceptionRecord)) {
        s_record = *pExceptionPointers->ExceptionRecord;
        s_context = *pExceptionPointers->ContextRecord;
        MoveContextPastTheRunTime(s_context, s_record);
        return &s_pointers;
    }
#endif
    return pExceptionPointers;
}

// The loaded module's answer from "DLLGetDumpPath"; false when there is no
// module or it lacks that export.
bool AskTheModuleForTheFolder(DumpPathBuffer& szFolder)
{
    HMODULE hModule = static_cast<HMODULE>(::InterlockedCompareExchangePointer(
        reinterpret_cast<PVOID volatile*>(&g_hUIModule), nullptr, nullptr));
    // GetProcAddress with a null module would search the executable itself.
    PFN_DLLGETDUMPPATH pfnGetDumpPath =
        hModule ? FindUIModuleExport<PFN_DLLGETDUMPPATH>(hModule, "DLLGetDumpPath") : nullptr;
    if (!pfnGetDumpPath)
        return false;
    CrashHandlingAsksTheModule();
    pfnGetDumpPath(szFolder);
    return true;
}

// Says the folder export is missing and, once the box is dismissed, takes
// the current directory.
void FallBackToTheCurrentFolder(DumpPathBuffer& szFolder)
{
    CrashHandlingAsksThePerson();
    ReportMissingExport("DLLGetDumpPath");
    strcpy(szFolder, kFallbackFolder);
}

// Composes the path from the folder and has the dump written there.
void DumpIntoTheFolder(DumpPathBuffer& szPath, EXCEPTION_POINTERS* pExceptionPointers)
{
    CrashHandlingWorks();
    bool bComposed = ComposeCrashDumpPath(szPath, _time64(nullptr));
    FinishCrashDump(bComposed ? szPath : nullptr, ::GetCurrentThreadId(),
                    DumpedException(pExceptionPointers));
}

void HandleCrash(EXCEPTION_POINTERS* pExceptionPointers)
{
    // Only once a dump can be written is the module asked for its folder.
    if (!PrepareCrashDump()) {
        FinishCrashDump(nullptr, 0, nullptr);
        return;
    }
    DumpPathBuffer szPath = {}; // the folder, then the dump's path
    if (!AskTheModuleForTheFolder(szPath))
        FallBackToTheCurrentFolder(szPath);
    DumpIntoTheFolder(szPath, pExceptionPointers);
}

void DumpWithoutTheModule(EXCEPTION_POINTERS* pExceptionPointers)
{
    DumpPathBuffer szPath = {};
    FallBackToTheCurrentFolder(szPath);
    DumpIntoTheFolder(szPath, pExceptionPointers);
}

// abort() ends the process without an exception: the handler is called
// with a record of its own, seen from the code that called abort().
void __cdecl HandleAbort(int)
{
    // The run-time resets the handler before calling it: another thread may
    // abort while this one writes.
    signal(SIGABRT, &HandleAbort);
    CONTEXT context = {};
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = kFatalAppExitCode;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    CaptureTheCallerOfAbort(context, record);
    EXCEPTION_POINTERS pointers = {&record, &context};
    CrashDumpExceptionFilter(&pointers);
    ::TerminateProcess(::GetCurrentProcess(), kFatalAppExitCode);
}

void __cdecl HoldAtExit() { WaitWhileAnotherThreadHandlesACrash(); }

} // namespace

LONG WINAPI CrashDumpExceptionFilter(EXCEPTION_POINTERS* pExceptionPointers)
{
    if (!pExceptionPointers)
        return EXCEPTION_CONTINUE_SEARCH;
    // The writing thread itself failed: no dump can come any more.
    if (IsCrashDumpThread())
        EndTheProcessWithTheCrash();
    switch (EnterCrashHandling(pExceptionPointers)) {
    case CrashEntry::kFirst:
        HandleCrash(pExceptionPointers);
        break;
    case CrashEntry::kFaultWhileAskingModule:
        // The module could not name a folder: the crash it was asked about
        // goes where it would without one, and the process ends with that
        // crash rather than with this failure.
        DumpWithoutTheModule(HandledCrash());
        CrashHandlingIsDone();
        EndTheProcessWithTheCrash();
    case CrashEntry::kFaultWhileHandling:
        return EXCEPTION_CONTINUE_SEARCH; // the platform ends the process
    }
    CrashHandlingIsDone();
    // The platform's default handling follows, dump or no dump.
    return EXCEPTION_CONTINUE_SEARCH;
}

void InstallCrashDumpWriter()
{
    ::SetUnhandledExceptionFilter(&CrashDumpExceptionFilter);
    signal(SIGABRT, &HandleAbort);
    atexit(&HoldAtExit);
    KeepRoomForStackOverflows();
    StartCrashDumpThread();
}

void GiveUIModuleToCrashDumpWriter(HMODULE hModule)
{
    ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&g_hUIModule), hModule);
}

void TakeUIModuleFromCrashDumpWriter()
{
    bool bHeld = HoldTheCrashGate();
    ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&g_hUIModule), nullptr);
    if (bHeld)
        ReleaseTheCrashGate();
}
