#include "AfxTrace.h"

#include <stdarg.h>
#include <stdio.h>

void __cdecl AfxTrace(LPCSTR lpszFormat, ...)
{
    // One line of debug output; a longer one is cut, never split.
    char szLine[512];
    va_list args;
    va_start(args, lpszFormat);
    int nLength = vsnprintf(szLine, sizeof(szLine) - 1, lpszFormat ? lpszFormat : "", args);
    va_end(args);
    if (nLength < 0)
        return;
    if (nLength > static_cast<int>(sizeof(szLine)) - 2)
        nLength = static_cast<int>(sizeof(szLine)) - 2;
    if (nLength == 0 || szLine[nLength - 1] != '\n')
        szLine[nLength++] = '\n';
    szLine[nLength] = '\0';
    ::OutputDebugStringA(szLine);
}
