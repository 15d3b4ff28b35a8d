// Windows bound to objects: message maps, passing messages on, subclassing,
// reflection of owner-draw requests and the end of a window's life.
#include <afxwin.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const UINT WM_TEST_BASE = WM_APP + 10;
const UINT WM_TEST_BOTH = WM_APP + 11;
const int kChildId = 300;
const int kMenuId = 301;

class BaseWindow : public CWnd {
public:
    std::vector<std::string> log;

protected:
    LRESULT OnBase(WPARAM, LPARAM)
    {
        log.push_back("base");
        return 1;
    }
    LRESULT OnBothInBase(WPARAM, LPARAM)
    {
        log.push_back("both-in-base");
        return 2;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWindow, CWnd)
ON_MESSAGE(WM_TEST_BASE, OnBase)
ON_MESSAGE(WM_TEST_BOTH, OnBothInBase)
END_MESSAGE_MAP()

class DerivedWindow : public BaseWindow {
public:
    bool Create(HWND hWndParent = nullptr)
    {
        return CreateEx(0, nullptr, "derived", hWndParent ? WS_CHILD : WS_POPUP, 0, 0, 120, 80,
                        hWndParent, nullptr) != FALSE;
    }
    int nPostNcDestroy = 0;

protected:
    LRESULT OnBothInDerived(WPARAM, LPARAM)
    {
        log.push_back("both-in-derived");
        return 3;
    }
    void OnClicked() { log.push_back("clicked"); }
    void OnMenu() { log.push_back("menu"); }
    void OnTimer(UINT_PTR nIDEvent)
    {
        log.push_back("timer " + std::to_string(nIDEvent));
        KillTimer(nIDEvent);
    }
    void PostNcDestroy() override { ++nPostNcDestroy; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWindow, BaseWindow)
ON_MESSAGE(WM_TEST_BOTH, OnBothInDerived)
ON_BN_CLICKED(kChildId, OnClicked)
ON_COMMAND(kMenuId, OnMenu)
ON_WM_TIMER()
END_MESSAGE_MAP()

// Text changes pass through to the original procedure after being logged.
class TextLoggingWindow : public CWnd {
public:
    std::vector<std::string> log;
    int nPreSubclass = 0;

protected:
    void PreSubclassWindow() override { ++nPreSubclass; }
    LRESULT OnSetText(WPARAM, LPARAM lParam)
    {
        log.push_back(reinterpret_cast<const char*>(lParam));
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TextLoggingWindow, CWnd)
ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

class DrawnButton : public CButton {
public:
    UINT nLastItemState = 0xFFFFFFFF;
    int nDraws = 0;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override
    {
        ++nDraws;
        nLastItemState = lpDrawItemStruct->itemState;
    }
};

// Logs the window messages that have entries of their own in the map.
class LifeWindow : public CWnd {
public:
    std::vector<std::string> log;
    bool bRefuseCreation = false;

protected:
    int OnCreate(LPCREATESTRUCTA lpCreateStruct)
    {
        log.push_back(std::string("create ") + lpCreateStruct->lpszName);
        return bRefuseCreation ? -1 : CWnd::OnCreate(lpCreateStruct);
    }
    void OnSize(UINT, int cx, int cy)
    {
        log.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy));
    }
    void OnClose()
    {
        log.push_back("close");
        CWnd::OnClose(); // the default destroys the window
    }
    void OnDestroy()
    {
        log.push_back("destroy");
        CWnd::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(LifeWindow, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_CLOSE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

void PumpPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

TEST(Wnd, CreatedWindowIsBoundToItsObject)
{
    DerivedWindow wnd;
    ASSERT_TRUE(wnd.Create());
    EXPECT_TRUE(IsWindow(wnd.m_hWnd));
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
    EXPECT_EQ(&wnd, CWnd::FromHandle(wnd.m_hWnd));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd.m_hWnd, GWLP_WNDPROC)), &AfxWndProc);
}

TEST(Wnd, MostDerivedMapEntryWinsAndBaseEntriesStillApply)
{
    DerivedWindow wnd;
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(3, wnd.SendMessage(WM_TEST_BOTH));
    EXPECT_EQ(1, wnd.SendMessage(WM_TEST_BASE));
    EXPECT_EQ((std::vector<std::string>{"both-in-derived", "base"}), wnd.log);
    // Unhandled messages reach the original procedure.
    wnd.SetWindowText("title");
    CString text;
    wnd.GetWindowText(text);
    EXPECT_STREQ("title", text);
}

TEST(Wnd, CommandsReachTheirHandlersByCodeAndId)
{
    DerivedWindow wnd;
    ASSERT_TRUE(wnd.Create());
    HWND hWndChild = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 10, 10, wnd.m_hWnd,
                                     reinterpret_cast<HMENU>(kChildId), nullptr, nullptr);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kChildId, BN_CLICKED),
                    reinterpret_cast<LPARAM>(hWndChild));
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kChildId, BN_SETFOCUS),
                    reinterpret_cast<LPARAM>(hWndChild));
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kMenuId, 0), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kMenuId, 1), 0); // accelerator
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kMenuId + 1, 0), 0);
    EXPECT_EQ((std::vector<std::string>{"clicked", "menu", "menu"}), wnd.log);
}

