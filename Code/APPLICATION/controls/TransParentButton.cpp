// Construction, configuration and the owner-draw entry point.
#include "TransParentButton.h"

#include "launch/PrivateFont.h"

namespace {

// A shared icon from the application's resources, or null when missing.
HICON LoadResourceIcon(UINT nId)
{
    WORD wId = LOWORD(nId);
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEA(wId), RT_GROUP_ICON);
    return ::LoadIconW(hInst, MAKEINTRESOURCEW(wId));
}

} // namespace

CTransParentButton::CTransParentButton()
    : m_bBackgroundTaken(false), m_bHover(false), m_bEnabled(true), m_hCursor(nullptr),
      m_bFocus(false), m_bHighlightLook(true), m_bTransparent(true), m_bHasIcon(false),
      m_nIconMarginTop(5), m_nIconMarginLeft(2), m_nState(Normal), m_nAlign(IconLeft),
      m_hIconActive(nullptr), m_hIconNormal(nullptr)
{
    // Read once: a later change of the system colours keeps these.
    m_clrNormalText = ::GetSysColor(COLOR_WINDOWTEXT);
    m_clrHoverText = ::GetSysColor(COLOR_HIGHLIGHT);
    m_clrCurrentText = m_clrNormalText;

    // Only the first successful registration of the process adds the file;
    // the launch screen removes it again when it goes.
    RegisterPrivateFont(kDisplayFontFile);
}

CTransParentButton::~CTransParentButton()
{
    if (m_hCursor)
        ::DestroyCursor(m_hCursor);
}

void CTransParentButton::PreSubclassWindow()
{
    DWORD dwStyle = static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)) & 0xFFFF;
    SendMessage(BM_SETSTYLE, dwStyle | BS_OWNERDRAW, TRUE);
}

void CTransParentButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    UINT nItemState = lpDrawItemStruct->itemState;
    if (nItemState & ODS_DISABLED) {
        m_bEnabled = false;
        m_nState = Normal;
    } else {
        m_bEnabled = true;
    }
    m_bFocus = (nItemState & ODS_FOCUS) != 0;
    RedrawButton();
}

void CTransParentButton::SetIcons(UINT nIconNormal, UINT nIconActive)
{
    m_hIconNormal = LoadResourceIcon(nIconNormal);
    m_hIconActive = LoadResourceIcon(nIconActive);
    m_bHasIcon = true;
}

void CTransParentButton::SetIcons(HICON hIconNormal, HICON hIconActive)
{
    m_hIconNormal = hIconNormal;
    m_hIconActive = hIconActive;
    m_bHasIcon = true;
}

BOOL CTransParentButton::SetBtnCursor(int nCursorId)
{
    if (m_hCursor)
        ::DestroyCursor(m_hCursor);
    m_hCursor = nullptr;
    if (nCursorId == -1)
        return TRUE;
    LPCSTR lpszName = MAKEINTRESOURCEA(LOWORD(nCursorId));
    HINSTANCE hInst = AfxFindResourceHandle(lpszName, RT_GROUP_CURSOR);
    m_hCursor =
        static_cast<HCURSOR>(::LoadImageA(hInst, lpszName, IMAGE_CURSOR, 0, 0, LR_DEFAULTCOLOR));
    return m_hCursor != nullptr;
}

void CTransParentButton::SetHoverTextColor(COLORREF clr)
{
    m_clrHoverText = clr;
    RedrawButton();
}

void CTransParentButton::SetNormalTextColor(COLORREF clr)
{
    m_clrNormalText = clr;
    RedrawButton();
}

void CTransParentButton::SetAlign(int nAlign)
{
    // Only the two arrangements have a layout.
    if (nAlign != IconLeft && nAlign != IconAbove)
        return;
    m_nAlign = nAlign;
    RedrawButton();
}

void CTransParentButton::SetIconMarginLeft(int nPixels)
{
    m_nIconMarginLeft = nPixels;
    RedrawButton();
}

void CTransParentButton::SetIconMarginTop(int nPixels)
{
    m_nIconMarginTop = nPixels;
    RedrawButton();
}

void CTransParentButton::SetTransparent(bool bTransparent) { m_bTransparent = bTransparent; }

void CTransParentButton::SetHighlightLook(bool bHighlightLook)
{
    m_bHighlightLook = bHighlightLook;
}
