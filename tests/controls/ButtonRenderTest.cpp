// The button's face pixel by pixel: background, edges and focus marks of
// both looks in every state. The expected pictures are built in software
// from the pattern under the button and the edge rules, then compared with
// what the screen shows.
#include "ButtonTestSupport.h"

#include <gtest/gtest.h>

namespace {

const int kStates[] = {CTransParentButton::Hover, CTransParentButton::Normal,
                       CTransParentButton::Released, CTransParentButton::Pressed};

const char* StateName(int nState)
{
    static const char* const kNames[] = {"Hover", "Normal", "Released", "Pressed"};
    return kNames[nState];
}

CRect Whole() { return CRect(0, 0, kButtonWidth, kButtonHeight); }
CRect Inset(int n) { return CRect(n, n, kButtonWidth - n, kButtonHeight - n); }

// The documented bevel: top and left in A without their last pixel, right
// and bottom in B in full, so the top-right and bottom-left corners are B's.
void Bevel(Image& image, CRect rc, COLORREF a, COLORREF b)
{
    for (int x = rc.left; x <= rc.right - 2; ++x)
        image.Set(x, rc.top, a);
    for (int y = rc.top; y <= rc.bottom - 2; ++y)
        image.Set(rc.left, y, a);
    for (int y = rc.top; y <= rc.bottom - 1; ++y)
        image.Set(rc.right - 1, y, b);
    for (int x = rc.left; x <= rc.right - 1; ++x)
        image.Set(x, rc.bottom - 1, b);
}

void Fill(Image& image, CRect rc, COLORREF clr)
{
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x)
            image.Set(x, y, clr);
    }
}

bool OnOutline(CRect rc, int x, int y)
{
    bool bInX = x >= rc.left && x < rc.right;
    bool bInY = y >= rc.top && y < rc.bottom;
    return (bInX && (y == rc.top || y == rc.bottom - 1)) ||
           (bInY && (x == rc.left || x == rc.right - 1));
}

// A focus rectangle drawn over `without` on rc's outline: nothing changes
// off the outline, and each side is dotted (some of its pixels change, some
// do not).
void ExpectDottedOutline(const Image& without, const Image& with, CRect rc)
{
    int nChanged[4] = {}; // top, bottom, left, right
    for (POINT pt : Differences(without, with)) {
        if (!OnOutline(rc, pt.x, pt.y)) {
            ADD_FAILURE() << "changed off the focus outline at (" << pt.x << "," << pt.y << ")";
            return;
        }
        if (pt.y == rc.top)
            ++nChanged[0];
        else if (pt.y == rc.bottom - 1)
            ++nChanged[1];
        else if (pt.x == rc.left)
            ++nChanged[2];
        else
            ++nChanged[3];
    }
    int nLength[4] = {rc.Width(), rc.Width(), rc.Height() - 2, rc.Height() - 2};
    for (int side = 0; side < 4; ++side) {
        EXPECT_GT(nChanged[side], 0) << "side " << side;
        EXPECT_LT(nChanged[side], nLength[side]) << "side " << side;
    }
}

class ButtonRendering : public testing::Test {
protected:
    ButtonHost host{""}; // no caption and no icons: background and edges only
    COLORREF clrHi = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF clrSh = ::GetSysColor(COLOR_BTNSHADOW);
    COLORREF clrFace = ::GetSysColor(COLOR_BTNFACE);

    Image Paint(int nState)
    {
        host.Enter(nState);
        return CaptureClient(host.button);
    }

    Image ExpectedHighlightLook(int nState, const Image& background)
    {
        Image expected = background;
        if (nState == CTransParentButton::Hover || nState == CTransParentButton::Released)
            Fill(expected, Whole(), kHighlightFill);
        if (nState == CTransParentButton::Pressed)
            Bevel(expected, Whole(), clrSh, clrHi);
        else
            Bevel(expected, Whole(), clrHi, clrSh);
        return expected;
    }

    Image ExpectedBevelLook(int nState)
    {
        Image expected = PatternUnderButton();
        if (nState == CTransParentButton::Pressed) {
            Bevel(expected, Whole(), kBlack, clrHi);
            Bevel(expected, Inset(1), clrSh, clrHi);
        } else {
            Bevel(expected, Whole(), clrHi, kBlack);
            Bevel(expected, Inset(1), clrHi, clrSh);
        }
        return expected;
    }

