#include "ButtonTestSupport.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "TestFiles.h"

namespace {

WNDPROC g_pfnStandardButtonProc = nullptr;
UINT g_nUnseenMessage = 0; // kept from the standard button while it is being sent

// Sits between the framework and the standard button's procedure.
LRESULT CALLBACK RecordingButtonProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_nUnseenMessage)
        return 0;
    PassedOnLog().push_back({message, wParam, lParam});
    return ::CallWindowProcA(g_pfnStandardButtonProc, hWnd, message, wParam, lParam);
}

// A 32-bit top-down DIB of the given pixels, for painting and reading back.
BITMAPINFO TopDownBitmapInfo(int width, int height)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    return bmi;
}

DWORD ToDibPixel(COLORREF clr)
{
    return (DWORD(GetRValue(clr)) << 16) | (DWORD(GetGValue(clr)) << 8) | GetBValue(clr);
}

COLORREF FromDibPixel(DWORD dw) { return RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF); }

void SendMouseButton(DWORD dwFlags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = dwFlags;
    ::SendInput(1, &input, sizeof(input));
}

} // namespace

COLORREF FirstPattern(int x, int y) { return RGB(x & 0xFF, y & 0xFF, 0x55); }
COLORREF SecondPattern(int x, int y) { return RGB((y * 3) & 0xFF, (x * 5) & 0xFF, 0x55); }

BEGIN_MESSAGE_MAP(PatternParent, CWnd)
ON_WM_PAINT()
ON_BN_CLICKED(kButtonId, OnClicked)
END_MESSAGE_MAP()

bool PatternParent::Create()
{
    // Topmost, so that the pointer over the button reaches it whatever other
    // windows are on the display; no WS_CLIPCHILDREN, so that it paints under
    // its button.
    return CreateEx(WS_EX_TOPMOST, nullptr, "pattern", WS_POPUP, kParentX, kParentY, kParentWidth,
                    kParentHeight, nullptr, nullptr) != FALSE;
}

void PatternParent::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    std::vector<DWORD> bits(size_t(rc.Width()) * rc.Height());
    for (int y = 0; y < rc.Height(); ++y) {
        for (int x = 0; x < rc.Width(); ++x)
            bits[size_t(y) * rc.Width() + x] = ToDibPixel(pfnPattern(x, y));
    }
    BITMAPINFO bmi = TopDownBitmapInfo(rc.Width(), rc.Height());
    ::SetDIBitsToDevice(dc.m_hDC, 0, 0, rc.Width(), rc.Height(), 0, 0, 0, rc.Height(), bits.data(),
                        &bmi, DIB_RGB_COLORS);
}

std::vector<PassedOn>& PassedOnLog()
{
    static std::vector<PassedOn> s_log;
    return s_log;
}

int CountPassedOn(UINT message)
{
    int nCount = 0;
    for (const PassedOn& entry : PassedOnLog())
        nCount += entry.message == message;
    return nCount;
}

FontFolder::FontFolder() { ::SetCurrentDirectoryA(BuiltFile("fixtures").c_str()); }

ButtonHost::ButtonHost(const char* pszCaption, bool bShow, DWORD dwButtonStyle)
{
    MovePointerAway(); // no hover unless a test asks for it
    EXPECT_TRUE(parent.Create());
    parent.ShowWindow(SW_SHOWNA);
    parent.UpdateWindow();

    HWND hWndButton =
        ::CreateWindowExA(0, "BUTTON", pszCaption, WS_CHILD | WS_TABSTOP | dwButtonStyle, kButtonX,
                          kButtonY, kButtonWidth, kButtonHeight, parent.m_hWnd,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButtonId)),
                          ::GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(nullptr, hWndButton);
    g_pfnStandardButtonProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        hWndButton, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingButtonProc)));
    EXPECT_TRUE(button.SubclassWindow(hWndButton));
    if (bShow)
        Show();
}

ButtonHost::~ButtonHost()
{
    if (parent.m_hWnd)
        parent.DestroyWindow();
}

