// Painting: one pass over the whole face, straight to the screen, each step
// with its own client-area context.
#include "TransParentButton.h"

#include "launch/PrivateFont.h"
#include "launch/ProcessFont.h"

namespace {

const COLORREF kHighlightFill = RGB(240, 216, 215);
const COLORREF kBlack = RGB(0, 0, 0);
const int kDisabledIconSize = 32;

CRect ClientRect(const CWnd& wnd)
{
    CRect rc;
    wnd.GetClientRect(&rc);
    return rc;
}

// Moves every side of the rectangle inward by n pixels.
CRect Deflated(CRect rc, int n)
{
    rc.DeflateRect(n, n);
    return rc;
}

} // namespace

LOGFONTA CTransParentButton::CaptionFontRequest(int nLogPixelsY)
{
    LOGFONTA lf = {};
    // Nine points measured against 71 pixels per inch (not 72), as the
    // launcher has always sized it: -12 at 96 pixels per inch.
    lf.lfHeight = -::MulDiv(9, nLogPixelsY, 71);
    lf.lfWeight = FW_NORMAL;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    ::lstrcpynA(lf.lfFaceName, kDisplayFontFace, LF_FACESIZE);
    return lf;
}

void CTransParentButton::RedrawButton()
{
    PaintBackground();
    PaintFrame();
    PaintIcon();
    PaintCaption();
}

void CTransParentButton::PaintBackground()
{
    CClientDC dc(this);
    CRect rc = ClientRect(*this);
    if (m_bTransparent) {
        // Before the first erase there is no snapshot, and nothing is drawn.
        if (m_dcBackground.m_hDC)
            dc.BitBlt(0, 0, rc.Width(), rc.Height(), &m_dcBackground, 0, 0, SRCCOPY);
    } else {
        CBrush brush(::GetSysColor(COLOR_BTNFACE));
        dc.FillRect(&rc, &brush);
    }
}

void CTransParentButton::PaintFrame()
{
    CClientDC dc(this);
    CRect rc = ClientRect(*this);
    COLORREF clrHi = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF clrSh = ::GetSysColor(COLOR_BTNSHADOW);

    if (!m_bHighlightLook) {
        // Bevel look, drawn whether enabled or not: a double edge, black on
        // the outside bottom-right when raised, top-left when sunken.
        if (m_nState == Pressed) {
            dc.Draw3dRect(&rc, kBlack, clrHi);
            dc.Draw3dRect(Deflated(rc, 1), clrSh, clrHi);
        } else {
            dc.Draw3dRect(&rc, clrHi, kBlack);
            dc.Draw3dRect(Deflated(rc, 1), clrHi, clrSh);
        }
        if (m_bFocus) {
            CBrush brushBlack(kBlack);
            dc.FrameRect(&rc, &brushBlack);
            CPen penBlack(PS_SOLID, 0, kBlack);
            {
                CSelectGuard selectPen(dc, &penBlack);
                dc.MoveTo(rc.right - 2, rc.top);
                dc.LineTo(rc.right - 2, rc.bottom - 2);
                dc.LineTo(rc.left, rc.bottom - 2);
            }
            dc.DrawFocusRect(Deflated(rc, 4));
        }
        return;
    }

    // Highlight look: nothing at all while disabled.
    if (!m_bEnabled)
        return;
    switch (m_nState) {
    case Hover:
    case Released:
        dc.FillSolidRect(&rc, kHighlightFill);
        dc.Draw3dRect(&rc, clrHi, clrSh);
        break;
    case Pressed:
        dc.Draw3dRect(&rc, clrSh, clrHi);
        break;
    default:
        dc.Draw3dRect(&rc, clrHi, clrSh);
        break;
    }
    if (m_bFocus)
        dc.DrawFocusRect(Deflated(rc, 2));
}

void CTransParentButton::PaintIcon()
{
    if (!m_bEnabled) {
        DrawIconAt(m_hIconNormal, true);
        return;
    }
    HICON hIcon = m_nState == Normal ? m_hIconNormal : m_hIconActive;
    if (hIcon)
        DrawIconAt(hIcon, false);
}

void CTransParentButton::DrawIconAt(HICON hIcon, bool bDisabled)
{
    CClientDC dc(this);
    CRect rc = ClientRect(*this);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    CString strCaption;
    GetWindowText(strCaption);

    CPoint pt((rc.Width() - cxIcon) / 2, (rc.Height() - cyIcon) / 2);
    if (!strCaption.IsEmpty()) {
        if (m_nAlign == IconAbove)
            pt.y = m_nIconMarginTop;
        else
            pt.x = m_nIconMarginLeft;
    }
    if (m_nState == Pressed) {
        ++pt.x;
        ++pt.y;
    }

    if (!hIcon)
        return;
    if (bDisabled)
        dc.DrawState(pt, CSize(kDisabledIconSize, kDisabledIconSize), hIcon, DSS_DISABLED);
    else
        dc.DrawIcon(pt.x, pt.y, hIcon);
}

void CTransParentButton::PaintCaption()
{
    CClientDC dc(this);
    CRect rc = ClientRect(*this);
    CString strCaption;
    GetWindowText(strCaption);

    // One caption font for every button, made at the first caption draw (and
    // at each later one until making it succeeds), deleted at process exit.
    static CProcessFont s_captionFont(&CaptionFontRequest);
    CFont* pCaptionFont = s_captionFont.Get(dc);
    if (pCaptionFont)
        dc.SetBkMode(TRANSPARENT);
    CSelectGuard selectFont(dc, pCaptionFont);

    CSize sizeText = dc.GetTextExtent(strCaption);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    int W = rc.Width();
    int H = rc.Height();
    CPoint pt;
    if (m_nAlign == IconAbove) {
        pt.x = (W - sizeText.cx) / 2;
        if (m_bHasIcon) {
            int T = m_nIconMarginTop;
            pt.y = T + cyIcon + (H - sizeText.cy - T - cyIcon) / 2;
        } else {
            pt.y = (H - sizeText.cy) / 2;
        }
    } else {
        if (m_bHasIcon) {
            // Centred in the area right of the icon's box.
            int L = m_nIconMarginLeft;
            pt.x = L + cxIcon + (W - sizeText.cx - L - cxIcon) / 2;
        } else {
            pt.x = (W - sizeText.cx) / 2;
        }
        pt.y = (H - sizeText.cy) / 2;
    }

    if (!m_bEnabled) {
        // Embossed and greyed by the platform; never offset when pressed.
        dc.DrawState(pt, CSize(0, 0), strCaption, DSS_DISABLED, FALSE, 0, nullptr);
    } else {
        switch (m_nState) {
        case Hover:
        case Released:
            m_clrCurrentText = m_clrHoverText;
            break;
        default:
            m_clrCurrentText = m_clrNormalText;
            break;
        }
        if (m_nState == Pressed) {
            ++pt.x;
            ++pt.y;
        }
        dc.SetTextColor(m_clrCurrentText);
        dc.SetBkMode(TRANSPARENT);
        dc.TextOut(pt.x, pt.y, strCaption);
    }
}
