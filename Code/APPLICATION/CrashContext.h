// Where a crash raised by the run-time is seen from in its dump.
//
// abort(), and on 64-bit Windows a C++ exception nobody caught, reach the
// crash handler from inside the system's libraries: the C run-time's abort
// and raise, or RaiseException. A reader of the dump has the launcher's and
// the module's files, rarely those libraries, and without them the stack
// cannot be followed past their frames. This process's own unwinder has
// their unwind data: the context is moved, in process, to the first frame
// outside them, so that the dump's stack starts in the code that aborted or
// threw and a debugger walks on from there.
#pragma once

#include <windows.h>

// The context of the code that called abort(): this thread's own, moved past
// the abort handler's frames in this executable and past the run-time's.
// The record's address is set to match. Call it from the abort handler.
void CaptureTheCallerOfAbort(CONTEXT& context, EXCEPTION_RECORD& record);

#ifdef _WIN64
// The compiler's own exceptions, by which a C++ throw is raised on 64-bit
// Windows ("GCC" in the low three bytes).
bool IsCppException(const EXCEPTION_RECORD& record);

// The context of a raised exception moved past the system's frames that
// raised it; the record's address is set to match. Unchanged when the
// stack cannot be followed.
void MoveContextPastTheRunTime(CONTEXT& context, EXCEPTION_RECORD& record);
#endif
