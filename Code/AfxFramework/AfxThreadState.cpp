#include "AfxThreadState.h"

#include "CDC.h"
#include "CGdiObject.h"
#include "CWnd.h"

namespace {
DWORD g_tlsIndex = TLS_OUT_OF_INDEXES;
}

template <> void CTempHandleMap<CWnd>::DetachAndDelete(CWnd* pObject)
{
    pObject->m_hWnd = nullptr;
    delete pObject;
}

template <> void CTempHandleMap<CDC>::DetachAndDelete(CDC* pObject)
{
    pObject->Detach();
    delete pObject;
}

template <> void CTempHandleMap<CGdiObject>::DetachAndDelete(CGdiObject* pObject)
{
    pObject->Detach();
    delete pObject;
}

bool AfxInitThreadStates()
{
    g_tlsIndex = TlsAlloc();
    return g_tlsIndex != TLS_OUT_OF_INDEXES;
}

void AfxTermThreadStates()
{
    AfxFreeThreadState();
    if (g_tlsIndex != TLS_OUT_OF_INDEXES)
        TlsFree(g_tlsIndex);
    g_tlsIndex = TLS_OUT_OF_INDEXES;
}

AfxThreadState* AfxGetThreadState()
{
    auto* pState = static_cast<AfxThreadState*>(TlsGetValue(g_tlsIndex));
    if (!pState) {
        pState = new AfxThreadState;
        TlsSetValue(g_tlsIndex, pState);
    }
    return pState;
}

void AfxFreeThreadState()
{
    if (g_tlsIndex == TLS_OUT_OF_INDEXES)
        return;
    auto* pState = static_cast<AfxThreadState*>(TlsGetValue(g_tlsIndex));
    if (!pState)
        return;
    if (pState->hHookCbt)
        UnhookWindowsHookEx(pState->hHookCbt);
    delete pState;
    TlsSetValue(g_tlsIndex, nullptr);
}
