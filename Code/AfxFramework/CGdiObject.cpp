#include "CGdiObject.h"

#include "AfxHandleOwner.h"
#include "AfxThreadState.h"
#include "CDC.h"

CGdiObject::CGdiObject() = default;

CGdiObject::~CGdiObject() { DeleteObject(); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject)
{
    if (!hObject)
        return nullptr;
    return AfxGetThreadState()->tempGdiObjects.FindOrCreate(hObject, [](void* h) {
        // Made as the right kind, so that the typed FromHandle casts hold.
        CGdiObject* pObject;
        switch (::GetObjectType(h)) {
        case OBJ_BITMAP:
            pObject = new CBitmap;
            break;
        case OBJ_FONT:
            pObject = new CFont;
            break;
        case OBJ_BRUSH:
            pObject = new CBrush;
            break;
        case OBJ_PEN:
        case OBJ_EXTPEN:
            pObject = new CPen;
            break;
        default:
            pObject = new CGdiObject;
            break;
        }
        pObject->m_hObject = static_cast<HGDIOBJ>(h);
        return pObject;
    });
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    return AfxAttachHandle(m_hObject, hObject, "CGdiObject::Attach");
}

HGDIOBJ CGdiObject::Detach() { return AfxDetachHandle(m_hObject); }
BOOL CGdiObject::DeleteObject() { return m_hObject ? ::DeleteObject(Detach()) : FALSE; }

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const
{
    return m_hObject ? ::GetObjectA(m_hObject, nCount, lpObject) : 0;
}

CBitmap::CBitmap() = default;
CBitmap::~CBitmap() = default;

CBitmap* CBitmap::FromHandle(HBITMAP hBitmap)
{
    return static_cast<CBitmap*>(CGdiObject::FromHandle(hBitmap));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return AfxCreateHandle(m_hObject, "CBitmap::CreateCompatibleBitmap",
                           [&] { return ::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight); });
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }

CFont::CFont() = default;
CFont::~CFont() = default;

CFont* CFont::FromHandle(HFONT hFont) { return static_cast<CFont*>(CGdiObject::FromHandle(hFont)); }

BOOL CFont::CreateFontIndirect(const LOGFONTA* lpLogFont)
{
    return AfxCreateHandle(m_hObject, "CFont::CreateFontIndirect",
                           [&] { return ::CreateFontIndirectA(lpLogFont); });
}

int CFont::GetLogFont(LOGFONTA* pLogFont) const { return GetObject(sizeof(LOGFONTA), pLogFont); }

CBrush::CBrush() = default;
CBrush::CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
CBrush::~CBrush() = default;

CBrush* CBrush::FromHandle(HBRUSH hBrush)
{
    return static_cast<CBrush*>(CGdiObject::FromHandle(hBrush));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor)
{
    return AfxCreateHandle(m_hObject, "CBrush::CreateSolidBrush",
                           [&] { return ::CreateSolidBrush(crColor); });
}

CPen::CPen() = default;
CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
CPen::~CPen() = default;

CPen* CPen::FromHandle(HPEN hPen) { return static_cast<CPen*>(CGdiObject::FromHandle(hPen)); }

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
{
    return AfxCreateHandle(m_hObject, "CPen::CreatePen",
                           [&] { return ::CreatePen(nPenStyle, nWidth, crColor); });
}
