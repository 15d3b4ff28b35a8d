#include "AfxWindowMap.h"

#include <unordered_map>

namespace {

class WindowMap {
public:
    CWnd* Lookup(HWND hWnd)
    {
        AcquireSRWLockShared(&m_lock);
        auto it = m_windows.find(hWnd);
        CWnd* pWnd = it == m_windows.end() ? nullptr : it->second;
        ReleaseSRWLockShared(&m_lock);
        return pWnd;
    }
    void Add(HWND hWnd, CWnd* pWnd)
    {
        AcquireSRWLockExclusive(&m_lock);
        m_windows[hWnd] = pWnd;
        ReleaseSRWLockExclusive(&m_lock);
    }
    void Remove(HWND hWnd)
    {
        AcquireSRWLockExclusive(&m_lock);
        m_windows.erase(hWnd);
        ReleaseSRWLockExclusive(&m_lock);
    }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::unordered_map<HWND, CWnd*> m_windows;
};

WindowMap& TheMap()
{
    static WindowMap map;
    return map;
}

} // namespace

CWnd* AfxLookupPermanentWnd(HWND hWnd) { return hWnd ? TheMap().Lookup(hWnd) : nullptr; }
void AfxAddPermanentWnd(HWND hWnd, CWnd* pWnd) { TheMap().Add(hWnd, pWnd); }
void AfxRemovePermanentWnd(HWND hWnd) { TheMap().Remove(hWnd); }
