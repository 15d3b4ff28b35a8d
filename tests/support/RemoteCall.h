// Calls a function without arguments inside another process (on a thread of
// its own there) and returns the low 32 bits of its result. Used to ask a
// program's framework library about its state at a given moment.
#pragma once

#include <windows.h>

// pfnLocal is the function as loaded in this process from pszLibrary; the
// same library in the other process has it at the same offset from its base.
// False when the library is not loaded there or the call failed.
bool CallRemoteFunction(HANDLE hProcess, DWORD dwProcessId, const char* pszLibrary,
                        const void* pfnLocal, DWORD* pdwResult);
