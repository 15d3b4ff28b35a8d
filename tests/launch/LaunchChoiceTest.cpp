// The launch screen's choices, made with the real pointer and keyboard
// through the real modal loop: what DoModal returns and which module name
// the dialog then gives, and what the launcher's selection makes of it.
#include <gtest/gtest.h>

#include "LaunchTestSupport.h"
#include "QuavPlusApp.h"

namespace {

struct Choice {
    INT_PTR nResult;
    CString strModule;
};

class LaunchChoice : public testing::Test {
protected:
    void SetUp() override
    {
        MovePointerAway(); // no hover unless a test asks for it
        PumpMessages(10);
    }
    void TearDown() override
    {
        if (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) // a test that stopped half-way
            ReleaseLeftButton();
        MovePointerAway();
    }

    // Shows a launch screen, takes the step once it is on the screen, and
    // reports how it ended.
    static Choice Choose(const std::function<void(CLaunchScreenDlg&)>& step)
    {
        CLaunchScreenDlg dlg;
        INT_PTR nResult = RunModal(dlg, [&](CDialog&) { step(dlg); });
        return {nResult, dlg.GetSelectedModule()};
    }

    static POINT CentreOf(const CWnd& wnd)
    {
        CRect rc;
        wnd.GetWindowRect(&rc);
        return rc.CenterPoint();
    }

    // The middle of the caption's close box, found by asking the window.
    static POINT CloseBoxOf(const CWnd& wnd)
    {
        CRect rc;
        wnd.GetWindowRect(&rc);
        int y = rc.top + ClientOrigin(wnd.m_hWnd).y / 2;
        int nLeft = -1, nRight = -1;
        for (int x = rc.left; x < rc.right; ++x) {
            if (wnd.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(x, y)) != HTCLOSE)
                continue;
            nLeft = nLeft < 0 ? x : nLeft;
            nRight = x;
        }
        return {(nLeft + nRight) / 2, y};
    }

    LaunchFolder m_folder;
};

// Sees every message that any loop of the application pre-translates.
class ObservingLauncher : public CQuavPlusApp {
public:
    using CQuavPlusApp::RunLaunchScreen;
    std::vector<MSG> seen;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        seen.push_back(*pMsg);
        return CQuavPlusApp::PreTranslateMessage(pMsg);
    }
    bool Saw(HWND hWnd, UINT message, WPARAM wParam) const
    {
        for (const MSG& msg : seen) {
            if (msg.hwnd == hWnd && msg.message == message && msg.wParam == wParam)
                return true;
        }
        return false;
    }
};

} // namespace

TEST_F(LaunchChoice, AClickOnEachButtonChoosesItsModule)
{
    Choice lx = Choose([](CLaunchScreenDlg& dlg) { ClickAt(CentreOf(LxButton(dlg))); });
    EXPECT_EQ(IDOK, lx.nResult);
    EXPECT_STREQ("QUAVLXUI.dll", lx.strModule);

    MovePointerAway();
    Choice plus = Choose([](CLaunchScreenDlg& dlg) { ClickAt(CentreOf(DefaultButton(dlg))); });
    EXPECT_EQ(IDOK, plus.nResult);
    EXPECT_STREQ("QuavPlusUI.dll", plus.strModule);
}

TEST_F(LaunchChoice, EnterAtOnceChoosesTheLxModuleWhichStartsWithTheFocus)
{
    Choice choice = Choose([](CLaunchScreenDlg& dlg) {
        EXPECT_EQ(LxButton(dlg).m_hWnd, ::GetFocus());
        PressKey(VK_RETURN);
    });
    EXPECT_EQ(IDOK, choice.nResult);
    EXPECT_STREQ("QUAVLXUI.dll", choice.strModule);
}

TEST_F(LaunchChoice, TabThenEnterChoosesTheDefaultModule)
{
    Choice choice = Choose([](CLaunchScreenDlg&) {
        PressKey(VK_TAB);
        PressKey(VK_RETURN);
    });
    EXPECT_EQ(IDOK, choice.nResult);
    EXPECT_STREQ("QuavPlusUI.dll", choice.strModule);
}

TEST_F(LaunchChoice, AnOkCommandWithNeitherButtonFocusedChoosesTheDefaultModule)
{
    // The focus in another window: the dialog itself cannot keep the focus,
    // the dialog manager hands it on to a control.
    CWnd other;
    ASSERT_TRUE(
        other.CreateEx(0, nullptr, "other", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr));
    Choice elsewhere = Choose([&](CLaunchScreenDlg& dlg) {
        other.SetFocus();
        EXPECT_EQ(other.m_hWnd, ::GetFocus());
        dlg.PostMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(IDOK, elsewhere.nResult);
    EXPECT_STREQ("QuavPlusUI.dll", elsewhere.strModule);
    other.DestroyWindow();

    Choice noFocus = Choose([](CLaunchScreenDlg& dlg) {
        ::SetFocus(nullptr);
        dlg.PostMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(IDOK, noFocus.nResult);
    EXPECT_STREQ("QuavPlusUI.dll", noFocus.strModule);
}

TEST_F(LaunchChoice, EscAndTheCloseBoxCancelWithoutAName)
{
    Choice escaped = Choose([](CLaunchScreenDlg&) { PressKey(VK_ESCAPE); });
    EXPECT_EQ(IDCANCEL, escaped.nResult);
    EXPECT_STREQ("", escaped.strModule);

    Choice closed = Choose([](CLaunchScreenDlg& dlg) { ClickAt(CloseBoxOf(dlg)); });
    EXPECT_EQ(IDCANCEL, closed.nResult);
    EXPECT_STREQ("", closed.strModule);
}

TEST_F(LaunchChoice, TheSelectionTakesAClickedModuleAndStopsOnCancel)
{
    ObservingLauncher app;
    CString strModule("unchanged");
    HWND hWndLx = nullptr;
    INT_PTR bResult = RunWithStep([&] { return INT_PTR(app.RunLaunchScreen(strModule)); },
                                  [&](CDialog& dlg) {
                                      CWnd* pLx = dlg.GetDlgItem(IDC_LX_MODULE);
                                      hWndLx = pLx->m_hWnd;
                                      ClickAt(CentreOf(*pLx));
                                  });
    EXPECT_EQ(TRUE, bResult);
    EXPECT_STREQ("QUAVLXUI.dll", strModule);
    // The application's own pre-translation saw the dialog's input.
    EXPECT_TRUE(app.Saw(hWndLx, WM_LBUTTONDOWN, MK_LBUTTON));
    EXPECT_TRUE(app.Saw(hWndLx, WM_LBUTTONUP, 0));

    strModule = "unchanged";
    HWND hWndFocus = nullptr;
    bResult = RunWithStep([&] { return INT_PTR(app.RunLaunchScreen(strModule)); },
                          [&](CDialog&) {
                              hWndFocus = ::GetFocus();
                              PressKey(VK_ESCAPE);
                          });
    EXPECT_EQ(FALSE, bResult);
    EXPECT_STREQ("unchanged", strModule);
    EXPECT_TRUE(app.Saw(hWndFocus, WM_KEYDOWN, VK_ESCAPE));
}
