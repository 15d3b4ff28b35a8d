#include "CWnd.h"

#include "AfxGlobals.h"
#include "AfxHandleOwner.h"
#include "AfxModuleState.h"
#include "AfxThreadState.h"
#include "AfxWindowMap.h"
#include "CDC.h"
#include "CGdiObject.h"
#include "CWinThread.h"

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_DRAWITEM()
ON_WM_NCDESTROY()
END_MESSAGE_MAP()

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    // An object that still owns a window takes it along; a window must never
    // outlive the object its messages are routed to.
    if (m_hWnd && AfxLookupPermanentWnd(m_hWnd) == this)
        DestroyWindow();
    Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return AfxLookupPermanentWnd(hWnd); }

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* pWnd = AfxLookupPermanentWnd(hWnd))
        return pWnd;
    return AfxGetThreadState()->tempWindows.FindOrCreate(hWnd, [](void* h) {
        CWnd* pWnd = new CWnd;
        pWnd->m_hWnd = static_cast<HWND>(h);
        return pWnd;
    });
}

void CWnd::DeleteTempMap()
{
    AfxThreadState* pState = AfxGetThreadState();
    pState->tempWindows.DeleteAll();
    pState->tempDCs.DeleteAll();
    pState->tempGdiObjects.DeleteAll();
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (!hWndNew || !AfxOwnerIsFree(m_hWnd, "CWnd::Attach"))
        return FALSE;
    if (AfxLookupPermanentWnd(hWndNew)) {
        AfxTrace("CWnd::Attach: window %p already belongs to another object", hWndNew);
        return FALSE;
    }
    AfxGetThreadState()->tempWindows.Forget(hWndNew);
    AfxAddPermanentWnd(hWndNew, this);
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    if (m_hWnd)
        AfxRemovePermanentWnd(m_hWnd);
    return AfxDetachHandle(m_hWnd);
}

BOOL CWnd::AttachAndRoute(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    auto pfnOld = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (pfnOld != &AfxWndProc)
        m_pfnSuper = pfnOld;
    return TRUE;
}

void CWnd::DetachDestroyed()
{
    // Hand the window back to its own procedure, unless another one has
    // routed it elsewhere since.
    if (m_pfnSuper &&
        reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) == &AfxWndProc)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    Detach();
    PostNcDestroy();
}

BOOL CWnd::SubclassWindow(HWND hWnd) { return ::IsWindow(hWnd) && AttachAndRoute(hWnd); }

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    HWND hWndControl = pParent ? ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)) : nullptr;
    return hWndControl ? SubclassWindow(hWndControl) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam)
{
    // The new window could never be bound to this object.
    if (!AfxOwnerIsFree(m_hWnd, "CWnd::CreateEx"))
        return FALSE;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName ? lpszClassName : AfxRegisterDefaultWndClass();
    cs.lpszName = lpszWindowName;
    cs.style = dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        AfxTrace("CWnd::CreateEx: PreCreateWindow refused the window");
        return FALSE;
    }

    AfxHookWindowCreate(this);
    HWND hWnd =
        ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx,
                          cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    DWORD dwError = ::GetLastError();
    AfxUnhookWindowCreate();
    // A failed creation may still have bound and then destroyed the window.
    if (hWnd && m_hWnd == hWnd)
        return TRUE;
    AfxTrace("CWnd::CreateEx: no window of class %s was created (error %lu; a class that is not "
             "registered, a parent that is gone, or OnCreate returning -1)",
             static_cast<const char*>(AfxNameText(cs.lpszClass)), dwError);
    return FALSE;
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND hWnd = m_hWnd;
    BOOL bResult = ::DestroyWindow(hWnd);
    // A window that was never routed here gets no WM_NCDESTROY of ours.
    if (m_hWnd == hWnd && !::IsWindow(hWnd))
        Detach();
    return bResult;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&) { return TRUE; }
