// The display font's registration latches. Each test runs in a process of
// its own, so each starts with both latches open. The platform entries are
// the real ones; the tests only count the calls on their way through.
#include <afxwin.h>

#include <string>

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "launch/PrivateFont.h"
#include "launch/PrivateFontEntries.h"

namespace {

struct EntryCalls {
    int nLookups = 0;
    int nCalls = 0;
    std::string lastPath;
    DWORD dwLastFlags = 0;
    PVOID pLastReserved = reinterpret_cast<PVOID>(1);
    PFN_FONT_RESOURCE_EX pfnReal = nullptr;

    int Forward(LPCSTR lpszFileName, DWORD fl, PVOID pdv)
    {
        ++nCalls;
        lastPath = lpszFileName;
        dwLastFlags = fl;
        pLastReserved = pdv;
        return pfnReal(lpszFileName, fl, pdv);
    }
};

EntryCalls g_add;
EntryCalls g_remove;
bool g_bLookupsFail = false;

int WINAPI CountedAdd(LPCSTR lpszFileName, DWORD fl, PVOID pdv)
{
    return g_add.Forward(lpszFileName, fl, pdv);
}

int WINAPI CountedRemove(LPCSTR lpszFileName, DWORD fl, PVOID pdv)
{
    return g_remove.Forward(lpszFileName, fl, pdv);
}

PFN_FONT_RESOURCE_EX CountingFinder(LPCSTR lpszEntryName)
{
    bool bAdd = lstrcmpA(lpszEntryName, "AddFontResourceExA") == 0;
    EntryCalls& calls = bAdd ? g_add : g_remove;
    ++calls.nLookups;
    if (g_bLookupsFail)
        return nullptr;
    calls.pfnReal = FindGdiFontEntry(lpszEntryName);
    if (!calls.pfnReal)
        return nullptr;
    return bAdd ? &CountedAdd : &CountedRemove;
}

// The face a font asked for by this name really gets.
std::string FaceFor(const char* pszFace)
{
    LOGFONTA lf = {};
    lf.lfHeight = -12;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lstrcpynA(lf.lfFaceName, pszFace, LF_FACESIZE);
    CFont font;
    font.CreateFontIndirect(&lf);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = dc.SelectObject(font.m_hObject);
    char szFace[LF_FACESIZE] = {};
    ::GetTextFaceA(dc.m_hDC, LF_FACESIZE, szFace);
    dc.SelectObject(hOld);
    return szFace;
}

class PrivateFont : public testing::Test {
protected:
    void SetUp() override { SetFontEntryFinder(&CountingFinder); }
    void TearDown() override
    {
        SetFontEntryFinder(nullptr);
        ::SetCurrentDirectoryA(BuildBinFolder().c_str());
    }
    // The font files are found by bare name in the current folder.
    static void EnterFontFolder() { ::SetCurrentDirectoryA(BuiltFile("fixtures").c_str()); }
};

} // namespace

