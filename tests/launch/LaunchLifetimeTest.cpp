// What the launch screen sets up when it opens (its buttons, their icons,
// its own icon, the watermark from the current folder) and the display
// font's registration over the dialog's life.
#include <gtest/gtest.h>

#include "FontEntryCounter.h"
#include "LaunchTestSupport.h"

namespace {

// Icons are compared without their outermost ring of pixels, where the
// focus rectangle may run through the icon's transparent corners.
const int kIconSize = 32;
const int kRing = 2;
const int kInner = kIconSize - 2 * kRing;

// An icon drawn the way a button draws it, on a plain background.
Image IconOn(HICON hIcon, COLORREF clrBackground)
{
    CClientDC screen(nullptr);
    CDC dc;
    dc.CreateCompatibleDC(&screen);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&screen, kIconSize, kIconSize);
    CBitmap* pOld = dc.SelectObject(&bitmap);
    dc.FillSolidRect(0, 0, kIconSize, kIconSize, clrBackground);
    dc.DrawIcon(0, 0, hIcon);
    Image image(kInner, kInner);
    for (int y = 0; y < kInner; ++y) {
        for (int x = 0; x < kInner; ++x)
            image.Set(x, y, ::GetPixel(dc.m_hDC, kRing + x, kRing + y));
    }
    dc.SelectObject(pOld);
    return image;
}

// Where a button shows its icon, left of its caption (2: the left margin).
Image IconArea(const CWnd& button)
{
    CRect rc;
    button.GetClientRect(&rc);
    Image client = CaptureClient(button.m_hWnd);
    Image icon(kInner, kInner);
    int nTop = (rc.Height() - ::GetSystemMetrics(SM_CYICON)) / 2;
    for (int y = 0; y < kInner; ++y) {
        for (int x = 0; x < kInner; ++x)
            icon.Set(x, y, client.At(2 + kRing + x, nTop + kRing + y));
    }
    return icon;
}

HICON ResourceIcon(WORD wId)
{
    return ::LoadIconW(::GetModuleHandleA(nullptr), MAKEINTRESOURCEW(wId));
}

class LaunchLifetime : public testing::Test {
protected:
    void SetUp() override { MovePointerAway(); }
    void TearDown() override { MovePointerAway(); }
};

} // namespace

