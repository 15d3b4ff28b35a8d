// CGdiObject and its kinds: owners of one GDI handle each. The destructor
// deletes the handle; Detach hands it over instead.
#pragma once

#include "AfxApi.h"
#include "CObject.h"

class AFX_API CGdiObject : public CObject {
public:
    HGDIOBJ m_hObject = nullptr;

    CGdiObject();
    ~CGdiObject() override;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    operator HGDIOBJ() const noexcept { return m_hObject; }
    HGDIOBJ GetSafeHandle() const noexcept { return m_hObject; }

    // The object that owns the handle is unknown here, so this is a
    // temporary wrapper that never deletes it (freed at idle time).
    static CGdiObject* FromHandle(HGDIOBJ hObject);

    // Takes ownership of a handle; FALSE when this object already holds one.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const;
};

class AFX_API CBitmap : public CGdiObject {
public:
    CBitmap();
    ~CBitmap() override;
    static CBitmap* FromHandle(HBITMAP hBitmap);
    operator HBITMAP() const noexcept { return static_cast<HBITMAP>(m_hObject); }
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    int GetBitmap(BITMAP* pBitMap) const;
};

class AFX_API CFont : public CGdiObject {
public:
    CFont();
    ~CFont() override;
    static CFont* FromHandle(HFONT hFont);
    operator HFONT() const noexcept { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont);
    int GetLogFont(LOGFONTA* pLogFont) const;
};

class AFX_API CBrush : public CGdiObject {
public:
    CBrush();
    explicit CBrush(COLORREF crColor); // a solid brush
    ~CBrush() override;
    static CBrush* FromHandle(HBRUSH hBrush);
    operator HBRUSH() const noexcept { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF crColor);
};

class AFX_API CPen : public CGdiObject {
public:
    CPen();
    CPen(int nPenStyle, int nWidth, COLORREF crColor);
    ~CPen() override;
    static CPen* FromHandle(HPEN hPen);
    operator HPEN() const noexcept { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
};
