// Modal dialogs from templates: creation, data exchange, the modal loop and
// its keyboard handling, centring and the ways a dialog ends.
#include <afxwin.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FrameworkTestResources.h"

namespace {

const UINT WM_TEST_STEP = WM_APP + 20;

// Sees every message that any loop of the application pre-translates.
class ObservingApp : public CWinApp {
public:
    std::vector<MSG> seen;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        seen.push_back(*pMsg);
        return CWinApp::PreTranslateMessage(pMsg);
    }
};

class TestDialog : public CDialog {
public:
    explicit TestDialog(UINT nID = IDD_TEST_DIALOG) : CDialog(nID) {}

    CButton m_btnFirst;
    std::function<void(TestDialog&)> onInit;
    std::function<void(TestDialog&)> onStep;
    std::vector<int> clicks;
    int nOnOK = 0;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    void OnOK() override
    {
        ++nOnOK;
        CDialog::OnOK();
    }
    void PostKey(UINT vk) { ::PostMessageA(::GetFocus(), WM_KEYDOWN, vk, 1); }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_FIRST, m_btnFirst);
    }
    void OnFirst() { clicks.push_back(IDC_FIRST); }
    void OnSecond()
    {
        clicks.push_back(IDC_SECOND);
        EndDialog(IDC_SECOND);
    }
    LRESULT OnStep(WPARAM, LPARAM)
    {
        if (onStep)
            onStep(*this);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
ON_BN_CLICKED(IDC_FIRST, OnFirst)
ON_BN_CLICKED(IDC_SECOND, OnSecond)
ON_MESSAGE(WM_TEST_STEP, OnStep)
END_MESSAGE_MAP()

} // namespace

TEST(Dialog, MissingTemplateGivesMinusOne)
{
    TestDialog dlg(999);
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(Dialog, DataExchangeBindsControlsAndTheDialogIsCentred)
{
    TestDialog dlg;
    HWND hWndFirst = nullptr;
    CRect rcWindow;
    dlg.onInit = [&](TestDialog& self) {
        hWndFirst = self.m_btnFirst.m_hWnd;
        self.PostMessage(WM_TEST_STEP);
    };
    dlg.onStep = [&](TestDialog& self) {
        self.GetWindowRect(&rcWindow);
        self.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_NE(nullptr, hWndFirst);
    EXPECT_EQ(nullptr, dlg.m_btnFirst.m_hWnd); // the control went with the dialog
    EXPECT_EQ(nullptr, dlg.m_hWnd);

    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
    CRect rcWork(mi.rcWork);
    EXPECT_NEAR(rcWork.CenterPoint().x, rcWindow.CenterPoint().x, 1);
    EXPECT_NEAR(rcWork.CenterPoint().y, rcWindow.CenterPoint().y, 1);
}

TEST(Dialog, EnterIsTheOkCommandAndEscTheCancelCommand)
{
    ObservingApp app;
    TestDialog dlg;
    dlg.onInit = [](TestDialog& self) { self.PostMessage(WM_TEST_STEP); };
    dlg.onStep = [](TestDialog& self) {
        self.GetDlgItem(IDC_FIRST)->EnableWindow(FALSE); // no button takes Enter
        self.SetFocus();
        self.PostKey(VK_RETURN);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, dlg.nOnOK);

    TestDialog cancelled;
    cancelled.onInit = [](TestDialog& self) { self.PostMessage(WM_TEST_STEP); };
    cancelled.onStep = [](TestDialog& self) { self.PostKey(VK_ESCAPE); };
    EXPECT_EQ(IDCANCEL, cancelled.DoModal());
    EXPECT_EQ(0, cancelled.nOnOK);
}

TEST(Dialog, TabMovesTheFocusAndEnterPressesTheFocusedButton)
{
    TestDialog dlg;
    dlg.onInit = [](TestDialog& self) { self.PostMessage(WM_TEST_STEP); };
    dlg.onStep = [](TestDialog& self) {
        EXPECT_EQ(self.GetDlgItem(IDC_FIRST)->m_hWnd, ::GetFocus());
        self.PostKey(VK_TAB);
        self.PostKey(VK_RETURN);
    };
    EXPECT_EQ(IDC_SECOND, dlg.DoModal());
    EXPECT_EQ((std::vector<int>{IDC_SECOND}), dlg.clicks);
}

TEST(Dialog, CloseBoxCancels)
{
    TestDialog dlg;
    dlg.onInit = [](TestDialog& self) { self.PostMessage(WM_CLOSE); };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
}

TEST(Dialog, ModalLoopPassesEveryMessageThroughTheApplication)
{
    ObservingApp app;
    TestDialog dlg;
    HWND hWndDialog = nullptr;
    dlg.onInit = [&](TestDialog& self) {
        hWndDialog = self.m_hWnd;
        self.PostMessage(WM_TEST_STEP);
    };
    dlg.onStep = [](TestDialog& self) { self.PostKey(VK_ESCAPE); };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    bool bSawStep = false, bSawKey = false;
    for (const MSG& msg : app.seen) {
        bSawStep |= msg.hwnd == hWndDialog && msg.message == WM_TEST_STEP;
        bSawKey |= msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE;
    }
    EXPECT_TRUE(bSawStep);
    EXPECT_TRUE(bSawKey);
}

TEST(Dialog, QuitDuringTheModalLoopEndsItAndIsLeftForTheOuterLoop)
{
    TestDialog dlg;
    dlg.onInit = [](TestDialog&) { PostQuitMessage(5); };
    EXPECT_EQ(-1, dlg.DoModal());
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(5u, msg.wParam);
}

TEST(Dialog, TemplatesAndStringsOfALoadedModuleAreFoundUntilItIsUnloaded)
{
    // The caption of the dialog DoModal made from template nID; "(none)"
    // when it made none.
    auto captionOf = [](UINT nID) {
        TestDialog dlg(nID);
        CString strCaption;
        dlg.onInit = [&](TestDialog& self) {
            self.GetWindowText(strCaption);
            self.PostMessage(WM_TEST_STEP);
        };
        dlg.onStep = [](TestDialog& self) { self.EndDialog(IDOK); };
        return dlg.DoModal() == IDOK ? std::string(strCaption) : std::string("(none)");
    };
    CString strLine;
    ASSERT_EQ("(none)", captionOf(IDD_MODULE_DIALOG));

    HMODULE hModule = ::LoadLibraryA("DialogResourceModule.dll");
    ASSERT_NE(nullptr, hModule);
    EXPECT_EQ("Module dialog", captionOf(IDD_MODULE_DIALOG));
    EXPECT_EQ("Test dialog", captionOf(IDD_TEST_DIALOG)); // the executable comes first
    EXPECT_TRUE(strLine.LoadString(IDS_MODULE_LINE));
    EXPECT_STREQ("A line of the module's own", strLine);

    ::FreeLibrary(hModule);
    EXPECT_EQ("(none)", captionOf(IDD_MODULE_DIALOG));
    EXPECT_FALSE(strLine.LoadString(IDS_MODULE_LINE));
}
