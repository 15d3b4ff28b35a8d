#include "CrashDumpWriter.h"

// Writing dumps is not there yet: for now the handler only lets the
// platform's default handling take its course.
LONG WINAPI CrashDumpExceptionFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
