#include "CrashDumpGate.h"

#include "AfxHandleOwner.h"

namespace {

enum Phase : LONG { kIdle, kHeld, kWorking, kAskingModule, kAskingPerson, kDone };

const DWORD kWaitStepMs = 50;

// Plain words, zero before any constructor has run and after every
// destructor: a crash may come at any point of the process's life.
volatile LONG g_nOwner = 0; // id of the thread holding the gate; 0 when it is open
volatile LONG g_nPhase = kIdle;
volatile LONG g_nClock = 0; // tick count when the bounded work began, or the crash was done
volatile LONG g_nCrashCode = 0;
EXCEPTION_POINTERS* volatile g_pHandledCrash = nullptr;

LONG Read(volatile LONG* pValue) { return ::InterlockedCompareExchange(pValue, 0, 0); }

LONG ThisThread() { return static_cast<LONG>(::GetCurrentThreadId()); }

void SetPhase(Phase phase) { ::InterlockedExchange(&g_nPhase, phase); }

void StartTheClock() { ::InterlockedExchange(&g_nClock, static_cast<LONG>(::GetTickCount())); }

bool ClockPassed(DWORD dwMs)
{
    return ::GetTickCount() - static_cast<DWORD>(Read(&g_nClock)) >= dwMs;
}

bool WorkOverran()
{
    LONG nPhase = Read(&g_nPhase);
    return (nPhase == kWorking || nPhase == kAskingModule) && ClockPassed(kCrashWorkLimitMs);
}

bool ThreadHasEnded(LONG nThreadId)
{
    CScopedHandle thread(::OpenThread(SYNCHRONIZE, FALSE, static_cast<DWORD>(nThreadId)));
    // An id that opens no thread belongs to none any more.
    return !thread.IsValid() || ::WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0;
}

// The crash the owner handled is over and the process lives on: the owner
// is back here, has ended, or the platform had its time to end the process.
// (When the platform ends a process it ends the thread that asked it last,
// so no waiter ever sees the handling thread end first.)
bool CrashWasSurvived(LONG nOwner)
{
    return Read(&g_nPhase) == kDone &&
           (nOwner == ThisThread() || ThreadHasEnded(nOwner) || ClockPassed(kCrashWorkLimitMs));
}

void Reopen(LONG nOwner)
{
    if (::InterlockedCompareExchange(&g_nPhase, kIdle, kDone) == kDone)
        ::InterlockedCompareExchange(&g_nOwner, 0, nOwner);
}

void BeginCrash(EXCEPTION_POINTERS* pExceptionPointers)
{
    g_pHandledCrash = pExceptionPointers;
    ::InterlockedExchange(&g_nCrashCode,
                          static_cast<LONG>(pExceptionPointers->ExceptionRecord->ExceptionCode));
    StartTheClock();
    SetPhase(kWorking);
}

} // namespace

CrashEntry EnterCrashHandling(EXCEPTION_POINTERS* pExceptionPointers)
{
    for (;;) {
        LONG nOwner = ::InterlockedCompareExchange(&g_nOwner, ThisThread(), 0);
        if (nOwner == 0) {
            BeginCrash(pExceptionPointers);
            return CrashEntry::kFirst;
        }
        if (nOwner == ThisThread()) {
            // Back after a crash this thread handled and survived.
            if (::InterlockedCompareExchange(&g_nPhase, kHeld, kDone) == kDone) {
                BeginCrash(pExceptionPointers);
                return CrashEntry::kFirst;
            }
            LONG nPhase = Read(&g_nPhase);
            if (nPhase == kIdle)
                continue; // another thread is opening the gate behind that crash
            return nPhase == kAskingModule ? CrashEntry::kFaultWhileAskingModule
                                           : CrashEntry::kFaultWhileHandling;
        }
        WaitWhileAnotherThreadHandlesACrash();
    }
}

EXCEPTION_POINTERS* HandledCrash() { return g_pHandledCrash; }

void CrashHandlingAsksTheModule() { SetPhase(kAskingModule); }

void CrashHandlingAsksThePerson() { SetPhase(kAskingPerson); }

void CrashHandlingWorks()
{
    // A person may have kept the box up for any time: that was no stuck work.
    if (Read(&g_nPhase) == kAskingPerson)
        StartTheClock();
    SetPhase(kWorking);
}

void CrashHandlingIsDone()
{
    StartTheClock();
    SetPhase(kDone);
}

void WaitForCrashWork(HANDLE hEvent)
{
    while (::WaitForSingleObject(hEvent, kWaitStepMs) != WAIT_OBJECT_0) {
        LONG nOwner = Read(&g_nOwner);
        if (WorkOverran() || (nOwner != ThisThread() && ThreadHasEnded(nOwner)))
            EndTheProcessWithTheCrash();
    }
}

void EndTheProcessWithTheCrash()
{
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(Read(&g_nCrashCode)));
    for (;;)
        ::Sleep(INFINITE); // never reached: the call above ends this thread too
}

void WaitWhileAnotherThreadHandlesACrash()
{
    for (;;) {
        LONG nOwner = Read(&g_nOwner);
        if (nOwner == 0)
            return;
        if (CrashWasSurvived(nOwner)) {
            Reopen(nOwner);
            continue;
        }
        if (nOwner == ThisThread())
            return; // this thread is inside its own crash handling
        if (WorkOverran())
            EndTheProcessWithTheCrash(); // stuck, say on a lock a crashed thread held
        ::Sleep(kWaitStepMs);
    }
}

bool HoldTheCrashGate()
{
    for (;;) {
        WaitWhileAnotherThreadHandlesACrash();
        LONG nOwner = ::InterlockedCompareExchange(&g_nOwner, ThisThread(), 0);
        if (nOwner == 0) {
            SetPhase(kHeld);
            return true;
        }
        if (nOwner == ThisThread())
            return false;
    }
}

void ReleaseTheCrashGate()
{
    SetPhase(kIdle);
    ::InterlockedExchange(&g_nOwner, 0);
}