TEST(Wnd, TimerMessagesArriveThroughTheMap)
{
    DerivedWindow wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.SetTimer(7, 1, nullptr);
    DWORD dwStart = GetTickCount();
    while (wnd.log.empty() && GetTickCount() - dwStart < 5000) {
        MSG msg;
        if (GetMessageA(&msg, nullptr, 0, 0))
            DispatchMessageA(&msg);
    }
    EXPECT_EQ((std::vector<std::string>{"timer 7"}), wnd.log);
}

TEST(Wnd, DestroyingTheWindowDetachesTheObject)
{
    DerivedWindow wnd;
    ASSERT_TRUE(wnd.Create());
    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    EXPECT_EQ(1, wnd.nPostNcDestroy);
    EXPECT_FALSE(wnd.DestroyWindow());
}

TEST(Wnd, DestroyingTheParentWindowDetachesItsChildObjects)
{
    DerivedWindow parent;
    ASSERT_TRUE(parent.Create());
    DerivedWindow child;
    ASSERT_TRUE(child.Create(parent.m_hWnd));
    parent.DestroyWindow();
    EXPECT_EQ(nullptr, child.m_hWnd);
    EXPECT_EQ(1, child.nPostNcDestroy);
}

TEST(Wnd, AnObjectTakesItsWindowAlongWhenItGoes)
{
    HWND hWnd;
    {
        DerivedWindow wnd;
        ASSERT_TRUE(wnd.Create());
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(Wnd, AttachAndDetachBindWithoutRouting)
{
    HWND hWnd = CreateWindowExA(0, "STATIC", "s", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    CWnd wnd;
    EXPECT_TRUE(wnd.Attach(hWnd));
    EXPECT_FALSE(wnd.Attach(hWnd));
    CWnd other;
    EXPECT_FALSE(other.Attach(hWnd)); // a window has one object
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(hWnd));
    EXPECT_EQ(hWnd, wnd.Detach());
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    EXPECT_TRUE(IsWindow(hWnd)); // detaching leaves the window alone
    DestroyWindow(hWnd);
}

TEST(Wnd, ForeignWindowsGetTemporaryObjectsUntilIdle)
{
    HWND hWnd = CreateWindowExA(0, "STATIC", "s", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    CWnd* pTemp = CWnd::FromHandle(hWnd);
    ASSERT_NE(nullptr, pTemp);
    EXPECT_EQ(hWnd, pTemp->m_hWnd);
    EXPECT_EQ(pTemp, CWnd::FromHandle(hWnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    CWnd::DeleteTempMap();
    EXPECT_TRUE(IsWindow(hWnd)); // freeing the temporary object keeps the window
    DestroyWindow(hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
}

TEST(Wnd, SubclassingRoutesAnExistingWindowAndUnsubclassingHandsItBack)
{
    HWND hWnd =
        CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    auto pfnOriginal = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
    TextLoggingWindow wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hWnd));
    EXPECT_EQ(1, wnd.nPreSubclass);
    SetWindowTextA(hWnd, "typed");
    char szText[32] = {};
    GetWindowTextA(hWnd, szText, sizeof(szText));
    EXPECT_STREQ("typed", szText); // Default() reached the edit control
    EXPECT_EQ((std::vector<std::string>{"typed"}), wnd.log);

    EXPECT_EQ(hWnd, wnd.UnsubclassWindow());
    EXPECT_EQ(pfnOriginal, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hWnd, GWLP_WNDPROC)));
    SetWindowTextA(hWnd, "after");
    EXPECT_EQ(1u, wnd.log.size());
    DestroyWindow(hWnd);
}

TEST(Wnd, OwnerDrawRequestsAreReflectedToTheControl)
{
    DerivedWindow parent;
    ASSERT_TRUE(parent.Create());
    parent.SetWindowPos(nullptr, 0, 0, 200, 100, SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    DrawnButton button;
    ASSERT_TRUE(
        button.Create("owner", WS_VISIBLE | BS_OWNERDRAW, CRect(5, 5, 60, 30), &parent, 400));
    button.Invalidate();
    button.UpdateWindow();
    PumpPending();
    EXPECT_GE(button.nDraws, 1);
    button.EnableWindow(FALSE);
    button.Invalidate();
    button.UpdateWindow();
    EXPECT_TRUE(button.nLastItemState & ODS_DISABLED);
}

// What the module guide offers of CWnd beyond the calls above, one row a
// call, on a real parent with a real child.
TEST(Wnd, TheOfferedCallsWorkOnRealWindows)
{
    DerivedWindow parent;
    ASSERT_TRUE(parent.CreateEx(WS_EX_TOOLWINDOW, nullptr, "parent", WS_POPUP | WS_VISIBLE, 100,
                                100, 200, 120, nullptr, nullptr));
    const int kEditId = 310;
    HWND hWndEdit =
        CreateWindowExA(0, "EDIT", "child", WS_CHILD | WS_VISIBLE, 10, 10, 80, 20, parent.m_hWnd,
                        reinterpret_cast<HMENU>(kEditId), nullptr, nullptr);
    TextLoggingWindow child;
    HICON hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    const struct {
        const char* pszCall;
        std::function<void()> check;
    } rows[] = {
        {"SubclassDlgItem",
         [&] {
             ASSERT_TRUE(child.SubclassDlgItem(kEditId, &parent));
             EXPECT_EQ(hWndEdit, child.m_hWnd);
             child.SetWindowText("routed");
             EXPECT_EQ(std::vector<std::string>{"routed"}, child.log);
             EXPECT_FALSE(CWnd().SubclassDlgItem(kEditId + 1, &parent)); // no such control
         }},
        {"GetExStyle", [&] { EXPECT_TRUE(parent.GetExStyle() & WS_EX_TOOLWINDOW); }},
        {"MoveWindow",
         [&] {
             child.MoveWindow(5, 6, 40, 20);
             CRect rc;
             child.GetWindowRect(&rc);
             CPoint topLeft = rc.TopLeft();
             parent.ScreenToClient(&topLeft);
             EXPECT_EQ(CPoint(5, 6), topLeft);
             EXPECT_EQ(40, rc.Width());
         }},
        {"ScreenToClient",
         [&] {
             CPoint pt(3, 4);
             child.ClientToScreen(&pt);
             child.ScreenToClient(&pt);
             EXPECT_EQ(CPoint(3, 4), pt);
         }},
        {"GetWindowTextLength", [&] { EXPECT_EQ(6, child.GetWindowTextLength()); }},
        {"GetDlgCtrlID", [&] { EXPECT_EQ(kEditId, child.GetDlgCtrlID()); }},
        {"GetParent", [&] { EXPECT_EQ(&parent, child.GetParent()); }},
        {"GetTopLevelParent", [&] { EXPECT_EQ(&parent, child.GetTopLevelParent()); }},
        {"IsChild",
         [&] {
             EXPECT_TRUE(parent.IsChild(&child));
             EXPECT_FALSE(child.IsChild(&parent));
         }},
        {"SetIcon",
         [&] {
             EXPECT_EQ(nullptr, parent.SetIcon(hIcon, TRUE));
             EXPECT_EQ(reinterpret_cast<LRESULT>(hIcon), parent.SendMessage(WM_GETICON, ICON_BIG));
             EXPECT_EQ(hIcon, parent.SetIcon(nullptr, TRUE)); // the one it replaces
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszCall);
        row.check();
    }
}

// The window messages with map entries of their own, sent by the system.
TEST(Wnd, CreateSizeCloseAndDestroyReachTheirHandlers)
{
    LifeWindow wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "life", WS_POPUP, 0, 0, 60, 40, nullptr, nullptr));
    wnd.log.erase(wnd.log.begin() + 1, wnd.log.end()); // the system's first size, if any
    wnd.MoveWindow(0, 0, 50, 30);
    wnd.SendMessage(WM_CLOSE);
    EXPECT_EQ((std::vector<std::string>{"create life", "size 50x30", "close", "destroy"}), wnd.log);
    EXPECT_EQ(nullptr, wnd.m_hWnd);

    LifeWindow refused; // OnCreate returning -1 stops the creation
    refused.bRefuseCreation = true;
    EXPECT_FALSE(refused.CreateEx(0, nullptr, "refused", WS_POPUP, 0, 0, 60, 40, nullptr, nullptr));
    EXPECT_EQ(nullptr, refused.m_hWnd);
}

// What the guide offers of CButton, one row a call.
TEST(Button, TheOfferedCallsWorkOnARealButton)
{
    DerivedWindow parent;
    ASSERT_TRUE(parent.Create());
    CButton button;
    ASSERT_TRUE(button.Create("box", WS_VISIBLE | BS_CHECKBOX, CRect(5, 5, 60, 30), &parent, 401));
    const struct {
        const char* pszCall;
        std::function<void()> check;
    } rows[] = {
        {"GetButtonStyle",
         [&] { EXPECT_EQ(static_cast<UINT>(BS_CHECKBOX), button.GetButtonStyle()); }},
        {"SetButtonStyle",
         [&] {
             button.SetButtonStyle(BS_RADIOBUTTON);
             EXPECT_EQ(static_cast<UINT>(BS_RADIOBUTTON), button.GetButtonStyle());
         }},
        {"GetState",
         [&] {
             EXPECT_EQ(0u, button.GetState() & BST_PUSHED);
             button.SetState(TRUE);
             EXPECT_NE(0u, button.GetState() & BST_PUSHED);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszCall);
        row.check();
    }
}
