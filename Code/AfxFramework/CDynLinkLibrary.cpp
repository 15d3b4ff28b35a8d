#include "CDynLinkLibrary.h"

#include <vector>

#include "AfxHandleOwner.h"
#include "AfxModuleState.h"

// Modules join and leave while the loader holds its lock, and look-ups come
// from any thread. Nothing that may take the loader's lock (finding a
// resource, pinning a module) runs under this one, so the two locks are never
// waited for in opposite orders.
struct AfxResourceChain {
    static SRWLOCK lock;
    static CDynLinkLibrary* pHead;

    // The chain's modules, the one that joined last first.
    static std::vector<HINSTANCE> Modules()
    {
        std::vector<HINSTANCE> modules;
        ::AcquireSRWLockShared(&lock);
        for (CDynLinkLibrary* pLink = pHead; pLink; pLink = pLink->m_pNextDLL)
            modules.push_back(pLink->m_hResource);
        ::ReleaseSRWLockShared(&lock);
        return modules;
    }
};
SRWLOCK AfxResourceChain::lock = SRWLOCK_INIT;
CDynLinkLibrary* AfxResourceChain::pHead = nullptr;

namespace {

// Searched while pinned, so that a module unloaded since the chain was read
// is skipped rather than read after it is gone.
bool ModuleHasResource(HINSTANCE hModule, LPCSTR lpszName, LPCSTR lpszType)
{
    HMODULE hPinned = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(hModule),
                         &hPinned);
    CScopedLibrary pin(hPinned);
    return pin.Get() == hModule && ::FindResourceA(hModule, lpszName, lpszType);
}

} // namespace

CDynLinkLibrary::CDynLinkLibrary(HINSTANCE hModule) : m_hResource(hModule)
{
    if (!hModule || hModule == ::GetModuleHandleA(nullptr))
        return;
    ::AcquireSRWLockExclusive(&AfxResourceChain::lock);
    m_pNextDLL = AfxResourceChain::pHead;
    AfxResourceChain::pHead = this;
    ::ReleaseSRWLockExclusive(&AfxResourceChain::lock);
}

CDynLinkLibrary::~CDynLinkLibrary()
{
    ::AcquireSRWLockExclusive(&AfxResourceChain::lock);
    for (CDynLinkLibrary** ppLink = &AfxResourceChain::pHead; *ppLink;
         ppLink = &(*ppLink)->m_pNextDLL) {
        if (*ppLink == this) {
            *ppLink = m_pNextDLL;
            break;
        }
    }
    ::ReleaseSRWLockExclusive(&AfxResourceChain::lock);
}

HINSTANCE AfxFindResourceInChain(LPCSTR lpszName, LPCSTR lpszType)
{
    for (HINSTANCE hModule : AfxResourceChain::Modules()) {
        if (ModuleHasResource(hModule, lpszName, lpszType))
            return hModule;
    }
    return nullptr;
}
