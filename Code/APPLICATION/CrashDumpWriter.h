// The process's last-chance exception handler.
#pragma once

#include <windows.h>

// Installed by the application's InitInstance with SetUnhandledExceptionFilter.
// Always lets the platform's default handling continue.
LONG WINAPI CrashDumpExceptionFilter(EXCEPTION_POINTERS* pExceptionPointers);
