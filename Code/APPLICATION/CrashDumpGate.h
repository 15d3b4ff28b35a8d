// One crash handled at a time.
//
// The first thread whose exception goes unhandled handles the crash: it asks
// the module for a folder (or the person, at the fallback box) and has the
// dump written. Every other thread that gets there, crashing too or ending
// the application, waits while it is handled: the process never ends under
// a half-written dump or an unanswered box.
//
// Once the crash is handled the platform ends the process. When the process
// lives on instead (a debugger continued the exception, or code called the
// filter from a handler of its own and resumed), the gate opens again as
// soon as the handling thread comes back to it or has ended, or at the
// latest kCrashWorkLimitMs after the crash was handled: no wait lasts for
// ever.
//
// Only the work is bounded, never a person: when asking the module, or
// writing, takes longer than kCrashWorkLimitMs, the waiting side ends the
// process with the crash's exception code. The dump is written under a name
// of its own until it is whole, so a process ended that way leaves no dump
// under a final name.
#pragma once

#include <windows.h>

const DWORD kCrashWorkLimitMs = 30000;

enum class CrashEntry {
    kFirst,                  // this thread handles the crash
    kFaultWhileAskingModule, // the module failed while naming the folder
    kFaultWhileHandling,     // this thread failed again elsewhere in the handler
};

// Decides what the calling thread does with its unhandled exception,
// waiting first while another thread handles a crash.
CrashEntry EnterCrashHandling(EXCEPTION_POINTERS* pExceptionPointers);

// The exception that the handling thread is handling.
EXCEPTION_POINTERS* HandledCrash();

// Steps of the handling thread; the bound runs except while a box is up.
void CrashHandlingAsksTheModule();
void CrashHandlingAsksThePerson();
void CrashHandlingWorks();
// The dump is written or given up.
void CrashHandlingIsDone();

// Waits until the event is set, while the other side of the crash handling
// works; ends the process with the crash's code when that work overruns its
// bound or the thread handling the crash is gone.
void WaitForCrashWork(HANDLE hEvent);

// Ends the process with the exception code of the crash being handled.
[[noreturn]] void EndTheProcessWithTheCrash();

// Returns at once unless another thread is handling a crash; then it
// returns when the gate opens again (or never: the process ends first).
void WaitWhileAnotherThreadHandlesACrash();

// Keeps crashes out for a moment, waiting while one is handled; false when
// this very thread is handling one (the gate is then not held).
bool HoldTheCrashGate();
void ReleaseTheCrashGate();