void ButtonHost::Show()
{
    button.ShowWindow(SW_SHOWNA);
    button.UpdateWindow();
    PumpMessages(20);
}

void ButtonHost::SendUnseen(UINT message, WPARAM wParam)
{
    g_nUnseenMessage = message;
    button.SendMessage(message, wParam, MAKELPARAM(20, 20));
    g_nUnseenMessage = 0;
}

void ButtonHost::Enter(int nState)
{
    // A movement starts hover tracking unless it runs; a tick with the
    // pointer away then ends it: Normal, tracking off.
    SendUnseen(WM_MOUSEMOVE);
    SendUnseen(WM_TIMER, 1);
    if (nState == CTransParentButton::Hover)
        SendUnseen(WM_MOUSEMOVE);
    else if (nState == CTransParentButton::Pressed)
        SendUnseen(WM_LBUTTONDOWN);
    else if (nState == CTransParentButton::Released)
        SendUnseen(WM_LBUTTONUP);
}

ButtonHost::Look ButtonHost::ShownLook() const
{
    // The top edge's second pixel, and the face just inside the edge, where
    // neither the icon nor the focus rectangle reaches.
    Image image = CaptureClient(button);
    COLORREF clrEdge = image.At(1, 0);
    if (clrEdge == ::GetSysColor(COLOR_BTNSHADOW))
        return Look::Pressed;
    if (clrEdge != ::GetSysColor(COLOR_BTNHIGHLIGHT))
        return Look::NoEdge;
    return image.At(1, 1) == kHighlightFill ? Look::Lit : Look::Normal;
}

void ButtonHost::SendDrawItem(UINT nItemState)
{
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = kButtonId;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = nItemState;
    dis.hwndItem = button.m_hWnd;
    dis.hDC = nullptr; // the button draws through its own contexts
    parent.SendMessage(WM_DRAWITEM, kButtonId, reinterpret_cast<LPARAM>(&dis));
}

CRect ButtonHost::ScreenRect() const
{
    CRect rc;
    button.GetWindowRect(&rc);
    return rc;
}

POINT ButtonHost::ScreenPoint(int x, int y) const
{
    POINT pt = {x, y};
    button.ClientToScreen(&pt);
    return pt;
}

CRect Image::BoundsOf(COLORREF clr) const
{
    CRect rc(width, height, -1, -1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (At(x, y) != clr)
                continue;
            rc.left = std::min<LONG>(rc.left, x);
            rc.top = std::min<LONG>(rc.top, y);
            rc.right = std::max<LONG>(rc.right, x + 1);
            rc.bottom = std::max<LONG>(rc.bottom, y + 1);
        }
    }
    return rc.right < 0 ? CRect() : rc;
}

int Image::CountOf(COLORREF clr) const
{
    int nCount = 0;
    for (COLORREF pixel : pixels)
        nCount += pixel == clr;
    return nCount;
}

namespace {

// Copies width x height pixels from (0, 0) of a context that shows the screen.
Image CaptureFromDC(HDC hdcSource, int width, int height)
{
    Image image(width, height);
    BITMAPINFO bmi = TopDownBitmapInfo(image.width, image.height);
    void* pBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HDC hdcMem = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hdcMem, hBitmap);
    ::BitBlt(hdcMem, 0, 0, image.width, image.height, hdcSource, 0, 0, SRCCOPY);
    ::GdiFlush();
    const DWORD* pPixels = static_cast<const DWORD*>(pBits);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = FromDibPixel(pPixels[i]);
    ::SelectObject(hdcMem, hOld);
    ::DeleteDC(hdcMem);
    ::DeleteObject(hBitmap);
    return image;
}

} // namespace

Image CaptureClient(HWND hWnd)
{
    CRect rc;
    ::GetClientRect(hWnd, &rc);
    HDC hdcWindow = ::GetDC(hWnd);
    Image image = CaptureFromDC(hdcWindow, rc.Width(), rc.Height());
    ::ReleaseDC(hWnd, hdcWindow);
    return image;
}

