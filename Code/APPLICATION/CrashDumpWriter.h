// The process's last-chance exception handler: writes a mini-dump of the
// process into the folder the UI module names, then lets the platform's
// default handling of the unhandled exception go on.
#pragma once

#include <windows.h>

// Installed by the application's InitInstance with SetUnhandledExceptionFilter,
// and runs on whichever thread raised the unhandled exception. Returns
// EXCEPTION_CONTINUE_SEARCH on every path; a null argument does nothing.
LONG WINAPI CrashDumpExceptionFilter(EXCEPTION_POINTERS* pExceptionPointers);
