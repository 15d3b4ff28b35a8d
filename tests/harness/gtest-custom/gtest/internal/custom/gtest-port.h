// GoogleTest's hook for platform customisation. Debian's MinGW-w64 compilers
// are the win32-threads flavour, which has no std::mutex, so GoogleTest's
// Notification helper is supplied here on a Win32 event instead.
#pragma once

#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : m_hEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(m_hEvent); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(m_hEvent); }
    void WaitForNotification() { ::WaitForSingleObject(m_hEvent, INFINITE); }

private:
    HANDLE m_hEvent;
};

} // namespace internal
} // namespace testing

#define GTEST_HAS_NOTIFICATION_ 1
