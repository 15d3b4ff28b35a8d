// The launch screen's painting, read back from the screen: the white client
// area with the watermark in the middle, the buttons drawn again over every
// client paint, the title in the caption bar, the frame left alone on
// activation changes, and the minimised paint.
#include <algorithm>

#include <gtest/gtest.h>

#include "GuiObjectCounter.h"
#include "LaunchTestSupport.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const char kTitle[] = "KVR Integrated Front End";

// Both buttons' rectangles in the dialog's client area, frames included.
struct ButtonAreas {
    CRect lx;
    CRect plus;
    bool Cover(int x, int y) const { return lx.PtInRect({x, y}) || plus.PtInRect({x, y}); }
};

ButtonAreas ButtonsOf(CLaunchScreenDlg& dlg)
{
    return {ChildRect(LxButton(dlg).m_hWnd), ChildRect(DefaultButton(dlg).m_hWnd)};
}

// What the dialog itself paints at a point of its client area: the
// watermark where it lies (at the given origin), white everywhere else.
COLORREF DialogPainting(const Image& watermark, POINT origin, int x, int y)
{
    int wx = x - origin.x, wy = y - origin.y;
    if (wx >= 0 && wy >= 0 && wx < watermark.width && wy < watermark.height)
        return watermark.At(wx, wy);
    return kWhite;
}

// Pixels outside the buttons that differ from the dialog's own painting.
std::vector<POINT> PaintingDifferences(CLaunchScreenDlg& dlg, const Image& watermark, POINT origin)
{
    Image client = CaptureClient(dlg.m_hWnd);
    ButtonAreas buttons = ButtonsOf(dlg);
    std::vector<POINT> points;
    for (int y = 0; y < client.height; ++y) {
        for (int x = 0; x < client.width; ++x) {
            if (!buttons.Cover(x, y) && client.At(x, y) != DialogPainting(watermark, origin, x, y))
                points.push_back({x, y});
        }
    }
    return points;
}

// The title as the dialog should write it into its window: white, in the
// display face at this display's density, at (20, 5) of an image the size
// of the window; everything else black. Only fully covered pixels count:
// the smoothed edges of the letters take some of the caption's colour.
Image ExpectedTitle(HWND hWnd, CString* pstrFace)
{
    CRect rc;
    ::GetWindowRect(hWnd, &rc);
    CWindowDC window(CWnd::FromHandle(hWnd));
    LOGFONTA lf = CLaunchScreenDlg::TitleFontRequest(window.GetDeviceCaps(LOGPIXELSY));
    CFont font;
    font.CreateFontIndirect(&lf);
    CBitmapDC dc;
    dc.Create(&window, rc.Width(), rc.Height());
    CSelectGuard selectFont(dc, &font);
    dc.FillSolidRect(0, 0, rc.Width(), rc.Height(), RGB(0, 0, 0));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kWhite);
    dc.TextOut(20, 5, kTitle, lstrlenA(kTitle));
    char szFace[LF_FACESIZE] = {};
    ::GetTextFaceA(dc.m_hDC, LF_FACESIZE, szFace);
    *pstrFace = szFace;
    Image image(rc.Width(), rc.Height());
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x)
            image.Set(x, y, ::GetPixel(dc.m_hDC, x, y) == kWhite ? kWhite : RGB(0, 0, 0));
    }
    return image;
}

class LaunchPaint : public testing::Test {
protected:
    void SetUp() override
    {
        MovePointerAway(); // no hover look on the buttons
        PumpMessages(10);
    }
    void TearDown() override { MovePointerAway(); }
};

} // namespace

TEST_F(LaunchPaint, TheClientAreaIsWhiteWithTheWatermarkCentredAndUnderTheButtons)
{
    LaunchFolder folder;
    CLaunchScreenDlg dlg;
    Image watermark = WatermarkImage();
    ASSERT_EQ(300, watermark.width);
    RunModal(dlg, [&](CDialog&) {
        CRect rc;
        dlg.GetClientRect(&rc);
        POINT origin = CLaunchScreenDlg::WatermarkOrigin(rc.Width(), rc.Height(), watermark.width,
                                                         watermark.height);
        std::vector<POINT> points = PaintingDifferences(dlg, watermark, origin);
        EXPECT_TRUE(points.empty()) << points.size() << " pixels differ, the first at "
                                    << (points.empty() ? POINT{} : points[0]);

        // The buttons' faces show what the dialog painted under them: the
        // corners right of the caption, inside the edge and the focus mark.
        Image client = CaptureClient(dlg.m_hWnd);
        for (CWnd* pButton :
             {static_cast<CWnd*>(&LxButton(dlg)), static_cast<CWnd*>(&DefaultButton(dlg))}) {
            CRect rcButton;
            pButton->GetClientRect(&rcButton);
            for (POINT pt : {POINT{rcButton.right - 5, 4}, POINT{rcButton.right - 5, 6},
                             POINT{rcButton.right - 5, rcButton.bottom - 5}}) {
                ::MapWindowPoints(pButton->m_hWnd, dlg.m_hWnd, &pt, 1);
                EXPECT_EQ(DialogPainting(watermark, origin, pt.x, pt.y), client.At(pt.x, pt.y))
                    << "at " << pt;
            }
        }
        PressKey(VK_ESCAPE);
    });
}