    // The bevel look's focus marks apart from the focus rectangle: a black
    // outline and black lines one pixel inside the right and bottom edges
    // (their end points left out, as lines are drawn).
    static void BevelFocusMarks(Image& image)
    {
        Fill(image, CRect(0, 0, kButtonWidth, 1), kBlack);
        Fill(image, CRect(0, kButtonHeight - 1, kButtonWidth, kButtonHeight), kBlack);
        Fill(image, CRect(0, 0, 1, kButtonHeight), kBlack);
        Fill(image, CRect(kButtonWidth - 1, 0, kButtonWidth, kButtonHeight), kBlack);
        Fill(image, CRect(kButtonWidth - 2, 0, kButtonWidth - 1, kButtonHeight - 2), kBlack);
        Fill(image, CRect(1, kButtonHeight - 2, kButtonWidth - 1, kButtonHeight - 1), kBlack);
    }
};

} // namespace

TEST_F(ButtonRendering, TheFirstPaintShowsTheParentsPatternUnderARaisedEdge)
{
    Image image = CaptureClient(host.button);
    ExpectSameImage(ExpectedHighlightLook(CTransParentButton::Normal, PatternUnderButton()), image,
                    "first paint");
}

TEST_F(ButtonRendering, HighlightLookInEveryState)
{
    for (int nState : kStates) {
        SCOPED_TRACE(StateName(nState));
        ExpectSameImage(ExpectedHighlightLook(nState, PatternUnderButton()), Paint(nState),
                        StateName(nState));
    }
}

TEST_F(ButtonRendering, BevelLookInEveryStateAndWhenDisabled)
{
    host.button.SetHighlightLook(false);
    for (int nState : kStates) {
        SCOPED_TRACE(StateName(nState));
        ExpectSameImage(ExpectedBevelLook(nState), Paint(nState), StateName(nState));
    }
    // Disabled, the bevel look stays: the state is Normal again.
    host.Enter(CTransParentButton::Pressed);
    host.SendDrawItem(ODS_DISABLED);
    ExpectSameImage(ExpectedBevelLook(CTransParentButton::Normal), CaptureClient(host.button),
                    "disabled");
}

TEST_F(ButtonRendering, HighlightLookFocusRectangleRunsTwoPixelsInside)
{
    for (int nState : kStates) {
        SCOPED_TRACE(StateName(nState));
        host.Enter(nState);
        host.SendDrawItem(ODS_FOCUS);
        ExpectDottedOutline(ExpectedHighlightLook(nState, PatternUnderButton()),
                            CaptureClient(host.button), Inset(2));
    }
}

TEST_F(ButtonRendering, BevelLookFocusMarksAndFocusRectangleFourPixelsInside)
{
    host.button.SetHighlightLook(false);
    for (int nState : kStates) {
        SCOPED_TRACE(StateName(nState));
        host.Enter(nState);
        host.SendDrawItem(ODS_FOCUS);
        Image expected = ExpectedBevelLook(nState);
        BevelFocusMarks(expected);
        ExpectDottedOutline(expected, CaptureClient(host.button), Inset(4));
    }
    // Disabled too.
    host.SendDrawItem(ODS_FOCUS | ODS_DISABLED);
    Image expected = ExpectedBevelLook(CTransParentButton::Normal);
    BevelFocusMarks(expected);
    ExpectDottedOutline(expected, CaptureClient(host.button), Inset(4));
}

TEST_F(ButtonRendering, WithoutTransparencyTheButtonFaceColourReplacesTheSnapshot)
{
    host.button.SetTransparent(false);
    Image face(kButtonWidth, kButtonHeight, clrFace);
    for (int nState : kStates) {
        SCOPED_TRACE(StateName(nState));
        ExpectSameImage(ExpectedHighlightLook(nState, face), Paint(nState), StateName(nState));
    }
}

TEST_F(ButtonRendering, HighlightLookDisabledDrawsNoEdgeAndNoFocus)
{
    host.SendDrawItem(ODS_DISABLED | ODS_FOCUS);
    ExpectSameImage(PatternUnderButton(), CaptureClient(host.button), "disabled");
}

TEST_F(ButtonRendering, TheSnapshotIsKeptWhenTheParentPaintsSomethingElse)
{
    host.parent.pfnPattern = &SecondPattern;
    ::RedrawWindow(host.parent.m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages(20);
    ExpectSameImage(ExpectedHighlightLook(CTransParentButton::Normal, PatternUnderButton()),
                    CaptureClient(host.button), "after the parent's repaint");
    // The parent itself shows its new painting around the button.
    Image parent = CaptureClient(host.parent);
    EXPECT_EQ(SecondPattern(5, 5), parent.At(5, 5));
}

TEST_F(ButtonRendering, SettersThatDoNotRepaintWaitForTheNextRepaint)
{
    Image before = CaptureClient(host.button);
    host.button.SetHighlightLook(false);
    host.button.SetTransparent(false);
    host.button.SetIcons(::LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    ExpectSameImage(before, CaptureClient(host.button), "before the repaint");
    host.button.RedrawButton();
    EXPECT_FALSE(Differences(before, CaptureClient(host.button)).empty());
}
