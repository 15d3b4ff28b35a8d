// The button's states driven by real messages: pointer movement, the hover
// timer, the left button, owner-draw requests, erases and cursor requests;
// and which of them still reach the standard button.
#include "ButtonTestSupport.h"

#include <gtest/gtest.h>

#include "ControlsTestResources.h"

namespace {

class ButtonState : public testing::Test {
protected:
    void SetUp() override
    {
        MovePointerAway();
        PumpMessages(10);
    }
    void TearDown() override
    {
        if (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) // a test that stopped half-way
            ReleaseLeftButton();
        MovePointerAway();
    }

    // Puts the pointer over the button and waits for the movement to start
    // hover tracking.
    bool HoverWithThePointer(ButtonHost& host)
    {
        MovePointer(host.ScreenPoint(kButtonWidth / 2, kButtonHeight / 2));
        return PumpUntil([&] { return host.button.m_nState == CTransParentButton::Hover; });
    }

    // Marks one pixel of the button on the screen: it survives only as long
    // as nothing repaints the button.
    static void Scribble(ButtonHost& host)
    {
        CClientDC dc(&host.button);
        ::SetPixel(dc.m_hDC, 10, 10, RGB(255, 0, 255));
    }
    static bool Repainted(ButtonHost& host)
    {
        CClientDC dc(&host.button);
        return ::GetPixel(dc.m_hDC, 10, 10) != RGB(255, 0, 255);
    }
};

} // namespace

TEST_F(ButtonState, ANewButtonIsNormalEnabledAndUntrackedWithTheSystemColours)
{
    ButtonProbe button;
    EXPECT_EQ(CTransParentButton::Normal, button.m_nState);
    EXPECT_TRUE(button.m_bEnabled);
    EXPECT_FALSE(button.m_bHover);
    EXPECT_FALSE(button.m_bHasIcon);
    EXPECT_EQ(nullptr, button.m_hCursor);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOWTEXT), button.m_clrNormalText);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), button.m_clrHoverText);
    EXPECT_EQ(button.m_clrNormalText, button.m_clrCurrentText);
}

TEST_F(ButtonState, AttachingMakesAPushButtonOwnerDrawnAndRedrawn)
{
    ButtonHost host("QUAV - LX", false, BS_DEFPUSHBUTTON | BS_MULTILINE);
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), host.button.GetStyle() & BS_TYPEMASK);
    ASSERT_EQ(1, CountPassedOn(BM_SETSTYLE));
    for (const PassedOn& entry : PassedOnLog()) {
        if (entry.message != BM_SETSTYLE)
            continue;
        EXPECT_EQ(static_cast<WPARAM>(BS_DEFPUSHBUTTON | BS_MULTILINE | BS_OWNERDRAW),
                  entry.wParam);
        EXPECT_EQ(TRUE, entry.lParam);
    }
    // The first paint goes through the owner-draw request to the button.
    host.Show();
    EXPECT_TRUE(host.button.m_bBackgroundTaken);
    EXPECT_EQ(0, CountPassedOn(WM_ERASEBKGND));
}

TEST_F(ButtonState, PointerMovementStartsHoverAndTheTimerEndsItOnceThePointerLeaves)
{
    ButtonHost host("QUAV - LX");
    PassedOnLog().clear();
    ASSERT_TRUE(HoverWithThePointer(host));
    EXPECT_TRUE(host.button.m_bHover);
    EXPECT_GE(CountPassedOn(WM_MOUSEMOVE), 1);
    EXPECT_EQ(kHighlightFill, CaptureClient(host.button).At(5, 5)); // repainted at once

    // The last pixel of the window rectangle is inside: the ticks go on.
    CRect rc = host.ScreenRect();
    MovePointer({rc.right - 1, rc.bottom - 1});
    int nTicks = CountPassedOn(WM_TIMER);
    PumpMessages(80);
    EXPECT_GT(CountPassedOn(WM_TIMER), nTicks);
    EXPECT_EQ(CTransParentButton::Hover, host.button.m_nState);

    // One past the right edge is outside: the next tick ends hover.
    MovePointer({rc.right, rc.bottom - 1});
    ASSERT_TRUE(PumpUntil([&] { return host.button.m_nState == CTransParentButton::Normal; }));
    EXPECT_FALSE(host.button.m_bHover);
    EXPECT_EQ(FirstPattern(kButtonX + 5, kButtonY + 5), CaptureClient(host.button).At(5, 5));
    nTicks = CountPassedOn(WM_TIMER);
    PumpMessages(60);
    EXPECT_EQ(nTicks, CountPassedOn(WM_TIMER)); // the timer is gone

    // So is one past the bottom edge.
    ASSERT_TRUE(HoverWithThePointer(host));
    MovePointer({rc.right - 1, rc.bottom});
    EXPECT_TRUE(PumpUntil([&] { return host.button.m_nState == CTransParentButton::Normal; }));
    EXPECT_FALSE(host.button.m_bHover);
}

