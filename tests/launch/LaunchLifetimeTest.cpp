// What the launch screen sets up when it opens (its buttons, their icons,
// its own icon, the watermark from the current folder) and the display
// font's registration over the dialog's life.
#include <gtest/gtest.h>

#include "FontEntryRecorder.h"
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
    CBitmapDC dc;
    dc.Create(&screen, kIconSize, kIconSize);
    dc.FillSolidRect(0, 0, kIconSize, kIconSize, clrBackground);
    dc.DrawIcon(0, 0, hIcon);
    Image image(kInner, kInner);
    for (int y = 0; y < kInner; ++y) {
        for (int x = 0; x < kInner; ++x)
            image.Set(x, y, ::GetPixel(dc.m_hDC, kRing + x, kRing + y));
    }
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
    CLaunchScreenDlg dlg;
    INT_PTR nResult = RunModal(dlg, [&](CDialog&) {
        // Both controls are bound to objects: the buttons.
        EXPECT_NE(nullptr, CWnd::FromHandlePermanent(dlg.GetDlgItem(20000)->m_hWnd));
        EXPECT_NE(nullptr, CWnd::FromHandlePermanent(dlg.GetDlgItem(20001)->m_hWnd));
        EXPECT_EQ(LxButton(dlg).m_hWnd, ::GetFocus());
        // The executable's own, shared icon.
        EXPECT_NE(nullptr, ResourceIcon(128));
        EXPECT_EQ(reinterpret_cast<LRESULT>(ResourceIcon(128)), dlg.SendMessage(WM_QUERYDRAGICON));

        // Normal: icon 15001 on the white the dialog painted.
        Image normal = IconOn(ResourceIcon(15001), RGB(255, 255, 255));
        ExpectSameImage(normal, IconArea(LxButton(dlg)), "normal icon of QUAV - LX");
        ExpectSameImage(normal, IconArea(DefaultButton(dlg)), "normal icon of QUAVPLUS");
        // Hovered: icon 15000 on the highlight fill.
        Image active = IconOn(ResourceIcon(15000), kHighlightFill);
        for (CWnd* pButton :
             {static_cast<CWnd*>(&LxButton(dlg)), static_cast<CWnd*>(&DefaultButton(dlg))}) {
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

TEST_F(LaunchLifetime, TheWatermarkIsReadFromTheCurrentFolderWhenTheDialogOpens)
{
    TempFolder empty; // made where there is none,
    ::SetCurrentDirectoryA(empty.Path().c_str());
    CLaunchScreenDlg dlg;
    LaunchFolder folder; // opened where there is one
    EXPECT_EQ(IDCANCEL, RunModal(dlg, [&](CDialog&) {
                  EXPECT_TRUE(ShowsWatermark(dlg));
                  PressKey(VK_ESCAPE);
              }));
}

TEST_F(LaunchLifetime, WithoutAReadableWatermarkInTheCurrentFolderTheDialogStillWorks)
{
    // Missing here, but beside the program: the bare name is looked up in
    // the current folder only.
    LaunchFolder folder(LaunchFolder::WithoutWatermark);
    std::string besideProgram = BuiltFile("KVR-WM.bmp");
    ASSERT_TRUE(::CopyFileA(WatermarkFixture().c_str(), besideProgram.c_str(), FALSE));
    CLaunchScreenDlg missing;
    INT_PTR nResult = RunModal(missing, [&](CDialog&) {
        EXPECT_FALSE(ShowsWatermark(missing));
        CRect rc;
        DefaultButton(missing).GetWindowRect(&rc);
        ClickAt(rc.CenterPoint());
    });
    ::DeleteFileA(besideProgram.c_str());
    EXPECT_EQ(IDOK, nResult);
    EXPECT_STREQ("QuavPlusUI.dll", missing.GetSelectedModule());

    // Present but not a bitmap.
    MovePointerAway();
    ASSERT_TRUE(WriteWholeFile(folder.Path() + "\\KVR-WM.bmp", "BM not really a bitmap"));
    CLaunchScreenDlg unreadable;
    nResult = RunModal(unreadable, [&](CDialog&) {
        EXPECT_FALSE(ShowsWatermark(unreadable));
        CRect rc;
        LxButton(unreadable).GetWindowRect(&rc);
        ClickAt(rc.CenterPoint());
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_STREQ("QUAVLXUI.dll", unreadable.GetSelectedModule());
}

TEST_F(LaunchLifetime, AShownDialogRegistersTheFontOnceAndRemovesItWhenItGoes)
{
    LaunchFolder folder;
    FontEntryRecorder fonts;
    {
        CLaunchScreenDlg dlg; // the first button registers the font
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
    FontEntryRecorder fonts;
    {
        CLaunchScreenDlg neverShown;
        EXPECT_EQ(2, fonts.add.nCalls); // one per button
    }
    EXPECT_EQ(1, fonts.remove.nCalls);
    {
        CLaunchScreenDlg dlg;
        EXPECT_EQ(IDCANCEL, RunModal(dlg, [](CDialog&) { PressKey(VK_ESCAPE); }));
        EXPECT_EQ(5, fonts.add.nCalls); // and one more as it opened
        EXPECT_EQ(1, fonts.remove.nCalls);
    }
    EXPECT_EQ(2, fonts.remove.nCalls);
    ::SetCurrentDirectoryA(BuildBinFolder().c_str());
}