TEST_F(LaunchLifetime, OpeningBindsTheButtonsGivesThemTheirIconsAndCentresTheDialog)
{
    LaunchFolder folder(LaunchFolder::WithoutWatermark); // white under the icons
    LaunchScreenProbe dlg;
    EXPECT_NE(nullptr, dlg.m_hIcon);
    EXPECT_EQ(ResourceIcon(128), dlg.m_hIcon); // the executable's own, shared icon
    INT_PTR nResult = RunModal(dlg, [&](CDialog&) {
        EXPECT_EQ(&dlg.m_btnLxModule, CWnd::FromHandlePermanent(dlg.GetDlgItem(20000)->m_hWnd));
        EXPECT_EQ(&dlg.m_btnDefaultModule,
                  CWnd::FromHandlePermanent(dlg.GetDlgItem(20001)->m_hWnd));
        EXPECT_EQ(dlg.m_btnLxModule.m_hWnd, ::GetFocus());
        EXPECT_EQ(reinterpret_cast<LRESULT>(dlg.m_hIcon), dlg.SendMessage(WM_QUERYDRAGICON));

        // Normal: icon 15001 on the white the dialog painted.
        Image normal = IconOn(ResourceIcon(15001), RGB(255, 255, 255));
        ExpectSameImage(normal, IconArea(dlg.m_btnLxModule), "normal icon of QUAV - LX");
        ExpectSameImage(normal, IconArea(dlg.m_btnDefaultModule), "normal icon of QUAVPLUS");
        // Hovered: icon 15000 on the highlight fill.
        Image active = IconOn(ResourceIcon(15000), kHighlightFill);
        for (CWnd* pButton : {static_cast<CWnd*>(&dlg.m_btnLxModule),
                              static_cast<CWnd*>(&dlg.m_btnDefaultModule)}) {
            CRect rc;
            pButton->GetWindowRect(&rc);
            MovePointer(rc.CenterPoint());
            PumpUntil([&] { return Differences(active, IconArea(*pButton)).empty(); }, 1000);
            ExpectSameImage(active, IconArea(*pButton), "active icon");
            MovePointerAway();
            PumpMessages(50);
        }

        // The template puts the dialog at (0, 0); the framework centres it.
        MONITORINFO mi = {};
        mi.cbSize = sizeof(mi);
        ::GetMonitorInfoA(::MonitorFromWindow(dlg.m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
        CRect rcWindow;
        dlg.GetWindowRect(&rcWindow);
        EXPECT_NEAR(CRect(mi.rcWork).CenterPoint().x, rcWindow.CenterPoint().x, 1);
        EXPECT_NEAR(CRect(mi.rcWork).CenterPoint().y, rcWindow.CenterPoint().y, 1);
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(IDCANCEL, nResult);
}

TEST_F(LaunchLifetime, TheWatermarkComesFromTheCurrentFolderAndStaysUntilTheDialogGoes)
{
    LaunchFolder folder;
    LaunchScreenProbe dlg;
    EXPECT_EQ(nullptr, dlg.m_bmpWatermark.GetSafeHandle()); // nothing before it opens
    EXPECT_EQ(IDCANCEL, RunModal(dlg, [](CDialog&) { PressKey(VK_ESCAPE); }));
    BITMAP bm = {};
    ASSERT_NE(0, dlg.m_bmpWatermark.GetBitmap(&bm));
    EXPECT_EQ(300, bm.bmWidth);
    EXPECT_EQ(120, bm.bmHeight);
    EXPECT_EQ(nullptr, bm.bmBits); // a device-compatible bitmap, not a DIB section
}

TEST_F(LaunchLifetime, WithoutAReadableWatermarkInTheCurrentFolderTheDialogStillWorks)
{
    // Missing here, but beside the program: the bare name is looked up in
    // the current folder only.
    LaunchFolder folder(LaunchFolder::WithoutWatermark);
    std::string besideProgram = BuiltFile("KVR-WM.bmp");
    ASSERT_TRUE(::CopyFileA(WatermarkFixture().c_str(), besideProgram.c_str(), FALSE));
    LaunchScreenProbe missing;
    INT_PTR nResult = RunModal(missing, [&](CDialog&) {
        CRect rc;
        missing.m_btnDefaultModule.GetWindowRect(&rc);
        ClickAt(rc.CenterPoint());
    });
    ::DeleteFileA(besideProgram.c_str());
    EXPECT_EQ(IDOK, nResult);
    EXPECT_STREQ("QuavPlusUI.dll", missing.GetSelectedModule());
    EXPECT_EQ(nullptr, missing.m_bmpWatermark.GetSafeHandle());

    // Present but not a bitmap.
    MovePointerAway();
    ASSERT_TRUE(WriteWholeFile(folder.Path() + "\\KVR-WM.bmp", "BM not really a bitmap"));
    LaunchScreenProbe unreadable;
    nResult = RunModal(unreadable, [&](CDialog&) {
        CRect rc;
        unreadable.m_btnLxModule.GetWindowRect(&rc);
        ClickAt(rc.CenterPoint());
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_STREQ("QUAVLXUI.dll", unreadable.GetSelectedModule());
    EXPECT_EQ(nullptr, unreadable.m_bmpWatermark.GetSafeHandle());
}

TEST_F(LaunchLifetime, AShownDialogRegistersTheFontOnceAndRemovesItWhenItGoes)
{
    LaunchFolder folder;
    FontEntryCounter fonts;
    {
        LaunchScreenProbe dlg; // the first button registers the font
        EXPECT_EQ(1, fonts.add.nCalls);
        EXPECT_EQ("VENUSRIS.ttf", fonts.add.lastPath);
        EXPECT_EQ(IDCANCEL, RunModal(dlg, [](CDialog&) { PressKey(VK_ESCAPE); }));
        EXPECT_EQ(1, fonts.add.nCalls); // the latch held for the other two requests
        EXPECT_EQ(0, fonts.remove.nCalls);
    }
    EXPECT_EQ(1, fonts.remove.nCalls);
    EXPECT_EQ("VENUSRIS.ttf", fonts.remove.lastPath);
}

TEST_F(LaunchLifetime, EachDialogRemovesTheFontExactlyOnceShownOrNot)
{
    // Without the font file every request reaches the platform, so the calls
    // count the requests themselves.
    TempFolder empty;
    ::SetCurrentDirectoryA(empty.Path().c_str());
    FontEntryCounter fonts;
    {
        LaunchScreenProbe neverShown;
        EXPECT_EQ(2, fonts.add.nCalls); // one per button
    }
    EXPECT_EQ(1, fonts.remove.nCalls);
    {
        LaunchScreenProbe dlg;
        EXPECT_EQ(IDCANCEL, RunModal(dlg, [](CDialog&) { PressKey(VK_ESCAPE); }));
        EXPECT_EQ(5, fonts.add.nCalls); // and one more as it opened
        EXPECT_EQ(1, fonts.remove.nCalls);
    }
    EXPECT_EQ(2, fonts.remove.nCalls);
    ::SetCurrentDirectoryA(BuildBinFolder().c_str());
}
