// Taking turns at writing crash dumps, process-wide.
//
// Threads that crash at about the same time would compose the same file name
// within one second; they write one after another, never into one file at
// once. A dump that this process has already written under a name is kept:
// the first crash is the likelier cause. And since the platform ends the
// process as soon as one thread's handler returns, a thread that is done
// waits for the others still writing, then closes the door on late comers,
// so that no dump is cut off half-way.
//
// All waits are bounded, and a thread that re-enters the handler because it
// faulted inside the writer gets no turn at all (it holds the turn already):
// the platform then ends the process, and nothing is left waiting for ever.
#pragma once

#include <windows.h>

class CCrashDumpTurn {
public:
    // Waits, for a bounded time, until no other thread is writing a dump.
    CCrashDumpTurn();
    // Hands the turn on, then waits (bounded) for threads still at theirs.
    ~CCrashDumpTurn();
    CCrashDumpTurn(const CCrashDumpTurn&) = delete;
    CCrashDumpTurn& operator=(const CCrashDumpTurn&) = delete;

    // False when this thread must not write: it re-entered the handler, the
    // process is already ending, or the writer before it never finished.
    bool IsMine() const { return m_state == kMine; }

    // Whether this process has already written a whole dump under this path.
    bool HasWritten(const char* pszPath) const;
    void RecordWritten(const char* pszPath);

private:
    enum State { kReentered, kLate, kGaveUp, kMine };
    State m_state;
};
