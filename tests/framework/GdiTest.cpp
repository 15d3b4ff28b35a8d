// Device contexts, GDI objects and the other handle owners: ownership of
// handles, selections, and the exact pixels of the drawing helpers.
#include <afxwin.h>

#include <gtest/gtest.h>

#include "GuiObjectCounter.h"
#include "TestFiles.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kA = RGB(10, 20, 30);
const COLORREF kB = RGB(200, 100, 50);

// A memory context with a white bitmap of the screen's kind.
struct Canvas {
    CBitmapDC dc;
    Canvas(int w, int h)
    {
        CClientDC screen(nullptr);
        dc.Create(&screen, w, h);
        dc.FillSolidRect(0, 0, w, h, kWhite);
    }
    COLORREF At(int x, int y) { return GetPixel(dc.m_hDC, x, y); }
};

HGDIOBJ Selected(const CDC& dc, UINT nType) { return GetCurrentObject(dc.m_hDC, nType); }

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
        LOGFONTA back = {};
        EXPECT_NE(0, font.GetLogFont(&back));
        EXPECT_EQ(-12, back.lfHeight);
        EXPECT_STREQ("Arial", back.lfFaceName);
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

TEST(Gdi, CreatingIntoAnOccupiedObjectIsRefusedBeforeAnythingIsMade)
{
    CClientDC screen(nullptr);
    LOGFONTA lf = {};
    lf.lfHeight = -12;
    lstrcpyA(lf.lfFaceName, "Arial");
    CBrush brush(RGB(1, 2, 3));
    CPen pen(PS_SOLID, 1, RGB(4, 5, 6));
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 4, 4));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(&screen));
    HGDIOBJ hBrush = brush.m_hObject;

    long nBefore = CountGdiObjects().nObjects;
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(brush.CreateSolidBrush(RGB(7, 8, 9)));
        EXPECT_FALSE(pen.CreatePen(PS_SOLID, 2, RGB(7, 8, 9)));
        EXPECT_FALSE(font.CreateFontIndirect(&lf));
        EXPECT_FALSE(bitmap.CreateCompatibleBitmap(&screen, 8, 8));
        EXPECT_FALSE(dc.CreateCompatibleDC(&screen));
    }
    EXPECT_EQ(nBefore, CountGdiObjects().nObjects);
    EXPECT_EQ(hBrush, brush.m_hObject); // the object keeps what it held
}

TEST(Gdi, ASelectGuardSelectsForItsLifeAndPutsBackWhatItReplaced)
{
    Canvas canvas(4, 4);
    HGDIOBJ hBefore = Selected(canvas.dc, OBJ_BRUSH);
    CBrush red(RGB(255, 0, 0));
    {
        CSelectGuard select(canvas.dc, &red);
        EXPECT_EQ(red.m_hObject, Selected(canvas.dc, OBJ_BRUSH));
        CSelectGuard none(canvas.dc, static_cast<CGdiObject*>(nullptr)); // selects nothing
        EXPECT_EQ(red.m_hObject, Selected(canvas.dc, OBJ_BRUSH));
    }
    EXPECT_EQ(hBefore, Selected(canvas.dc, OBJ_BRUSH));
}

TEST(HandleOwner, ReleasesWhatItHoldsTakesOneHandleAndHandsItOver)
{
    HMODULE hLibrary;
    {
        CScopedLibrary library(LoadLibraryA("DialogResourceModule.dll"));
        hLibrary = library.Get();
        ASSERT_NE(nullptr, hLibrary);
        EXPECT_FALSE(library.Attach(GetModuleHandleA("kernel32.dll"))); // already holds one
    }
    EXPECT_EQ(nullptr, GetModuleHandleA("DialogResourceModule.dll"));

    TempFolder folder;
    std::string path = folder.File("owned.txt");
    HANDLE hFile;
    {
        CScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.IsValid());
        hFile = file.Get();
    }
    DWORD dwFlags = 0;
    EXPECT_FALSE(GetHandleInformation(hFile, &dwFlags)); // closed

    CScopedHandle missing(CreateFileA(folder.File("none\\x").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing.IsValid()); // INVALID_HANDLE_VALUE is no handle
    CScopedHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE hEvent = event.Detach();
    EXPECT_FALSE(event.IsValid());
    EXPECT_TRUE(GetHandleInformation(hEvent, &dwFlags)); // handed over, still open
    CloseHandle(hEvent);
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
