// Reads a mini-dump file back, the way a debugger starts on it: the header,
// the stream directory, the exception stream and the thread list.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct MiniDumpSummary {
    // The signature is right and the directory and every stream it lists
    // lie inside the file.
    bool whole = false;
    bool hasException = false;
    DWORD exceptionThreadId = 0;
    DWORD exceptionCode = 0;
    std::vector<DWORD> threadIds; // from the thread list
};

MiniDumpSummary ReadMiniDump(const std::string& path);