TEST_F(LaunchPaint, WithoutAWatermarkOnlyWhiteIsPainted)
{
    LaunchFolder folder(LaunchFolder::WithoutWatermark);
    CLaunchScreenDlg dlg;
    RunModal(dlg, [&](CDialog&) {
        std::vector<POINT> points = PaintingDifferences(dlg, Image(), POINT{0, 0});
        EXPECT_TRUE(points.empty()) << points.size() << " pixels are not white, the first at "
                                    << (points.empty() ? POINT{} : points[0]);
        PressKey(VK_ESCAPE);
    });
}

TEST_F(LaunchPaint, EveryClientPaintCoversTheWholeAreaThenTheButtonsDrawAgainOnTop)
{
    LaunchFolder folder;
    CLaunchScreenDlg dlg;
    MessageLog log;
    RunModal(dlg, [&](CDialog&) {
        Image before = CaptureClient(dlg.m_hWnd);
        // Paint over everything, buttons included, then let a single pixel
        // far from the buttons be repainted.
        {
            CClientDC dc(&dlg);
            CRect rc;
            dlg.GetClientRect(&rc);
            dc.FillSolidRect(&rc, RGB(255, 0, 0));
        }
        size_t nFrom = log.entries.size();
        CRect rcPixel(1, 1, 2, 2);
        dlg.InvalidateRect(&rcPixel, FALSE);
        dlg.UpdateWindow();
        PumpMessages(100);
        ExpectSameImage(before, CaptureClient(dlg.m_hWnd), "after a one-pixel paint");

        // The buttons were asked to erase (and so to redraw) after the dialog's paint.
        int nPaint = log.Find(dlg.m_hWnd, WM_PAINT, nFrom);
        ASSERT_GE(nPaint, 0);
        EXPECT_GE(log.Find(DefaultButton(dlg).m_hWnd, WM_ERASEBKGND, nPaint), 0);
        EXPECT_GE(log.Find(LxButton(dlg).m_hWnd, WM_ERASEBKGND, nPaint), 0);
        PressKey(VK_ESCAPE);
    });
}

TEST_F(LaunchPaint, TheTitleIsWrittenInWhiteInTheDisplayFaceAt20And5OfTheWindow)
{
    LaunchFolder folder;
    CLaunchScreenDlg dlg;
    RunModal(dlg, [&](CDialog&) {
        CString strFace;
        Image expected = ExpectedTitle(dlg.m_hWnd, &strFace);
        EXPECT_STREQ("Venus Rising", strFace); // the stand-in font is registered
        Image window = CaptureWholeWindow(dlg.m_hWnd);
        CRect rcInk = expected.BoundsOf(kWhite);
        ASSERT_FALSE(rcInk.IsRectEmpty());
        EXPECT_LT(rcInk.bottom, ClientOrigin(dlg.m_hWnd).y); // in the caption bar
        // Within the title's ink, every fully covered pixel is white on the
        // screen, and the caption bar has no other white there.
        int nWrong = 0;
        for (int y = rcInk.top; y < rcInk.bottom; ++y) {
            for (int x = rcInk.left; x < rcInk.right; ++x)
                nWrong += (expected.At(x, y) == kWhite) != (window.At(x, y) == kWhite);
        }
        EXPECT_EQ(0, nWrong) << "of " << expected.CountOf(kWhite) << " white title pixels";
        PressKey(VK_ESCAPE);
    });
}