TEST_F(PrivateFont, WithTheFilePresentThreeRegistrationsAddItOnce)
{
    EnterFontFolder();
    int nFirst = RegisterPrivateFont(kDisplayFontFile);
    EXPECT_EQ(1, nFirst); // the file holds one font
    EXPECT_EQ(nFirst, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(nFirst, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(1, g_add.nLookups);
    EXPECT_EQ(1, g_add.nCalls);
    EXPECT_EQ("VENUSRIS.ttf", g_add.lastPath);
    EXPECT_EQ(static_cast<DWORD>(FR_PRIVATE), g_add.dwLastFlags);
    EXPECT_EQ(nullptr, g_add.pLastReserved);
    // Registered, the face really is there.
    EXPECT_EQ("Venus Rising", FaceFor(kDisplayFontFace));

    EXPECT_NE(0, UnregisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(1, g_remove.nCalls);
    EXPECT_EQ("VENUSRIS.ttf", g_remove.lastPath);
    EXPECT_EQ(static_cast<DWORD>(FR_PRIVATE), g_remove.dwLastFlags);
    EXPECT_EQ(nullptr, g_remove.pLastReserved);
}

TEST_F(PrivateFont, WithTheFileAbsentEveryCallTriesAgainAndReportsZero)
{
    TempFolder empty;
    ::SetCurrentDirectoryA(empty.Path().c_str());
    EXPECT_EQ(0, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(0, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(0, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(3, g_add.nCalls);
    EXPECT_EQ(1, g_add.nLookups); // the entry itself was found the first time

    EXPECT_EQ(0, UnregisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(1, g_remove.nCalls);
    EXPECT_EQ(0, UnregisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(2, g_remove.nCalls);
    EXPECT_NE("Venus Rising", FaceFor(kDisplayFontFace));
    ::SetCurrentDirectoryA(BuildBinFolder().c_str());
}

TEST_F(PrivateFont, AfterRemovalTheFontIsNeitherAddedNorRemovedAgain)
{
    EnterFontFolder();
    int nAdded = RegisterPrivateFont(kDisplayFontFile);
    ASSERT_NE(0, nAdded);
    int nRemoved = UnregisterPrivateFont(kDisplayFontFile);
    ASSERT_NE(0, nRemoved);

    // A second launch screen in the same process.
    EXPECT_EQ(nAdded, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(nRemoved, UnregisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(1, g_add.nCalls);
    EXPECT_EQ(1, g_remove.nCalls);
    // The face was never used while registered here, so nothing keeps it
    // alive: it is gone for this process.
    EXPECT_NE("Venus Rising", FaceFor(kDisplayFontFace));
}

TEST_F(PrivateFont, AnotherPathAfterASuccessIsNotLookedAt)
{
    EnterFontFolder();
    int nAdded = RegisterPrivateFont(kDisplayFontFile);
    ASSERT_NE(0, nAdded);
    EXPECT_EQ(nAdded, RegisterPrivateFont("OTHERFNT.ttf"));
    EXPECT_EQ(1, g_add.nCalls);
    EXPECT_NE("Other Probe", FaceFor("Other Probe"));
}

TEST_F(PrivateFont, AnotherPathIsTriedWhileNoRegistrationHasSucceeded)
{
    EnterFontFolder();
    EXPECT_EQ(0, RegisterPrivateFont("MISSING.ttf"));
    EXPECT_EQ(1, RegisterPrivateFont("OTHERFNT.ttf"));
    EXPECT_EQ(2, g_add.nCalls);
    EXPECT_EQ("Other Probe", FaceFor("Other Probe"));
    EXPECT_NE("Venus Rising", FaceFor(kDisplayFontFace)); // not registered here
}

TEST_F(PrivateFont, AFailedLookupIsRetriedOnEveryCall)
{
    EnterFontFolder();
    g_bLookupsFail = true;
    EXPECT_EQ(0, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(0, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(0, UnregisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(2, g_add.nLookups);
    EXPECT_EQ(1, g_remove.nLookups);
    EXPECT_EQ(0, g_add.nCalls);

    g_bLookupsFail = false;
    EXPECT_EQ(1, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(3, g_add.nLookups);
    EXPECT_EQ(1, g_add.nCalls);
    EXPECT_EQ(1, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ(3, g_add.nLookups); // found entries are kept
}

TEST(PrivateFontEntries, AreTheGraphicsLibrarysOwnByName)
{
    HMODULE hGdi = ::GetModuleHandleA("gdi32.dll");
    ASSERT_NE(nullptr, hGdi);
    EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(hGdi, "AddFontResourceExA")),
              reinterpret_cast<void*>(FindGdiFontEntry("AddFontResourceExA")));
    EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(hGdi, "RemoveFontResourceExA")),
              reinterpret_cast<void*>(FindGdiFontEntry("RemoveFontResourceExA")));
    EXPECT_EQ(nullptr, FindGdiFontEntry("NoSuchEntry"));

    // Without a test's finder, registration goes straight to the platform.
    ::SetCurrentDirectoryA(BuiltFile("fixtures").c_str());
    EXPECT_EQ(1, RegisterPrivateFont(kDisplayFontFile));
    EXPECT_EQ("Venus Rising", FaceFor(kDisplayFontFace));
    ::SetCurrentDirectoryA(BuildBinFolder().c_str());
}
