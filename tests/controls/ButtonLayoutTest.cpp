// Where the icon and the caption go: both arrangements, with and without
// icons and caption, the pressed offset, the disabled (embossed) pictures,
// and the caption font.
#include "ButtonTestSupport.h"

#include <gtest/gtest.h>

#include "ControlsTestResources.h"

namespace {

const char kCaption[] = "QUAV - LX";

struct Look {
    int nState;
    COLORREF clrIcon;
    COLORREF clrText;
    int nOffset; // the pressed look moves icon and caption one pixel
};
const Look kLooks[] = {
    {CTransParentButton::Normal, kNormalIconColour, kNormalTextColour, 0},
    {CTransParentButton::Hover, kActiveIconColour, kHoverTextColour, 0},
    {CTransParentButton::Released, kActiveIconColour, kHoverTextColour, 0},
    {CTransParentButton::Pressed, kActiveIconColour, kNormalTextColour, 1},
};

class ButtonLayout : public testing::Test {
protected:
    ButtonHost host{kCaption};
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    TextInk text = MeasureCaption(kCaption);

    void SetUp() override
    {
        host.button.SetNormalTextColor(kNormalTextColour);
        host.button.SetHoverTextColor(kHoverTextColour);
    }

    Image Paint(int nState)
    {
        host.Enter(nState);
        return CaptureClient(host.button);
    }

    // The whole icon, in its colour, with its top-left corner at (x, y).
    void ExpectIconAt(const Image& image, COLORREF clr, int x, int y)
    {
        EXPECT_EQ(CRect(x, y, x + cxIcon, y + cyIcon), image.BoundsOf(clr));
        EXPECT_EQ(cxIcon * cyIcon, image.CountOf(clr));
    }

    // The caption's ink as if the text were drawn with its top-left at (x, y).
    void ExpectCaptionAt(const Image& image, COLORREF clr, int x, int y)
    {
        CRect expected = text.ink;
        expected.OffsetRect(x, y);
        EXPECT_EQ(expected, image.BoundsOf(clr));
    }

    void ExpectNoIcon(const Image& image)
    {
        EXPECT_EQ(0, image.CountOf(kNormalIconColour));
        EXPECT_EQ(0, image.CountOf(kActiveIconColour));
    }
};

} // namespace

TEST_F(ButtonLayout, IconLeftPutsTheIconAtTheMarginAndCentresTheCaptionRightOfIt)
{
    host.button.SetIcons(IDI_TEST_NORMAL, IDI_TEST_ACTIVE);
    int xIcon = 2;
    int yIcon = (kButtonHeight - cyIcon) / 2;
    int xText = 2 + cxIcon + (kButtonWidth - text.extent.cx - 2 - cxIcon) / 2;
    int yText = (kButtonHeight - text.extent.cy) / 2;
    for (const Look& look : kLooks) {
        SCOPED_TRACE(look.nState);
        Image image = Paint(look.nState);
        ExpectIconAt(image, look.clrIcon, xIcon + look.nOffset, yIcon + look.nOffset);
        ExpectCaptionAt(image, look.clrText, xText + look.nOffset, yText + look.nOffset);
    }
}

TEST_F(ButtonLayout, IconAboveCentresTheIconAtTheTopMarginAndTheCaptionBelowIt)
{
    host.button.SetIcons(IDI_TEST_NORMAL, IDI_TEST_ACTIVE);
    host.button.SetAlign(CTransParentButton::IconAbove);
    int xIcon = (kButtonWidth - cxIcon) / 2;
    int yIcon = 5;
    int xText = (kButtonWidth - text.extent.cx) / 2;
    int yText = 5 + cyIcon + (kButtonHeight - text.extent.cy - 5 - cyIcon) / 2;
    for (const Look& look : kLooks) {
        SCOPED_TRACE(look.nState);
        Image image = Paint(look.nState);
        ExpectIconAt(image, look.clrIcon, xIcon + look.nOffset, yIcon + look.nOffset);
        ExpectCaptionAt(image, look.clrText, xText + look.nOffset, yText + look.nOffset);
    }
}

