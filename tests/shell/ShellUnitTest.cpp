// The application shell's pieces called directly: the command-line class,
// the instance keys and guard, and the module selection.
#include <afxwin.h>

#include <string.h>

#include <gtest/gtest.h>

#include "InstanceGuard.h"
#include "KXQPCommandLineInfo.h"
#include "QuavPlusApp.h"

namespace {

CString ModuleNameFor(const char* pszCommandLine)
{
    CKXQPCommandLineInfo info;
    AfxParseCommandLine(info, pszCommandLine);
    return info.GetModuleName();
}

class SelectionProbe : public CQuavPlusApp {
public:
    int InvocationMethod() const { return m_nInvocationMethod; }
};

} // namespace

TEST(CommandLineInfo, TheLastArgumentDecidesTheModuleName)
{
    EXPECT_STREQ("", ModuleNameFor("launcher.exe"));
    EXPECT_STREQ("Other.dll", ModuleNameFor("launcher.exe \\LOther.dll"));
    EXPECT_STREQ("Other.dll", ModuleNameFor("launcher.exe -\\LOther.dll"));
    EXPECT_STREQ("Other.dll", ModuleNameFor("launcher.exe /\\LOther.dll"));
    EXPECT_STREQ("QuavPlusUI.dll", ModuleNameFor("launcher.exe \\lOther.dll")); // small l
    EXPECT_STREQ("", ModuleNameFor("launcher.exe \\L"));
    EXPECT_STREQ("B.dll", ModuleNameFor("launcher.exe \\LA.dll \\LB.dll"));
    EXPECT_STREQ("QuavPlusUI.dll", ModuleNameFor("launcher.exe \\LA.dll x"));
    EXPECT_STREQ("My Module.dll", ModuleNameFor("launcher.exe \"\\LMy Module.dll\""));
    EXPECT_STREQ("%s%d.dll", ModuleNameFor("launcher.exe \\L%s%d.dll")); // text, not a format
}

TEST(InstanceKey, EditionNamesMapToTheirKeysWhateverTheLetterCase)
{
    EXPECT_STREQ("XKBRSMPTQVD", LookUpInstanceKey("C:\\Program Files\\Q\\QUAVPlusKDS.exe"));
    EXPECT_STREQ("XKBRSMPTQVD", LookUpInstanceKey("C:\\x\\quavpluskds.EXE"));
    EXPECT_STREQ("XKBRSMPTQVD", LookUpInstanceKey("QUAVPLUSKDS.exe")); // no folder at all
    EXPECT_STREQ("JWXKBRSMPTQVD", LookUpInstanceKey("D:\\QUAVPlusLXKDS.exe"));
    EXPECT_STREQ("YTXKBRSMPTQVD", LookUpInstanceKey("D:\\a\\b\\QuavPlusRdKds.Exe"));
}

TEST(InstanceKey, AnyOtherNameHasNoKey)
{
    for (const char* pszPath : {"C:\\QUAVPlusKDS (2).exe", "C:\\QUAVPlusKDS.exe.bak",
                                "C:\\QUAVPlusKDS", "C:\\QUAV-LX.exe", "C:\\dir\\QUAVPlusKDS.exe\\",
                                "C:/dir/QUAVPlusKDS.exe/other.exe", "", " QUAVPlusKDS.exe"})
        EXPECT_EQ(nullptr, LookUpInstanceKey(pszPath)) << pszPath;
    // Only the backslash separates folders.
    EXPECT_EQ(nullptr, LookUpInstanceKey("C:\\dir/QUAVPlusKDS.exe"));
}

