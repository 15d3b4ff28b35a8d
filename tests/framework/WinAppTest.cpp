// The application object and its message loop, run in-process through the
// framework's own WinMain.
#include <afxwin.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const UINT WM_TEST_PING = WM_APP + 1;
const UINT WM_TEST_CLOSE = WM_APP + 2;

std::vector<std::string> g_events;

class MainWindow : public CWnd {
public:
    bool Create()
    {
        return CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                        nullptr) != FALSE;
    }

protected:
    LRESULT OnPing(WPARAM wParam, LPARAM)
    {
        g_events.push_back("dispatch " + std::to_string(wParam));
        return 0;
    }
    LRESULT OnTestClose(WPARAM, LPARAM)
    {
        DestroyWindow();
        return 0;
    }
    void PostNcDestroy() override { g_events.push_back("post-nc-destroy"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MainWindow, CWnd)
ON_MESSAGE(WM_TEST_PING, OnPing)
ON_MESSAGE(WM_TEST_CLOSE, OnTestClose)
END_MESSAGE_MAP()

// An application whose every step is recorded; what InitInstance does is
// chosen by the test.
class RecordingApp : public CWinApp {
public:
    explicit RecordingApp(LPCSTR lpszName = nullptr) : CWinApp(lpszName) { g_events.clear(); }

    std::function<BOOL(RecordingApp&)> init;
    std::function<BOOL(LONG)> idle;
    std::function<BOOL(MSG*)> preTranslate;
    MainWindow window;

    BOOL InitInstance() override
    {
        g_events.push_back("init");
        return init ? init(*this) : TRUE;
    }
    int Run() override
    {
        g_events.push_back("run");
        return CWinApp::Run();
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_TEST_PING)
            g_events.push_back("pretranslate " + std::to_string(pMsg->wParam));
        BOOL bFramework = CWinApp::PreTranslateMessage(pMsg);
        return preTranslate ? preTranslate(pMsg) : bFramework;
    }
    BOOL OnIdle(LONG lCount) override
    {
        BOOL bMore = CWinApp::OnIdle(lCount);
        return idle ? idle(lCount) : bMore;
    }
    int ExitInstance() override
    {
        g_events.push_back("exit");
        return CWinApp::ExitInstance();
    }
};

int RunApp(char* pszCmdLine = const_cast<char*>(""), int nCmdShow = SW_SHOWNORMAL)
{
    return AfxWinMain(GetModuleHandleA(nullptr), nullptr, pszCmdLine, nCmdShow);
}

using Events = std::vector<std::string>;

} // namespace

TEST(WinApp, FillsTheStartupValuesBeforeInitInstance)
{
    RecordingApp app;
    char szCmdLine[] = "first second";
    app.init = [&](RecordingApp& self) {
        EXPECT_EQ(GetModuleHandleA(nullptr), self.m_hInstance);
        EXPECT_EQ(szCmdLine, self.m_lpCmdLine);
        EXPECT_EQ(SW_SHOWMINNOACTIVE, self.m_nCmdShow);
        EXPECT_STREQ("FrameworkTests", self.m_pszExeName);
        EXPECT_STREQ("FrameworkTests", self.m_pszAppName);
        EXPECT_EQ(nullptr, self.m_hDevMode);
        EXPECT_EQ(nullptr, self.m_hDevNames);
        EXPECT_EQ(0u, self.m_dwRestartManagerSupportFlags);
        EXPECT_EQ(&self, AfxGetApp());
        EXPECT_EQ(&self, AfxGetThread());
        return FALSE;
    };
    EXPECT_EQ(0, RunApp(szCmdLine, SW_SHOWMINNOACTIVE));
}

TEST(WinApp, KeepsAnApplicationNameGivenAtConstruction)
{
    RecordingApp app("Named Application");
    app.init = [](RecordingApp& self) {
        EXPECT_STREQ("Named Application", self.m_pszAppName);
        EXPECT_STREQ("FrameworkTests", self.m_pszExeName);
        EXPECT_STREQ("Named Application", AfxGetAppName());
        return FALSE;
    };
    RunApp();
}

