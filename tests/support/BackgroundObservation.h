// ObserveProcess on a thread of its own, for tests that run several programs
// at the same time.
#pragma once

#include "ProcessObserver.h"

class BackgroundObservation {
public:
    explicit BackgroundObservation(const ObserveOptions& options);
    ~BackgroundObservation();
    BackgroundObservation(const BackgroundObservation&) = delete;
    BackgroundObservation& operator=(const BackgroundObservation&) = delete;

    // The process id once the program has started (0 until then, or when it
    // could not start).
    DWORD ProcessId() const { return m_dwProcessId; }
    // Waits until the program has started (or failed to), at most dwMs.
    bool WaitStarted(DWORD dwMs);
    // Whether the observation has ended, waiting at most dwMs.
    bool Finished(DWORD dwMs) const
    {
        return WaitForSingleObject(m_hThread, dwMs) == WAIT_OBJECT_0;
    }
    // Waits for the observation to end and returns it.
    const ObservedRun& Wait();

private:
    static DWORD WINAPI ThreadMain(void* pParam);

    ObserveOptions m_options;
    ObservedRun m_run;
    HANDLE m_hStarted;
    HANDLE m_hThread;
    volatile DWORD m_dwProcessId = 0;
    bool m_bJoined = false;
};
