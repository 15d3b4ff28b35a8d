// How long one full repaint of a transparent button takes, and whether
// repainting and hovering leave graphics (GDI) or window-system (USER)
// objects behind. Prints one line per figure:
//   redraw_button_us <mean microseconds> - INFO
//   button_gdi_growth <objects> 0 PASS|FAIL   (and the same for USER)
// and exits with 1 when a growth is not 0.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <afxwin.h>

#include "GuiObjectCounter.h"
#include "TestFiles.h"
#include "controls/TransParentButton.h"

namespace {

const int kRepaints = 10000;
const int kHoverCycles = 10000;
const int kTimedRepaints = 2000;
const int kButtonId = 100;

// A parent the button snapshots: a gradient, so the copy has work to do.
class GradientParent : public CWnd {
protected:
    void OnPaint()
    {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        for (int y = 0; y < rc.Height(); ++y)
            dc.FillSolidRect(0, y, rc.Width(), 1, RGB(y * 2, 100, 255 - y * 2));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(GradientParent, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
}

struct Counts {
    long nGdi;
    long nUser;
};

Counts CountNow()
{
    CWnd::DeleteTempMap();
    // USER first: probing icons makes the platform create objects of its own
    // the first time.
    GuiObjectCount user = CountUserObjects();
    GuiObjectCount gdi = CountGdiObjects();
    static bool s_bReported = false;
    if (!s_bReported) {
        fprintf(stderr, "GDI objects counted by: %s\nUSER objects counted by: %s\n",
                GuiCountSourceName(gdi.source), GuiCountSourceName(user.source));
        s_bReported = true;
    }
    return {gdi.nObjects, user.nObjects};
}

bool Report(const char* pszName, long nGrowth)
{
    bool bPass = nGrowth == 0;
    printf("%s %ld 0 %s\n", pszName, nGrowth, bPass ? "PASS" : "FAIL");
    return bPass;
}

// One pass of hover: a movement starts it, a tick with the pointer away ends it.
void HoverOnce(CTransParentButton& button)
{
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    button.SendMessage(WM_TIMER, 1);
}

// Each look in turn, through the messages that lead to it: hover, normal,
// pressed, released. The standard button takes the capture and the focus on
// the press and lets them go again on the release.
void PaintEveryState(CTransParentButton& button, int nRound)
{
    switch (nRound % 4) {
    case 0:
        button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        break;
    case 1:
        button.SendMessage(WM_TIMER, 1);
        break;
    case 2:
        button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        break;
    default:
        button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        break;
    }
}

} // namespace

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);
    // The stand-in display font, when the build made one.
    ::SetCurrentDirectoryA(BuiltFile("fixtures").c_str());
    ::SetCursorPos(5, 700);

    GradientParent parent;
    if (!parent.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, 600, 120, 240, 120, nullptr,
                         nullptr)) {
        fprintf(stderr, "cannot create the parent window\n");
        return 2;
    }
    parent.UpdateWindow();
    CTransParentButton button;
    HWND hWndButton = ::CreateWindowExA(
        0, "BUTTON", "QUAVPLUS", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 180, 64,
        parent.m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButtonId)),
        ::GetModuleHandleA(nullptr), nullptr);
    button.SubclassWindow(hWndButton);
    button.SetIcons(::LoadIconA(nullptr, IDI_APPLICATION), ::LoadIconA(nullptr, IDI_INFORMATION));
    button.UpdateWindow();
    Pump();

    // Everything the platform makes once at first use.
    for (int i = 0; i < 8; ++i)
        PaintEveryState(button, i);
    HoverOnce(button);

    // Timed as before: the normal look, without the focus the presses gave.
    HoverOnce(button);
    ::SetFocus(parent.m_hWnd);
    Pump();
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < kTimedRepaints; ++i)
        button.RedrawButton();
    ::QueryPerformanceCounter(&end);
    double dMicroseconds =
        double(end.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart) / kTimedRepaints;
    printf("redraw_button_us %.1f - INFO\n", dMicroseconds);

    Counts before = CountNow();
    for (int i = 0; i < kRepaints; ++i)
        PaintEveryState(button, i);
    Counts afterRepaints = CountNow();
    for (int i = 0; i < kHoverCycles; ++i)
        HoverOnce(button);
    Counts after = CountNow();

    printf("button_gdi_objects %ld - INFO\n", before.nGdi);
    printf("button_user_objects %ld - INFO\n", before.nUser);
    bool bPass = true;
    bPass &= Report("button_gdi_growth_repaints", afterRepaints.nGdi - before.nGdi);
    bPass &= Report("button_user_growth_repaints", afterRepaints.nUser - before.nUser);
    bPass &= Report("button_gdi_growth_hover", after.nGdi - afterRepaints.nGdi);
    bPass &= Report("button_user_growth_hover", after.nUser - afterRepaints.nUser);
    bPass &= Report("button_gdi_growth", after.nGdi - before.nGdi);
    bPass &= Report("button_user_growth", after.nUser - before.nUser);
    return bPass ? 0 : 1;
}