TEST_F(ButtonLayout, MarginSettersMoveIconAndCaptionAtOnce)
{
    host.button.SetIcons(IDI_TEST_NORMAL, IDI_TEST_ACTIVE);
    host.button.SetIconMarginLeft(9);
    Image image = CaptureClient(host.button);
    ExpectIconAt(image, kNormalIconColour, 9, (kButtonHeight - cyIcon) / 2);
    ExpectCaptionAt(image, kNormalTextColour,
                    9 + cxIcon + (kButtonWidth - text.extent.cx - 9 - cxIcon) / 2,
                    (kButtonHeight - text.extent.cy) / 2);

    host.button.SetAlign(CTransParentButton::IconAbove);
    host.button.SetIconMarginTop(3);
    image = CaptureClient(host.button);
    ExpectIconAt(image, kNormalIconColour, (kButtonWidth - cxIcon) / 2, 3);
    ExpectCaptionAt(image, kNormalTextColour, (kButtonWidth - text.extent.cx) / 2,
                    3 + cyIcon + (kButtonHeight - text.extent.cy - 3 - cyIcon) / 2);

    host.button.SetAlign(7); // no such arrangement: ignored
    host.button.RedrawButton();
    ExpectSameImage(image, CaptureClient(host.button), "after an unknown arrangement");
}

TEST_F(ButtonLayout, WithoutIconsTheCaptionIsCentredInBothArrangements)
{
    for (int nAlign : {CTransParentButton::IconLeft, CTransParentButton::IconAbove}) {
        SCOPED_TRACE(nAlign);
        host.button.SetAlign(nAlign);
        Image image = Paint(CTransParentButton::Normal);
        ExpectNoIcon(image);
        ExpectCaptionAt(image, kNormalTextColour, (kButtonWidth - text.extent.cx) / 2,
                        (kButtonHeight - text.extent.cy) / 2);
    }
}

TEST_F(ButtonLayout, EmptyIconHandlesStillKeepTheRoomForAnIcon)
{
    host.button.SetIcons(static_cast<HICON>(nullptr), static_cast<HICON>(nullptr));
    Image image = Paint(CTransParentButton::Hover);
    ExpectNoIcon(image);
    ExpectCaptionAt(image, kHoverTextColour,
                    2 + cxIcon + (kButtonWidth - text.extent.cx - 2 - cxIcon) / 2,
                    (kButtonHeight - text.extent.cy) / 2);
}

TEST_F(ButtonLayout, AnEmptyCaptionCentresTheIconInBothArrangements)
{
    host.button.SetIcons(IDI_TEST_NORMAL, IDI_TEST_ACTIVE);
    host.button.SetWindowText("");
    int x = (kButtonWidth - cxIcon) / 2;
    int y = (kButtonHeight - cyIcon) / 2;
    for (int nAlign : {CTransParentButton::IconLeft, CTransParentButton::IconAbove}) {
        SCOPED_TRACE(nAlign);
        host.button.SetAlign(nAlign);
        ExpectIconAt(Paint(CTransParentButton::Normal), kNormalIconColour, x, y);
        Image pressed = Paint(CTransParentButton::Pressed);
        ExpectIconAt(pressed, kActiveIconColour, x + 1, y + 1);
        EXPECT_EQ(0, pressed.CountOf(kNormalTextColour));
    }
}

