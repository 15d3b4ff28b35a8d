// Calls the crash dump writer the way the platform would, on threads of this
// process that each prepared an access violation of their own, and answers
// every message box it shows with OK, as a person would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct FilterCall {
    DWORD threadId = 0; // the thread that called the handler
    bool returned = false;
    LONG result = -1;
    DWORD elapsedMs = 0; // from the common start to the return
};

struct FilterRun {
    std::vector<FilterCall> calls;
    std::vector<std::string> boxTexts; // in the order shown
    bool allReturned = false;          // within the time limit
};

struct FilterRunOptions {
    int nThreads = 1;           // calling at the same moment
    bool bNullPointers = false; // pass null instead of a prepared exception
    DWORD timeLimitMs = 60000;
    // Called with each box's text before the box is answered.
    std::function<void(const std::string&)> onBox;
};

FilterRun RunCrashFilter(const FilterRunOptions& options);

// The current thread's context with an access violation at its instruction
// pointer: what the platform hands the handler when the thread faults.
struct PreparedAccessViolation {
    PreparedAccessViolation();
    PreparedAccessViolation(const PreparedAccessViolation&) = delete;
    PreparedAccessViolation& operator=(const PreparedAccessViolation&) = delete;

    CONTEXT context;
    EXCEPTION_RECORD record;
    EXCEPTION_POINTERS pointers;
};
