// The button's own mouse tracking: hover by pointer movement, ended by a
// polling timer; press and release by the left button; the background
// snapshot at the first erase; the custom cursor.
#include "TransParentButton.h"

namespace {

const UINT_PTR kHoverTimerId = 1;
const UINT kHoverTimerPeriodMs = 10;

} // namespace

BEGIN_MESSAGE_MAP(CTransParentButton, CButton)
ON_WM_ERASEBKGND()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_TIMER()
ON_WM_LBUTTONUP()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

BOOL CTransParentButton::OnEraseBkgnd(CDC* pDC)
{
    // The first erase finds the parent's painting under the button (the
    // button has not painted yet): keep a copy of it and never erase. Later
    // erases keep the first copy.
    if (m_bBackgroundTaken || !pDC)
        return TRUE;
    CRect rc;
    GetClientRect(&rc);
    // Its bitmap stays selected until the button goes.
    m_dcBackground.Create(pDC, rc.Width(), rc.Height());
    m_dcBackground.BitBlt(0, 0, rc.Width(), rc.Height(), pDC, 0, 0, SRCCOPY);
    m_bBackgroundTaken = true;
    return TRUE;
}

void CTransParentButton::OnMouseMove(UINT nFlags, CPoint)
{
    // With the left button held (a press that began elsewhere, or a drag)
    // neither this button nor the standard one follows the pointer.
    if (nFlags & MK_LBUTTON)
        return;
    if (!m_bHover && m_bEnabled) {
        m_bHover = true;
        m_nState = Hover;
        RedrawButton();
        SetTimer(kHoverTimerId, kHoverTimerPeriodMs, nullptr);
    }
    Default();
}

void CTransParentButton::OnLButtonDown(UINT, CPoint)
{
    m_nState = Pressed;
    RedrawButton();
    Default();
}

void CTransParentButton::OnLButtonUp(UINT, CPoint)
{
    m_nState = Released;
    RedrawButton();
    Default();
}

void CTransParentButton::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kHoverTimerId)
        return;
    // No leave notification is asked for: the timer polls the pointer. The
    // window rectangle's right and bottom edges lie outside it.
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    CPoint ptCursor;
    ::GetCursorPos(&ptCursor);
    if (!rcWindow.PtInRect(ptCursor) && m_bHover && m_bEnabled) {
        KillTimer(kHoverTimerId);
        m_nState = Normal;
        m_bHover = false;
        RedrawButton();
    }
    Default();
}

BOOL CTransParentButton::OnSetCursor(CWnd*, UINT, UINT)
{
    if (m_hCursor) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}