TEST(InstanceKey, AFailedOrCutPathReadingNamesNoEditionAndIsNeverReadPastItsBuffer)
{
    // The buffer ends where an inaccessible page begins, so reading one
    // character past it would crash this test.
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    auto* pPages = static_cast<char*>(
        VirtualAlloc(nullptr, 2 * si.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, pPages);
    DWORD dwOld;
    VirtualProtect(pPages + si.dwPageSize, si.dwPageSize, PAGE_NOACCESS, &dwOld);
    char* pBuffer = pPages + si.dwPageSize - kInstancePathBufferLength;

    // A path cut to the buffer, unterminated as older systems leave it, and
    // even ending in an edition's name.
    memset(pBuffer, 'd', kInstancePathBufferLength);
    const char kTail[] = "\\QUAVPlusKDS.exe";
    memcpy(pBuffer + kInstancePathBufferLength - (sizeof(kTail) - 1), kTail, sizeof(kTail) - 1);
    EXPECT_EQ(nullptr, InstanceKeyFromModulePath(pBuffer, kInstancePathBufferLength));
    // The call failed: whatever the buffer holds does not count.
    EXPECT_EQ(nullptr, InstanceKeyFromModulePath(pBuffer, 0));
    // A path of 999 characters still fits with its terminator.
    pBuffer[kInstancePathBufferLength - 1] = '\0';
    memcpy(pBuffer + kInstancePathBufferLength - sizeof(kTail), kTail, sizeof(kTail) - 1);
    EXPECT_STREQ("XKBRSMPTQVD", InstanceKeyFromModulePath(pBuffer, kInstancePathBufferLength - 1));

    VirtualFree(pPages, 0, MEM_RELEASE);
}

TEST(InstanceGuard, TheSecondHolderOfAKeySeesItAlreadyRunning)
{
    const char kKey[] = "QuavGuardTestKey";
    {
        CInstanceGuard first(kKey);
        EXPECT_FALSE(first.IsAlreadyRunning());
        {
            CInstanceGuard second(kKey);
            EXPECT_TRUE(second.IsAlreadyRunning());
        }
        CInstanceGuard third(kKey); // the first still holds it
        EXPECT_TRUE(third.IsAlreadyRunning());
        EXPECT_FALSE(first.IsAlreadyRunning()); // the answer never changes
    }
    // Every holder is gone: the name is free again.
    CInstanceGuard fresh(kKey);
    EXPECT_FALSE(fresh.IsAlreadyRunning());
}

TEST(InstanceGuard, ANameTakenByAnotherKindOfObjectIsNoGuardButNoRefusal)
{
    HANDLE hEvent = CreateEventA(nullptr, TRUE, FALSE, "QuavGuardTestEvent");
    ASSERT_NE(nullptr, hEvent);
    CInstanceGuard guard("QuavGuardTestEvent");
    EXPECT_FALSE(guard.IsAlreadyRunning());
    CloseHandle(hEvent);
}

TEST(ModuleSelection, TheApplicationNameRuleDecides)
{
    SelectionProbe app;
    struct Case {
        const char* pszExeName;
        const char* pszModule;
    } cases[] = {{"QUAV-LX", "QUAVLXUI.dll"},         {"quav-lx", "QuavPlusUI.dll"},
                 {"QUAVPlusKDS", "QuavPlusUI.dll"},   {"QUAVPlusLXKDS", "QuavPlusUI.dll"},
                 {"QUAVPlusRDKDS", "QuavPlusUI.dll"}, {"", "QuavPlusUI.dll"}};
    for (const Case& c : cases) {
        app.m_pszExeName = c.pszExeName;
        CString strModule("unchanged");
        app.SetModuleFromAppName(strModule);
        EXPECT_STREQ(c.pszModule, strModule) << c.pszExeName;
    }
}

TEST(ModuleSelection, TheCommandLineNameIsOverwrittenAndTheMethodBecomesTwo)
{
    SelectionProbe app;
    EXPECT_EQ(-1, app.InvocationMethod());
    EXPECT_EQ(nullptr, app.GetUIModuleHandle());
    for (const char* pszExeName : {"QUAVPlusKDS", "QUAV-LX"}) {
        app.m_pszExeName = pszExeName;
        for (const char* pszCmdLine : {"", "Other.dll", "QUAVLXUI.dll"}) {
            CString strModule;
            CString strCmdLineModule(pszCmdLine);
            EXPECT_TRUE(app.SelectUIModule(strModule, strCmdLineModule));
            const char* pszExpected =
                strcmp(pszExeName, "QUAV-LX") == 0 ? "QUAVLXUI.dll" : "QuavPlusUI.dll";
            EXPECT_STREQ(pszExpected, strModule) << pszExeName << " / " << pszCmdLine;
            EXPECT_STREQ(pszExpected, strCmdLineModule);
            EXPECT_EQ(2, app.InvocationMethod());
        }
    }
}