TEST_F(ButtonLayout, DisabledShowsOnlyTheEmbossedNormalIconAndCaptionOverTheBackground)
{
    host.button.SetIcons(IDI_TEST_NORMAL, IDI_TEST_ACTIVE);
    host.SendDrawItem(ODS_DISABLED | ODS_FOCUS);
    Image disabled = CaptureClient(host.button);
    EXPECT_EQ(0, disabled.CountOf(kNormalIconColour));
    EXPECT_EQ(0, disabled.CountOf(kActiveIconColour));
    EXPECT_EQ(0, disabled.CountOf(kNormalTextColour));

    // Everything else is the snapshot: no edge, no focus rectangle. The
    // embossed pictures may spill one pixel right and down.
    int xIcon = 2;
    int yIcon = (kButtonHeight - cyIcon) / 2;
    CRect rcIcon(xIcon, yIcon, xIcon + 32 + 1, yIcon + 32 + 1);
    int xText = 2 + cxIcon + (kButtonWidth - text.extent.cx - 2 - cxIcon) / 2;
    int yText = (kButtonHeight - text.extent.cy) / 2;
    CRect rcText(xText, yText, xText + text.extent.cx + 1, yText + text.extent.cy + 1);
    int nInIcon = 0, nInText = 0;
    for (POINT pt : Differences(PatternUnderButton(), disabled)) {
        if (rcIcon.PtInRect(pt))
            ++nInIcon;
        else if (rcText.PtInRect(pt))
            ++nInText;
        else
            ADD_FAILURE() << "drawn outside the icon and the caption at (" << pt.x << "," << pt.y
                          << ")";
    }
    EXPECT_GT(nInIcon, 32 * 32 / 2);
    EXPECT_GT(nInText, 0);

    // Pressed (only by a message sent to the disabled button), the embossed
    // icon moves one pixel right and down; the disabled caption stays.
    host.SendUnseen(WM_LBUTTONDOWN);
    Image pressed = CaptureClient(host.button);
    Image background = PatternUnderButton();
    Image expected = disabled;
    for (int y = rcIcon.top; y <= rcIcon.bottom; ++y) {
        for (int x = rcIcon.left; x <= rcIcon.right; ++x) {
            POINT from = {x - 1, y - 1};
            bool bEmbossed = rcIcon.PtInRect(from) &&
                             disabled.At(from.x, from.y) != background.At(from.x, from.y);
            expected.Set(x, y, bEmbossed ? disabled.At(from.x, from.y) : background.At(x, y));
        }
    }
    ExpectSameImage(expected, pressed, "pressed and disabled");
}

TEST_F(ButtonLayout, ColourSettersRepaintTheCaptionAtOnce)
{
    host.button.SetNormalTextColor(RGB(60, 61, 62));
    EXPECT_GT(CaptureClient(host.button).CountOf(RGB(60, 61, 62)), 0);
    host.Enter(CTransParentButton::Hover);
    host.button.SetHoverTextColor(RGB(70, 71, 72));
    EXPECT_GT(CaptureClient(host.button).CountOf(RGB(70, 71, 72)), 0);
}

TEST(CaptionFont, NinePointsOnASeventyOnePerInchScale)
{
    EXPECT_EQ(-12, CTransParentButton::CaptionFontRequest(96).lfHeight);
    EXPECT_EQ(-15, CTransParentButton::CaptionFontRequest(120).lfHeight);
    EXPECT_EQ(-18, CTransParentButton::CaptionFontRequest(144).lfHeight);
    // Where a 72 divisor would differ: 2592 / 71 is 36.5, 4320 / 71 is 60.8.
    EXPECT_EQ(-37, CTransParentButton::CaptionFontRequest(288).lfHeight);
    EXPECT_EQ(-61, CTransParentButton::CaptionFontRequest(480).lfHeight);

    LOGFONTA lf = CTransParentButton::CaptionFontRequest(96);
    EXPECT_STREQ("Venus Rising", lf.lfFaceName);
    EXPECT_EQ(FW_NORMAL, lf.lfWeight);
    EXPECT_EQ(OUT_TT_ONLY_PRECIS, lf.lfOutPrecision);
    LOGFONTA rest = lf;
    rest.lfHeight = 0;
    rest.lfWeight = 0;
    rest.lfOutPrecision = 0;
    memset(rest.lfFaceName, 0, sizeof(rest.lfFaceName));
    LOGFONTA zero = {};
    EXPECT_EQ(0, memcmp(&zero, &rest, sizeof(zero))) << "every other field is 0";
}