TEST_F(LaunchPaint, AnActivationChangeLeavesTheFrameAsTheLastFramePaintLeftIt)
{
    LaunchFolder folder;
    CLaunchScreenDlg dlg;
    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, nullptr, "other", WS_POPUP, 0, 0, 40, 40, nullptr, nullptr));
    MessageLog log;
    RunModal(dlg, [&](CDialog&) {
        int nCaption = ClientOrigin(dlg.m_hWnd).y;
        Image before = CaptureWholeWindow(dlg.m_hWnd);
        size_t nFrom = log.entries.size();

        other.ShowWindow(SW_SHOW); // takes the activation
        PumpMessages(100);
        EXPECT_EQ(other.m_hWnd, ::GetActiveWindow());
        Image inactive = CaptureWholeWindow(dlg.m_hWnd);
        ::SetActiveWindow(dlg.m_hWnd);
        PumpMessages(100);
        EXPECT_EQ(dlg.m_hWnd, ::GetActiveWindow());
        Image active = CaptureWholeWindow(dlg.m_hWnd);

        // The caption bar (everything above the client area) never changed.
        auto CaptionBar = [nCaption](const Image& window) {
            Image bar(window.width, nCaption);
            std::copy_n(window.pixels.begin(), bar.pixels.size(), bar.pixels.begin());
            return bar;
        };
        ExpectSameImage(CaptionBar(before), CaptionBar(inactive), "caption bar, deactivated");
        ExpectSameImage(CaptionBar(before), CaptionBar(active), "caption bar, activated again");
        // Both changes reached the dialog, and both were answered 0.
        std::vector<WPARAM> flags;
        for (size_t i = nFrom; i < log.entries.size(); ++i) {
            const LoggedMessage& entry = log.entries[i];
            if (entry.hWnd == dlg.m_hWnd && entry.message == WM_NCACTIVATE) {
                flags.push_back(entry.wParam);
                EXPECT_EQ(0, entry.lResult);
            }
        }
        EXPECT_EQ((std::vector<WPARAM>{FALSE, TRUE}), flags);
        PressKey(VK_ESCAPE);
    });
    other.DestroyWindow();
}

TEST_F(LaunchPaint, MinimisedThePaintErasesTheIconBackgroundInsteadOfPaintingTheClientArea)
{
    LaunchFolder folder;
    CLaunchScreenDlg dlg;
    MessageLog log;
    RunModal(dlg, [&](CDialog&) {
        Image before = CaptureClient(dlg.m_hWnd);
        size_t nFrom = log.entries.size();
        dlg.ShowWindow(SW_MINIMIZE);
        PumpMessages(100);
        ASSERT_TRUE(dlg.IsIconic());
        // A paint of the minimised dialog erases the icon's background with
        // the paint's own context, and does not ask the buttons to draw again.
        ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        PumpMessages(100);
        int nErase = log.Find(dlg.m_hWnd, WM_ICONERASEBKGND, nFrom);
        ASSERT_GE(nErase, 0);
        EXPECT_NE(0u, log.entries[nErase].wParam);
        EXPECT_LT(log.Find(LxButton(dlg).m_hWnd, WM_ERASEBKGND, nFrom), 0);

        dlg.ShowWindow(SW_RESTORE);
        PumpMessages(100);
        ExpectSameImage(before, CaptureClient(dlg.m_hWnd), "restored");
        PressKey(VK_ESCAPE);
    });
}

TEST_F(LaunchPaint, PaintsAndDialogsLeaveNoGraphicsOrWindowObjectsBehind)
{
    auto Count = [] {
        CWnd::DeleteTempMap();
        long nUser = CountUserObjects().nObjects; // USER first: see ButtonLeakTest
        return std::make_pair(CountGdiObjects().nObjects, nUser);
    };
    auto Repaint = [](CDialog& dlg) {
        for (int i = 0; i < 20; ++i) {
            ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
            PumpMessages(5);
        }
    };
    LaunchFolder folder;
    std::pair<long, long> afterFirst, afterRepaints, afterAll;
    {
        CLaunchScreenDlg first;
        RunModal(first, [&](CDialog& dlg) {
            Repaint(dlg); // the process-wide fonts now exist
            afterFirst = Count();
            Repaint(dlg);
            afterRepaints = Count();
            PressKey(VK_ESCAPE);
        });
    }
    std::pair<long, long> afterOneDialog = Count();
    for (int i = 0; i < 2; ++i) {
        CLaunchScreenDlg again;
        RunModal(again, [&](CDialog& dlg) {
            Repaint(dlg);
            PressKey(VK_ESCAPE);
        });
    }
    afterAll = Count();
    EXPECT_EQ(afterFirst, afterRepaints);
    EXPECT_EQ(afterOneDialog, afterAll);
}
