// Where a crash dump goes: the folder the UI module names, and the file's
// full path in the buffer the module wrote that folder into.
#pragma once

#include <time.h>

#include <afxwin.h>

#include "UIModuleContract.h"

typedef char DumpPathBuffer[kDumpPathBufferSize];

// Fills the zero-filled buffer with the folder for crash dumps: the loaded UI
// module's answer from "DLLGetDumpPath". Without a loaded module, or when it
// lacks that export, shows "Unable to load FUNCTION: DLLGetDumpPath" and,
// once it is dismissed, falls back to the current directory ".\".
void GetCrashDumpFolder(DumpPathBuffer& szBuffer);

// Shows "Unable to load FUNCTION: DLLGetDumpPath" and, once it is dismissed,
// fills the buffer with the current directory ".\".
void GetFallbackCrashDumpFolder(DumpPathBuffer& szBuffer);

// Replaces the folder text in the buffer by the dump file's path,
// "<folder>\QPLSCrash_<seconds>.dmp", the backslash added whatever the
// folder ends with. Returns false, leaving the buffer as it was, when the
// folder text has no terminating NUL inside the buffer or the path with its
// NUL would not fit into it.
bool ComposeCrashDumpPath(DumpPathBuffer& szBuffer, __time64_t tCrash);

// Where the dump is written until it is whole: the composed path with
// "_<process id>.partial" in place of ".dmp", a name no other running
// process can compose.
CString PartialCrashDumpPath(const char* pszPath, DWORD dwProcessId);

// The names a whole dump may take, tried in turn until one is free: the
// composed path itself, then "<...>_<process id>.dmp", then
// "<...>_<process id>_<n>.dmp" from n = 2 on. Each still starts with
// "QPLSCrash_" and the time.
CString CrashDumpPathCandidate(const char* pszPath, DWORD dwProcessId, int nAttempt);
