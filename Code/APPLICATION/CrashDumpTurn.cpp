#include "CrashDumpTurn.h"

#include <string.h>

#include "UIModuleContract.h"

namespace {

// Ample for a normal mini-dump of this process even on a slow or busy
// machine (a waiter that gave up too early would let the process end under
// a half-written dump); yet a writer stuck on a lock that the other crashed
// thread holds keeps the process alive only this long.
const DWORD kWaitLimitMs = 30000;
const DWORD kPollIntervalMs = 10;

// Marks the count of threads inside once a writer has finished: the process
// is about to end, and nobody starts a dump that would be cut off.
const LONG kDoorClosed = 0x40000000;

// Plain words, zero before any constructor has run and after every
// destructor: the handler may run at any point of the process's life.
volatile LONG g_nThreadsInside = 0; // waiting for or holding the turn; | kDoorClosed
volatile LONG g_nTurnOwner = 0;     // id of the thread writing now; 0 when none
char g_szWrittenPath[kDumpPathBufferSize];

LONG Read(volatile LONG* pValue) { return ::InterlockedCompareExchange(pValue, 0, 0); }

bool TimeIsUp(DWORD dwStart) { return ::GetTickCount() - dwStart >= kWaitLimitMs; }

// Counts this thread in, unless the door is closed already.
bool Enter()
{
    for (;;) {
        LONG nInside = Read(&g_nThreadsInside);
        if (nInside & kDoorClosed)
            return false;
        if (::InterlockedCompareExchange(&g_nThreadsInside, nInside + 1, nInside) == nInside)
            return true;
    }
}

void CloseDoor()
{
    for (;;) {
        LONG nInside = Read(&g_nThreadsInside);
        if (::InterlockedCompareExchange(&g_nThreadsInside, nInside | kDoorClosed, nInside) ==
            nInside)
            return;
    }
}

// Closes the door as soon as no other thread is inside, or when time is up.
void WaitForOthersThenCloseDoor()
{
    DWORD dwStart = ::GetTickCount();
    for (;;) {
        LONG nInside = Read(&g_nThreadsInside);
        if ((nInside & ~kDoorClosed) == 0 &&
            ::InterlockedCompareExchange(&g_nThreadsInside, nInside | kDoorClosed, nInside) ==
                nInside)
            return;
        if (TimeIsUp(dwStart)) {
            CloseDoor();
            return;
        }
        ::Sleep(kPollIntervalMs);
    }
}

} // namespace

CCrashDumpTurn::CCrashDumpTurn()
{
    LONG nSelf = static_cast<LONG>(::GetCurrentThreadId());
    // A fault inside the writer brings its own thread back here.
    if (Read(&g_nTurnOwner) == nSelf) {
        m_state = kReentered;
        return;
    }
    if (!Enter()) {
        m_state = kLate;
        return;
    }
    DWORD dwStart = ::GetTickCount();
    while (::InterlockedCompareExchange(&g_nTurnOwner, nSelf, 0) != 0) {
        if (TimeIsUp(dwStart)) {
            m_state = kGaveUp;
            return;
        }
        ::Sleep(kPollIntervalMs);
    }
    m_state = kMine;
}

CCrashDumpTurn::~CCrashDumpTurn()
{
    switch (m_state) {
    case kReentered:
    case kLate:
        break; // took nothing
    case kGaveUp:
        // The writer ahead is stuck; the process ends with this thread.
        ::InterlockedDecrement(&g_nThreadsInside);
        CloseDoor();
        break;
    case kMine:
        ::InterlockedExchange(&g_nTurnOwner, 0);
        ::InterlockedDecrement(&g_nThreadsInside);
        WaitForOthersThenCloseDoor();
        break;
    }
}

bool CCrashDumpTurn::HasWritten(const char* pszPath) const
{
    return strcmp(g_szWrittenPath, pszPath) == 0;
}

void CCrashDumpTurn::RecordWritten(const char* pszPath)
{
    // Composed paths always fit this buffer.
    strncpy(g_szWrittenPath, pszPath, sizeof(g_szWrittenPath) - 1);
}