TEST_F(ButtonState, FurtherMovementWhileHoveringNeitherRepaintsNorRestartsTracking)
{
    ButtonHost host("QUAV - LX");
    host.button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    ASSERT_EQ(CTransParentButton::Hover, host.button.m_nState);
    Scribble(host);
    PassedOnLog().clear();
    host.button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(21, 20));
    EXPECT_FALSE(Repainted(host));
    EXPECT_EQ(1, CountPassedOn(WM_MOUSEMOVE));
    EXPECT_TRUE(host.button.m_bHover);
}

TEST_F(ButtonState, MovementWithTheLeftButtonHeldIsSwallowed)
{
    ButtonHost host("QUAV - LX");
    Scribble(host);
    PassedOnLog().clear();
    host.button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_EQ(CTransParentButton::Normal, host.button.m_nState);
    EXPECT_FALSE(host.button.m_bHover);
    EXPECT_FALSE(Repainted(host));
    EXPECT_EQ(0, CountPassedOn(WM_MOUSEMOVE));
}

TEST_F(ButtonState, AClickPressesReleasesAndNotifiesTheParent)
{
    ButtonHost host("QUAV - LX");
    ASSERT_TRUE(HoverWithThePointer(host));
    PassedOnLog().clear();
    PressLeftButton();
    ASSERT_TRUE(PumpUntil([&] { return host.button.m_nState == CTransParentButton::Pressed; }));
    EXPECT_EQ(1, CountPassedOn(WM_LBUTTONDOWN));
    EXPECT_EQ(host.button.m_hWnd, ::GetCapture()); // the standard button took over
    EXPECT_EQ(0, host.parent.nClicks);

    ReleaseLeftButton();
    ASSERT_TRUE(PumpUntil([&] { return host.parent.nClicks == 1; }));
    EXPECT_EQ(CTransParentButton::Released, host.button.m_nState);
    EXPECT_EQ(1, CountPassedOn(WM_LBUTTONUP));

    MovePointerAway();
    EXPECT_TRUE(PumpUntil([&] { return host.button.m_nState == CTransParentButton::Normal; }));
}

TEST_F(ButtonState, PressDragOutAndReleaseLeavesReleasedUntilThePointerReturns)
{
    ButtonHost host("QUAV - LX");
    ASSERT_TRUE(HoverWithThePointer(host));
    PressLeftButton();
    ASSERT_TRUE(PumpUntil([&] { return host.button.m_nState == CTransParentButton::Pressed; }));

    // Still held: the timer finds the pointer outside and ends hover.
    CRect rc = host.ScreenRect();
    MovePointer({rc.right + 20, rc.bottom + 20});
    ASSERT_TRUE(PumpUntil([&] { return host.button.m_nState == CTransParentButton::Normal; }));
    EXPECT_FALSE(host.button.m_bHover);

    ReleaseLeftButton();
    ASSERT_TRUE(PumpUntil([&] { return host.button.m_nState == CTransParentButton::Released; }));
    PumpMessages(80);
    EXPECT_EQ(CTransParentButton::Released, host.button.m_nState); // no timer runs now
    EXPECT_EQ(0, host.parent.nClicks);                             // released outside

    ASSERT_TRUE(HoverWithThePointer(host));
    MovePointerAway();
    EXPECT_TRUE(PumpUntil([&] { return host.button.m_nState == CTransParentButton::Normal; }));
}

TEST_F(ButtonState, DisablingWhileHoveringKeepsTheTimerUntilEnabledAgain)
{
    ButtonHost host("QUAV - LX");
    ASSERT_TRUE(HoverWithThePointer(host));

    host.button.EnableWindow(FALSE); // the standard button repaints: owner-draw request
    host.button.UpdateWindow();
    ASSERT_TRUE(PumpUntil([&] { return !host.button.m_bEnabled; }));
    EXPECT_EQ(CTransParentButton::Normal, host.button.m_nState);
    EXPECT_TRUE(host.button.m_bHover);

    // Every tick fails its enabled test, so tracking goes on outside.
    MovePointerAway();
    int nTicks = CountPassedOn(WM_TIMER);
    PumpMessages(80);
    EXPECT_GT(CountPassedOn(WM_TIMER), nTicks);
    EXPECT_TRUE(host.button.m_bHover);
    // A movement cannot start hover again meanwhile.
    host.button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(CTransParentButton::Normal, host.button.m_nState);

    host.button.EnableWindow(TRUE);
    host.button.UpdateWindow();
    ASSERT_TRUE(PumpUntil([&] { return !host.button.m_bHover; }));
    EXPECT_TRUE(host.button.m_bEnabled);
    EXPECT_EQ(CTransParentButton::Normal, host.button.m_nState);
    nTicks = CountPassedOn(WM_TIMER);
    PumpMessages(60);
    EXPECT_EQ(nTicks, CountPassedOn(WM_TIMER));
}

