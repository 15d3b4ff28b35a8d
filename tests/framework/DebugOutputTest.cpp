// What a module author's first mistakes put on the debug output: each one
// the framework refuses, in a line that names the call and says why. The
// framework library's own OutputDebugStringA (its import) is watched; the
// lines still go on to the debugger.
#include <afxwin.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ImportPatch.h"

namespace {

std::vector<std::string> g_lines;
ImportPatch* g_pPatch = nullptr;

void WINAPI RecordDebugString(LPCSTR lpszText)
{
    g_lines.push_back(lpszText ? lpszText : "");
    reinterpret_cast<void(WINAPI*)(LPCSTR)>(g_pPatch->Original())(lpszText);
}

// The debug output of one step.
std::vector<std::string> DebugOutputOf(const std::function<void()>& step)
{
    ImportPatch patch("KERNEL32.dll", "OutputDebugStringA",
                      reinterpret_cast<void*>(&RecordDebugString),
                      GetModuleHandleA("AfxFramework.dll"));
    EXPECT_TRUE(patch.IsApplied());
    g_pPatch = &patch;
    g_lines.clear();
    step();
    g_pPatch = nullptr;
    return g_lines;
}

} // namespace

TEST(DebugOutput, SaysWhatWentWrongWithAModuleAuthorsFirstMistakes)
{
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "held", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    HWND hWndOther = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr);
    CBrush brush(RGB(1, 2, 3));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    const struct {
        const char* pszMistake;
        std::function<void()> make;
        const char* pszLine;
    } rows[] = {
        {"a window class nobody registered",
         [] {
             EXPECT_FALSE(
                 CWnd().CreateEx(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
         },
         "CWnd::CreateEx: no window of class \"NoSuchClass\" was created (error "},
        {"creating a second window into one object",
         [&] {
             EXPECT_FALSE(wnd.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
         },
         "CWnd::CreateEx: the object already holds a handle; delete or detach it first\n"},
        {"attaching a second window", [&] { EXPECT_FALSE(wnd.Attach(hWndOther)); },
         "CWnd::Attach: the object already holds a handle"},
        {"attaching a window another object has", [&] { EXPECT_FALSE(CWnd().Attach(wnd.m_hWnd)); },
         "CWnd::Attach: window "},
        {"creating a second brush into one object",
         [&] { EXPECT_FALSE(brush.CreateSolidBrush(RGB(4, 5, 6))); },
         "CBrush::CreateSolidBrush: the object already holds a handle"},
        {"attaching a second context",
         [&] {
             HDC hScreen = GetDC(nullptr);
             EXPECT_FALSE(dc.Attach(hScreen));
             ReleaseDC(nullptr, hScreen);
         },
         "CDC::Attach: the object already holds a handle"},
        {"a dialog template no module has", [] { EXPECT_EQ(-1, CDialog(999).DoModal()); },
         "AfxFindResourceHandle: dialog template #999 is in neither the executable, a loaded "
         "module nor the framework"},
        {"a string no module has", [] { EXPECT_FALSE(CString().LoadString(4003)); },
         "AfxFindResourceHandle: the string block of strings 4000 to 4015 is in neither"},
        {"the module's own trace", [] { TRACE("module: %d windows", 3); }, "module: 3 windows\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszMistake);
        std::vector<std::string> lines = DebugOutputOf(row.make);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(0u, lines[0].find(row.pszLine)) << lines[0];
        EXPECT_EQ('\n', lines[0].back());
    }
    DestroyWindow(hWndOther);
}
