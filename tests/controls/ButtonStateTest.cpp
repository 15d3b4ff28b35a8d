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

    using Look = ButtonHost::Look;

    // Puts the pointer over the button and waits for the movement to start
    // hover tracking.
    bool HoverWithThePointer(ButtonHost& host)
    {
        MovePointer(host.ScreenPoint(kButtonWidth / 2, kButtonHeight / 2));
        return ShowsSoon(host, Look::Lit);
    }
    static bool ShowsSoon(const ButtonHost& host, Look look)
    {
        return PumpUntil([&] { return host.ShownLook() == look; });
    }
    // Whether the hover timer still ticks: its ticks are passed on.
    static bool TimerTicks()
    {
        int nTicks = CountPassedOn(WM_TIMER);
        return PumpUntil([&] { return CountPassedOn(WM_TIMER) > nTicks; }, 500);
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

TEST_F(ButtonState, ANewButtonIsNormalAndUntrackedWithTheSystemColoursAndNoCursor)
{
    ButtonHost host("QUAV - LX");
    EXPECT_EQ(Look::Normal, host.ShownLook());
    EXPECT_GT(CaptureClient(host.button).CountOf(::GetSysColor(COLOR_WINDOWTEXT)), 0);
    EXPECT_FALSE(TimerTicks());
    host.SendUnseen(WM_MOUSEMOVE);
    EXPECT_GT(CaptureClient(host.button).CountOf(::GetSysColor(COLOR_HIGHLIGHT)), 0);
    PassedOnLog().clear();
    host.button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(host.button.m_hWnd),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(1, CountPassedOn(WM_SETCURSOR)); // the standard cursor
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
    // The first paint goes through the owner-draw request to the button,
    // over the snapshot its first erase took.
    host.Show();
    EXPECT_EQ(FirstPattern(kButtonX + 5, kButtonY + 5), CaptureClient(host.button).At(5, 5));
    EXPECT_EQ(0, CountPassedOn(WM_ERASEBKGND));
}

TEST_F(ButtonState, PointerMovementStartsHoverAndTheTimerEndsItOnceThePointerLeaves)
{
    ButtonHost host("QUAV - LX");
    PassedOnLog().clear();
    ASSERT_TRUE(HoverWithThePointer(host)); // repainted at once
    EXPECT_GE(CountPassedOn(WM_MOUSEMOVE), 1);

    // The last pixel of the window rectangle is inside: the ticks go on.
    CRect rc = host.ScreenRect();
    MovePointer({rc.right - 1, rc.bottom - 1});
    EXPECT_TRUE(TimerTicks());
    EXPECT_EQ(Look::Lit, host.ShownLook());

    // One past the right edge is outside: the next tick ends hover.
    MovePointer({rc.right, rc.bottom - 1});
    ASSERT_TRUE(ShowsSoon(host, Look::Normal));
    EXPECT_EQ(FirstPattern(kButtonX + 5, kButtonY + 5), CaptureClient(host.button).At(5, 5));
    EXPECT_FALSE(TimerTicks()); // the timer is gone

    // So is one past the bottom edge.
    ASSERT_TRUE(HoverWithThePointer(host));
    MovePointer({rc.right - 1, rc.bottom});
    EXPECT_TRUE(ShowsSoon(host, Look::Normal));
    EXPECT_FALSE(TimerTicks());
}

TEST_F(ButtonState, FurtherMovementWhileHoveringNeitherRepaintsNorRestartsTracking)
{
    ButtonHost host("QUAV - LX");
    host.button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    ASSERT_EQ(Look::Lit, host.ShownLook());
    Scribble(host);
    PassedOnLog().clear();
    host.button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(21, 20));
    EXPECT_FALSE(Repainted(host));
    EXPECT_EQ(1, CountPassedOn(WM_MOUSEMOVE));
    // Still the first tracking: its one tick, the pointer being away, ends it.
    ASSERT_TRUE(ShowsSoon(host, Look::Normal));
    EXPECT_FALSE(TimerTicks());
}

TEST_F(ButtonState, MovementWithTheLeftButtonHeldIsSwallowed)
{
    ButtonHost host("QUAV - LX");
    Scribble(host);
    PassedOnLog().clear();
    host.button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_FALSE(Repainted(host));
    EXPECT_EQ(0, CountPassedOn(WM_MOUSEMOVE));
    EXPECT_FALSE(TimerTicks());
}

TEST_F(ButtonState, AClickPressesReleasesAndNotifiesTheParent)
{
    ButtonHost host("QUAV - LX");
    ASSERT_TRUE(HoverWithThePointer(host));
    PassedOnLog().clear();
    PressLeftButton();
    ASSERT_TRUE(ShowsSoon(host, Look::Pressed));
    EXPECT_EQ(1, CountPassedOn(WM_LBUTTONDOWN));
    EXPECT_EQ(host.button.m_hWnd, ::GetCapture()); // the standard button took over
    EXPECT_EQ(0, host.parent.nClicks);

    ReleaseLeftButton();
    ASSERT_TRUE(PumpUntil([&] { return host.parent.nClicks == 1; }));
    EXPECT_EQ(Look::Lit, host.ShownLook()); // Released
    EXPECT_EQ(1, CountPassedOn(WM_LBUTTONUP));

    MovePointerAway();
    EXPECT_TRUE(ShowsSoon(host, Look::Normal));
}

