#include "BackgroundObservation.h"

BackgroundObservation::BackgroundObservation(const ObserveOptions& options)
    : m_options(options), m_hStarted(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    auto onStarted = m_options.onStarted;
    m_options.onStarted = [this, onStarted](const PROCESS_INFORMATION& pi) {
        m_dwProcessId = pi.dwProcessId;
        if (onStarted)
            onStarted(pi);
        SetEvent(m_hStarted);
    };
    m_hThread = CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr);
}

BackgroundObservation::~BackgroundObservation()
{
    Wait();
    CloseHandle(m_hThread);
    CloseHandle(m_hStarted);
}

DWORD WINAPI BackgroundObservation::ThreadMain(void* pParam)
{
    auto* self = static_cast<BackgroundObservation*>(pParam);
    self->m_run = ObserveProcess(self->m_options);
    SetEvent(self->m_hStarted); // also when the program could not start
    return 0;
}

bool BackgroundObservation::WaitStarted(DWORD dwMs)
{
    return WaitForSingleObject(m_hStarted, dwMs) == WAIT_OBJECT_0 && m_dwProcessId != 0;
}

const ObservedRun& BackgroundObservation::Wait()
{
    if (!m_bJoined) {
        WaitForSingleObject(m_hThread, INFINITE);
        m_bJoined = true;
    }
    return m_run;
}