void CWnd::PreSubclassWindow() {}
BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PostNcDestroy() {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT lResult = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        lResult = 1;
    } else {
        const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(message, 0, 0);
        if (!pEntry)
            return FALSE;
        lResult = pEntry->pfnHandler(this, wParam, lParam);
    }
    if (pResult)
        *pResult = lResult;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    UINT nCode = HIWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    // Menus and accelerators (no control) are plain commands.
    if (!hWndCtrl)
        nCode = 0;
    else if (CWnd* pChild = AfxLookupPermanentWnd(hWndCtrl)) {
        if (pChild->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
    }
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(WM_COMMAND, nCode, nID);
    if (!pEntry)
        return FALSE;
    pEntry->pfnHandler(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& msg = AfxGetThreadState()->lastSentMsg;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        if (CWnd* pWnd = AfxLookupPermanentWnd(hWnd)) {
            if (pWnd->PreTranslateMessage(pMsg))
                return TRUE;
        }
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult)
{
    CWnd* pChild = AfxLookupPermanentWnd(hWndChild);
    if (!pChild)
        return FALSE;
    const MSG& msg = AfxGetThreadState()->lastSentMsg;
    return pChild->OnChildNotify(msg.message, msg.wParam, msg.lParam, pResult);
}

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy,
                          nFlags);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    HWND hWndCenter = pAlternateOwner ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (hWndCenter && (!::IsWindowVisible(hWndCenter) || ::IsIconic(hWndCenter)))
        hWndCenter = nullptr;

    CRect rcDlg;
    GetWindowRect(&rcDlg);
    HMONITOR hMonitor =
        ::MonitorFromWindow(hWndCenter ? hWndCenter : m_hWnd, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoA(hMonitor, &mi);
    CRect rcArea(mi.rcWork);
    CRect rcCenter = rcArea;
    if (hWndCenter)
        ::GetWindowRect(hWndCenter, &rcCenter);

    int x = (rcCenter.left + rcCenter.right) / 2 - rcDlg.Width() / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - rcDlg.Height() / 2;
    // Keep the window on the work area.
    if (x + rcDlg.Width() > rcArea.right)
        x = rcArea.right - rcDlg.Width();
    if (x < rcArea.left)
        x = rcArea.left;
    if (y + rcDlg.Height() > rcArea.bottom)
        y = rcArea.bottom - rcDlg.Height();
    if (y < rcArea.top)
        y = rcArea.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }

int CWnd::GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const
{
    return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
}

void CWnd::GetWindowText(CString& rString) const
{
    int nLength = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, rString.GetBufferSetLength(nLength), nLength + 1);
    rString.ReleaseBuffer();
}

int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsChild(const CWnd* pWnd) const { return pWnd && ::IsChild(m_hWnd, pWnd->m_hWnd); }

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
{
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

int CWnd::OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnNcPaint() { Default(); }
BOOL CWnd::OnNcActivate(BOOL) { return static_cast<BOOL>(Default()); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct && ReflectLastMsg(lpDrawItemStruct->hwndItem))
        return;
    Default();
}

void CWnd::OnNcDestroy()
{
    // The application ends when its main window goes.
    CWinThread* pThread = AfxGetThread();
    if (pThread && pThread->m_pMainWnd == this) {
        ::PostQuitMessage(0);
        pThread->m_pMainWnd = nullptr;
    }
    Default(); // the original procedure cleans up first
    DetachDestroyed();
}

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    AfxThreadState* pState = AfxGetThreadState();
    MSG previous = pState->lastSentMsg;
    pState->lastSentMsg = {hWnd, nMsg, wParam, lParam, 0, {0, 0}};
    LRESULT lResult = pWnd->WindowProc(nMsg, wParam, lParam);
    // A handler that took WM_NCDESTROY without passing it on must not leave
    // the object bound to a dead window.
    if (nMsg == WM_NCDESTROY && AfxLookupPermanentWnd(hWnd) == pWnd)
        pWnd->DetachDestroyed();
    pState->lastSentMsg = previous;
    return lResult;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = AfxLookupPermanentWnd(hWnd);
    if (!pWnd)
        return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    return AfxCallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
}

LRESULT CALLBACK AfxCbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    AfxThreadState* pState = AfxGetThreadState();
    if (nCode == HCBT_CREATEWND && pState->pWndInit) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        CWnd* pWndInit = pState->pWndInit;
        pState->pWndInit = nullptr;
        pWndInit->AttachAndRoute(hWnd);
    }
    return ::CallNextHookEx(pState->hHookCbt, nCode, wParam, lParam);
}

void AFXAPI AfxHookWindowCreate(CWnd* pWnd)
{
    AfxThreadState* pState = AfxGetThreadState();
    if (!pState->hHookCbt)
        pState->hHookCbt =
            ::SetWindowsHookExA(WH_CBT, &AfxCbtFilterHook, nullptr, ::GetCurrentThreadId());
    pState->pWndInit = pWnd;
}

BOOL AFXAPI AfxUnhookWindowCreate()
{
    AfxThreadState* pState = AfxGetThreadState();
    if (pState->hHookCbt) {
        ::UnhookWindowsHookEx(pState->hHookCbt);
        pState->hHookCbt = nullptr;
    }
    if (pState->pWndInit) {
        pState->pWndInit = nullptr;
        return FALSE;
    }
    return TRUE;
}
