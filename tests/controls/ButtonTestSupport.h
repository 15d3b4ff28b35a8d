// What the transparent-button tests share: a parent that paints a known
// pattern, a button bound to a standard push button the way a dialog binds
// it, a record of what reaches the standard button's own procedure, the
// button's states entered through its messages and read back from the
// screen, real pointer input, and pixels read back from the screen.
#pragma once

#include <afxwin.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "controls/TransParentButton.h"

// Where things are on the screen: a borderless parent on top of every other
// window, with the button in it.
const int kParentX = 560;
const int kParentY = 120;
const int kParentWidth = 260;
const int kParentHeight = 150;
const int kButtonX = 30; // in the parent's client area
const int kButtonY = 40;
const int kButtonWidth = 180;
const int kButtonHeight = 64;
const int kButtonId = 1234;

// Colours nothing else on screen uses (the pattern's blue is always 0x55).
const COLORREF kNormalIconColour = RGB(0, 170, 60); // fixtures/make_test_icons.py
const COLORREF kActiveIconColour = RGB(150, 0, 170);
const COLORREF kNormalTextColour = RGB(200, 30, 10);
const COLORREF kHoverTextColour = RGB(20, 200, 240);
const COLORREF kHighlightFill = RGB(240, 216, 215);
const COLORREF kBlack = RGB(0, 0, 0);

// The parent's painting: every pixel says where it is.
COLORREF FirstPattern(int x, int y);
COLORREF SecondPattern(int x, int y);

class PatternParent : public CWnd {
public:
    COLORREF (*pfnPattern)(int x, int y) = &FirstPattern;
    int nClicks = 0;
    bool Create();

protected:
    void OnPaint();
    void OnClicked() { ++nClicks; }
    DECLARE_MESSAGE_MAP()
};

// A message that reached the standard button's own procedure, i.e. one the
// class passed on (or never handled), unless it was sent unseen.
struct PassedOn {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<PassedOn>& PassedOnLog();
int CountPassedOn(UINT message);

// Enters the folder that holds the stand-in display font, so that the
// buttons' registration finds "VENUSRIS.ttf" as the launcher would.
struct FontFolder {
    FontFolder();
};

// A parent and one button bound to a standard push button with
// SubclassWindow (as a dialog's data exchange binds it), shown and painted:
// the button's first erase has taken the parent's pattern.
struct ButtonHost : FontFolder {
    PatternParent parent;
    CTransParentButton button;

    // bShow false leaves the bound button hidden and unpainted.
    explicit ButtonHost(const char* pszCaption = "", bool bShow = true,
                        DWORD dwButtonStyle = BS_PUSHBUTTON);
    ~ButtonHost();
    ButtonHost(const ButtonHost&) = delete;
    ButtonHost& operator=(const ButtonHost&) = delete;

    void Show();
    // Puts the enabled button, with the pointer away, into a visual state
    // (Hover, Normal, Released or Pressed) through the messages that lead
    // there, sent to it directly and kept from the standard button (which
    // would take the capture and the focus); each change repaints at once.
    void Enter(int nState);
    // Sends one message to the button the same way.
    void SendUnseen(UINT message, WPARAM wParam = 0);
    // What the highlight look shows on the screen.
    enum class Look { Normal, Lit, Pressed, NoEdge };
    Look ShownLook() const;
    // Sends the parent the owner-draw request the standard button would.
    void SendDrawItem(UINT nItemState);
    // The button's window rectangle on the screen.
    CRect ScreenRect() const;
    // A point of the button's client area, in screen coordinates.
    POINT ScreenPoint(int x, int y) const;
};

// Pixels of a window's client area, read back from the screen.
class Image {
public:
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    Image() = default;
    Image(int w, int h, COLORREF clr = 0) : width(w), height(h), pixels(size_t(w) * h, clr) {}
    COLORREF At(int x, int y) const { return pixels[size_t(y) * width + x]; }
    void Set(int x, int y, COLORREF clr) { pixels[size_t(y) * width + x] = clr; }
    // The smallest rectangle holding every pixel of this colour (empty if none).
    CRect BoundsOf(COLORREF clr) const;
    int CountOf(COLORREF clr) const;
};
Image CaptureClient(HWND hWnd);
// The same for the whole window, frame and caption bar included.
Image CaptureWholeWindow(HWND hWnd);
// The parent's pattern under the button: what the snapshot must hold.
Image PatternUnderButton(COLORREF (*pfnPattern)(int, int) = &FirstPattern);

// Where the caption font puts the ink of a text drawn at (0, 0), and the
// text's extent, measured the way the button measures it.
struct TextInk {
    CRect ink;
    CSize extent;
};
TextInk MeasureCaption(const char* pszText);

// Points (x, y) whose colours differ between two images of one size.
std::vector<POINT> Differences(const Image& a, const Image& b);
// Fails the current test with the first few differing pixels.
void ExpectSameImage(const Image& expected, const Image& actual, const char* what);

// Rectangles in failure messages.
inline std::ostream& operator<<(std::ostream& os, const RECT& rc)
{
    return os << "(" << rc.left << "," << rc.top << ")-(" << rc.right << "," << rc.bottom << ")";
}

// Real input: the pointer and the left mouse button.
void MovePointer(POINT pt);
void MovePointerAway();
void PressLeftButton();
void ReleaseLeftButton();

// Dispatches this thread's messages for a while, or until the condition
// holds (false if it never did).
void PumpMessages(DWORD dwMilliseconds);
bool PumpUntil(const std::function<bool()>& condition, DWORD dwTimeoutMs = 2000);
