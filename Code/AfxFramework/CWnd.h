// CWnd: a C++ object bound to a window handle.
//
// A window made with CreateEx, or subclassed with SubclassWindow, sends its
// messages through the object's message map; what the map does not handle,
// and what a handler passes on with Default(), reaches the window's original
// procedure. The object and the window are separate lifetimes: destroying
// the window detaches the object (WM_NCDESTROY), destroying an object that
// still owns a window destroys the window.
#pragma once

#include "AfxApi.h"
#include "CCmdTarget.h"
#include "CPoint.h"
#include "CRect.h"
#include "CString.h"

class AFX_API CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    operator HWND() const noexcept { return m_hWnd; }
    HWND GetSafeHwnd() const noexcept { return m_hWnd; }

    // The object bound to a window; a temporary one (freed at idle time) when
    // the window has none.
    static CWnd* FromHandle(HWND hWnd);
    // The object bound to a window, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // Frees this thread's temporary window, device context and GDI objects.
    static void DeleteTempMap();

    // Binds the object to a window without routing its messages here; FALSE
    // (and a line on the debug output) when the object already has a window
    // or the window already has an object.
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Binds the object to an existing window and routes its messages here.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // FALSE, with the reason on the debug output, when no window was made
    // (or when the object already has one).
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                  LPVOID lpParam = nullptr);
    // Creates a child window with the given control id.
    virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                        const RECT& rect, CWnd* pParentWnd, UINT nID);
    virtual BOOL DestroyWindow();

    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    // Called with the window attached, before its messages are routed here.
    virtual void PreSubclassWindow();
    // Called by the message loop before a message is translated and
    // dispatched; TRUE means the message was handled and goes no further.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // A message the parent reflects back to the control that caused it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone and the object detached.
    virtual void PostNcDestroy();

    // Passes the message being handled to the window's original procedure.
    LRESULT Default();
    // Gives each window from the message's target up to hWndStop a chance to
    // pre-translate it.
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
    // Sends the message being handled to the child window's object.
    static BOOL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = nullptr);

    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ShowWindow(int nCmdShow);
    void UpdateWindow();
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    // Centres the window over its owner, or over the work area without one.
    void CenterWindow(CWnd* pAlternateOwner = nullptr);

    void SetWindowText(LPCSTR lpszString);
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;

    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    CWnd* GetTopLevelParent() const;
    static CWnd* GetFocus();
    CWnd* SetFocus();
    BOOL IsWindowEnabled() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    BOOL IsChild(const CWnd* pWnd) const;

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

protected:
    // The window's procedure before it was routed here.
    WNDPROC m_pfnSuper = nullptr;

    // Default handlers: each passes the message on.
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnDestroy();
    void OnClose();
    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    void OnNcPaint();
    BOOL OnNcActivate(BOOL bActive);
    BOOL OnEraseBkgnd(CDC* pDC);
    HCURSOR OnQueryDragIcon();
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    // Reflects the request to the control's object (CButton::DrawItem).
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    // Ends the main window's message loop, detaches the object, then calls
    // PostNcDestroy.
    void OnNcDestroy();

    DECLARE_MESSAGE_MAP()

private:
    // Binds the object to the window and routes the window's messages here;
    // its procedure before that is kept for Default.
    BOOL AttachAndRoute(HWND hWnd);
    // After WM_NCDESTROY: gives the window back to its own procedure,
    // unbinds the object and calls PostNcDestroy.
    void DetachDestroyed();

    friend LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    friend LRESULT CALLBACK AfxCbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam);
};

// The procedure of every window routed through the framework.
AFX_API LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// Binds the next window created on this thread to pWnd (used by CreateEx and
// CDialog); AfxUnhookWindowCreate returns FALSE when no window was bound.
AFX_API void AFXAPI AfxHookWindowCreate(CWnd* pWnd);
AFX_API BOOL AFXAPI AfxUnhookWindowCreate();
