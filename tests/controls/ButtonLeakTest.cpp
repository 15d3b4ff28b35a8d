// Painting and hovering must not leave graphics or window-system objects
// behind, and a button takes what it owns along when it goes.
#include "ButtonTestSupport.h"

#include <gtest/gtest.h>

#include "ControlsTestResources.h"
#include "GuiObjectCounter.h"

namespace {

// One of everything a repaint can do, in both looks.
void PaintEveryLook(ButtonHost& host)
{
    for (bool bHighlightLook : {true, false}) {
        host.button.SetHighlightLook(bHighlightLook);
        for (UINT nItemState : {0u, UINT(ODS_FOCUS), UINT(ODS_DISABLED | ODS_FOCUS)}) {
            for (int nState = CTransParentButton::Hover; nState <= CTransParentButton::Pressed;
                 ++nState) {
                host.SendDrawItem(0);
                host.Enter(nState);
                host.SendDrawItem(nItemState);
            }
        }
    }
    host.SendDrawItem(0);
}

// Hover starts on a movement and ends at the next tick, the pointer being away.
void HoverOnce(ButtonHost& host)
{
    host.button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    host.button.SendMessage(WM_TIMER, 1);
}

struct GuiCounts {
    long nGdi;
    long nUser;
};

// USER first: probing icons makes the platform create a few objects of its
// own the first time, which must not show up as the button's.
GuiCounts CountNow()
{
    CWnd::DeleteTempMap();
    long nUser = CountUserObjects().nObjects;
    return {CountGdiObjects().nObjects, nUser};
}

} // namespace

TEST(GuiObjectCounter, SeesObjectsComeAndGo)
{
    long nGdi = CountGdiObjects().nObjects;
    HBRUSH hBrush = ::CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(nGdi + 1, CountGdiObjects().nObjects);
    ::DeleteObject(hBrush);
    EXPECT_EQ(nGdi, CountGdiObjects().nObjects);

    HCURSOR hArrow = ::LoadCursorA(nullptr, IDC_ARROW); // shared: loaded once for good
    long nUser = CountUserObjects().nObjects;
    HMENU hMenu = ::CreateMenu();
    HCURSOR hCursor = CopyCursor(hArrow); // a macro
    EXPECT_EQ(nUser + 2, CountUserObjects().nObjects);
    ::DestroyMenu(hMenu);
    ::DestroyCursor(hCursor);
    EXPECT_EQ(nUser, CountUserObjects().nObjects);
}

TEST(ButtonLeaks, RepaintsAndHoverCyclesLeaveNothingBehind)
{
    MovePointerAway();
    ButtonHost host("QUAV - LX");
    host.button.SetIcons(IDI_TEST_NORMAL, IDI_TEST_ACTIVE);
    // The platform makes some objects of its own at first use (for the
    // embossed pictures, for one): one round of everything comes first.
    PaintEveryLook(host);
    HoverOnce(host);

    GuiCounts before = CountNow();
    for (int i = 0; i < 20; ++i)
        PaintEveryLook(host);
    for (int i = 0; i < 300; ++i)
        HoverOnce(host);
    GuiCounts after = CountNow();
    EXPECT_EQ(before.nGdi, after.nGdi);
    EXPECT_EQ(before.nUser, after.nUser);
}

TEST(ButtonLeaks, AButtonTakesItsSnapshotAndItsCursorAlongWhenItGoes)
{
    MovePointerAway();
    {
        // The process-wide caption font, the shared icons and what the
        // platform makes at its first cursor load stay for good.
        ButtonHost host("QUAV - LX");
        host.button.SetIcons(IDI_TEST_NORMAL, IDI_TEST_ACTIVE);
        host.button.SetBtnCursor(IDC_TEST_POINTER);
        host.button.RedrawButton();
    }
    GuiCounts before = CountNow();
    {
        ButtonHost host("QUAV - LX");
        host.button.SetIcons(IDI_TEST_NORMAL, IDI_TEST_ACTIVE);
        EXPECT_TRUE(host.button.SetBtnCursor(IDC_TEST_POINTER));
        host.button.RedrawButton();
    }
    GuiCounts after = CountNow();
    EXPECT_EQ(before.nGdi, after.nGdi);
    EXPECT_EQ(before.nUser, after.nUser);
}