TEST(WinApp, IsTheCurrentApplicationOnlyWhileItExists)
{
    {
        CWinApp app;
        EXPECT_EQ(&app, AfxGetApp());
    }
    EXPECT_EQ(nullptr, AfxGetApp());
    EXPECT_EQ(nullptr, AfxGetThread());
}

TEST(WinApp, FailedInitInstanceGoesStraightToExitInstanceWithCodeZero)
{
    RecordingApp app;
    app.init = [](RecordingApp& self) {
        // A message pumped during start-up must not leak into the exit code.
        PostThreadMessageA(GetCurrentThreadId(), WM_TEST_PING, 99, 0);
        self.PumpMessage();
        return FALSE;
    };
    EXPECT_EQ(0, RunApp());
    EXPECT_EQ((Events{"init", "pretranslate 99", "exit"}), g_events);
}

TEST(WinApp, LoopEndsAtOnceWithoutAMainWindow)
{
    RecordingApp app;
    app.init = [](RecordingApp&) { return TRUE; };
    EXPECT_EQ(0, RunApp());
    EXPECT_EQ((Events{"init", "run", "exit"}), g_events);
}

TEST(WinApp, DestroyingTheMainWindowEndsTheLoop)
{
    RecordingApp app;
    app.init = [](RecordingApp& self) {
        EXPECT_TRUE(self.window.Create());
        self.m_pMainWnd = &self.window;
        self.window.PostMessage(WM_TEST_CLOSE);
        return TRUE;
    };
    EXPECT_EQ(0, RunApp());
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(nullptr, app.window.m_hWnd);
    EXPECT_EQ((Events{"init", "run", "post-nc-destroy", "exit"}), g_events);
}

TEST(WinApp, ExitCodeIsTheValueCarriedByTheQuitMessage)
{
    RecordingApp app;
    app.init = [](RecordingApp& self) {
        EXPECT_TRUE(self.window.Create());
        self.m_pMainWnd = &self.window;
        PostQuitMessage(42);
        return TRUE;
    };
    EXPECT_EQ(42, RunApp());
}

TEST(WinApp, EveryMessageIsPreTranslatedBeforeDispatchAndTrueSkipsIt)
{
    RecordingApp app;
    app.init = [](RecordingApp& self) {
        EXPECT_TRUE(self.window.Create());
        self.m_pMainWnd = &self.window;
        for (WPARAM i = 0; i < 4; ++i)
            self.window.PostMessage(WM_TEST_PING, i);
        self.window.PostMessage(WM_TEST_CLOSE);
        return TRUE;
    };
    app.preTranslate = [](MSG* pMsg) {
        return pMsg->message == WM_TEST_PING && (pMsg->wParam % 2) == 1;
    };
    EXPECT_EQ(0, RunApp());
    EXPECT_EQ((Events{"init", "run", "pretranslate 0", "dispatch 0", "pretranslate 1",
                      "pretranslate 2", "dispatch 2", "pretranslate 3", "post-nc-destroy", "exit"}),
              g_events);
}

TEST(WinApp, RunsIdleProcessingWhenTheQueueIsEmpty)
{
    RecordingApp app;
    app.init = [](RecordingApp& self) {
        EXPECT_TRUE(self.window.Create());
        self.m_pMainWnd = &self.window;
        return TRUE;
    };
    std::vector<LONG> counts;
    app.idle = [&](LONG lCount) {
        counts.push_back(lCount);
        // Only idle processing can end this application.
        if (lCount == 2)
            app.window.DestroyWindow();
        return lCount < 2;
    };
    EXPECT_EQ(0, RunApp());
    ASSERT_GE(counts.size(), 3u);
    EXPECT_EQ(0, counts[0]);
    EXPECT_EQ(1, counts[1]);
    EXPECT_EQ(2, counts[2]);
}
