#include "CrashDumpGate.h"

namespace {

enum Phase : LONG { kIdle, kWorking, kAskingModule, kAskingPerson, kDone };

const DWORD kWaitStepMs = 50;

// Plain words, zero before any constructor has run and after every
// destructor: a crash may come at any point of the process's life.
volatile LONG g_nHandlingThread = 0; // id of the thread handling the crash; 0 when none
volatile LONG g_nPhase = kIdle;
volatile LONG g_nWorkStart = 0; // tick count when the bounded work began or went on
EXCEPTION_POINTERS* volatile g_pHandledCrash = nullptr;

LONG Read(volatile LONG* pValue) { return ::InterlockedCompareExchange(pValue, 0, 0); }

void SetPhase(Phase phase) { ::InterlockedExchange(&g_nPhase, phase); }

void StartTheBound() { ::InterlockedExchange(&g_nWorkStart, static_cast<LONG>(::GetTickCount())); }

bool WorkOverran()
{
    LONG nPhase = Read(&g_nPhase);
    if (nPhase != kWorking && nPhase != kAskingModule)
        return false;
    DWORD dwStart = static_cast<DWORD>(Read(&g_nWorkStart));
    return ::GetTickCount() - dwStart >= kCrashWorkLimitMs;
}

} // namespace

CrashEntry EnterCrashHandling(EXCEPTION_POINTERS* pExceptionPointers)
{
    LONG nSelf = static_cast<LONG>(::GetCurrentThreadId());
    LONG nHandling = ::InterlockedCompareExchange(&g_nHandlingThread, nSelf, 0);
    if (nHandling == 0) {
        g_pHandledCrash = pExceptionPointers;
        StartTheBound();
        SetPhase(kWorking);
        return CrashEntry::kFirst;
    }
    if (nHandling != nSelf)
        return CrashEntry::kAnotherThreadIsHandling;
    return Read(&g_nPhase) == kAskingModule ? CrashEntry::kFaultWhileAskingModule
                                            : CrashEntry::kFaultWhileHandling;
}

EXCEPTION_POINTERS* HandledCrash() { return g_pHandledCrash; }

void CrashHandlingAsksTheModule() { SetPhase(kAskingModule); }

void CrashHandlingAsksThePerson() { SetPhase(kAskingPerson); }

void CrashHandlingWorks()
{
    // A person may have kept the box up for any time: that was no stuck work.
    if (Read(&g_nPhase) == kAskingPerson)
        StartTheBound();
    SetPhase(kWorking);
}

void CrashHandlingIsDone() { SetPhase(kDone); }

void WaitWhileAnotherThreadHandlesACrash()
{
    LONG nHandling = Read(&g_nHandlingThread);
    if (nHandling == 0 || nHandling == static_cast<LONG>(::GetCurrentThreadId()))
        return;
    for (;;) {
        ::Sleep(kWaitStepMs);
        if (WorkOverran()) {
            // Stuck, say on a lock another crashed thread held: end the
            // process as the crash would have, with no dump under a final name.
            ::TerminateProcess(::GetCurrentProcess(),
                               g_pHandledCrash->ExceptionRecord->ExceptionCode);
        }
    }
}
