// The process's last-chance exception handler: writes a mini-dump of the
// process into the folder the UI module names, then lets the platform's
// default handling of the unhandled exception go on.
#pragma once

#include <windows.h>

// The code a crash through abort() carries: an uncaught C++ exception, a
// pure virtual call or a failed assertion all end there.
const DWORD kFatalAppExitCode = 0x40000015; // STATUS_FATAL_APP_EXIT

// Installed by InstallCrashDumpWriter, and runs on whichever thread raised
// the unhandled exception. Returns EXCEPTION_CONTINUE_SEARCH on every path
// but one: the compiler's own exceptions for a C++ throw are continued, so
// that the C++ run-time ends in abort(), which writes the dump. A null
// argument does nothing.
LONG WINAPI CrashDumpExceptionFilter(EXCEPTION_POINTERS* pExceptionPointers);

// Makes every crash of the process reach the handler: unhandled exceptions,
// and abort() on any thread (the C++ run-time's end for an exception nobody
// caught, in the launcher or in a module built with the same compiler). A
// normal end of the process waits while another thread handles a crash.
void InstallCrashDumpWriter();
