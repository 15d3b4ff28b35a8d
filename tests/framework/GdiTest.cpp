// Device contexts and GDI objects: ownership of handles and the exact pixels
// of the drawing helpers.
#include <afxwin.h>

#include <gtest/gtest.h>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kA = RGB(10, 20, 30);
const COLORREF kB = RGB(200, 100, 50);

// A memory context with a white 32-bit bitmap selected.
struct Canvas {
    CDC dc;
    CBitmap bitmap;
    CBitmap* pOld = nullptr;
    Canvas(int w, int h)
    {
        CClientDC screen(nullptr);
        dc.CreateCompatibleDC(&screen);
        bitmap.CreateCompatibleBitmap(&screen, w, h);
        pOld = dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, w, h, kWhite);
    }
    ~Canvas() { dc.SelectObject(pOld); }
    COLORREF At(int x, int y) { return GetPixel(dc.m_hDC, x, y); }
};

} // namespace

TEST(Gdi, WrappersDeleteTheirHandlesWhenTheyGo)
{
    HGDIOBJ hBrush, hPen, hFont, hBitmap;
    {
        CBrush brush(RGB(1, 2, 3));
        CPen pen(PS_SOLID, 1, RGB(4, 5, 6));
        CFont font;
        LOGFONTA lf = {};
        lf.lfHeight = -12;
        lstrcpyA(lf.lfFaceName, "Arial");
        ASSERT_TRUE(font.CreateFontIndirect(&lf));
        CBitmap bitmap;
        CClientDC screen(nullptr);
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 4, 4));
        hBrush = brush.m_hObject;
        hPen = pen.m_hObject;
        hFont = font.m_hObject;
        hBitmap = bitmap.m_hObject;
        EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(hBrush));
        EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(hBitmap));
    }
    EXPECT_EQ(0u, GetObjectType(hBrush));
    EXPECT_EQ(0u, GetObjectType(hPen));
    EXPECT_EQ(0u, GetObjectType(hFont));
    EXPECT_EQ(0u, GetObjectType(hBitmap));
}

TEST(Gdi, DetachHandsTheHandleOverAndAttachTakesOne)
{
    CBrush brush(RGB(1, 2, 3));
    HGDIOBJ h = brush.Detach();
    EXPECT_EQ(nullptr, brush.m_hObject);
    {
        CGdiObject owner;
        EXPECT_TRUE(owner.Attach(h));
        EXPECT_FALSE(owner.Attach(h));
    }
    EXPECT_EQ(0u, GetObjectType(h));
}

TEST(Gdi, SelectObjectReturnsThePreviousObject)
{
    Canvas canvas(4, 4);
    CBrush red(RGB(255, 0, 0));
    CBrush* pOld = canvas.dc.SelectObject(&red);
    ASSERT_NE(nullptr, pOld);
    EXPECT_EQ(red.m_hObject, canvas.dc.SelectObject(pOld)->m_hObject);
    // The previous object is only borrowed: freeing temporaries keeps it.
    HGDIOBJ hOld = pOld->m_hObject;
    CWnd::DeleteTempMap();
    EXPECT_NE(0u, GetObjectType(hOld));
}

TEST(Gdi, Draw3dRectPaintsTheExactEdgePixels)
{
    Canvas canvas(20, 20);
    canvas.dc.Draw3dRect(2, 3, 10, 8, kA, kB); // pixels x 2..11, y 3..10
    // Top edge: x 2..10 in A; its last pixel (11, 3) is B's corner.
    for (int x = 2; x <= 10; ++x)
        EXPECT_EQ(kA, canvas.At(x, 3)) << "top x=" << x;
    EXPECT_EQ(kB, canvas.At(11, 3));
    // Left edge: y 3..9 in A; (2, 10) is B's corner.
    for (int y = 3; y <= 9; ++y)
        EXPECT_EQ(kA, canvas.At(2, y)) << "left y=" << y;
    EXPECT_EQ(kB, canvas.At(2, 10));
    for (int y = 3; y <= 10; ++y)
        EXPECT_EQ(kB, canvas.At(11, y)) << "right y=" << y;
    for (int x = 2; x <= 11; ++x)
        EXPECT_EQ(kB, canvas.At(x, 10)) << "bottom x=" << x;
    // Nothing inside or outside.
    EXPECT_EQ(kWhite, canvas.At(3, 4));
    EXPECT_EQ(kWhite, canvas.At(10, 9));
    EXPECT_EQ(kWhite, canvas.At(1, 3));
    EXPECT_EQ(kWhite, canvas.At(12, 10));
    EXPECT_EQ(kWhite, canvas.At(2, 11));
}

TEST(Gdi, FillSolidRectKeepsTheContextsBackgroundColour)
{
    Canvas canvas(8, 8);
    canvas.dc.SetBkColor(RGB(1, 1, 1));
    canvas.dc.FillSolidRect(CRect(1, 1, 3, 3), kA);
    EXPECT_EQ(kA, canvas.At(1, 1));
    EXPECT_EQ(kA, canvas.At(2, 2));
    EXPECT_EQ(kWhite, canvas.At(3, 3));
    EXPECT_EQ(RGB(1, 1, 1), GetBkColor(canvas.dc.m_hDC));
}

TEST(Gdi, TemporaryContextsNeverDeleteWhatTheyWrap)
{
    HDC hDC = CreateCompatibleDC(nullptr);
    CDC* pTemp = CDC::FromHandle(hDC);
    EXPECT_EQ(hDC, pTemp->m_hDC);
    EXPECT_EQ(pTemp, CDC::FromHandle(hDC));
    CWnd::DeleteTempMap();
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(hDC));
    DeleteDC(hDC);
}

TEST(Gdi, OwnedMemoryContextIsDeletedWithItsObject)
{
    HDC hDC;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        hDC = dc.m_hDC;
        EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(hDC));
    }
    EXPECT_EQ(0u, GetObjectType(hDC));
}
