// Where a crash dump goes: the folder the UI module names, and the file's
// full path in the buffer the module wrote that folder into.
#pragma once

#include <time.h>

#include "UIModuleContract.h"

typedef char DumpPathBuffer[kDumpPathBufferSize];

// Fills the zero-filled buffer with the folder for crash dumps: the loaded UI
// module's answer from "DLLGetDumpPath". Without a loaded module, or when it
// lacks that export, shows "Unable to load FUNCTION: DLLGetDumpPath" and,
// once it is dismissed, falls back to the current directory ".\".
void GetCrashDumpFolder(DumpPathBuffer& szBuffer);

// Replaces the folder text in the buffer by the dump file's path,
// "<folder>\QPLSCrash_<seconds>.dmp", the backslash added whatever the
// folder ends with. Returns false, leaving the buffer as it was, when the
// folder text has no terminating NUL inside the buffer or the path with its
// NUL would not fit into it.
bool ComposeCrashDumpPath(DumpPathBuffer& szBuffer, __time64_t tCrash);
