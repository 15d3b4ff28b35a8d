#include "CDC.h"

#include "AfxHandleOwner.h"
#include "AfxThreadState.h"
#include "CGdiObject.h"
#include "CWnd.h"

CDC::CDC() = default;

CDC::~CDC() { DeleteDC(); }

CDC* CDC::FromHandle(HDC hDC)
{
    if (!hDC)
        return nullptr;
    return AfxGetThreadState()->tempDCs.FindOrCreate(hDC, [](void* h) {
        CDC* pDC = new CDC;
        pDC->m_hDC = static_cast<HDC>(h);
        return pDC;
    });
}

BOOL CDC::Attach(HDC hDC) { return AfxAttachHandle(m_hDC, hDC, "CDC::Attach"); }
HDC CDC::Detach() { return AfxDetachHandle(m_hDC); }

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    return AfxCreateHandle(m_hDC, "CDC::CreateCompatibleDC",
                           [&] { return ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr); });
}

BOOL CDC::DeleteDC() { return m_hDC ? ::DeleteDC(Detach()) : FALSE; }

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }

CGdiObject* CDC::SelectObject(CGdiObject* pObject)
{
    return pObject ? CGdiObject::FromHandle(SelectObject(pObject->m_hObject)) : nullptr;
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    return static_cast<CBitmap*>(SelectObject(static_cast<CGdiObject*>(pBitmap)));
}

CFont* CDC::SelectObject(CFont* pFont)
{
    return static_cast<CFont*>(SelectObject(static_cast<CGdiObject*>(pFont)));
}

CBrush* CDC::SelectObject(CBrush* pBrush)
{
    return static_cast<CBrush*>(SelectObject(static_cast<CGdiObject*>(pBrush)));
}

CPen* CDC::SelectObject(CPen* pPen)
{
    return static_cast<CPen*>(SelectObject(static_cast<CGdiObject*>(pPen)));
}

int CDC::GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }
int CDC::SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
COLORREF CDC::SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
COLORREF CDC::SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                 DWORD dwRop)
{
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                    dwRop);
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush)
{
    ::FillRect(m_hDC, lpRect, pBrush ? static_cast<HBRUSH>(pBrush->m_hObject) : nullptr);
}

void CDC::FrameRect(LPCRECT lpRect, CBrush* pBrush)
{
    ::FrameRect(m_hDC, lpRect, pBrush ? static_cast<HBRUSH>(pBrush->m_hObject) : nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr)
{
    FillSolidRect(CRect(x, y, x + cx, y + cy), clr);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr)
{
    // An opaque empty text run fills exactly the rectangle, with no brush to
    // make; the context's background colour is left as it was.
    COLORREF clrOld = ::SetBkColor(m_hDC, clr);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, clrOld);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);          // top, without the right corner
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);          // left, without the bottom corner
    FillSolidRect(x + cx - 1, y, 1, cy, clrBottomRight); // right, full height
    FillSolidRect(x, y + cy - 1, cx, 1, clrBottomRight); // bottom, full width
}

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
               lpRect->bottom - lpRect->top, clrTopLeft, clrBottomRight);
}

void CDC::DrawFocusRect(LPCRECT lpRect) { ::DrawFocusRect(m_hDC, lpRect); }

CPoint CDC::MoveTo(int x, int y)
{
    POINT pt = {0, 0};
    ::MoveToEx(m_hDC, x, y, &pt);
    return CPoint(pt);
}

BOOL CDC::LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

BOOL CDC::DrawState(CPoint pt, CSize size, HICON hIcon, UINT nFlags, HBRUSH hBrush)
{
    return ::DrawStateA(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(hIcon), 0, pt.x, pt.y,
                        size.cx, size.cy, nFlags | DST_ICON);
}

BOOL CDC::DrawState(CPoint pt, CSize size, LPCSTR lpszText, UINT nFlags, BOOL bPrefixText,
                    int nTextLen, HBRUSH hBrush)
{
    return ::DrawStateA(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(lpszText),
                        static_cast<WPARAM>(nTextLen), pt.x, pt.y, size.cx, size.cy,
                        nFlags | (bPrefixText ? DST_PREFIXTEXT : DST_TEXT));
}

BOOL CDC::TextOut(int x, int y, LPCSTR lpszString, int nCount)
{
    return ::TextOutA(m_hDC, x, y, lpszString, nCount);
}

BOOL CDC::TextOut(int x, int y, const CString& str) { return TextOut(x, y, str, str.GetLength()); }

CSize CDC::GetTextExtent(LPCSTR lpszString, int nCount) const
{
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(m_hDC, lpszString, nCount, &size);
    return CSize(size);
}

CSize CDC::GetTextExtent(const CString& str) const { return GetTextExtent(str, str.GetLength()); }

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps(), m_hWnd(pWnd->m_hWnd)
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}

CBitmapDC::CBitmapDC() = default;

CBitmapDC::~CBitmapDC()
{
    if (m_hReplaced)
        SelectObject(m_hReplaced);
}

BOOL CBitmapDC::Create(CDC* pDC, int nWidth, int nHeight)
{
    if (!CreateCompatibleDC(pDC) || !m_bitmap.CreateCompatibleBitmap(pDC, nWidth, nHeight))
        return FALSE;
    m_hReplaced = SelectObject(m_bitmap.m_hObject);
    return TRUE;
}
