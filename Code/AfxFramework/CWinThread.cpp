#include "CWinThread.h"

#include "CWnd.h"

CWinThread::CWinThread() = default;
CWinThread::~CWinThread() = default;

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::Run()
{
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    for (;;) {
        while (bIdle && !::PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++))
                bIdle = FALSE;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (::PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpMessage()
{
    BOOL bRet = ::GetMessageA(&m_msgCur, nullptr, 0, 0);
    if (bRet == 0) {
        m_bQuitReceived = TRUE;
        m_nQuitCode = static_cast<int>(m_msgCur.wParam);
        return FALSE;
    }
    if (bRet == -1)
        return TRUE; // an invalid window filter; nothing was taken
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageA(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    // Thread messages have no window to pre-translate them.
    if (!pMsg->hwnd)
        return FALSE;
    CWnd* pMainWnd = GetMainWnd();
    if (CWnd::WalkPreTranslateTree(pMainWnd ? pMainWnd->m_hWnd : nullptr, pMsg))
        return TRUE;
    // A modeless window outside the main window's tree: the main window
    // still gets its say (accelerators).
    if (pMainWnd && pMainWnd->m_hWnd) {
        HWND hWndRoot = ::GetAncestor(pMsg->hwnd, GA_ROOT);
        if (hWndRoot != pMainWnd->m_hWnd && CWnd::FromHandlePermanent(pMainWnd->m_hWnd))
            return pMainWnd->PreTranslateMessage(pMsg);
    }
    return FALSE;
}

BOOL CWinThread::OnIdle(LONG lCount)
{
    // Temporary objects live until the thread has nothing else to do.
    if (lCount >= 1)
        CWnd::DeleteTempMap();
    return lCount < 1;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg)
{
    // Repeated mouse moves to the same place, paints and caret blinks do not
    // restart idle processing.
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
        bool bSame = m_nMsgLast == pMsg->message && m_ptCursorLast.x == pMsg->pt.x &&
                     m_ptCursorLast.y == pMsg->pt.y;
        m_ptCursorLast = pMsg->pt;
        m_nMsgLast = pMsg->message;
        return bSame ? FALSE : TRUE;
    }
    const UINT WM_SYSTIMER = 0x0118;
    return pMsg->message != WM_PAINT && pMsg->message != WM_SYSTIMER;
}

int CWinThread::ExitInstance() { return m_bQuitReceived ? m_nQuitCode : 0; }

CWnd* CWinThread::GetMainWnd() { return m_pMainWnd; }
