// CDC: a device context. The base class owns a context made with
// CreateCompatibleDC (deleted in the destructor); CClientDC, CWindowDC and
// CPaintDC borrow one from a window for their own lifetime; CBitmapDC is a
// memory context with a bitmap of its own.
#pragma once

#include "AfxApi.h"
#include "CGdiObject.h"
#include "CObject.h"
#include "CPoint.h"
#include "CRect.h"
#include "CString.h"

class AFX_API CDC : public CObject {
public:
    HDC m_hDC = nullptr;

    CDC();
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    operator HDC() const noexcept { return m_hDC; }
    HDC GetSafeHdc() const noexcept { return m_hDC; }

    // A temporary object for a context owned elsewhere (freed at idle time).
    static CDC* FromHandle(HDC hDC);

    // Takes ownership of a context; FALSE (and a line on the debug output)
    // when this object already holds one.
    BOOL Attach(HDC hDC);
    HDC Detach();
    // A memory context compatible with pDC (the screen when null); refused,
    // before anything is made, while this object holds a context.
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();

    // Each returns the object that was selected before (a temporary wrapper).
    CGdiObject* SelectObject(CGdiObject* pObject);
    CBitmap* SelectObject(CBitmap* pBitmap);
    CFont* SelectObject(CFont* pFont);
    CBrush* SelectObject(CBrush* pBrush);
    CPen* SelectObject(CPen* pPen);
    HGDIOBJ SelectObject(HGDIOBJ hObject);

    int GetDeviceCaps(int nIndex) const;
    int SetBkMode(int nBkMode);
    COLORREF SetBkColor(COLORREF crColor);
    COLORREF SetTextColor(COLORREF crColor);

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                DWORD dwRop);
    void FillRect(LPCRECT lpRect, CBrush* pBrush);
    void FrameRect(LPCRECT lpRect, CBrush* pBrush);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF clr);
    void FillSolidRect(LPCRECT lpRect, COLORREF clr);
    // One-pixel edges: top and left in clrTopLeft, right and bottom in
    // clrBottomRight; the top-right and bottom-left corners belong to the
    // bottom-right colour.
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight);
    void Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight);
    void DrawFocusRect(LPCRECT lpRect);
    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y);
    BOOL DrawIcon(int x, int y, HICON hIcon);
    BOOL DrawState(CPoint pt, CSize size, HICON hIcon, UINT nFlags, HBRUSH hBrush = nullptr);
    BOOL DrawState(CPoint pt, CSize size, LPCSTR lpszText, UINT nFlags, BOOL bPrefixText = TRUE,
                   int nTextLen = 0, HBRUSH hBrush = nullptr);
    BOOL TextOut(int x, int y, LPCSTR lpszString, int nCount);
    BOOL TextOut(int x, int y, const CString& str);
    CSize GetTextExtent(LPCSTR lpszString, int nCount) const;
    CSize GetTextExtent(const CString& str) const;
};

// The client area of a window: GetDC, ReleaseDC when it goes.
class AFX_API CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

// The whole window, frame included: GetWindowDC, ReleaseDC when it goes.
class AFX_API CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd;
};

// A WM_PAINT handler's context: BeginPaint, EndPaint when it goes.
class AFX_API CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps;

protected:
    HWND m_hWnd;
};

// A memory context with a bitmap of its own selected into it for its whole
// life: a snapshot to copy from, or a canvas. When it goes, the bitmap is
// selected out again and deleted, then the context.
class AFX_API CBitmapDC : public CDC {
public:
    CBitmapDC();
    ~CBitmapDC() override;

    // Makes the context and a bitmap of the given size, both compatible with
    // pDC (a context, never null), in that order, and selects the bitmap. FALSE when either cannot
    // be made; a context made without its bitmap is kept.
    BOOL Create(CDC* pDC, int nWidth, int nHeight);

private:
    CBitmap m_bitmap;
    HGDIOBJ m_hReplaced = nullptr; // the context's own bitmap, put back at the end
};