TEST_F(ButtonState, OnlyTheHoverTimerIsHandledAndOthersAreNotPassedOn)
{
    ButtonHost host("QUAV - LX");
    // Hover with the pointer far away, before any tick could arrive.
    host.button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    ASSERT_EQ(CTransParentButton::Hover, host.button.m_nState);
    PassedOnLog().clear();
    host.button.SendMessage(WM_TIMER, 2);
    EXPECT_EQ(CTransParentButton::Hover, host.button.m_nState);
    EXPECT_EQ(0, CountPassedOn(WM_TIMER));
    host.button.SendMessage(WM_TIMER, 1);
    EXPECT_EQ(CTransParentButton::Normal, host.button.m_nState);
    EXPECT_EQ(1, CountPassedOn(WM_TIMER));
}

TEST_F(ButtonState, OwnerDrawRequestsSetEnabledAndFocusButNeverThePressedLook)
{
    ButtonHost host("QUAV - LX");
    host.SendDrawItem(ODS_SELECTED | ODS_FOCUS);
    EXPECT_EQ(CTransParentButton::Normal, host.button.m_nState);
    EXPECT_TRUE(host.button.m_bFocus);
    EXPECT_TRUE(host.button.m_bEnabled);

    host.button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    host.SendDrawItem(ODS_DISABLED);
    EXPECT_EQ(CTransParentButton::Normal, host.button.m_nState);
    EXPECT_FALSE(host.button.m_bEnabled);
    EXPECT_FALSE(host.button.m_bFocus);
    EXPECT_TRUE(host.button.m_bHover); // tracking is left alone

    host.button.m_nState = CTransParentButton::Released;
    host.SendDrawItem(0);
    EXPECT_TRUE(host.button.m_bEnabled);
    EXPECT_EQ(CTransParentButton::Released, host.button.m_nState);
}

TEST_F(ButtonState, OnlyTheFirstEraseTakesTheSnapshotAndNoneIsPassedOn)
{
    ButtonHost host("", false);
    auto solidContext = [](CDC& dc, CBitmap& bitmap, COLORREF clr) {
        CClientDC screen(nullptr);
        dc.CreateCompatibleDC(&screen);
        bitmap.CreateCompatibleBitmap(&screen, kButtonWidth, kButtonHeight);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, kButtonWidth, kButtonHeight, clr);
    };
    CBitmap bmpFirst, bmpSecond; // outlive the contexts they are selected into
    CDC dcFirst, dcSecond;
    solidContext(dcFirst, bmpFirst, RGB(90, 10, 20));
    solidContext(dcSecond, bmpSecond, RGB(10, 90, 20));

    PassedOnLog().clear();
    // An erase without a context has nothing to copy: no snapshot, no crash.
    EXPECT_NE(0, host.button.SendMessage(WM_ERASEBKGND, 0));
    EXPECT_FALSE(host.button.m_bBackgroundTaken);
    EXPECT_NE(0, host.button.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dcFirst.m_hDC)));
    EXPECT_TRUE(host.button.m_bBackgroundTaken);
    EXPECT_NE(0, host.button.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dcSecond.m_hDC)));
    host.Show(); // its own erase is a later one too
    EXPECT_EQ(0, CountPassedOn(WM_ERASEBKGND));

    Image image = CaptureClient(host.button);
    EXPECT_EQ(RGB(90, 10, 20), image.At(kButtonWidth / 2, kButtonHeight / 2));
    EXPECT_EQ((kButtonWidth - 2) * (kButtonHeight - 2), image.CountOf(RGB(90, 10, 20)));
}

TEST_F(ButtonState, ACustomCursorShowsOverTheWholeButtonUntilMinusOneRemovesIt)
{
    ButtonHost host("QUAV - LX");
    EXPECT_FALSE(host.button.SetBtnCursor(IDI_TEST_MISSING));
    EXPECT_EQ(nullptr, host.button.m_hCursor);

    ASSERT_TRUE(host.button.SetBtnCursor(IDC_TEST_POINTER));
    HCURSOR hCursor = host.button.m_hCursor;
    ASSERT_NE(nullptr, hCursor);
    PassedOnLog().clear();
    for (UINT nHitTest : {HTCLIENT, HTBORDER}) {
        ::SetCursor(nullptr);
        EXPECT_EQ(TRUE, host.button.SendMessage(WM_SETCURSOR,
                                                reinterpret_cast<WPARAM>(host.button.m_hWnd),
                                                MAKELPARAM(nHitTest, WM_MOUSEMOVE)));
        EXPECT_EQ(hCursor, ::GetCursor());
    }
    EXPECT_EQ(0, CountPassedOn(WM_SETCURSOR));

    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(host.button.SetBtnCursor(-1));
    EXPECT_EQ(nullptr, host.button.m_hCursor);
    ICONINFO info = {};
    EXPECT_FALSE(::GetIconInfo(hCursor, &info)); // destroyed, not just forgotten
    host.button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(host.button.m_hWnd),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(1, CountPassedOn(WM_SETCURSOR));
}
