// Debug output: the framework says here why something a module asked for did
// not happen (a window that could not be created, a handle given to an object
// that already holds one, a resource that no module has). It goes to the
// debugger with OutputDebugStringA: under Wine, WINEDEBUG=+debugstr prints it;
// on Windows a debugger or DebugView shows it. Unlike the established
// framework's TRACE it is also there in release builds, since modules are
// built against the shipped library.
#pragma once

#include "AfxApi.h"

// printf-style; a line end is added when the text has none.
AFX_API void __cdecl AfxTrace(LPCSTR lpszFormat, ...);

#define TRACE AfxTrace
