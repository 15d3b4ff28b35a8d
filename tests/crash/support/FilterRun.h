// Calls the crash dump writer the way the platform would, on a thread of
// this process that prepared an access violation of its own, and answers
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
};

struct FilterRun {
    std::vector<FilterCall> calls;
    std::vector<std::string> boxTexts; // in the order shown
    bool allReturned = false;          // within the time limit
};

struct FilterRunOptions {
    bool bNullPointers = false; // pass null instead of a prepared exception
    DWORD timeLimitMs = 60000;  // a handler that never returns fails the test
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
