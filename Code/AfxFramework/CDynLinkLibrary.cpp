#include "CDynLinkLibrary.h"

#include "AfxModuleState.h"

namespace {

// Modules join and leave while the loader holds its lock, and look-ups come
// from any thread; a slim lock keeps both short and needs no set-up.
SRWLOCK g_chainLock = SRWLOCK_INIT;
CDynLinkLibrary* g_pChainHead = nullptr;

} // namespace

CDynLinkLibrary::CDynLinkLibrary(HINSTANCE hModule) : m_hResource(hModule)
{
    if (!hModule || hModule == ::GetModuleHandleA(nullptr))
        return;
    ::AcquireSRWLockExclusive(&g_chainLock);
    m_pNextDLL = g_pChainHead;
    g_pChainHead = this;
    ::ReleaseSRWLockExclusive(&g_chainLock);
}

CDynLinkLibrary::~CDynLinkLibrary()
{
    ::AcquireSRWLockExclusive(&g_chainLock);
    for (CDynLinkLibrary** ppLink = &g_pChainHead; *ppLink; ppLink = &(*ppLink)->m_pNextDLL) {
        if (*ppLink == this) {
            *ppLink = m_pNextDLL;
            break;
        }
    }
    ::ReleaseSRWLockExclusive(&g_chainLock);
}

HINSTANCE AfxFindResourceInChain(LPCSTR lpszName, LPCSTR lpszType)
{
    HINSTANCE hFound = nullptr;
    ::AcquireSRWLockShared(&g_chainLock);
    for (CDynLinkLibrary* pLink = g_pChainHead; pLink && !hFound; pLink = pLink->m_pNextDLL) {
        if (::FindResourceA(pLink->m_hResource, lpszName, lpszType))
            hFound = pLink->m_hResource;
    }
    ::ReleaseSRWLockShared(&g_chainLock);
    return hFound;
}
