#include "LaunchTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct StepRun {
    const std::function<void(CDialog&)>* pOnShown;
    DWORD dwStart;
    DWORD dwTimeoutMs;
    bool bShown;
};
StepRun* g_pRun = nullptr;

BOOL CALLBACK FindShownDialog(HWND hWnd, LPARAM lParam)
{
    char szClass[16] = {};
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (lstrcmpA(szClass, "#32770") != 0 || !pWnd || !::IsWindowVisible(hWnd))
        return TRUE;
    *reinterpret_cast<CDialog**>(lParam) = static_cast<CDialog*>(pWnd);
    return FALSE;
}

// The visible framework dialog of this thread, if there is one.
CDialog* ShownDialog()
{
    CDialog* pFound = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindShownDialog,
                        reinterpret_cast<LPARAM>(&pFound));
    return pFound;
}

// A thread timer: the modal loop dispatches its ticks like any message.
void CALLBACK StepRunTick(HWND, UINT, UINT_PTR, DWORD)
{
    StepRun* pRun = g_pRun;
    CDialog* pDialog = ShownDialog();
    if (!pRun || !pDialog)
        return;
    if (::GetTickCount() - pRun->dwStart > pRun->dwTimeoutMs) {
        pDialog->EndDialog(static_cast<int>(kGaveUp));
        return;
    }
    if (pRun->bShown)
        return;
    pRun->bShown = true;
    PumpMessages(100); // the first paints, the buttons' included
    (*pRun->pOnShown)(*pDialog);
    // A step stopped by a failed assertion would leave the dialog waiting.
    if (testing::Test::HasFatalFailure())
        pDialog->EndDialog(static_cast<int>(kGaveUp));
}

MessageLog* g_pLog = nullptr;

LRESULT CALLBACK LogSentMessage(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION && g_pLog) {
        const auto* pInfo = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        g_pLog->entries.push_back({pInfo->hwnd, pInfo->message, pInfo->wParam, pInfo->lResult});
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

LRESULT CALLBACK LogQueuedMessage(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION && wParam == PM_REMOVE && g_pLog) {
        const auto* pMsg = reinterpret_cast<const MSG*>(lParam);
        g_pLog->entries.push_back({pMsg->hwnd, pMsg->message, pMsg->wParam, 0});
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

std::string LaunchFixtures() { return BuiltFile("launch-fixtures"); }

void SendKey(WORD wVirtualKey, DWORD dwFlags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = wVirtualKey;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(wVirtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = dwFlags;
    ::SendInput(1, &input, sizeof(input));
}

} // namespace

INT_PTR RunWithStep(const std::function<INT_PTR()>& run,
                    const std::function<void(CDialog&)>& onShown, DWORD dwTimeoutMs)
{
    StepRun step = {&onShown, ::GetTickCount(), dwTimeoutMs, false};
    g_pRun = &step;
    UINT_PTR nTimer = ::SetTimer(nullptr, 0, 20, &StepRunTick);
    INT_PTR nResult = run();
    ::KillTimer(nullptr, nTimer);
    g_pRun = nullptr;
    return nResult;
}

INT_PTR RunModal(CDialog& dlg, const std::function<void(CDialog&)>& onShown, DWORD dwTimeoutMs)
{
    return RunWithStep([&] { return dlg.DoModal(); }, onShown, dwTimeoutMs);
}

LaunchFolder::LaunchFolder(Watermark watermark)
{
    if (watermark == WithoutWatermark) {
        m_pTemporary = std::make_unique<TempFolder>();
        m_pTemporary->CopyIn(LaunchFixtures() + "\\VENUSRIS.ttf", "VENUSRIS.ttf");
        m_path = m_pTemporary->Path();
    } else {
        m_path = LaunchFixtures();
    }
    ::SetCurrentDirectoryA(m_path.c_str());
}

LaunchFolder::~LaunchFolder()
{
    // A folder cannot be removed while it is the current one.
    ::SetCurrentDirectoryA(BuildBinFolder().c_str());
}

std::string WatermarkFixture() { return LaunchFixtures() + "\\KVR-WM.bmp"; }

Image WatermarkImage()
{
    auto hBitmap = static_cast<HBITMAP>(
        ::LoadImageA(nullptr, WatermarkFixture().c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    BITMAP bm = {};
    ::GetObjectA(hBitmap, sizeof(bm), &bm);
    Image image(bm.bmWidth, bm.bmHeight);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = bm.bmWidth;
    bmi.bmiHeader.biHeight = -bm.bmHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> bits(image.pixels.size());
    HDC hdc = ::CreateCompatibleDC(nullptr);
    ::GetDIBits(hdc, hBitmap, 0, static_cast<UINT>(bm.bmHeight), bits.data(), &bmi, DIB_RGB_COLORS);
    ::DeleteDC(hdc);
    ::DeleteObject(hBitmap);
    for (size_t i = 0; i < bits.size(); ++i)
        image.pixels[i] = RGB((bits[i] >> 16) & 0xFF, (bits[i] >> 8) & 0xFF, bits[i] & 0xFF);
    return image;
}

bool ShowsWatermark(const CDialog& dlg)
{
    Image watermark = WatermarkImage();
    CRect rc;
    dlg.GetClientRect(&rc);
    POINT origin = CLaunchScreenDlg::WatermarkOrigin(rc.Width(), rc.Height(), watermark.width,
                                                     watermark.height);
    // Its frame's top-left corner, which is not white.
    return CaptureClient(dlg.m_hWnd).At(origin.x, origin.y) == watermark.At(0, 0);
}

void PressKey(WORD wVirtualKey)
{
    SendKey(wVirtualKey, 0);
    SendKey(wVirtualKey, KEYEVENTF_KEYUP);
}

void ClickAt(POINT pt)
{
    MovePointer(pt);
    PressLeftButton();
    ReleaseLeftButton();
}

MessageLog::MessageLog()
{
    g_pLog = this;
    m_hSentHook =
        ::SetWindowsHookExA(WH_CALLWNDPROCRET, &LogSentMessage, nullptr, ::GetCurrentThreadId());
    m_hQueuedHook =
        ::SetWindowsHookExA(WH_GETMESSAGE, &LogQueuedMessage, nullptr, ::GetCurrentThreadId());
}

MessageLog::~MessageLog()
{
    ::UnhookWindowsHookEx(m_hQueuedHook);
    ::UnhookWindowsHookEx(m_hSentHook);
    g_pLog = nullptr;
}

int MessageLog::Find(HWND hWnd, UINT message, size_t nFrom) const
{
    for (size_t i = nFrom; i < entries.size(); ++i) {
        if (entries[i].hWnd == hWnd && entries[i].message == message)
            return static_cast<int>(i);
    }
    return -1;
}

POINT ClientOrigin(HWND hWnd)
{
    CRect rcWindow;
    ::GetWindowRect(hWnd, &rcWindow);
    POINT pt = {0, 0};
    ::ClientToScreen(hWnd, &pt);
    return {pt.x - rcWindow.left, pt.y - rcWindow.top};
}

CRect ChildRect(HWND hWndChild)
{
    CRect rc;
    ::GetWindowRect(hWndChild, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(hWndChild), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}
