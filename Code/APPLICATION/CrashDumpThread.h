// The thread that writes crash dumps: started when the crash dump writer is
// installed, it waits until a crash comes. A crashed thread's stack may be
// exhausted and the heap may be what failed, so the crashing thread does
// little itself: this thread loads the debug-help library, writes the dump,
// gives it its name and frees the library, while the crashing thread waits.
#pragma once

#include <windows.h>

// Starts the thread; without it crashes leave no dump.
void StartCrashDumpThread();

bool IsCrashDumpThread();

// Has the thread load "DBGHELP.DLL" (only now: a system without it runs
// normally and only writes no dumps) and look up its dump writer. True
// when a dump can be written. Each call is followed by one of
// FinishCrashDump.
bool PrepareCrashDump();

// Has the thread write the dump of dwThreadId's exception into pszPath
// (none when null), give it its final name and free the library; returns
// when that is done.
void FinishCrashDump(const char* pszPath, DWORD dwThreadId, EXCEPTION_POINTERS* pExceptionPointers);
