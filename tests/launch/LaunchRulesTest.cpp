// The launch screen's arithmetic, and the launch screen in a program whose
// resources lack its template: it cannot be created, gives no module name,
// and still removes the display font when it goes.
#include <gtest/gtest.h>

#include "FontEntryRecorder.h"
#include "LaunchTestSupport.h"
#include "QuavPlusApp.h"

TEST(LaunchScreenRules, TheWatermarkIsCentredByHalvesEachTruncatedOnItsOwn)
{
    // Half of 301 is 150, so 170 - 150 = 20, where halving the difference gives 19.
    EXPECT_EQ(20, CLaunchScreenDlg::WatermarkOrigin(340, 100, 301, 100).x);
    // Larger than the client area: cut off on both sides.
    EXPECT_EQ(-30, CLaunchScreenDlg::WatermarkOrigin(340, 100, 401, 100).x);
    // The same rule downwards, and toward zero for negative halves.
    EXPECT_EQ(CPoint(48, 19), CLaunchScreenDlg::WatermarkOrigin(397, 159, 300, 120));
    EXPECT_EQ(CPoint(20, -30), CLaunchScreenDlg::WatermarkOrigin(340, 340, 301, 401));
    EXPECT_EQ(CPoint(170, 79), CLaunchScreenDlg::WatermarkOrigin(340, 159, 0, 0));
}

TEST(LaunchScreenRules, TheMinimisedIconIsCentredRoundingTheHalfUp)
{
    EXPECT_EQ(CPoint(2, 2), CLaunchScreenDlg::MinimizedIconOrigin(36, 36, 32, 32));
    EXPECT_EQ(CPoint(2, 1), CLaunchScreenDlg::MinimizedIconOrigin(35, 33, 32, 32));
    // A client area smaller than the icon: the division truncates toward zero.
    EXPECT_EQ(CPoint(-15, -14), CLaunchScreenDlg::MinimizedIconOrigin(0, 3, 32, 32));
}

TEST(LaunchScreenRules, TheTitleFontIsTenPointsOnASeventyFivePerInchScale)
{
    struct {
        int nDpi;
        LONG lHeight;
    } const cases[] = {{96, -13}, {120, -16}, {144, -19}, {192, -26}};
    for (const auto& c : cases)
        EXPECT_EQ(c.lHeight, CLaunchScreenDlg::TitleFontRequest(c.nDpi).lfHeight) << c.nDpi;

    LOGFONTA expected = {};
    expected.lfHeight = -13;
    expected.lfWeight = FW_NORMAL;
    expected.lfCharSet = ANSI_CHARSET;
    expected.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lstrcpyA(expected.lfFaceName, "Venus Rising");
    LOGFONTA lf = CLaunchScreenDlg::TitleFontRequest(96);
    EXPECT_EQ(0, memcmp(&expected, &lf, sizeof(lf))); // every other field zero
}

TEST(LaunchScreenWithoutItsTemplate, CannotBeCreatedGivesNoNameAndRemovesTheFontOnce)
{
    FontEntryRecorder fonts; // no font file in this folder: every removal reaches the platform
    {
        CLaunchScreenDlg dlg;
        EXPECT_EQ(-1, dlg.DoModal());
        EXPECT_EQ(nullptr, dlg.m_hWnd);
        EXPECT_STREQ("", dlg.GetSelectedModule());
        EXPECT_EQ(0, fonts.remove.nCalls);
    }
    EXPECT_EQ(1, fonts.remove.nCalls);
    {
        CLaunchScreenDlg neverShown;
    }
    EXPECT_EQ(2, fonts.remove.nCalls);

    // The selection takes the missing choice as an empty name, not as a cancel.
    class Launcher : public CQuavPlusApp {
    public:
        using CQuavPlusApp::RunLaunchScreen;
    } app;
    CString strModule("unchanged");
    EXPECT_TRUE(app.RunLaunchScreen(strModule));
    EXPECT_STREQ("", strModule);
    EXPECT_EQ(3, fonts.remove.nCalls);
}
