// The names of a crash dump: its path, composed in the buffer the UI module
// wrote the folder into, the name it is written under until it is whole,
// and the names it may take when its own is taken. All are built in fixed
// buffers: at a crash the heap may be what failed.
#pragma once

#include <time.h>
#include <windows.h>

#include "UIModuleContract.h"

typedef char DumpPathBuffer[kDumpPathBufferSize];

// Replaces the folder text in the buffer by the dump file's path,
// "<folder>\QPLSCrash_<seconds>.dmp", the backslash added whatever the
// folder ends with. Returns false, leaving the buffer as it was, when the
// folder text has no terminating NUL inside the buffer or the path with its
// NUL would not fit into it.
bool ComposeCrashDumpPath(DumpPathBuffer& szBuffer, __time64_t tCrash);

// Where the dump of a composed path is written until it is whole:
// "QPLSCrash_<process id in hex>.tmp" in the same folder. No other running
// process has that name, and it is never longer than the final name (eight
// hex digits at most against the ten digits of today's seconds), so that a
// folder whose final name fits the system's path limit gets a dump.
bool PartialCrashDumpPath(const char* pszPath, DWORD dwProcessId, DumpPathBuffer& szPartial);

// The names a whole dump may take, tried in turn until one is free: the
// composed path itself, then "<...>_<process id>.dmp", then
// "<...>_<process id>_<n>.dmp" from n = 2 on. Each still starts with
// "QPLSCrash_" and the time. False when the name would not fit.
bool CrashDumpPathCandidate(const char* pszPath, DWORD dwProcessId, int nAttempt,
                            DumpPathBuffer& szCandidate);