TEST_F(ButtonState, PressDragOutAndReleaseLeavesReleasedUntilThePointerReturns)
{
    ButtonHost host("QUAV - LX");
    ASSERT_TRUE(HoverWithThePointer(host));
    PressLeftButton();
    ASSERT_TRUE(ShowsSoon(host, Look::Pressed));

    // Still held: the timer finds the pointer outside and ends hover.
    CRect rc = host.ScreenRect();
    MovePointer({rc.right + 20, rc.bottom + 20});
    ASSERT_TRUE(ShowsSoon(host, Look::Normal));
    EXPECT_FALSE(TimerTicks());

    ReleaseLeftButton();
    ASSERT_TRUE(ShowsSoon(host, Look::Lit)); // Released, with no timer to end it
    EXPECT_FALSE(TimerTicks());
    EXPECT_EQ(Look::Lit, host.ShownLook());
    EXPECT_EQ(0, host.parent.nClicks); // released outside

    ASSERT_TRUE(HoverWithThePointer(host));
    MovePointerAway();
    EXPECT_TRUE(ShowsSoon(host, Look::Normal));
}

TEST_F(ButtonState, DisablingWhileHoveringKeepsTheTimerUntilEnabledAgain)
{
    ButtonHost host("QUAV - LX");
    ASSERT_TRUE(HoverWithThePointer(host));

    host.button.EnableWindow(FALSE); // the standard button repaints: owner-draw request
    host.button.UpdateWindow();
    ASSERT_TRUE(ShowsSoon(host, Look::NoEdge)); // the highlight look draws nothing disabled

    // Every tick fails its enabled test, so tracking goes on outside.
    MovePointerAway();
    EXPECT_TRUE(TimerTicks());
    // A movement cannot start hover again meanwhile: enabled again (before
    // any tick), the button is Normal, not lit.
    host.button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    host.button.EnableWindow(TRUE);
    host.SendDrawItem(0);
    EXPECT_EQ(Look::Normal, host.ShownLook());
    // The first tick enabled, the pointer away, ends tracking.
    EXPECT_TRUE(PumpUntil([] { return !TimerTicks(); }));
}

TEST_F(ButtonState, OnlyTheHoverTimerIsHandledAndOthersAreNotPassedOn)
{
    ButtonHost host("QUAV - LX");
    host.SendUnseen(WM_MOUSEMOVE); // hover with the pointer away, no tick yet
    ASSERT_EQ(Look::Lit, host.ShownLook());
    PassedOnLog().clear();
    host.button.SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Look::Lit, host.ShownLook());
    EXPECT_EQ(0, CountPassedOn(WM_TIMER));
    host.button.SendMessage(WM_TIMER, 1);
    EXPECT_EQ(Look::Normal, host.ShownLook());
    EXPECT_EQ(1, CountPassedOn(WM_TIMER));
}

TEST_F(ButtonState, OwnerDrawRequestsSetEnabledAndFocusButNeverThePressedLook)
{
    ButtonHost host("QUAV - LX");
    Image plain = CaptureClient(host.button);
    host.SendDrawItem(ODS_SELECTED | ODS_FOCUS);
    EXPECT_EQ(Look::Normal, host.ShownLook());
    EXPECT_FALSE(Differences(plain, CaptureClient(host.button)).empty()); // the focus mark

    host.SendUnseen(WM_MOUSEMOVE);
    host.SendDrawItem(ODS_DISABLED);
    EXPECT_EQ(Look::NoEdge, host.ShownLook());
    EXPECT_TRUE(TimerTicks()); // tracking is left alone

    host.SendDrawItem(0);
    EXPECT_EQ(Look::Normal, host.ShownLook()); // disabling made it Normal
    ExpectSameImage(plain, CaptureClient(host.button), "enabled again, without focus");
    host.SendUnseen(WM_LBUTTONUP);
    host.SendDrawItem(0);
    EXPECT_EQ(Look::Lit, host.ShownLook()); // Released stays
}

TEST_F(ButtonState, OnlyTheFirstEraseTakesTheSnapshotAndNoneIsPassedOn)
{
    ButtonHost host("", false);
    CClientDC screen(nullptr);
    CBitmapDC dcFirst, dcSecond;
    dcFirst.Create(&screen, kButtonWidth, kButtonHeight);
    dcFirst.FillSolidRect(0, 0, kButtonWidth, kButtonHeight, RGB(90, 10, 20));
    dcSecond.Create(&screen, kButtonWidth, kButtonHeight);
    dcSecond.FillSolidRect(0, 0, kButtonWidth, kButtonHeight, RGB(10, 90, 20));

    PassedOnLog().clear();
    // An erase without a context has nothing to copy: no snapshot, no crash.
    EXPECT_NE(0, host.button.SendMessage(WM_ERASEBKGND, 0));
    EXPECT_NE(0, host.button.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dcFirst.m_hDC)));
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
    auto cursorShown = [&](UINT nHitTest) {
        ::SetCursor(nullptr);
        LRESULT lResult =
            host.button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(host.button.m_hWnd),
                                    MAKELPARAM(nHitTest, WM_MOUSEMOVE));
        return lResult == TRUE ? ::GetCursor() : nullptr;
    };
    EXPECT_FALSE(host.button.SetBtnCursor(IDI_TEST_MISSING));
    PassedOnLog().clear();
    cursorShown(HTCLIENT);
    EXPECT_EQ(1, CountPassedOn(WM_SETCURSOR)); // none set: the standard cursor

    ASSERT_TRUE(host.button.SetBtnCursor(IDC_TEST_POINTER));
    HCURSOR hCursor = cursorShown(HTCLIENT);
    ASSERT_NE(nullptr, hCursor);
    EXPECT_EQ(hCursor, cursorShown(HTBORDER));
    EXPECT_EQ(1, CountPassedOn(WM_SETCURSOR));

    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(host.button.SetBtnCursor(-1));
    ICONINFO info = {};
    EXPECT_FALSE(::GetIconInfo(hCursor, &info)); // destroyed, not just forgotten
    cursorShown(HTCLIENT);
    EXPECT_EQ(2, CountPassedOn(WM_SETCURSOR));
}