Image CaptureWholeWindow(HWND hWnd)
{
    CRect rc;
    ::GetWindowRect(hWnd, &rc);
    HDC hdcWindow = ::GetWindowDC(hWnd);
    Image image = CaptureFromDC(hdcWindow, rc.Width(), rc.Height());
    ::ReleaseDC(hWnd, hdcWindow);
    return image;
}

Image PatternUnderButton(COLORREF (*pfnPattern)(int, int))
{
    Image image(kButtonWidth, kButtonHeight);
    for (int y = 0; y < kButtonHeight; ++y) {
        for (int x = 0; x < kButtonWidth; ++x)
            image.Set(x, y, pfnPattern(kButtonX + x, kButtonY + y));
    }
    return image;
}

TextInk MeasureCaption(const char* pszText)
{
    const int kCanvas = 400;
    const COLORREF kInk = RGB(1, 2, 3);
    HDC hdcScreen = ::GetDC(nullptr);
    LOGFONTA lf = CTransParentButton::CaptionFontRequest(::GetDeviceCaps(hdcScreen, LOGPIXELSY));
    ::ReleaseDC(nullptr, hdcScreen);

    BITMAPINFO bmi = TopDownBitmapInfo(kCanvas, kCanvas);
    void* pBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HDC hdc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOldBitmap = ::SelectObject(hdc, hBitmap);
    HFONT hFont = ::CreateFontIndirectA(&lf);
    HGDIOBJ hOldFont = ::SelectObject(hdc, hFont);
    ::PatBlt(hdc, 0, 0, kCanvas, kCanvas, WHITENESS);
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, kInk);
    ::TextOutA(hdc, 0, 0, pszText, lstrlenA(pszText));
    SIZE size = {};
    ::GetTextExtentPoint32A(hdc, pszText, lstrlenA(pszText), &size);
    ::GdiFlush();

    Image canvas(kCanvas, kCanvas);
    const DWORD* pPixels = static_cast<const DWORD*>(pBits);
    for (size_t i = 0; i < canvas.pixels.size(); ++i)
        canvas.pixels[i] = FromDibPixel(pPixels[i]);
    ::SelectObject(hdc, hOldFont);
    ::DeleteObject(hFont);
    ::SelectObject(hdc, hOldBitmap);
    ::DeleteDC(hdc);
    ::DeleteObject(hBitmap);
    return {canvas.BoundsOf(kInk), CSize(size)};
}

std::vector<POINT> Differences(const Image& a, const Image& b)
{
    std::vector<POINT> points;
    if (a.width != b.width || a.height != b.height)
        return {{-1, -1}};
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.At(x, y) != b.At(x, y))
                points.push_back({x, y});
        }
    }
    return points;
}

void ExpectSameImage(const Image& expected, const Image& actual, const char* what)
{
    std::vector<POINT> points = Differences(expected, actual);
    if (points.empty())
        return;
    std::string report;
    char szLine[128];
    for (size_t i = 0; i < points.size() && i < 8; ++i) {
        POINT pt = points[i];
        if (pt.x < 0) {
            report += " sizes differ";
            break;
        }
        wsprintfA(szLine, " (%d,%d) expected %06lX got %06lX;", int(pt.x), int(pt.y),
                  expected.At(pt.x, pt.y), actual.At(pt.x, pt.y));
        report += szLine;
    }
    ADD_FAILURE() << what << ": " << points.size() << " pixels differ:" << report;
}

void MovePointer(POINT pt) { ::SetCursorPos(pt.x, pt.y); }
void MovePointerAway() { ::SetCursorPos(5, 700); }
void PressLeftButton() { SendMouseButton(MOUSEEVENTF_LEFTDOWN); }
void ReleaseLeftButton() { SendMouseButton(MOUSEEVENTF_LEFTUP); }

void PumpMessages(DWORD dwMilliseconds)
{
    PumpUntil([] { return false; }, dwMilliseconds);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD dwTimeoutMs)
{
    DWORD dwStart = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (condition())
            return true;
        if (::GetTickCount() - dwStart >= dwTimeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}
