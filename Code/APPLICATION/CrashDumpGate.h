// One crash handled per process.
//
// The first thread whose exception goes unhandled handles the crash: it asks
// the module for a folder (or the person, at the fallback box), writes the
// dump and lets the platform end the process. Every other thread that gets
// there, crashing too or ending the process normally, waits until that has
// happened: the process never ends under a half-written dump or an
// unanswered box.
//
// Only the work is bounded, never a person: when asking the module and
// writing take longer than kCrashWorkLimitMs, a waiting thread ends the
// process with the crash's exception code. The dump is written under a name
// of its own until it is whole, so a process ended that way leaves no dump
// under a final name.
#pragma once

#include <windows.h>

const DWORD kCrashWorkLimitMs = 30000;

enum class CrashEntry {
    kFirst,                   // this thread handles the crash
    kFaultWhileAskingModule,  // the module failed while naming the folder
    kFaultWhileHandling,      // this thread failed again elsewhere in the handler
    kAnotherThreadIsHandling, // wait: the process is ending
};

// Decides what the calling thread does with its unhandled exception.
CrashEntry EnterCrashHandling(EXCEPTION_POINTERS* pExceptionPointers);

// The exception that the handling thread is handling.
EXCEPTION_POINTERS* HandledCrash();

// Steps of the handling thread; the bound runs except while a box is up.
void CrashHandlingAsksTheModule();
void CrashHandlingAsksThePerson();
void CrashHandlingWorks();
// The dump is written or given up; the platform ends the process next.
void CrashHandlingIsDone();

// Returns at once unless another thread is handling a crash; then it never
// returns: the process ends when that thread is done, or when its work
// overruns the bound. Called before the application ends, too.
void WaitWhileAnotherThreadHandlesACrash();
