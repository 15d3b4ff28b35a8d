// The process's last-chance exception handler: writes a mini-dump of the
// process into the folder the UI module names, then lets the platform's
// default handling of the unhandled exception go on.
//
// It is prepared when installed (a thread of its own waits to write the
// dumps, every thread keeps stack room for its own overflow) and never
// reads the application object: the host gives it the UI module while the
// module is loaded.
#pragma once

#include <windows.h>

// The code a crash through abort() carries: a failed assertion, a pure
// virtual call, and on 32-bit Windows a C++ exception nobody caught, all end
// there.
const DWORD kFatalAppExitCode = 0x40000015; // STATUS_FATAL_APP_EXIT

// Installed by InstallCrashDumpWriter, and runs on whichever thread raised
// the unhandled exception. Returns EXCEPTION_CONTINUE_SEARCH; a null
// argument does nothing.
LONG WINAPI CrashDumpExceptionFilter(EXCEPTION_POINTERS* pExceptionPointers);

// Makes every crash of the process reach the handler: unhandled exceptions,
// stack overflows, and abort() on any thread. A normal end of the process
// waits while another thread handles a crash.
void InstallCrashDumpWriter();

// The UI module the handler asks for the dump folder, from its load on.
void GiveUIModuleToCrashDumpWriter(HMODULE hModule);
// Before the module is unloaded: waits while a crash is handled (it may be
// asking the module), then the handler no longer asks it.
void TakeUIModuleFromCrashDumpWriter();
